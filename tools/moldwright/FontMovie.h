// Turns FreeType faces into DefineFont3 tags and whole font movies.
#ifndef MOLDWRIGHT_FONTMOVIE_H
#define MOLDWRIGHT_FONTMOVIE_H

#include "FaceNames.h"
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

// The characters of a movie: the Western European set, every character of the face, or
// chosen ones (from --chars TEXT and --chars-from FILE), or several of these together.
struct CharSet
{
    bool given = false;          // chosen on the command line rather than the default
    bool latin = false;
    bool all = false;
    std::vector<uint32_t> text;  // sorted, unique
};

// Adds the code points to the set's text, keeping it sorted and unique.
void AddText(CharSet& set, const std::vector<uint32_t>& codes);

// The code points of the Western European set, ascending.
std::vector<uint32_t> LatinCodes();

// Decodes UTF-8; false on malformed input.
bool DecodeUtf8(const std::string& text, std::vector<uint32_t>& codes);
std::string EncodeUtf8(uint32_t code);

struct GlyphCode
{
    uint32_t code;
    FT_UInt glyph;
};

// What the chosen characters left out, and why.
struct CharacterReport
{
    std::vector<uint32_t> beyond16Bits;  // the face has them, but a movie's code table holds 16-bit codes
    std::vector<uint32_t> lacking;       // chosen by text and not in the face
};

// The chosen characters that the face maps and a movie can hold, ascending by code.
std::vector<GlyphCode> MapCharacters(FT_Face face, const CharSet& set, CharacterReport& report);

// How many of the letters A to Z and a to z the face maps.
int BasicLatinLetters(FT_Face face);

struct FontTagInfo
{
    size_t glyphs = 0;
    size_t kerningPairs = 0;
    bool kerningTruncated = false;
    bool advancesClamped = false;
};

// Appends one DefineFont3 tag for the face to `tags`. `helper`, when not null, is a second
// face of the same font and instance, opened in a FreeType library of its own, that
// converts half of a large set of glyphs on another thread. `metricsFile` is the metrics
// file attached to a Type 1 face, whose kerning pairs it lists.
bool AppendDefineFont3(FT_Face face, FT_Face helper, const std::string& metricsFile, unsigned fontId, const std::string& name, bool bold, bool italic,
                       const std::vector<GlyphCode>& codes, std::vector<uint8_t>& tags, FontTagInfo& info,
                       std::string& error);

}

#endif
