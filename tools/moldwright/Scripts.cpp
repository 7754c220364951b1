#include "Scripts.h"

#include "FontMovie.h"

#include <algorithm>
#include <cctype>

namespace moldwright
{

namespace
{

struct Range
{
    uint32_t first;
    uint32_t last;
    int script;
};

struct Script
{
    const char* name;
    const char* sample;  // UTF-8; the script's own name where it has one
};

// Index 0 is Latin, whose sample is used only when the family's name cannot be written;
// 1 and 2 are the alphabets that fonts for European languages carry beside it.
const Script kScripts[] = {
    {"Latin", "Handgloves"},       {"Greek", "Ελληνικά"},      {"Cyrillic", "Кириллица"},  {"Armenian", "Հայերեն"},
    {"Hebrew", "עברית"},           {"Arabic", "العربية"},      {"Devanagari", "देवनागरी"}, {"Bengali", "বাংলা"},
    {"Gurmukhi", "ਗੁਰਮੁਖੀ"},         {"Gujarati", "ગુજરાતી"},      {"Oriya", "ଓଡ଼ିଆ"},          {"Tamil", "தமிழ்"},
    {"Telugu", "తెలుగు"},          {"Kannada", "ಕನ್ನಡ"},        {"Malayalam", "മലയാളം"},    {"Sinhala", "සිංහල"},
    {"Thai", "ภาษาไทย"},           {"Lao", "ພາສາລາວ"},         {"Tibetan", "བོད་ཡིག"},      {"Myanmar", "မြန်မာ"},
    {"Georgian", "ქართული"},       {"Hangul", "한국어"},         {"Ethiopic", "ግዕዝ"},        {"Khmer", "ខ្មែរ"},
    {"Kana", "ひらがな"},           {"Han", "永字八法"},
};
constexpr int kLatin = 0;
constexpr int kFirstOtherScript = 3;

// The blocks of each script, ascending and disjoint. Latin counts only what lies beyond
// Basic Latin and Latin-1, which nearly every font carries whatever it is made for.
const Range kRanges[] = {
    {0x0100, 0x02AF, 0},  {0x0370, 0x03FF, 1},  {0x0400, 0x052F, 2},  {0x0530, 0x058F, 3},  {0x0590, 0x05FF, 4},
    {0x0600, 0x06FF, 5},  {0x0750, 0x077F, 5},  {0x08A0, 0x08FF, 5},  {0x0900, 0x097F, 6},  {0x0980, 0x09FF, 7},
    {0x0A00, 0x0A7F, 8},  {0x0A80, 0x0AFF, 9},  {0x0B00, 0x0B7F, 10}, {0x0B80, 0x0BFF, 11}, {0x0C00, 0x0C7F, 12},
    {0x0C80, 0x0CFF, 13}, {0x0D00, 0x0D7F, 14}, {0x0D80, 0x0DFF, 15}, {0x0E00, 0x0E7F, 16}, {0x0E80, 0x0EFF, 17},
    {0x0F00, 0x0FFF, 18}, {0x1000, 0x109F, 19}, {0x10A0, 0x10FF, 20}, {0x1100, 0x11FF, 21}, {0x1200, 0x139F, 22},
    {0x1780, 0x17FF, 23}, {0x1E00, 0x1EFF, 0},  {0x1F00, 0x1FFF, 1},  {0x2C60, 0x2C7F, 0},  {0x2D00, 0x2D2F, 20},
    {0x2DE0, 0x2DFF, 2},  {0x3040, 0x30FF, 24}, {0x3130, 0x318F, 21}, {0x31F0, 0x31FF, 24}, {0x3400, 0x4DBF, 25},
    {0x4E00, 0x9FFF, 25}, {0xA640, 0xA69F, 2},  {0xA720, 0xA7FF, 0},  {0xA8E0, 0xA8FF, 6},  {0xAC00, 0xD7AF, 21},
    {0xF900, 0xFAFF, 25}, {0xFB13, 0xFB17, 3},  {0xFB1D, 0xFB4F, 4},  {0xFB50, 0xFDFF, 5},  {0xFE70, 0xFEFF, 5},
};
// Fewer characters than this of a script are a courtesy, not what a font is made for.
constexpr int kScriptMinimum = 16;
constexpr int kScriptCount = sizeof kScripts / sizeof kScripts[0];
constexpr size_t kSampleLength = 8;

int ScriptOf(uint32_t code)
{
    const Range* end = std::end(kRanges);
    const Range* r = std::upper_bound(std::begin(kRanges), end, code,
                                      [](uint32_t c, const Range& range) { return c < range.first; });
    if (r == std::begin(kRanges))
        return -1;
    --r;
    return code <= r->last ? r->script : -1;
}

std::vector<uint32_t> Codes(const char* utf8)
{
    std::vector<uint32_t> codes;
    DecodeUtf8(utf8, codes);
    return codes;
}

bool MapsAll(FT_Face face, const std::vector<uint32_t>& codes)
{
    return !codes.empty() && std::all_of(codes.begin(), codes.end(),
                                         [&](uint32_t c) { return c == ' ' || FT_Get_Char_Index(face, c) != 0; });
}

// Characters that take room on the line: combining marks alone show as fragments.
bool Advances(FT_Face face, FT_UInt glyph)
{
    return FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) == 0 && face->glyph->advance.x > 0;
}

}

int OwnScript(FT_Face face)
{
    int count[kScriptCount] = {};
    FT_UInt glyph = 0;
    for (FT_ULong code = FT_Get_First_Char(face, &glyph); glyph != 0; code = FT_Get_Next_Char(face, code, &glyph))
        if (const int script = ScriptOf(uint32_t(code)); script >= 0)
            ++count[script];

    // A face with the Latin alphabet is made for Latin text unless it has more of another
    // script (not one of the European alphabets fonts carry beside Latin) than of Latin
    // beyond its basics; a face without it is made for the script it has most of.
    const int basicLatin = BasicLatinLetters(face);
    if (basicLatin >= 26)
    {
        const int* other = std::max_element(count + kFirstOtherScript, count + kScriptCount);
        return *other >= kScriptMinimum && *other > count[kLatin] ? int(other - count) : kLatin;
    }
    const int* best = std::max_element(count + 1, count + kScriptCount);
    if (*best > 0)
        return int(best - count);
    return basicLatin > 0 ? kLatin : -1;
}

const char* ScriptName(int script)
{
    return script >= 0 && script < kScriptCount ? kScripts[script].name : "";
}

std::vector<uint32_t> ScriptCharacters(FT_Face face, int script)
{
    std::vector<uint32_t> codes;
    FT_UInt glyph = 0;
    for (FT_ULong code = FT_Get_First_Char(face, &glyph); glyph != 0; code = FT_Get_Next_Char(face, code, &glyph))
        if (ScriptOf(uint32_t(code)) == script)
            codes.push_back(uint32_t(code));
    return codes;
}

std::vector<uint32_t> PreviewText(FT_Face face, const std::string& family)
{
    const int script = OwnScript(face);
    if (script == kLatin)
    {
        const std::vector<uint32_t> name = Codes(family.c_str());
        if (MapsAll(face, name))
            return name;
    }
    if (script >= 0)
    {
        const std::vector<uint32_t> sample = Codes(kScripts[script].sample);
        if (MapsAll(face, sample))
            return sample;
    }

    // Characters of that script the face has, or for a face without letters whatever it maps.
    std::vector<uint32_t> text;
    FT_UInt glyph = 0;
    for (FT_ULong code = FT_Get_First_Char(face, &glyph); glyph != 0 && text.size() < kSampleLength;
         code = FT_Get_Next_Char(face, code, &glyph))
    {
        const bool inScript = script == kLatin ? (code >= 'A' && code <= 'z' && std::isalpha(int(code)))
                                               : ScriptOf(uint32_t(code)) == script;
        const bool wanted = script >= 0 ? inScript : code > 0x20 && (code < 0x7F || code > 0xA0);
        if (wanted && Advances(face, glyph))
            text.push_back(uint32_t(code));
    }
    return text;
}

}
