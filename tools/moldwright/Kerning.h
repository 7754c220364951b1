// Kerning pairs of a face: from the 'kern' table through FreeType where the face has one,
// otherwise from the pair adjustments of the OpenType 'kern' feature (GPOS).
#ifndef MOLDWRIGHT_KERNING_H
#define MOLDWRIGHT_KERNING_H

#include <ft2build.h>
#include FT_FREETYPE_H

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
std::vector<GlyphKerning> FaceKerning(FT_Face face, const std::vector<FT_UInt>& glyphs);

}

#endif
