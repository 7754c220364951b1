// Writes small font movies byte by byte for the tests: font tags with chosen code tables,
// flags and layout blocks, plain or compressed, and the means to spoil them.
#ifndef GLYPHARA_TESTS_CORE_MOVIEBUILDER_H
#define GLYPHARA_TESTS_CORE_MOVIEBUILDER_H

#include <wx/string.h>

#include <cstdint>
#include <string>
#include <vector>

// One drawing step of a glyph shape, in movie units: 'M' moves to (a, b), 'L' draws a
// straight edge by (a, b), 'Q' a curve with its control at (a, b) from the pen and its end at
// (c, d) from the control.
struct ShapeStep
{
    char kind;
    int a = 0, b = 0, c = 0, d = 0;
};

struct KerningPair
{
    uint16_t left, right;
    int adjustment;
};

struct TestFace
{
    std::vector<uint16_t> codes;
    std::string name = "Test Face";
    // Real shapes, one per code; stand-in bytes when empty.
    std::vector<std::vector<uint8_t>> shapes;
    // One per code; 500 each when empty.
    std::vector<unsigned> advances;
    unsigned ascent = 900, descent = 200;
    int leading = 0;
    // Written after the kerningPairs stand-in pairs.
    std::vector<KerningPair> kerning;
    bool bold = false;
    bool italic = false;
    bool wideCodes = true;    // false writes one byte per code (DefineFont2 only)
    bool wideOffsets = false;
    bool layout = true;
    unsigned kerningPairs = 0;
    unsigned tagCode = 75;    // 75 DefineFont3, 48 DefineFont2
};

TestFace Face(std::vector<uint16_t> codes, bool bold = false, bool italic = false);

// The shape records of a glyph drawn by steps, with one fill style.
std::vector<uint8_t> GlyphShape(const std::vector<ShapeStep>& steps);

// The tag stream of a movie: font tags, then ShowFrame and End.
std::vector<uint8_t> FontTags(const std::vector<TestFace>& faces);
// Appends one tag with its record header.
void AppendTestTag(std::vector<uint8_t>& out, unsigned code, const std::vector<uint8_t>& body);
// A whole movie around a tag stream; `declaredLength` 0 writes the true length.
std::vector<uint8_t> MovieFile(const std::vector<uint8_t>& tags, bool compressed, uint32_t declaredLength = 0);
std::vector<uint8_t> MovieFile(const std::vector<TestFace>& faces, bool compressed);

// The code points of text (UTF-32 on this platform), for building code tables.
std::vector<uint16_t> CodesOf(const wxString& text);

void WriteBytes(const wxString& path, const std::vector<uint8_t>& bytes);

#endif
