// Kerning pairs of a face: from the pair adjustments of the OpenType 'kern' feature (GPOS)
// where the face has that feature, otherwise from its 'kern' table through FreeType; for a
// Type 1 face, the pairs its metrics file lists.
#ifndef MOLDWRIGHT_KERNING_H
#define MOLDWRIGHT_KERNING_H

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

namespace moldwright
{

struct GlyphKerning
{
    FT_UInt left;
    FT_UInt right;
    long value;  // font units, never 0
};

// The kerning between any two of `glyphs` (sorted, unique), in no particular order.
// `metricsFile` is the .afm or .pfm attached to a Type 1 face, or empty.
std::vector<GlyphKerning> FaceKerning(FT_Face face, const std::vector<FT_UInt>& glyphs, const std::string& metricsFile);

}

#endif
