#include "FontMovie.h"

#include "HarfBuzzFont.h"
#include "Kerning.h"

#include FT_BBOX_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <system_error>
#include <thread>
#include <unordered_map>

namespace moldwright
{

namespace
{

// Edge deltas are stored in at most 17 signed bits (a 4-bit size field plus 2).
constexpr int64_t kMaxEdgeDelta = 65535;
constexpr int64_t kMinEdgeDelta = -65536;

struct Vec
{
    double x;
    double y;
};

Vec Mid(Vec a, Vec b)
{
    return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}

// Rounds half away from zero, as llround does, without its cost on every point.
int64_t RoundUnits(double v)
{
    return static_cast<int64_t>(v < 0 ? v - 0.5 : v + 0.5);
}

bool FitsEdge(int64_t v)
{
    return v >= kMinEdgeDelta && v <= kMaxEdgeDelta;
}

// Writes the records of one glyph shape. Input points are in font units with y up; output
// is in movie units with y down, rounded to whole units. Positions are kept as integers so
// that every contour closes exactly where it started.
class ShapeBuilder
{
public:
    explicit ShapeBuilder(double scale) : m_scale(scale)
    {
        m_w.UB(1, 4);  // one fill bit
        m_w.UB(0, 4);  // no line bits
    }

    void MoveTo(Vec p)
    {
        Close();
        m_start = Round(p);
        m_pendingMove = true;
    }

    void LineTo(Vec p) { LineToUnits(Round(p)); }

    void QuadTo(Vec c, Vec p) { QuadToUnits(Round(c), Round(p)); }

    void CubicTo(Vec c1, Vec c2, Vec p)
    {
        // Subdivision works in movie units so that the tolerance is in movie units.
        CubicToUnits(m_lastExact, Scale(c1), Scale(c2), Scale(p), 0);
    }

    void Close()
    {
        if (m_open && !Same(m_cur, m_start))
            LineToUnits(m_start);
        m_open = false;
    }

    std::vector<uint8_t> Finish()
    {
        Close();
        m_w.UB(0, 6);  // end of shape
        m_w.Align();
        return std::move(m_w.Data());
    }

private:
    struct IPoint
    {
        int64_t x;
        int64_t y;
    };

    Vec Scale(Vec p) const { return {p.x * m_scale, -p.y * m_scale}; }

    IPoint Round(Vec p)
    {
        const Vec s = Scale(p);
        m_lastExact = s;
        return {RoundUnits(s.x), RoundUnits(s.y)};
    }

    static IPoint RoundPoint(Vec s) { return {RoundUnits(s.x), RoundUnits(s.y)}; }

    void BeginEdge()
    {
        if (!m_pendingMove)
            return;
        m_pendingMove = false;
        m_open = true;
        const int bits = std::max(SignedBits(m_start.x), SignedBits(m_start.y));
        m_w.UB(0, 1);                      // style change record
        m_w.UB(0, 1);                      // no new styles
        m_w.UB(0, 1);                      // no line style
        m_w.UB(0, 1);                      // no fill style 1
        m_w.UB(m_firstContour ? 1 : 0, 1); // fill style 0, set once
        m_w.UB(1, 1);                      // move to
        m_w.UB(static_cast<uint32_t>(bits), 5);
        m_w.SB(static_cast<int32_t>(m_start.x), bits);
        m_w.SB(static_cast<int32_t>(m_start.y), bits);
        if (m_firstContour)
            m_w.UB(1, 1);
        m_firstContour = false;
        m_cur = m_start;
    }

    // Where the pen is, or will be once the pending move is written.
    IPoint Pen() const { return m_pendingMove ? m_start : m_cur; }

    static bool Same(IPoint a, IPoint b) { return a.x == b.x && a.y == b.y; }

    void LineToUnits(IPoint p)
    {
        // Zero-length edges are dropped before the move is written, so that a contour
        // that draws nothing leaves no trace in the shape.
        if (Same(p, Pen()))
            return;
        BeginEdge();
        int64_t dx = p.x - m_cur.x;
        int64_t dy = p.y - m_cur.y;
        if (dx == 0 && dy == 0)
            return;
        if (!FitsEdge(dx) || !FitsEdge(dy))
        {
            const int64_t pieces = std::max(std::llabs(dx), std::llabs(dy)) / kMaxEdgeDelta + 1;
            const IPoint from = m_cur;
            for (int64_t i = 1; i <= pieces; ++i)
                WriteStraight({from.x + dx * i / pieces, from.y + dy * i / pieces});
            return;
        }
        WriteStraight(p);
    }

    void WriteStraight(IPoint p)
    {
        const int64_t dx = p.x - m_cur.x;
        const int64_t dy = p.y - m_cur.y;
        if (dx == 0 && dy == 0)
            return;
        m_w.UB(1, 1);  // edge
        m_w.UB(1, 1);  // straight
        if (dx != 0 && dy != 0)
        {
            const int bits = std::max({SignedBits(dx), SignedBits(dy), 2});
            m_w.UB(static_cast<uint32_t>(bits - 2), 4);
            m_w.UB(1, 1);  // general line
            m_w.SB(static_cast<int32_t>(dx), bits);
            m_w.SB(static_cast<int32_t>(dy), bits);
        }
        else
        {
            const int64_t d = dx != 0 ? dx : dy;
            const int bits = std::max(SignedBits(d), 2);
            m_w.UB(static_cast<uint32_t>(bits - 2), 4);
            m_w.UB(0, 1);
            m_w.UB(dx == 0 ? 1 : 0, 1);  // vertical
            m_w.SB(static_cast<int32_t>(d), bits);
        }
        m_cur = p;
    }

    void QuadToUnits(IPoint c, IPoint p)
    {
        if (Same(c, Pen()) || Same(c, p))
        {
            LineToUnits(p);
            return;
        }
        BeginEdge();
        const int64_t cdx = c.x - m_cur.x, cdy = c.y - m_cur.y;
        const int64_t adx = p.x - c.x, ady = p.y - c.y;
        if (!FitsEdge(cdx) || !FitsEdge(cdy) || !FitsEdge(adx) || !FitsEdge(ady))
        {
            // Halve the curve until its pieces fit the field width.
            const Vec p0{double(m_cur.x), double(m_cur.y)}, cc{double(c.x), double(c.y)}, p1{double(p.x), double(p.y)};
            const Vec c1 = Mid(p0, cc), c2 = Mid(cc, p1), m = Mid(c1, c2);
            QuadToUnits(RoundPoint(c1), RoundPoint(m));
            QuadToUnits(RoundPoint(c2), p);
            return;
        }
        const int bits = std::max({SignedBits(cdx), SignedBits(cdy), SignedBits(adx), SignedBits(ady), 2});
        m_w.UB(1, 1);  // edge
        m_w.UB(0, 1);  // curved
        m_w.UB(static_cast<uint32_t>(bits - 2), 4);
        m_w.SB(static_cast<int32_t>(cdx), bits);
        m_w.SB(static_cast<int32_t>(cdy), bits);
        m_w.SB(static_cast<int32_t>(adx), bits);
        m_w.SB(static_cast<int32_t>(ady), bits);
        m_cur = p;
    }

    // p0 is the exact (unrounded) start of the cubic in movie units.
    void CubicToUnits(Vec p0, Vec c1, Vec c2, Vec p3, int depth)
    {
        // The midpoint quadratic differs from the cubic by at most sqrt(3)/36 times the
        // length of the cubic's third difference.
        const double dx = p3.x - 3 * c2.x + 3 * c1.x - p0.x;
        const double dy = p3.y - 3 * c2.y + 3 * c1.y - p0.y;
        const double error = std::sqrt(3.0) / 36.0 * std::hypot(dx, dy);
        if (error <= kCubicTolerance || depth >= 16)
        {
            const Vec q{(3 * (c1.x + c2.x) - p0.x - p3.x) / 4, (3 * (c1.y + c2.y) - p0.y - p3.y) / 4};
            QuadToUnits(RoundPoint(q), RoundPoint(p3));
            m_lastExact = p3;
            return;
        }
        const Vec a = Mid(p0, c1), b = Mid(c1, c2), c = Mid(c2, p3);
        const Vec ab = Mid(a, b), bc = Mid(b, c);
        const Vec m = Mid(ab, bc);
        CubicToUnits(p0, a, ab, m, depth + 1);
        CubicToUnits(m, bc, c, p3, depth + 1);
    }

    BitWriter m_w;
    double m_scale;
    IPoint m_start{0, 0};
    IPoint m_cur{0, 0};
    Vec m_lastExact{0, 0};
    bool m_pendingMove = false;
    bool m_open = false;
    bool m_firstContour = true;
};

// Walks a FreeType outline the way FT_Outline_Decompose does, but in floating point so that
// implied on-curve points between two conic controls are exact.
bool Decompose(const FT_Outline& outline, ShapeBuilder& shape)
{
    int first = 0;
    for (int c = 0; c < outline.n_contours; ++c)
    {
        const int last = outline.contours[c];
        if (last < first || last >= outline.n_points)
            return false;
        auto pt = [&](int i) { return Vec{double(outline.points[i].x), double(outline.points[i].y)}; };
        auto tagOf = [&](int i) { return FT_CURVE_TAG(outline.tags[i]); };

        int limit = last;
        Vec vStart = pt(first);
        Vec vLast = pt(last);
        int index = first;
        int tag = tagOf(first);
        if (tag == FT_CURVE_TAG_CUBIC)
            return false;
        if (tag == FT_CURVE_TAG_CONIC)
        {
            if (tagOf(last) == FT_CURVE_TAG_ON)
            {
                vStart = vLast;
                --limit;
            }
            else
            {
                vStart = Mid(vStart, vLast);
            }
            --index;
        }
        shape.MoveTo(vStart);

        bool closed = false;
        while (index < limit && !closed)
        {
            ++index;
            tag = tagOf(index);
            if (tag == FT_CURVE_TAG_ON)
            {
                shape.LineTo(pt(index));
            }
            else if (tag == FT_CURVE_TAG_CONIC)
            {
                Vec control = pt(index);
                for (;;)
                {
                    if (index < limit)
                    {
                        ++index;
                        const Vec v = pt(index);
                        const int next = tagOf(index);
                        if (next == FT_CURVE_TAG_ON)
                        {
                            shape.QuadTo(control, v);
                            break;
                        }
                        if (next != FT_CURVE_TAG_CONIC)
                            return false;
                        shape.QuadTo(control, Mid(control, v));
                        control = v;
                        continue;
                    }
                    shape.QuadTo(control, vStart);
                    closed = true;
                    break;
                }
            }
            else
            {
                if (index + 1 > limit || tagOf(index + 1) != FT_CURVE_TAG_CUBIC)
                    return false;
                const Vec c1 = pt(index), c2 = pt(index + 1);
                index += 2;
                if (index <= limit)
                {
                    shape.CubicTo(c1, c2, pt(index));
                    continue;
                }
                shape.CubicTo(c1, c2, vStart);
                closed = true;
            }
        }
        if (!closed)
            shape.LineTo(vStart);
        shape.Close();
        first = last + 1;
    }
    return true;
}

int16_t ClampI16(double v, bool& clamped)
{
    const long r = std::lround(v);
    if (r > std::numeric_limits<int16_t>::max() || r < std::numeric_limits<int16_t>::min())
    {
        clamped = true;
        return static_cast<int16_t>(r > 0 ? std::numeric_limits<int16_t>::max() : std::numeric_limits<int16_t>::min());
    }
    return static_cast<int16_t>(r);
}

struct ConvertedGlyph
{
    enum class Failure
    {
        None,
        Load,
        Malformed
    };
    std::vector<uint8_t> shape;
    int16_t advance = 0;
    int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    bool clamped = false;
    Failure failure = Failure::None;
};

// Converts the glyphs of codes[unique[k]] for k in [begin, end) into out[k]. Uses nothing
// but `face`, so that two faces of the same font can convert halves at once.
void ConvertGlyphs(FT_Face face, double scale, const std::vector<GlyphCode>& codes, const std::vector<size_t>& unique,
                   size_t begin, size_t end, std::vector<ConvertedGlyph>& out)
{
    for (size_t k = begin; k < end; ++k)
    {
        ConvertedGlyph& g = out[k];
        if (FT_Load_Glyph(face, codes[unique[k]].glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP) != 0 ||
            face->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
        {
            g.failure = ConvertedGlyph::Failure::Load;
            continue;
        }
        ShapeBuilder shape(scale);
        if (!Decompose(face->glyph->outline, shape))
        {
            g.failure = ConvertedGlyph::Failure::Malformed;
            continue;
        }
        g.shape = shape.Finish();
        g.advance = ClampI16(face->glyph->advance.x * scale, g.clamped);
        if (face->glyph->outline.n_points > 0)
        {
            FT_BBox bb;
            FT_Outline_Get_BBox(&face->glyph->outline, &bb);
            g.xMin = int32_t(std::lround(bb.xMin * scale));
            g.xMax = int32_t(std::lround(bb.xMax * scale));
            g.yMin = int32_t(std::lround(-bb.yMax * scale));
            g.yMax = int32_t(std::lround(-bb.yMin * scale));
        }
    }
}

}

std::vector<uint32_t> LatinCodes()
{
    std::vector<uint32_t> codes;
    for (uint32_t c = 0x20; c <= 0x7E; ++c)
        codes.push_back(c);
    for (uint32_t c = 0xA0; c <= 0xFF; ++c)
        codes.push_back(c);
    const uint32_t extra[] = {0x0152, 0x0153, 0x0160, 0x0161, 0x0178, 0x017D, 0x017E, 0x0192, 0x2013,
                              0x2014, 0x2018, 0x2019, 0x201A, 0x201C, 0x201D, 0x201E, 0x2020, 0x2021,
                              0x2022, 0x2026, 0x2030, 0x2039, 0x203A, 0x20AC, 0x2122};
    codes.insert(codes.end(), std::begin(extra), std::end(extra));
    std::sort(codes.begin(), codes.end());
    return codes;
}

bool DecodeUtf8(const std::string& text, std::vector<uint32_t>& codes)
{
    codes.clear();
    size_t i = 0;
    while (i < text.size())
    {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        int extra;
        uint32_t cp;
        if (b < 0x80)
        {
            extra = 0;
            cp = b;
        }
        else if ((b & 0xE0) == 0xC0)
        {
            extra = 1;
            cp = b & 0x1F;
        }
        else if ((b & 0xF0) == 0xE0)
        {
            extra = 2;
            cp = b & 0x0F;
        }
        else if ((b & 0xF8) == 0xF0)
        {
            extra = 3;
            cp = b & 0x07;
        }
        else
            return false;
        if (i + extra >= text.size())
            return false;
        for (int k = 1; k <= extra; ++k)
        {
            const unsigned char cb = static_cast<unsigned char>(text[i + k]);
            if ((cb & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cb & 0x3F);
        }
        static const uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        codes.push_back(cp);
        i += extra + 1;
    }
    return true;
}

std::string EncodeUtf8(uint32_t cp)
{
    std::string out;
    if (cp < 0x80)
        out += char(cp);
    else if (cp < 0x800)
    {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    }
    else if (cp < 0x10000)
    {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
    else
    {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
    return out;
}

void AddText(CharSet& set, const std::vector<uint32_t>& codes)
{
    set.text.insert(set.text.end(), codes.begin(), codes.end());
    std::sort(set.text.begin(), set.text.end());
    set.text.erase(std::unique(set.text.begin(), set.text.end()), set.text.end());
}

int BasicLatinLetters(FT_Face face)
{
    int letters = 0;
    for (uint32_t c = 'A'; c <= 'z'; ++c)
        if ((c <= 'Z' || c >= 'a') && FT_Get_Char_Index(face, c) != 0)
            ++letters;
    return letters;
}

std::vector<GlyphCode> MapCharacters(FT_Face face, const CharSet& set, CharacterReport& report)
{
    std::vector<GlyphCode> out;
    report = CharacterReport();
    if (set.all)
    {
        FT_UInt glyph = 0;
        FT_ULong code = FT_Get_First_Char(face, &glyph);
        while (glyph != 0)
        {
            if (code <= 0xFFFF)
                out.push_back({static_cast<uint32_t>(code), glyph});
            else
                report.beyond16Bits.push_back(static_cast<uint32_t>(code));
            code = FT_Get_Next_Char(face, code, &glyph);
        }
        std::sort(out.begin(), out.end(), [](const GlyphCode& a, const GlyphCode& b) { return a.code < b.code; });
        out.erase(std::unique(out.begin(), out.end(), [](const GlyphCode& a, const GlyphCode& b) { return a.code == b.code; }),
                  out.end());
        std::sort(report.beyond16Bits.begin(), report.beyond16Bits.end());
        return out;
    }
    std::vector<uint32_t> codes = set.text;
    if (set.latin)
    {
        const std::vector<uint32_t> latin = LatinCodes();
        codes.insert(codes.end(), latin.begin(), latin.end());
        std::sort(codes.begin(), codes.end());
        codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    }
    for (uint32_t code : codes)
    {
        const FT_UInt glyph = FT_Get_Char_Index(face, code);
        if (glyph == 0)
        {
            if (std::binary_search(set.text.begin(), set.text.end(), code))
                report.lacking.push_back(code);
        }
        else if (code > 0xFFFF)
            report.beyond16Bits.push_back(code);
        else
            out.push_back({code, glyph});
    }
    return out;
}

bool AppendDefineFont3(FT_Face face, FT_Face helper, const std::string& metricsFile, unsigned fontId, const std::string& name, bool bold, bool italic,
                       const std::vector<GlyphCode>& codes, std::vector<uint8_t>& tags, FontTagInfo& info,
                       std::string& error)
{
    const double scale = kMovieUnitsPerEm / face->units_per_EM;
    const size_t count = codes.size();
    if (count == 0 || count > 0xFFFF)
    {
        error = "no glyphs to write";
        return false;
    }

    // Several characters may share one glyph; each glyph is converted once, by `owner`, the
    // first of its characters.
    std::vector<size_t> owner(count), unique;
    {
        std::unordered_map<FT_UInt, size_t> first;
        for (size_t i = 0; i < count; ++i)
        {
            const auto found = first.emplace(codes[i].glyph, unique.size());
            if (found.second)
                unique.push_back(i);
            owner[i] = found.first->second;
        }
    }
    std::vector<ConvertedGlyph> converted(unique.size());
    // A second face of the same font converts the second half on a thread of its own.
    size_t half = helper && unique.size() > 1 ? unique.size() / 2 : unique.size();
    std::thread worker;
    if (half < unique.size())
    {
        try
        {
            worker = std::thread(ConvertGlyphs, helper, scale, std::cref(codes), std::cref(unique), half, unique.size(),
                                 std::ref(converted));
        }
        catch (const std::system_error&)
        {
            half = unique.size();  // no thread to be had: all of them here
        }
    }
    ConvertGlyphs(face, scale, codes, unique, 0, half, converted);
    if (worker.joinable())
        worker.join();
    for (size_t u = 0; u < unique.size(); ++u)
    {
        const ConvertedGlyph& g = converted[u];
        if (g.failure != ConvertedGlyph::Failure::None)
        {
            char buf[96];
            std::snprintf(buf, sizeof buf,
                          g.failure == ConvertedGlyph::Failure::Load ? "cannot load the outline of U+%04X"
                                                                     : "the outline of U+%04X is malformed",
                          unsigned(codes[unique[u]].code));
            error = buf;
            return false;
        }
        info.advancesClamped = info.advancesClamped || g.clamped;
    }
    if (FT_IS_SFNT(face) && FT_HAS_MULTIPLE_MASTERS(face))
    {
        // FreeType takes an instance's advances from the outlines' variations, which some
        // fonts leave out of step with their table of advance variations; browsers read that
        // table, through HarfBuzz.
        hb_font_t* font = CreateHarfBuzzFont(face);
        for (size_t u = 0; u < unique.size(); ++u)
        {
            bool clamped = false;
            converted[u].advance = ClampI16(hb_font_get_glyph_h_advance(font, codes[unique[u]].glyph) * scale, clamped);
            info.advancesClamped = info.advancesClamped || clamped;
        }
        hb_font_destroy(font);
    }

    size_t shapeBytes = 0;
    for (size_t i = 0; i < count; ++i)
        shapeBytes += converted[owner[i]].shape.size();
    const bool wideOffsets = (count + 1) * 2 + shapeBytes > 0xFFFF;
    const size_t offsetSize = wideOffsets ? 4 : 2;

    BitWriter w;
    w.UI16(fontId);
    w.UB(1, 1);                    // has layout
    w.UB(0, 1);                    // Shift-JIS
    w.UB(0, 1);                    // small text
    w.UB(0, 1);                    // ANSI
    w.UB(wideOffsets ? 1 : 0, 1);
    w.UB(1, 1);                    // wide codes
    w.UB(italic ? 1 : 0, 1);
    w.UB(bold ? 1 : 0, 1);
    w.UI8(0);  // no language
    // The name is UTF-8 with a one-byte length; cut it at a character boundary if needed.
    std::string fontName = name;
    if (fontName.size() > 255)
    {
        size_t cut = 255;
        while (cut > 0 && (static_cast<unsigned char>(fontName[cut]) & 0xC0) == 0x80)
            --cut;
        fontName.resize(cut);
    }
    w.UI8(static_cast<unsigned>(fontName.size()));
    w.Bytes(fontName);
    w.UI16(static_cast<unsigned>(count));

    size_t offset = (count + 1) * offsetSize;
    for (size_t i = 0; i <= count; ++i)
    {
        if (wideOffsets)
            w.UI32(static_cast<uint32_t>(offset));
        else
            w.UI16(static_cast<unsigned>(offset));
        if (i < count)
            offset += converted[owner[i]].shape.size();
    }
    for (size_t i = 0; i < count; ++i)
        w.Bytes(converted[owner[i]].shape);
    for (const GlyphCode& gc : codes)
        w.UI16(gc.code);

    bool clamped = false;
    const double ascent = std::max(0.0, face->ascender * scale);
    const double descent = std::max(0.0, -face->descender * scale);
    w.UI16(static_cast<unsigned>(std::min(65535L, std::lround(ascent))));
    w.UI16(static_cast<unsigned>(std::min(65535L, std::lround(descent))));
    w.SI16(ClampI16((face->height - face->ascender + face->descender) * scale, clamped));
    for (size_t i = 0; i < count; ++i)
        w.SI16(converted[owner[i]].advance);
    for (size_t i = 0; i < count; ++i)
    {
        const ConvertedGlyph& g = converted[owner[i]];
        w.Rect(g.xMin, g.xMax, g.yMin, g.yMax);
    }

    // Kerning between the characters of the movie, by code.
    std::vector<std::pair<std::pair<uint16_t, uint16_t>, int16_t>> kerning;
    {
        std::unordered_map<FT_UInt, std::vector<uint16_t>> codesOfGlyph;
        std::vector<FT_UInt> glyphs;
        for (const GlyphCode& gc : codes)
        {
            codesOfGlyph[gc.glyph].push_back(static_cast<uint16_t>(gc.code));
            glyphs.push_back(gc.glyph);
        }
        std::sort(glyphs.begin(), glyphs.end());
        glyphs.erase(std::unique(glyphs.begin(), glyphs.end()), glyphs.end());
        std::map<std::pair<uint16_t, uint16_t>, int16_t> byCode;
        for (const GlyphKerning& k : FaceKerning(face, glyphs, metricsFile))
        {
            bool ignored = false;
            const int16_t value = ClampI16(k.value * scale, ignored);
            if (value == 0)
                continue;
            for (uint16_t lc : codesOfGlyph[k.left])
                for (uint16_t rc : codesOfGlyph[k.right])
                    byCode[{lc, rc}] = value;
        }
        kerning.assign(byCode.begin(), byCode.end());
    }
    if (kerning.size() > 0xFFFF)
    {
        kerning.resize(0xFFFF);
        info.kerningTruncated = true;
    }
    w.UI16(static_cast<unsigned>(kerning.size()));
    for (const auto& k : kerning)
    {
        w.UI16(k.first.first);
        w.UI16(k.first.second);
        w.SI16(k.second);
    }

    AppendTag(tags, tag::kDefineFont3, w.Data());
    info.glyphs = count;
    info.kerningPairs = kerning.size();
    return true;
}

}
