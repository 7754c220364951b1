#include "FaceNames.h"

#include "FontMovie.h"

#include FT_MULTIPLE_MASTERS_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace moldwright
{

namespace
{

constexpr unsigned kFsItalic = 0x1;
constexpr unsigned kFsBold = 0x20;
constexpr unsigned kFsRegular = 0x40;
constexpr unsigned kFsOblique = 0x200;

std::string FromUtf16Be(const FT_Byte* s, FT_UInt length)
{
    std::string out;
    for (FT_UInt i = 0; i + 1 < length; i += 2)
    {
        uint32_t unit = uint32_t(s[i] << 8) | s[i + 1];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < length)
        {
            const uint32_t low = uint32_t(s[i + 2] << 8) | s[i + 3];
            if (low >= 0xDC00 && low < 0xE000)
            {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (unit >= 0xD800 && unit < 0xE000)
            unit = 0xFFFD;
        out += EncodeUtf8(unit);
    }
    return out;
}

// The name record with the given id, preferring the Windows English one; empty when the
// face has none.
std::string SfntName(FT_Face face, FT_UShort id)
{
    int bestRank = 99;
    std::string best;
    const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    for (FT_UInt i = 0; i < count; ++i)
    {
        FT_SfntName name;
        if (FT_Get_Sfnt_Name(face, i, &name) != 0 || name.name_id != id || name.string_len == 0)
            continue;
        int rank = 99;
        const bool windowsUnicode = name.platform_id == TT_PLATFORM_MICROSOFT &&
                                    (name.encoding_id == TT_MS_ID_UNICODE_CS || name.encoding_id == TT_MS_ID_UCS_4);
        if (windowsUnicode)
            rank = name.language_id == TT_MS_LANGID_ENGLISH_UNITED_STATES ? 0 : 1;
        else if (name.platform_id == TT_PLATFORM_APPLE_UNICODE)
            rank = 2;
        else if (name.platform_id == TT_PLATFORM_MACINTOSH && name.encoding_id == TT_MAC_ID_ROMAN &&
                 name.language_id == TT_MAC_LANGID_ENGLISH &&
                 std::all_of(name.string, name.string + name.string_len, [](FT_Byte b) { return b < 0x80; }))
            rank = 3;
        if (rank >= bestRank)
            continue;
        bestRank = rank;
        best = rank == 3 ? std::string(reinterpret_cast<const char*>(name.string), name.string_len)
                         : FromUtf16Be(name.string, name.string_len);
    }
    return NormaliseSpaces(best);
}

bool EndsWithKey(const std::string& key, const std::string& suffix)
{
    return key.size() >= suffix.size() && key.compare(key.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Splits a style name into its weight words and whether it names a slanted face:
// "Semi Bold Italic" gives "Semi Bold" and true, "BoldOblique" gives "Bold" and true.
std::string WeightPart(const std::string& style, bool& italic)
{
    std::string lower = style;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    italic = false;
    for (const char* slope : {"italic", "oblique"})
    {
        const size_t n = std::strlen(slope);
        if (lower.size() >= n && lower.compare(lower.size() - n, n, slope) == 0)
        {
            italic = true;
            std::string rest = style.substr(0, style.size() - n);
            while (!rest.empty() && (rest.back() == ' ' || rest.back() == '-'))
                rest.pop_back();
            return rest;
        }
    }
    return style;
}

int WeightOfKey(const std::string& key)
{
    static const struct
    {
        const char* key;
        int weight;
    } weights[] = {{"thin", 100},      {"hairline", 100},   {"extralight", 200}, {"ultralight", 200},
                   {"light", 300},     {"medium", 500},     {"semibold", 600},   {"demibold", 600},
                   {"demi", 600},      {"bold", 700},       {"extrabold", 800},  {"ultrabold", 800},
                   {"heavy", 900},     {"black", 900},      {"ultrablack", 950}, {"extrablack", 950}};
    for (const auto& w : weights)
        if (key == w.key)
            return w.weight;
    return 400;
}

// The weight axis of the face's current instance, or 0.
int InstanceWeight(FT_Face face)
{
    FT_MM_Var* mm = nullptr;
    if (FT_Get_MM_Var(face, &mm) != 0)
        return 0;
    int weight = 0;
    std::vector<FT_Fixed> coords(mm->num_axis);
    if (FT_Get_Var_Design_Coordinates(face, mm->num_axis, coords.data()) == 0)
        for (FT_UInt i = 0; i < mm->num_axis; ++i)
            if (mm->axis[i].tag == FT_MAKE_TAG('w', 'g', 'h', 't'))
                weight = int((coords[i] + 0x8000) >> 16);
    FT_Done_MM_Var(face->glyph->library, mm);
    return weight;
}

}

const char* StyleMarker(Style style)
{
    switch (style)
    {
    case Style::Regular: return "[regular]";
    case Style::Italic: return "[italic]";
    case Style::Bold: return "[bold]";
    case Style::BoldItalic: return "[bolditalic]";
    }
    return "";
}

const char* StyleWords(Style style)
{
    switch (style)
    {
    case Style::Regular: return "regular";
    case Style::Italic: return "italic";
    case Style::Bold: return "bold";
    case Style::BoldItalic: return "bold italic";
    }
    return "";
}

std::string NormaliseSpaces(const std::string& s)
{
    std::string out;
    bool space = false;
    for (char c : s)
    {
        const bool isSpace = c == ' ' || c == '\t' || c == '\n' || c == '\r';
        if (isSpace)
            space = !out.empty();
        else
        {
            if (space)
                out += ' ';
            space = false;
            out += c;
        }
    }
    return out;
}

std::string NameKey(const std::string& s)
{
    std::string key;
    for (unsigned char c : s)
        if (c != ' ' && c != '-' && c != '_')
            key += char(std::tolower(c));
    return key;
}

FaceIdentity IdentifyFace(FT_Face face, bool instance)
{
    const bool sfnt = FT_IS_SFNT(face);
    const TT_OS2* os2 = sfnt ? static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)) : nullptr;
    if (os2 && os2->version == 0xFFFF)
        os2 = nullptr;
    const std::string ftFamily = NormaliseSpaces(face->family_name ? face->family_name : "");
    const std::string ftStyle = NormaliseSpaces(face->style_name ? face->style_name : "");

    // The legacy names group a family into at most four faces; a named instance has only
    // the typographic family and its own style name.
    std::string family = ftFamily, style = ftStyle, typographic = ftFamily;
    if (sfnt && !instance)
    {
        const std::string legacy = SfntName(face, TT_NAME_ID_FONT_FAMILY);
        const std::string subfamily = SfntName(face, TT_NAME_ID_FONT_SUBFAMILY);
        const std::string preferred = SfntName(face, TT_NAME_ID_TYPOGRAPHIC_FAMILY);
        if (!legacy.empty())
            family = legacy;
        if (!subfamily.empty())
            style = subfamily;
        typographic = preferred.empty() ? family : preferred;
    }

    FaceIdentity id;
    id.styleName = ftStyle.empty() ? style : ftStyle;
    bool italic = false;
    const std::string weightWords = WeightPart(style, italic);
    if (os2 && !instance)
        italic = italic || (os2->fsSelection & (kFsItalic | kFsOblique)) != 0;
    else
        italic = italic || (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;

    const std::string key = NameKey(weightWords);
    // Type 1 fonts call their regular weight Book or Medium as often as Regular.
    const bool regularWord = key.empty() || key == "regular" || key == "roman" || key == "normal" || key == "plain" ||
                             key == "upright" || (!sfnt && (key == "book" || key == "medium"));
    bool ribbi = regularWord || key == "bold";
    bool bold = key == "bold";
    if (!ribbi && os2 && !instance && (os2->fsSelection & (kFsBold | kFsRegular)))
    {
        // The font links itself to its family as the regular or the bold ("Book", "Roman").
        ribbi = true;
        bold = (os2->fsSelection & kFsBold) != 0;
    }
    else if (!ribbi && os2 && !instance && italic && (os2->usWeightClass == 400 || os2->usWeightClass == 700))
    {
        // An italic has no flag of its own for that link; the plain weights stand for it
        // ("Book Oblique" beside a "Book" marked regular).
        ribbi = true;
        bold = os2->usWeightClass == 700;
    }

    if (ribbi)
    {
        id.family = family;
        id.style = MakeStyle(bold, italic);
    }
    else
    {
        const std::string familyKey = NameKey(family);
        const bool named = (sfnt && !instance && familyKey != NameKey(typographic)) || EndsWithKey(familyKey, key);
        id.family = named ? family : family + " " + weightWords;
        id.style = italic ? Style::Italic : Style::Regular;
    }

    if (instance)
        id.weight = InstanceWeight(face);
    else if (os2 && os2->usWeightClass >= 1 && os2->usWeightClass <= 1000)
        id.weight = os2->usWeightClass;
    if (id.weight == 0 || (!instance && !os2))
        id.weight = WeightOfKey(key);
    return id;
}

}
