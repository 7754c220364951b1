// Running the maker from tests, scratch folders and FreeType look-ups used as the reference.
#ifndef GLYPHARA_TESTS_MOLDWRIGHT_MAKERSUPPORT_H
#define GLYPHARA_TESTS_MOLDWRIGHT_MAKERSUPPORT_H

#include "SwfReader.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace swftest
{

struct RunResult
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

RunResult RunMaker(const std::vector<std::string>& args);

class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& rel) const { return m_path + "/" + rel; }

private:
    std::string m_path;
};

// Every file below `folder`, hidden ones included, as paths relative to it, sorted.
std::vector<std::string> FilesBelow(const std::string& folder);

// The path of the one movie directly in `folder`; empty when there is not exactly one.
std::string MovieIn(const std::string& folder);

class FtFace
{
public:
    explicit FtFace(const std::string& path, long index = 0);
    ~FtFace();
    FT_Face operator->() const { return m_face; }
    FT_Face Get() const { return m_face; }

private:
    FT_Library m_library = nullptr;
    FT_Face m_face = nullptr;
};

// The Western European set, written out here rather than taken from the maker.
std::vector<uint16_t> WesternEuropeanCodes();

// Codes of `wanted` that the face maps, ascending.
std::vector<uint16_t> MappedCodes(FT_Face face, const std::vector<uint16_t>& wanted);

// FreeType's advance of the character in movie units (1024 x 20 per em).
int ExpectedAdvance(FT_Face face, uint16_t code);

// Kerning in movie units between every two of `codes`, as HarfBuzz applies it to Latin
// text with the other substitution and positioning features off, at the named instance
// `instance` (counted from 0) of a variable font. Pairs without kerning are left out.
std::map<std::pair<uint16_t, uint16_t>, int> ShapedKerning(const std::string& fontPath,
                                                         const std::vector<uint16_t>& codes, int instance = -1);

// HarfBuzz's advances of the characters in movie units, at a named instance as above.
std::vector<int> ShapedAdvances(const std::string& fontPath, const std::vector<uint16_t>& codes, int instance);

// HarfBuzz's left and right edge of the character's outline in movie units, at a named
// instance as above.
std::pair<double, double> ShapedEdges(const std::string& fontPath, uint32_t code, int instance);

struct PngInfo
{
    int width = 0;
    int height = 0;
    int transparentPixels = 0;
    int partialPixels = 0;  // 0 < alpha < 255: antialiasing
    int opaquePixels = 0;
    std::vector<uint8_t> alpha;  // row by row
    uint8_t Alpha(int x, int y) const { return alpha[size_t(y) * width + x]; }
};
PngInfo InspectPng(const std::string& path);

constexpr const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/";
constexpr const char* kLiberation = "/usr/share/fonts/truetype/liberation/";
constexpr const char* kUrw = "/usr/share/fonts/opentype/urw-base35/";
constexpr const char* kCabin = "/usr/share/fonts/opentype/cabin/";

}

#endif
