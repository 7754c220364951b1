// A strict reader of font movies for the tests, written apart from the maker so that the
// two cannot share a misreading of the format. Every violation throws SwfError.
#ifndef GLYPHARA_TESTS_MOLDWRIGHT_SWFREADER_H
#define GLYPHARA_TESTS_MOLDWRIGHT_SWFREADER_H

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace swftest
{

struct SwfError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

struct Point
{
    double x;
    double y;
};

// One edge in absolute movie units; straight edges have control == end.
struct Edge
{
    bool curved;
    Point from;
    Point control;
    Point to;
};

struct Contour
{
    Point start;
    std::vector<Edge> edges;
};

struct Glyph
{
    std::vector<Contour> contours;
};

struct Rect
{
    int32_t xMin, xMax, yMin, yMax;
};

struct Kerning
{
    uint16_t left;
    uint16_t right;
    int16_t adjustment;
};

struct Font
{
    unsigned id = 0;
    bool hasLayout = false;
    bool wideOffsets = false;
    bool wideCodes = false;
    bool italic = false;
    bool bold = false;
    std::string name;
    std::vector<Glyph> glyphs;
    std::vector<uint16_t> codes;
    unsigned ascent = 0;
    unsigned descent = 0;
    int leading = 0;
    std::vector<int16_t> advances;
    std::vector<Rect> bounds;
    std::vector<Kerning> kerning;
};

struct Movie
{
    std::string signature;  // "FWS" or "CWS"
    unsigned version = 0;
    uint32_t declaredLength = 0;
    size_t actualLength = 0;  // after inflating
    unsigned frameCount = 0;
    std::vector<unsigned> tagCodes;
    std::vector<Font> fonts;
};

Movie ReadMovie(const std::vector<uint8_t>& file);
std::vector<uint8_t> ReadFile(const std::string& path);

}

#endif
