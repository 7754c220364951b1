// Turns FreeType faces into DefineFont3 tags and whole font movies.
#ifndef MOLDWRIGHT_FONTMOVIE_H
#define MOLDWRIGHT_FONTMOVIE_H

#include "SwfWriter.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <string>
#include <vector>

namespace moldwright
{

// Font units of the movie: 1024 per em at 20 twips per unit.
constexpr double kMovieUnitsPerEm = 1024.0 * 20.0;
// Largest distance, in movie units, between a cubic outline and its quadratic stand-in.
constexpr double kCubicTolerance = 9.0;

enum class CharSetKind
{
    Latin,
    All,
    Text
};

struct CharSet
{
    CharSetKind kind = CharSetKind::Latin;
    std::vector<uint32_t> text;  // code points of --chars TEXT, sorted, unique
};

// The code points of the Western European set, ascending.
std::vector<uint32_t> LatinCodes();

// Decodes UTF-8; false on malformed input.
bool DecodeUtf8(const std::string& text, std::vector<uint32_t>& codes);

// The style slots of a family, in the order their markers appear in file names.
enum class Style
{
    Regular = 0,
    Italic = 1,
    Bold = 2,
    BoldItalic = 3
};
const char* StyleMarker(Style style);  // "[regular]", ...
const char* StyleWords(Style style);   // "regular", "bold italic", ...

// Detected from the face's style flags, its OS/2 weight and its style name.
Style DetectStyle(FT_Face face);

struct GlyphCode
{
    uint32_t code;
    FT_UInt glyph;
};

// The chosen characters that the face maps, ascending by code; codes above U+FFFF are left
// out because the movie's code table holds 16-bit codes.
std::vector<GlyphCode> MapCharacters(FT_Face face, const CharSet& set);

struct FontTagInfo
{
    size_t glyphs = 0;
    size_t kerningPairs = 0;
    bool kerningTruncated = false;
    bool advancesClamped = false;
};

// Appends one DefineFont3 tag for the face to `tags`.
bool AppendDefineFont3(FT_Face face, unsigned fontId, const std::string& name, bool bold, bool italic,
                       const std::vector<GlyphCode>& codes, std::vector<uint8_t>& tags, FontTagInfo& info,
                       std::string& error);

}

#endif
