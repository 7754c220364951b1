#include "core/WebFont.h"

#include "core/GlyphCoverage.h"

#include <woff2/encode.h>

#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <string_view>

namespace
{
constexpr unsigned kTagDefineFont2 = 48;
constexpr unsigned kTagDefineFont3 = 75;
constexpr size_t kMaxFonts = 64;
// The runtime gives up on a glyph with more shape records than this.
constexpr unsigned kMaxRecordsPerGlyph = 20000;
// Coordinates stay within this, so that every delta between two points fits 16 bits.
constexpr int64_t kMaxCoordinate = 16383;
// A kern subtable's length is 16 bits: 14 bytes of head and 6 per pair.
constexpr size_t kMaxPairsPerSubtable = 10920;
// 2024-01-01 in seconds since 1904: a fixed date, so the same movie always makes the same bytes.
constexpr uint64_t kFontDate = 3786912000u;

struct Point
{
    int64_t x = 0;
    int64_t y = 0;
};

struct Segment
{
    bool curve = false;
    Point control;
    Point to;
};

struct Contour
{
    Point start;
    std::vector<Segment> segments;
};

struct KernPair
{
    uint16_t left;
    uint16_t right;
    int value;
};

// One font tag as the runtime reads it, in movie units (y down).
struct MovieFace
{
    wxString name;
    bool bold = false;
    bool italic = false;
    double units = 1024;  // per em: 1024 for DefineFont2, 20480 for DefineFont3
    bool layout = false;
    double ascent = 0;
    double descent = 0;
    double leading = 0;
    std::vector<uint16_t> codes;
    std::vector<double> advances;
    std::vector<std::vector<Contour>> glyphs;
    std::vector<KernPair> kerning;  // in the movie's order; a later pair overrides an earlier one
};

class Reader
{
public:
    Reader(const uint8_t* data, size_t start, size_t end) : m_data(data), m_pos(start), m_end(end) {}

    bool Ok() const { return m_ok; }
    size_t Pos() const { return m_pos; }
    void Seek(size_t pos) { m_pos = pos; }
    bool Need(uint64_t n)
    {
        if (!m_ok || n > m_end - m_pos)
            m_ok = false;
        return m_ok;
    }
    unsigned U8() { return Need(1) ? m_data[m_pos++] : 0; }
    unsigned U16()
    {
        if (!Need(2))
            return 0;
        const unsigned v = m_data[m_pos] | (m_data[m_pos + 1] << 8);
        m_pos += 2;
        return v;
    }
    int S16()
    {
        const unsigned v = U16();
        return v >= 0x8000 ? int(v) - 0x10000 : int(v);
    }
    uint32_t U32()
    {
        const uint32_t low = U16();
        return low | (uint32_t(U16()) << 16);
    }

    // Bit fields, most significant bit first, from the current byte on.
    uint32_t Bits(unsigned n)
    {
        uint32_t v = 0;
        for (unsigned i = 0; i < n; ++i)
        {
            if (m_bit == 0 && !Need(1))
                return 0;
            v = (v << 1) | ((m_data[m_pos] >> (7 - m_bit)) & 1u);
            if (++m_bit == 8)
            {
                m_bit = 0;
                ++m_pos;
            }
        }
        return v;
    }
    int32_t SignedBits(unsigned n)
    {
        if (n == 0)
            return 0;
        const uint32_t v = Bits(n);
        return (v >> (n - 1)) & 1u ? int32_t(int64_t(v) - (int64_t(1) << n)) : int32_t(v);
    }
    void Align()
    {
        if (m_bit != 0)
        {
            m_bit = 0;
            ++m_pos;
        }
    }

private:
    const uint8_t* m_data;
    size_t m_pos;
    size_t m_end;
    unsigned m_bit = 0;
    bool m_ok = true;
};

// A glyph's shape records as the runtime draws them: every move starts a contour, edges
// before the first move start at the origin, styles are skipped.
bool ReadShape(const uint8_t* data, size_t start, size_t end, std::vector<Contour>& contours)
{
    Reader r(data, start, end);
    const unsigned fillBits = r.Bits(4);
    const unsigned lineBits = r.Bits(4);
    Point pen;
    bool open = false;
    for (unsigned records = 1;; ++records)
    {
        if (records > kMaxRecordsPerGlyph || !r.Ok())
            return false;
        if (r.Bits(1) == 0)
        {
            const unsigned flags = r.Bits(5);
            if (flags == 0)
                break;
            if (flags & 0x10)
                return false;  // new styles: no glyph has them
            if (flags & 0x01)
            {
                const unsigned bits = r.Bits(5);
                pen.x = r.SignedBits(bits);
                pen.y = r.SignedBits(bits);
                contours.push_back(Contour{pen, {}});
                open = true;
            }
            if (flags & 0x02)
                r.Bits(fillBits);
            if (flags & 0x04)
                r.Bits(fillBits);
            if (flags & 0x08)
                r.Bits(lineBits);
            continue;
        }
        if (!open)
        {
            contours.push_back(Contour{pen, {}});
            open = true;
        }
        Segment s;
        const bool straight = r.Bits(1);
        const unsigned bits = r.Bits(4) + 2;
        if (straight)
        {
            if (r.Bits(1))
            {
                pen.x += r.SignedBits(bits);
                pen.y += r.SignedBits(bits);
            }
            else if (r.Bits(1))
                pen.y += r.SignedBits(bits);
            else
                pen.x += r.SignedBits(bits);
        }
        else
        {
            s.curve = true;
            s.control = {pen.x + r.SignedBits(bits), pen.y + r.SignedBits(bits)};
            pen = {s.control.x + r.SignedBits(bits), s.control.y + r.SignedBits(bits)};
        }
        s.to = pen;
        contours.back().segments.push_back(s);
    }
    return r.Ok();
}

wxString FaceName(const uint8_t* bytes, size_t length)
{
    while (length > 0 && bytes[length - 1] == 0)
        --length;
    const std::string raw(reinterpret_cast<const char*>(bytes), length);
    wxString name = wxString::FromUTF8(raw.c_str(), raw.size());
    if (name.empty() && length > 0)
        name = wxString::From8BitData(raw.c_str(), raw.size());
    return name.Trim(true).Trim(false);
}

// index counts the movie's font tags from 1, for the reasons given.
bool ReadFace(const uint8_t* data, size_t start, size_t end, unsigned code, size_t index, MovieFace& face,
              wxString& error)
{
    const wxString tag = wxString::Format(wxS("font tag %zu"), index);
    Reader r(data, start, end);
    r.U16();  // id
    const unsigned flags = r.U8();
    face.layout = flags & 0x80;
    const bool wideOffsets = flags & 0x08;
    const bool wideCodes = flags & 0x04;
    face.italic = flags & 0x02;
    face.bold = flags & 0x01;
    face.units = code == kTagDefineFont3 ? 20480 : 1024;
    r.U8();  // language
    const unsigned nameLength = r.U8();
    if (r.Need(nameLength))
        face.name = FaceName(data + r.Pos(), nameLength);
    r.Seek(r.Pos() + nameLength);
    const unsigned count = r.U16();
    if (!r.Ok())
    {
        error = tag + wxS(" is truncated");
        return false;
    }
    if (count == 0)
        return true;

    const size_t tableStart = r.Pos();
    std::vector<uint64_t> offsets(count + 1);
    for (unsigned i = 0; i <= count; ++i)
        offsets[i] = wideOffsets ? r.U32() : r.U16();
    const size_t afterOffsets = r.Pos();
    const uint64_t shapesEnd = tableStart + offsets[count];
    if (!r.Ok() || shapesEnd > end)
    {
        error = tag + wxS(" has a broken glyph offset table");
        return false;
    }
    face.glyphs.resize(count);
    for (unsigned i = 0; i < count; ++i)
    {
        const uint64_t from = tableStart + offsets[i];
        const uint64_t to = i + 1 < count ? tableStart + offsets[i + 1] : shapesEnd;
        if (from < afterOffsets || from > to || to > shapesEnd)
        {
            error = tag + wxS(" has a broken glyph offset table");
            return false;
        }
        if (!ReadShape(data, size_t(from), size_t(to), face.glyphs[i]))
        {
            error = wxString::Format(wxS("glyph %u of "), i + 1) + tag + wxS(" has a damaged shape");
            return false;
        }
    }
    r.Seek(size_t(shapesEnd));
    face.codes.resize(count);
    for (unsigned i = 0; i < count; ++i)
        face.codes[i] = static_cast<uint16_t>(wideCodes ? r.U16() : r.U8());

    if (face.layout)
    {
        face.ascent = r.U16();
        face.descent = r.U16();
        face.leading = r.S16();
        face.advances.resize(count);
        // Unsigned, as the runtime reads them: at 20480 units per em a wide glyph's advance
        // is beyond the signed range.
        for (unsigned i = 0; i < count; ++i)
            face.advances[i] = r.U16();
        for (unsigned i = 0; i < count && r.Ok(); ++i)
        {
            const unsigned bits = r.Bits(5);
            r.Bits(4 * bits);
            r.Align();
        }
        const unsigned pairs = r.U16();
        for (unsigned i = 0; i < pairs && r.Ok(); ++i)
        {
            const uint16_t left = static_cast<uint16_t>(wideCodes ? r.U16() : r.U8());
            const uint16_t right = static_cast<uint16_t>(wideCodes ? r.U16() : r.U8());
            face.kerning.push_back({left, right, r.S16()});
        }
        if (!r.Ok())
        {
            error = wxS("the layout of ") + tag + wxS(" is truncated");
            return false;
        }
    }
    else
    {
        // What the runtime assumes without a layout: ascent and descent in the ratio 4:1,
        // and each glyph as wide as its ink plus a small gap.
        face.ascent = std::round(face.units * 0.8);
        face.descent = std::round(face.units * 0.2);
        face.advances.resize(count);
        for (unsigned i = 0; i < count; ++i)
        {
            int64_t right = 0;
            for (const Contour& c : face.glyphs[i])
            {
                right = std::max(right, c.start.x);
                for (const Segment& s : c.segments)
                    right = std::max({right, s.to.x, s.curve ? s.control.x : right});
            }
            face.advances[i] = double(right) + face.units * 0.08;
        }
    }
    return true;
}

// Big-endian writing of font tables.
class TableWriter
{
public:
    void U8(unsigned v) { m_data.push_back(static_cast<uint8_t>(v)); }
    void U16(unsigned v)
    {
        U8(v >> 8);
        U8(v);
    }
    void S16(int v) { U16(static_cast<unsigned>(v) & 0xFFFF); }
    void U32(uint32_t v)
    {
        U16(v >> 16);
        U16(v & 0xFFFF);
    }
    void U64(uint64_t v)
    {
        U32(uint32_t(v >> 32));
        U32(uint32_t(v));
    }
    void Tag(const char* tag) { m_data.insert(m_data.end(), tag, tag + 4); }
    void Bytes(const std::vector<uint8_t>& bytes) { m_data.insert(m_data.end(), bytes.begin(), bytes.end()); }
    void PadTo(size_t multiple)
    {
        while (m_data.size() % multiple)
            m_data.push_back(0);
    }
    size_t Size() const { return m_data.size(); }
    std::vector<uint8_t>& Data() { return m_data; }

private:
    std::vector<uint8_t> m_data;
};

// The binary search fields of tables with sorted records: the largest power of two not
// above count, and its exponent.
unsigned LargestPowerOfTwo(unsigned count, unsigned& exponent)
{
    unsigned power = 1;
    exponent = 0;
    while (power * 2 <= count)
    {
        power *= 2;
        ++exponent;
    }
    return power;
}

struct FontPoint
{
    int x;
    int y;
    bool on;
};

struct Glyph
{
    std::vector<std::vector<FontPoint>> contours;
    unsigned advance = 0;
    int xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    bool Empty() const { return contours.empty(); }
};

bool Same(const FontPoint& a, const FontPoint& b)
{
    return a.x == b.x && a.y == b.y;
}

// One contour in font units: straight edges between on-curve points, a quadratic curve
// through each off-curve point; a control point that sits on an end of its curve makes the
// curve straight, nothing of zero length stays, and an on-curve point exactly halfway
// between two controls is left for the reader to imply.
template <typename Map>
std::vector<FontPoint> ToFontContour(const Contour& contour, const Map& map)
{
    std::vector<FontPoint> raw;
    raw.push_back(map(contour.start, true));
    for (const Segment& s : contour.segments)
    {
        if (s.curve)
            raw.push_back(map(s.control, false));
        raw.push_back(map(s.to, true));
    }
    std::vector<FontPoint> points;
    for (size_t i = 0; i < raw.size(); ++i)
    {
        const FontPoint& p = raw[i];
        if (!p.on && (Same(p, raw[i - 1]) || Same(p, raw[i + 1])))
            continue;
        if (p.on && !points.empty() && points.back().on && Same(p, points.back()))
            continue;
        points.push_back(p);
    }
    while (points.size() > 1 && points.back().on && Same(points.back(), points.front()))
        points.pop_back();
    std::vector<FontPoint> kept;
    for (size_t i = 0; i < points.size(); ++i)
    {
        const FontPoint& p = points[i];
        if (i > 0 && p.on && !kept.back().on && i + 1 < points.size() && !points[i + 1].on &&
            2 * p.x == kept.back().x + points[i + 1].x && 2 * p.y == kept.back().y + points[i + 1].y)
            continue;
        kept.push_back(p);
    }
    // Fewer than three points enclose nothing.
    if (kept.size() < 3)
        kept.clear();
    return kept;
}

void WriteGlyph(const Glyph& glyph, TableWriter& w)
{
    if (glyph.Empty())
        return;
    w.S16(static_cast<int>(glyph.contours.size()));
    w.S16(glyph.xMin);
    w.S16(glyph.yMin);
    w.S16(glyph.xMax);
    w.S16(glyph.yMax);
    unsigned last = 0;
    bool first = true;
    for (const auto& contour : glyph.contours)
    {
        last += static_cast<unsigned>(contour.size()) - (first ? 1 : 0);
        first = false;
        w.U16(last);
    }
    w.U16(0);  // no instructions
    TableWriter xs, ys;
    std::vector<uint8_t> flags;
    int x = 0, y = 0;
    auto delta = [](int d, TableWriter& out, uint8_t shortBit, uint8_t sameBit) -> uint8_t {
        if (d == 0)
            return sameBit;
        if (d > -256 && d < 256)
        {
            out.U8(static_cast<unsigned>(std::abs(d)));
            return shortBit | (d > 0 ? sameBit : 0);
        }
        out.S16(d);
        return 0;
    };
    for (const auto& contour : glyph.contours)
        for (const FontPoint& p : contour)
        {
            uint8_t flag = p.on ? 0x01 : 0x00;
            flag |= delta(p.x - x, xs, 0x02, 0x10);
            flag |= delta(p.y - y, ys, 0x04, 0x20);
            x = p.x;
            y = p.y;
            flags.push_back(flag);
        }
    w.Bytes(flags);
    w.Bytes(xs.Data());
    w.Bytes(ys.Data());
    w.PadTo(2);
}

// Name strings are UTF-16, big-endian.
std::vector<uint8_t> Utf16(const wxString& text)
{
    TableWriter w;
    for (wxString::const_iterator it = text.begin(); it != text.end(); ++it)
    {
        const uint32_t c = static_cast<uint32_t>((*it).GetValue());
        if (c >= 0x10000)
        {
            w.U16(0xD800 + ((c - 0x10000) >> 10));
            w.U16(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
        else
            w.U16(c);
    }
    return w.Data();
}

// PostScript names: printable ASCII without spaces and the delimiters, at most 63 bytes.
wxString PostScriptName(const wxString& family, const wxString& style)
{
    wxString name;
    for (wxString::const_iterator it = family.begin(); it != family.end(); ++it)
    {
        const wxUniChar c = *it;
        if (c.IsAscii() && c > 32 && c < 127 && !wxString(wxS("[](){}<>/%")).Contains(c))
            name << c;
    }
    if (name.empty())
        name = wxS("GlypharaFont");
    name = name.Left(62 - style.length() - 1);
    return name + wxS("-") + style;
}

std::vector<uint8_t> NameTable(const wxString& family, bool bold, bool italic)
{
    const wxString style = bold ? (italic ? wxS("Bold Italic") : wxS("Bold")) : (italic ? wxS("Italic") : wxS("Regular"));
    wxString compactStyle = style;
    compactStyle.Replace(wxS(" "), wxEmptyString);
    const wxString full = family + wxS(" ") + style;
    const wxString strings[] = {family, style, wxS("Glyphara: ") + full, full, wxS("Version 1.000"),
                                PostScriptName(family, compactStyle)};
    const unsigned count = sizeof strings / sizeof strings[0];
    TableWriter w, storage;
    w.U16(0);
    w.U16(count);
    w.U16(6 + 12 * count);
    for (unsigned id = 1; id <= count; ++id)
    {
        const std::vector<uint8_t> text = Utf16(strings[id - 1]);
        const size_t size = std::min<size_t>(text.size(), 0xFFFE);
        w.U16(3);       // Windows
        w.U16(1);       // Unicode BMP
        w.U16(0x0409);  // English (United States)
        w.U16(id);
        w.U16(static_cast<unsigned>(size));
        w.U16(static_cast<unsigned>(storage.Size()));
        storage.Data().insert(storage.Data().end(), text.begin(), text.begin() + size);
    }
    w.Bytes(storage.Data());
    return w.Data();
}

std::vector<uint8_t> CmapTable(const std::vector<std::pair<uint16_t, uint16_t>>& map)
{
    // Runs of consecutive codes with consecutive glyphs.
    struct Run
    {
        uint32_t first, last, glyph;
    };
    std::vector<Run> runs;
    for (const auto& entry : map)
    {
        if (!runs.empty() && entry.first == runs.back().last + 1 &&
            entry.second == runs.back().glyph + (runs.back().last - runs.back().first) + 1)
            ++runs.back().last;
        else
            runs.push_back({entry.first, entry.first, entry.second});
    }
    TableWriter w;
    w.U16(0);
    w.U16(1);
    const size_t segments = runs.size() + 1;
    if (16 + 8 * segments <= 0xFFFF)
    {
        w.U16(3);
        w.U16(1);
        w.U32(12);
        unsigned exponent;
        const unsigned range = 2 * LargestPowerOfTwo(static_cast<unsigned>(segments), exponent);
        w.U16(4);
        w.U16(static_cast<unsigned>(16 + 8 * segments));
        w.U16(0);
        w.U16(static_cast<unsigned>(2 * segments));
        w.U16(range);
        w.U16(exponent);
        w.U16(static_cast<unsigned>(2 * segments) - range);
        for (const Run& run : runs)
            w.U16(run.last);
        w.U16(0xFFFF);
        w.U16(0);
        for (const Run& run : runs)
            w.U16(run.first);
        w.U16(0xFFFF);
        for (const Run& run : runs)
            w.U16((run.glyph - run.first) & 0xFFFF);
        w.U16(1);
        for (size_t i = 0; i < segments; ++i)
            w.U16(0);
        return w.Data();
    }
    // Codes too scattered for the 16-bit table: groups of the 32-bit one.
    w.U16(3);
    w.U16(10);
    w.U32(12);
    w.U16(12);
    w.U16(0);
    w.U32(static_cast<uint32_t>(16 + 12 * runs.size()));
    w.U32(0);
    w.U32(static_cast<uint32_t>(runs.size()));
    for (const Run& run : runs)
    {
        w.U32(run.first);
        w.U32(run.last);
        w.U32(run.glyph);
    }
    return w.Data();
}

std::vector<uint8_t> KernTable(const std::vector<KernPair>& pairs)
{
    TableWriter w;
    const size_t subtables = (pairs.size() + kMaxPairsPerSubtable - 1) / kMaxPairsPerSubtable;
    w.U16(0);
    w.U16(static_cast<unsigned>(subtables));
    for (size_t s = 0; s < subtables; ++s)
    {
        const size_t from = s * kMaxPairsPerSubtable;
        const unsigned count = static_cast<unsigned>(std::min(pairs.size() - from, kMaxPairsPerSubtable));
        unsigned exponent;
        const unsigned range = 6 * LargestPowerOfTwo(count, exponent);
        w.U16(0);
        w.U16(14 + 6 * count);
        w.U16(0x0001);  // horizontal, format 0
        w.U16(count);
        w.U16(range);
        w.U16(exponent);
        w.U16(6 * count - range);
        for (size_t i = from; i < from + count; ++i)
        {
            w.U16(pairs[i].left);
            w.U16(pairs[i].right);
            w.S16(pairs[i].value);
        }
    }
    return w.Data();
}

// Unicode ranges a face covers, as OS/2 counts them: bit, first and last code.
struct UnicodeRange
{
    unsigned bit;
    uint16_t first, last;
};
const UnicodeRange kUnicodeRanges[] = {
    {0, 0x0000, 0x007F},  {1, 0x0080, 0x00FF},  {2, 0x0100, 0x017F},  {3, 0x0180, 0x024F},
    {7, 0x0370, 0x03FF},  {9, 0x0400, 0x04FF},  {11, 0x0590, 0x05FF}, {13, 0x0600, 0x06FF},
    {31, 0x2000, 0x206F}, {33, 0x20A0, 0x20CF}, {35, 0x2100, 0x214F}, {38, 0x2200, 0x22FF},
};

bool LooksMonospaced(const std::vector<std::pair<uint16_t, uint16_t>>& map, const std::vector<Glyph>& glyphs)
{
    size_t seen = 0;
    unsigned width = 0;
    for (const auto& entry : map)
    {
        if (entry.first <= 0x20 || entry.first >= 0x7F)
            continue;
        const unsigned advance = glyphs[entry.second].advance;
        if (seen++ == 0)
            width = advance;
        else if (advance != width)
            return false;
    }
    return seen >= 10;
}

// A face in font units, ready to be written as tables.
struct FontData
{
    unsigned unitsPerEm = 1024;
    bool bold = false;
    bool italic = false;
    std::vector<Glyph> glyphs;                         // glyph 0 is the empty .notdef
    std::vector<std::pair<uint16_t, uint16_t>> cmap;   // code and glyph, ascending codes
    std::vector<KernPair> kerning;                     // by glyph, ascending pairs
    int ascent = 0;
    int descent = 0;
    int lineGap = 0;
    bool monospaced = false;
};

// What the header tables say about all glyphs together.
struct GlyphSummary
{
    int xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    unsigned advanceMax = 0;
    int minLeft = 0, minRight = 0, maxExtent = 0;
    int averageWidth = 0;
    size_t maxPoints = 0, maxContours = 0;
};

int64_t Magnitude(Point p)
{
    return std::max(p.x < 0 ? -p.x : p.x, p.y < 0 ? -p.y : p.y);
}

// Nominally 2048 units per em for DefineFont3 (a tenth of the movie's) and 1024 for
// DefineFont2 (the movie's own), fewer when the movie's numbers would not fit.
unsigned ChooseUnitsPerEm(const MovieFace& face, const std::map<uint16_t, size_t>& used)
{
    int64_t largest = int64_t(std::max({face.ascent, face.descent, std::fabs(face.leading), face.units}));
    for (const auto& entry : used)
    {
        largest = std::max(largest, int64_t(face.advances[entry.second]));
        for (const Contour& c : face.glyphs[entry.second])
        {
            largest = std::max(largest, Magnitude(c.start));
            for (const Segment& s : c.segments)
                largest = std::max({largest, Magnitude(s.to), Magnitude(s.control)});
        }
    }
    for (const KernPair& k : face.kerning)
        largest = std::max<int64_t>(largest, std::abs(k.value));
    unsigned unitsPerEm = face.units > 1024 ? 2048 : 1024;
    while (unitsPerEm > 16 && double(largest) * unitsPerEm / face.units > kMaxCoordinate)
        unitsPerEm /= 2;
    return double(largest) * unitsPerEm / face.units > kMaxCoordinate ? 0 : unitsPerEm;
}

void SetBounds(Glyph& g)
{
    if (g.Empty())
        return;
    g.xMin = g.yMin = std::numeric_limits<int>::max();
    g.xMax = g.yMax = std::numeric_limits<int>::min();
    for (const auto& contour : g.contours)
        for (const FontPoint& p : contour)
        {
            g.xMin = std::min(g.xMin, p.x);
            g.xMax = std::max(g.xMax, p.x);
            g.yMin = std::min(g.yMin, p.y);
            g.yMax = std::max(g.yMax, p.y);
        }
}

void AddToCmap(FontData& font, uint16_t code, uint16_t glyph)
{
    const auto at = std::lower_bound(font.cmap.begin(), font.cmap.end(), std::make_pair(code, uint16_t(0)));
    font.cmap.insert(at, {code, glyph});
}

bool MakeFontData(const MovieFace& face, FontData& font, wxString& error)
{
    // The first glyph of each code wins, as in the runtime; codes that no text can hold are
    // left out.
    std::map<uint16_t, size_t> firstOfCode;
    for (size_t i = 0; i < face.codes.size(); ++i)
    {
        const uint16_t code = face.codes[i];
        if (code != 0xFFFF && (code < 0xD800 || code > 0xDFFF))
            firstOfCode.emplace(code, i);
    }
    font.unitsPerEm = ChooseUnitsPerEm(face, firstOfCode);
    if (font.unitsPerEm == 0)
    {
        error = wxS("its outlines are too large for a font");
        return false;
    }
    font.bold = face.bold;
    font.italic = face.italic;
    const double scale = font.unitsPerEm / face.units;
    auto units = [scale](double v) { return int(std::lround(v * scale)); };
    const auto map = [&](Point p, bool on) { return FontPoint{units(double(p.x)), units(-double(p.y)), on}; };

    font.glyphs.resize(1);
    font.glyphs[0].advance = font.unitsPerEm / 2;
    std::map<uint16_t, uint16_t> glyphOfCode;
    for (const auto& entry : firstOfCode)
    {
        Glyph g;
        g.advance = static_cast<unsigned>(std::max(0, units(face.advances[entry.second])));
        size_t points = 0;
        for (const Contour& c : face.glyphs[entry.second])
        {
            std::vector<FontPoint> contour = ToFontContour(c, map);
            points += contour.size();
            if (!contour.empty())
                g.contours.push_back(std::move(contour));
        }
        if (points > 0xFFFF || g.contours.size() > 0x7FFF)
        {
            error = wxString::Format(wxS("the glyph of U+%04X has too many points"), unsigned(entry.first));
            return false;
        }
        SetBounds(g);
        glyphOfCode[entry.first] = static_cast<uint16_t>(font.glyphs.size());
        font.cmap.push_back({entry.first, static_cast<uint16_t>(font.glyphs.size())});
        font.glyphs.push_back(std::move(g));
    }
    // Without a space of its own the runtime spaces words by a quarter em; so does the font.
    if (glyphOfCode.find(0x20) == glyphOfCode.end())
    {
        glyphOfCode[0x20] = static_cast<uint16_t>(font.glyphs.size());
        AddToCmap(font, 0x20, glyphOfCode[0x20]);
        font.glyphs.emplace_back();
        font.glyphs.back().advance = font.unitsPerEm / 4;
    }
    // A no-break space looks like a space.
    if (glyphOfCode.find(0xA0) == glyphOfCode.end())
        AddToCmap(font, 0xA0, glyphOfCode[0x20]);
    if (font.glyphs.size() > 0xFFFF)
    {
        error = wxS("it holds too many glyphs for a font");
        return false;
    }

    // A later pair of the same codes overrides an earlier one, as in the runtime.
    std::map<std::pair<uint16_t, uint16_t>, int> kerning;
    for (const KernPair& k : face.kerning)
        if (firstOfCode.count(k.left) && firstOfCode.count(k.right))
            kerning[{glyphOfCode[k.left], glyphOfCode[k.right]}] = units(k.value);
    for (const auto& k : kerning)
        if (k.second != 0)
            font.kerning.push_back({k.first.first, k.first.second, k.second});

    // A line is ascent + descent + leading, never less than ascent + descent, as the runtime
    // lays it out.
    font.ascent = units(face.ascent);
    font.descent = units(face.descent);
    font.lineGap = std::max(0, units(face.leading));
    font.monospaced = LooksMonospaced(font.cmap, font.glyphs);
    return true;
}

// The generic family a browser falls back on: monospace when the letters all advance alike,
// else what the name says, else serif when the capital I stands on feet (is wide for its
// height), as serif faces' I does.
wxString GenericFamily(const wxString& name, const FontData& font)
{
    if (font.monospaced)
        return wxS("monospace");
    const wxString lower = name.Lower();
    if (lower.Contains(wxS("sans")))
        return wxS("sans-serif");
    if (lower.Contains(wxS("serif")))
        return wxS("serif");
    const auto at = std::lower_bound(font.cmap.begin(), font.cmap.end(), std::make_pair(uint16_t('I'), uint16_t(0)));
    if (at == font.cmap.end() || at->first != 'I' || font.glyphs[at->second].Empty())
        return wxS("sans-serif");
    const Glyph& i = font.glyphs[at->second];
    return 3 * (i.xMax - i.xMin) > i.yMax - i.yMin ? wxS("serif") : wxS("sans-serif");
}

GlyphSummary Summarize(const std::vector<Glyph>& glyphs)
{
    GlyphSummary s;
    bool anyInk = false;
    uint64_t widthSum = 0;
    unsigned widthCount = 0;
    for (const Glyph& g : glyphs)
    {
        s.advanceMax = std::max(s.advanceMax, g.advance);
        if (g.advance > 0)
        {
            widthSum += g.advance;
            ++widthCount;
        }
        if (g.Empty())
            continue;
        size_t points = 0;
        for (const auto& contour : g.contours)
            points += contour.size();
        s.maxPoints = std::max(s.maxPoints, points);
        s.maxContours = std::max(s.maxContours, g.contours.size());
        const int right = int(g.advance) - g.xMax;
        if (!anyInk)
        {
            s.xMin = s.minLeft = g.xMin;
            s.yMin = g.yMin;
            s.xMax = s.maxExtent = g.xMax;
            s.yMax = g.yMax;
            s.minRight = right;
            anyInk = true;
        }
        s.xMin = std::min(s.xMin, g.xMin);
        s.yMin = std::min(s.yMin, g.yMin);
        s.xMax = std::max(s.xMax, g.xMax);
        s.yMax = std::max(s.yMax, g.yMax);
        s.minLeft = std::min(s.minLeft, g.xMin);
        s.minRight = std::min(s.minRight, right);
        s.maxExtent = std::max(s.maxExtent, g.xMax);
    }
    s.averageWidth = widthCount ? int(widthSum / widthCount) : 0;
    return s;
}

std::vector<uint8_t> HeadTable(const FontData& font, const GlyphSummary& s, bool longOffsets)
{
    TableWriter w;
    w.U32(0x00010000);
    w.U32(0x00010000);
    w.U32(0);  // checksum adjustment, set when the font is assembled
    w.U32(0x5F0F3CF5);
    w.U16(0x0003);  // baseline at y 0, left side bearing at the glyph's left edge
    w.U16(font.unitsPerEm);
    w.U64(kFontDate);
    w.U64(kFontDate);
    w.S16(s.xMin);
    w.S16(s.yMin);
    w.S16(s.xMax);
    w.S16(s.yMax);
    w.U16((font.bold ? 1 : 0) | (font.italic ? 2 : 0));
    w.U16(8);
    w.S16(2);
    w.S16(longOffsets ? 1 : 0);
    w.S16(0);
    return w.Data();
}

std::vector<uint8_t> HheaTable(const FontData& font, const GlyphSummary& s)
{
    TableWriter w;
    w.U32(0x00010000);
    w.S16(font.ascent);
    w.S16(-font.descent);
    w.S16(font.lineGap);
    w.U16(s.advanceMax);
    w.S16(s.minLeft);
    w.S16(s.minRight);
    w.S16(s.maxExtent);
    w.S16(1);  // upright caret
    for (int i = 0; i < 7; ++i)
        w.S16(0);
    w.U16(static_cast<unsigned>(font.glyphs.size()));
    return w.Data();
}

std::vector<uint8_t> MaxpTable(const FontData& font, const GlyphSummary& s)
{
    TableWriter w;
    w.U32(0x00010000);
    w.U16(static_cast<unsigned>(font.glyphs.size()));
    w.U16(static_cast<unsigned>(s.maxPoints));
    w.U16(static_cast<unsigned>(s.maxContours));
    w.U16(0);
    w.U16(0);
    w.U16(2);
    for (int i = 0; i < 8; ++i)
        w.U16(0);
    return w.Data();
}

int UnderlineThickness(const FontData& font)
{
    return static_cast<int>(font.unitsPerEm / 16);
}

std::vector<uint8_t> Os2Table(const FontData& font, const GlyphSummary& s)
{
    auto heightOf = [&](uint16_t code) {
        const auto at = std::lower_bound(font.cmap.begin(), font.cmap.end(), std::make_pair(code, uint16_t(0)));
        return at == font.cmap.end() || at->first != code ? 0 : font.glyphs[at->second].yMax;
    };
    const int xHeight = heightOf('x');
    uint32_t unicodeRanges[4] = {0, 0, 0, 0};
    for (const auto& entry : font.cmap)
        for (const UnicodeRange& range : kUnicodeRanges)
            if (entry.first >= range.first && entry.first <= range.last)
                unicodeRanges[range.bit / 32] |= 1u << (range.bit % 32);
    const int em = int(font.unitsPerEm);

    TableWriter w;
    w.U16(4);
    w.S16(s.averageWidth);
    w.U16(font.bold ? 700 : 400);
    w.U16(5);
    w.U16(0);  // installable
    for (int v : {em * 65 / 100, em * 60 / 100, 0, em * 75 / 1000, em * 65 / 100, em * 60 / 100, 0, em * 35 / 100})
        w.S16(v);
    w.S16(UnderlineThickness(font));
    w.S16(xHeight > 0 ? (xHeight + UnderlineThickness(font)) / 2 : em / 4);
    w.S16(0);
    for (int i = 0; i < 10; ++i)
        w.U8(0);
    for (uint32_t range : unicodeRanges)
        w.U32(range);
    w.Tag("TLWB");
    // The typographic metrics are the line metrics, also where others would be taken.
    w.U16((font.italic ? 0x01 : 0) | (font.bold ? 0x20 : 0) | (!font.bold && !font.italic ? 0x40 : 0) | 0x80);
    w.U16(font.cmap.empty() ? 0 : font.cmap.front().first);
    w.U16(font.cmap.empty() ? 0 : font.cmap.back().first);
    w.S16(font.ascent);
    w.S16(-font.descent);
    w.S16(font.lineGap);
    // Nothing above or below these is clipped.
    w.U16(static_cast<unsigned>(std::min(0xFFFF, std::max(font.ascent, s.yMax))));
    w.U16(static_cast<unsigned>(std::min(0xFFFF, std::max(font.descent, -s.yMin))));
    w.U32(unicodeRanges[0] & 1u ? 1u : 0u);  // Latin 1
    w.U32(0);
    w.S16(xHeight);
    w.S16(heightOf('H'));
    w.U16(0);
    w.U16(0x20);
    w.U16(font.kerning.empty() ? 1 : 2);
    return w.Data();
}

std::vector<uint8_t> PostTable(const FontData& font)
{
    // The runtime draws an underline as thick as a sixteenth of the size, below the baseline
    // by its thickness or a third of the descent, whichever is more.
    const int thickness = UnderlineThickness(font);
    TableWriter w;
    w.U32(0x00030000);  // no glyph names
    w.U32(0);
    w.S16(-std::max(thickness, int(std::lround(font.descent * 0.35))));
    w.S16(thickness);
    w.U32(font.monospaced ? 1 : 0);
    for (int i = 0; i < 4; ++i)
        w.U32(0);
    return w.Data();
}

uint32_t Checksum(const std::vector<uint8_t>& data)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < data.size(); i += 4)
    {
        uint32_t word = 0;
        for (size_t b = 0; b < 4; ++b)
            word = (word << 8) | (i + b < data.size() ? data[i + b] : 0);
        sum += word;
    }
    return sum;
}

struct Table
{
    const char* tag;
    std::vector<uint8_t> data;
};

// The font file: the table directory, then each table on a four-byte boundary. Tables come
// in ascending tag order.
std::vector<uint8_t> AssembleFont(const std::vector<Table>& tables)
{
    TableWriter out;
    const unsigned count = static_cast<unsigned>(tables.size());
    unsigned exponent;
    const unsigned range = 16 * LargestPowerOfTwo(count, exponent);
    out.U32(0x00010000);
    out.U16(count);
    out.U16(range);
    out.U16(exponent);
    out.U16(16 * count - range);
    size_t offset = 12 + 16 * tables.size();
    size_t headOffset = 0;
    for (const Table& t : tables)
    {
        out.Tag(t.tag);
        out.U32(Checksum(t.data));
        out.U32(static_cast<uint32_t>(offset));
        out.U32(static_cast<uint32_t>(t.data.size()));
        if (std::strcmp(t.tag, "head") == 0)
            headOffset = offset;
        offset += (t.data.size() + 3) & ~size_t(3);
    }
    for (const Table& t : tables)
    {
        out.Bytes(t.data);
        out.PadTo(4);
    }
    const uint32_t adjustment = 0xB1B0AFBAu - Checksum(out.Data());
    for (int b = 0; b < 4; ++b)
        out.Data()[headOffset + 8 + b] = static_cast<uint8_t>(adjustment >> (24 - 8 * b));
    return std::move(out.Data());
}

bool BuildFont(const MovieFace& face, const wxString& family, std::vector<uint8_t>& file, wxString& generic,
               wxString& error)
{
    FontData font;
    if (!MakeFontData(face, font, error))
        return false;
    generic = GenericFamily(family, font);
    const GlyphSummary summary = Summarize(font.glyphs);

    TableWriter glyf;
    std::vector<uint32_t> offsets;
    for (const Glyph& g : font.glyphs)
    {
        offsets.push_back(static_cast<uint32_t>(glyf.Size()));
        WriteGlyph(g, glyf);
    }
    offsets.push_back(static_cast<uint32_t>(glyf.Size()));
    const bool longOffsets = glyf.Size() / 2 > 0xFFFF;
    TableWriter loca, hmtx;
    for (uint32_t offset : offsets)
        longOffsets ? loca.U32(offset) : loca.U16(offset / 2);
    for (const Glyph& g : font.glyphs)
    {
        hmtx.U16(g.advance);
        hmtx.S16(g.xMin);
    }

    std::vector<Table> tables = {
        {"OS/2", Os2Table(font, summary)},
        {"cmap", CmapTable(font.cmap)},
        {"glyf", glyf.Data()},
        {"head", HeadTable(font, summary, longOffsets)},
        {"hhea", HheaTable(font, summary)},
        {"hmtx", hmtx.Data()},
    };
    if (!font.kerning.empty())
        tables.push_back({"kern", KernTable(font.kerning)});
    tables.push_back({"loca", loca.Data()});
    tables.push_back({"maxp", MaxpTable(font, summary)});
    tables.push_back({"name", NameTable(family, font.bold, font.italic)});
    tables.push_back({"post", PostTable(font)});
    file = AssembleFont(tables);
    return true;
}

// The fonts of a loaded movie (LoadMovieBytes).
bool BuildFromMovie(const std::vector<uint8_t>& movie, const wxString& fallbackName, WebFontSet& fonts,
                    wxString& error)
{
    std::vector<MovieFace> faces;
    size_t tags = 0;
    const bool read = ForEachMovieTag(movie, [&](unsigned code, size_t start, size_t end) {
        if (code != kTagDefineFont2 && code != kTagDefineFont3)
            return true;
        if (++tags > kMaxFonts)
        {
            error = wxS("it holds too many fonts");
            return false;
        }
        MovieFace face;
        if (!ReadFace(movie.data(), start, end, code, tags, face, error))
            return false;
        // The runtime draws each weight and style with the first face of it that has glyphs.
        const bool taken = std::any_of(faces.begin(), faces.end(), [&](const MovieFace& f) {
            return f.bold == face.bold && f.italic == face.italic;
        });
        if (!face.codes.empty() && !taken)
            faces.push_back(std::move(face));
        return true;
    });
    if (!read)
    {
        if (error.empty())
            error = wxS("a tag runs past the end of the movie");
        return false;
    }
    if (faces.empty())
    {
        error = wxS("it holds no glyphs");
        return false;
    }
    for (const MovieFace& face : faces)
    {
        WebFontFace built;
        built.bold = face.bold;
        built.italic = face.italic;
        wxString generic;
        const wxString family = face.name.empty() ? fallbackName : face.name;
        if (!BuildFont(face, family, built.data, generic, error))
        {
            fonts = WebFontSet();
            return false;
        }
        if (fonts.faces.empty())
            fonts.genericFamily = generic;
        fonts.faces.push_back(std::move(built));
    }
    return true;
}


// Points standard output and standard error at /dev/null while alive.
class MutedOutput
{
public:
    MutedOutput()
    {
        std::fflush(stdout);
        std::fflush(stderr);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null < 0)
            return;
        for (int fd : {1, 2})
        {
            m_saved[fd - 1] = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
            if (m_saved[fd - 1] >= 0 && ::dup2(null, fd) < 0)
            {
                ::close(m_saved[fd - 1]);
                m_saved[fd - 1] = -1;
            }
        }
        ::close(null);
    }
    ~MutedOutput()
    {
        std::fflush(stdout);
        std::fflush(stderr);
        for (int fd : {1, 2})
            if (m_saved[fd - 1] >= 0)
            {
                ::dup2(m_saved[fd - 1], fd);
                ::close(m_saved[fd - 1]);
            }
    }
    MutedOutput(const MutedOutput&) = delete;
    MutedOutput& operator=(const MutedOutput&) = delete;

private:
    int m_saved[2] = {-1, -1};
};

const char kNoteAttribute[] = "user.glyphara.webfont";
// Far more than any web font; a larger file is no file of ours.
constexpr off_t kMaxNotedFile = 64 << 20;

uint64_t Fnv1a(const void* data, size_t size)
{
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    uint64_t hash = 0xcbf29ce484222325ull;
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ bytes[i]) * 0x100000001b3ull;
    return hash;
}

// Two unrelated hashes and the length: what tells one file's bytes from another's in a note.
std::string BytesId(const void* data, size_t size)
{
    const std::string_view bytes(static_cast<const char*>(data), size);
    char id[64];
    std::snprintf(id, sizeof id, "%016llx%016llx-%zu", static_cast<unsigned long long>(Fnv1a(data, size)),
                  static_cast<unsigned long long>(std::hash<std::string_view>()(bytes)), size);
    return id;
}

// The compressor as this process loaded it: the files of the WOFF2 and Brotli libraries (an
// update replaces them), or this program itself when they are linked in.
const std::string& CompressorId()
{
    static const std::string id = [] {
        std::string files;
        auto describe = [&files](const char* path) {
            struct stat status;
            if (::stat(path, &status) != 0)
                return;
            char line[64];
            std::snprintf(line, sizeof line, " %lld %lld.%09ld\n", static_cast<long long>(status.st_size),
                          static_cast<long long>(status.st_mtim.tv_sec), status.st_mtim.tv_nsec);
            files += path;
            files += line;
        };
        auto visit = [](dl_phdr_info* info, size_t, void* data) {
            const char* name = info->dlpi_name;
            if (name && (std::strstr(name, "woff2") || std::strstr(name, "brotli")))
                (*static_cast<decltype(describe)*>(data))(name);
            return 0;
        };
        dl_iterate_phdr(visit, &describe);
        if (files.empty())
            describe("/proc/self/exe");
        return BytesId(files.data(), files.size());
    }();
    return id;
}

// The note of every WOFF2 of font at quality, up to the bytes of the file.
std::string NoteStart(const std::vector<uint8_t>& font, int quality)
{
    return "glyphara-webfont 1 quality=" + std::to_string(quality) + " compressor=" + CompressorId() +
           " font=" + BytesId(font.data(), font.size()) + " woff2=";
}

bool ReadSmallFile(const char* path, std::vector<uint8_t>& bytes)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status;
    bool ok = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size <= kMaxNotedFile;
    if (ok)
    {
        bytes.resize(static_cast<size_t>(status.st_size));
        size_t got = 0;
        while (ok && got < bytes.size())
        {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            ok = n > 0;
            if (ok)
                got += static_cast<size_t>(n);
        }
        // A file that grew while read is not the one its note describes.
        uint8_t more;
        ok = ok && ::read(fd, &more, 1) == 0;
    }
    ::close(fd);
    return ok;
}
}

std::string WebFontNote(const std::vector<uint8_t>& font, int quality, const std::vector<uint8_t>& woff2)
{
    return NoteStart(font, quality) + BytesId(woff2.data(), woff2.size());
}

bool NoteWebFont(const wxString& path, const std::string& note)
{
    return ::setxattr(path.fn_str(), kNoteAttribute, note.data(), note.size(), 0) == 0;
}

bool HoldsWebFont(const wxString& path, const std::vector<uint8_t>& font, int quality)
{
    const wxScopedCharBuffer native = path.fn_str();
    if (!native.data())
        return false;
    char note[256];
    const ssize_t length = ::getxattr(native.data(), kNoteAttribute, note, sizeof note);
    if (length <= 0)
        return false;
    const std::string start = NoteStart(font, quality);
    const std::string_view kept(note, static_cast<size_t>(length));
    if (kept.size() <= start.size() || kept.compare(0, start.size(), start) != 0)
        return false;
    std::vector<uint8_t> bytes;
    return ReadSmallFile(native.data(), bytes) && kept.substr(start.size()) == BytesId(bytes.data(), bytes.size());
}

wxString WebFontStyleName(bool bold, bool italic)
{
    if (bold)
        return italic ? wxS("bolditalic") : wxS("bold");
    return italic ? wxS("italic") : wxS("regular");
}

bool BuildTrueTypeFonts(const void* data, size_t size, const wxString& fallbackName, WebFontSet& fonts,
                        wxString& error)
{
    fonts = WebFontSet();
    std::vector<uint8_t> movie;
    if (!LoadMovieBytes(data, size, movie))
    {
        error = wxS("not a font movie, or a damaged one");
        return false;
    }
    return BuildFromMovie(movie, fallbackName, fonts, error);
}

bool CompressWoff2(const std::vector<uint8_t>& font, int quality, std::vector<uint8_t>& woff2, wxString& error)
{
    size_t length = woff2::MaxWOFF2CompressedSize(font.data(), font.size());
    woff2.assign(length, 0);
    woff2::WOFF2Params params;
    params.brotli_quality = quality;
    bool ok;
    {
        // The library reports its sizes on its own; the program's output is not the place.
        MutedOutput muted;
        ok = woff2::ConvertTTFToWOFF2(font.data(), font.size(), woff2.data(), &length, params);
    }
    if (!ok)
    {
        woff2.clear();
        error = wxS("the WOFF2 compressor refused the font");
        return false;
    }
    woff2.resize(length);
    return true;
}

bool BuildTrueTypeFontsOfFile(const wxString& moviePath, WebFontSet& fonts, wxString& error)
{
    fonts = WebFontSet();
    std::vector<uint8_t> movie;
    if (!LoadMovieFileBytes(moviePath, movie))
    {
        error = wxS("not a readable font movie, or a damaged one");
        return false;
    }
    wxString name = moviePath.AfterLast('/');
    if (name.Lower().EndsWith(wxS(".swf")))
        name.RemoveLast(4);
    return BuildFromMovie(movie, name, fonts, error);
}

WebFontCache::Entry* WebFontCache::Find(const wxString& moviePath, wxString& error)
{
    FileStamp stamp;
    if (!StampOf(moviePath, stamp))
    {
        m_entries.erase(moviePath);
        error = wxS("the font movie cannot be found");
        return nullptr;
    }
    Entry& entry = m_entries[moviePath];
    if (!(entry.stamp == stamp) || (!entry.fonts && entry.error.empty()))
    {
        // Stamped before reading: a movie that changes meanwhile is built again next time.
        entry = Entry();
        entry.stamp = stamp;
        auto fonts = std::make_shared<WebFontSet>();
        if (BuildTrueTypeFontsOfFile(moviePath, *fonts, entry.error))
            entry.fonts = fonts;
    }
    error = entry.error;
    return &entry;
}

std::shared_ptr<const WebFontSet> WebFontCache::Fonts(const wxString& moviePath, wxString& error)
{
    const Entry* entry = Find(moviePath, error);
    return entry ? entry->fonts : nullptr;
}

std::shared_ptr<const WebFontSet> WebFontCache::Woff2(const wxString& moviePath, int quality, wxString& error)
{
    Entry* entry = Find(moviePath, error);
    if (!entry || !entry->fonts)
        return nullptr;
    std::shared_ptr<const WebFontSet>& compressed = entry->compressed[quality];
    if (!compressed)
    {
        auto set = std::make_shared<WebFontSet>(*entry->fonts);
        for (WebFontFace& face : set->faces)
        {
            std::vector<uint8_t> woff2;
            if (!CompressWoff2(face.data, quality, woff2, error))
            {
                entry->compressed.erase(quality);
                return nullptr;
            }
            face.note = WebFontNote(face.data, quality, woff2);
            face.data = std::move(woff2);
        }
        compressed = set;
    }
    return compressed;
}
