#include "SwfReader.h"

#include <zlib.h>

#include <fstream>
#include <iterator>

namespace swftest
{

namespace
{

class Reader
{
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    size_t Pos() const { return m_pos; }
    size_t Size() const { return m_size; }
    void Seek(size_t pos)
    {
        if (pos > m_size)
            throw SwfError("seek past the end");
        m_pos = pos;
        m_bit = 0;
    }

    unsigned UI8()
    {
        Align();
        if (m_pos >= m_size)
            throw SwfError("read past the end");
        return m_data[m_pos++];
    }
    unsigned UI16()
    {
        const unsigned lo = UI8();
        return lo | (UI8() << 8);
    }
    int SI16() { return static_cast<int16_t>(UI16()); }
    uint32_t UI32()
    {
        const uint32_t lo = UI16();
        return lo | (uint32_t(UI16()) << 16);
    }

    uint32_t UB(int bits)
    {
        uint32_t v = 0;
        for (int i = 0; i < bits; ++i)
        {
            if (m_pos >= m_size)
                throw SwfError("bit field past the end");
            const unsigned bit = (m_data[m_pos] >> (7 - m_bit)) & 1u;
            v = (v << 1) | bit;
            if (++m_bit == 8)
            {
                m_bit = 0;
                ++m_pos;
            }
        }
        return v;
    }
    int32_t SB(int bits)
    {
        if (bits == 0)
            return 0;
        const uint32_t v = UB(bits);
        if (bits < 32 && (v & (1u << (bits - 1))))
            return static_cast<int32_t>(v | ~((1u << bits) - 1u));
        return static_cast<int32_t>(v);
    }
    // Moves to the next byte; the skipped padding bits must be zero.
    void Align()
    {
        if (m_bit == 0)
            return;
        const unsigned rest = m_data[m_pos] & (0xFFu >> m_bit);
        if (rest != 0)
            throw SwfError("non-zero padding bits");
        m_bit = 0;
        ++m_pos;
    }

    Rect ReadRect()
    {
        Align();
        const int bits = static_cast<int>(UB(5));
        Rect r{SB(bits), SB(bits), SB(bits), SB(bits)};
        Align();
        return r;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    int m_bit = 0;
};

bool Same(Point a, Point b)
{
    return a.x == b.x && a.y == b.y;
}

Glyph ReadGlyph(const uint8_t* data, size_t size)
{
    Reader r(data, size);
    if (r.UB(4) != 1 || r.UB(4) != 0)
        throw SwfError("glyph shape must use one fill bit and no line bits");
    Glyph glyph;
    bool first = true;
    bool open = false;
    Point cur{0, 0};
    for (;;)
    {
        const bool edge = r.UB(1) != 0;
        if (!edge)
        {
            const unsigned flags = r.UB(5);
            if (flags == 0)
                break;
            const bool newStyles = flags & 0x10, lineStyle = flags & 0x08, fill1 = flags & 0x04,
                       fill0 = flags & 0x02, moveTo = flags & 0x01;
            if (newStyles || lineStyle)
                throw SwfError("glyph shapes have no styles of their own");
            if (first && !(moveTo && fill0))
                throw SwfError("the first style change must move and set fill style 0");
            if (open && !Same(cur, glyph.contours.back().start))
                throw SwfError("contour not closed");
            if (moveTo)
            {
                const int bits = static_cast<int>(r.UB(5));
                const int32_t x = r.SB(bits);
                const int32_t y = r.SB(bits);
                cur = {double(x), double(y)};
                glyph.contours.push_back({cur, {}});
                open = true;
            }
            if (fill0 && r.UB(1) != 1)
                throw SwfError("fill style 0 must be 1");
            if (fill1)
                r.UB(1);
            first = false;
            continue;
        }
        if (!open)
            throw SwfError("edge before the first move");
        const bool straight = r.UB(1) != 0;
        const int bits = static_cast<int>(r.UB(4)) + 2;
        Edge e{};
        e.from = cur;
        if (straight)
        {
            int32_t dx = 0, dy = 0;
            if (r.UB(1))
            {
                dx = r.SB(bits);
                dy = r.SB(bits);
            }
            else if (r.UB(1))
                dy = r.SB(bits);
            else
                dx = r.SB(bits);
            e.curved = false;
            e.to = {cur.x + dx, cur.y + dy};
            e.control = e.to;
        }
        else
        {
            const int32_t cx = r.SB(bits), cy = r.SB(bits), ax = r.SB(bits), ay = r.SB(bits);
            e.curved = true;
            e.control = {cur.x + cx, cur.y + cy};
            e.to = {e.control.x + ax, e.control.y + ay};
        }
        cur = e.to;
        glyph.contours.back().edges.push_back(e);
    }
    if (open && !Same(cur, glyph.contours.back().start))
        throw SwfError("last contour not closed");
    r.Align();
    if (r.Pos() != size)
        throw SwfError("glyph shape does not end where the next one begins");
    return glyph;
}

Font ReadDefineFont3(const uint8_t* data, size_t size)
{
    Reader r(data, size);
    Font f;
    f.id = r.UI16();
    const unsigned flags = r.UI8();
    f.hasLayout = flags & 0x80;
    if (flags & 0x70)
        throw SwfError("Shift-JIS, small text or ANSI flag set");
    f.wideOffsets = flags & 0x08;
    f.wideCodes = flags & 0x04;
    f.italic = flags & 0x02;
    f.bold = flags & 0x01;
    r.UI8();  // language
    const unsigned nameLength = r.UI8();
    for (unsigned i = 0; i < nameLength; ++i)
        f.name += static_cast<char>(r.UI8());
    const unsigned count = r.UI16();
    const size_t tableStart = r.Pos();
    std::vector<uint32_t> offsets(count);
    for (auto& o : offsets)
        o = f.wideOffsets ? r.UI32() : r.UI16();
    const uint32_t codeTableOffset = f.wideOffsets ? r.UI32() : r.UI16();
    if (count > 0 && offsets[0] != r.Pos() - tableStart)
        throw SwfError("first glyph does not follow the offset table");
    for (unsigned i = 0; i < count; ++i)
    {
        const uint32_t end = i + 1 < count ? offsets[i + 1] : codeTableOffset;
        if (end < offsets[i] || tableStart + end > size)
            throw SwfError("glyph offsets out of order or out of the tag");
        f.glyphs.push_back(ReadGlyph(data + tableStart + offsets[i], end - offsets[i]));
    }
    r.Seek(tableStart + codeTableOffset);
    for (unsigned i = 0; i < count; ++i)
    {
        const unsigned code = f.wideCodes ? r.UI16() : r.UI8();
        if (!f.codes.empty() && code <= f.codes.back())
            throw SwfError("code table not strictly ascending");
        f.codes.push_back(static_cast<uint16_t>(code));
    }
    if (f.hasLayout)
    {
        f.ascent = r.UI16();
        f.descent = r.UI16();
        f.leading = r.SI16();
        for (unsigned i = 0; i < count; ++i)
            f.advances.push_back(static_cast<int16_t>(r.SI16()));
        for (unsigned i = 0; i < count; ++i)
            f.bounds.push_back(r.ReadRect());
        const unsigned kerningCount = r.UI16();
        for (unsigned i = 0; i < kerningCount; ++i)
        {
            Kerning k;
            k.left = static_cast<uint16_t>(f.wideCodes ? r.UI16() : r.UI8());
            k.right = static_cast<uint16_t>(f.wideCodes ? r.UI16() : r.UI8());
            k.adjustment = static_cast<int16_t>(r.SI16());
            f.kerning.push_back(k);
        }
    }
    if (r.Pos() != size)
        throw SwfError("DefineFont3 has trailing bytes");
    return f;
}

}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw SwfError("cannot open " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Movie ReadMovie(const std::vector<uint8_t>& file)
{
    if (file.size() < 8)
        throw SwfError("shorter than a header");
    Movie m;
    m.signature.assign(file.begin(), file.begin() + 3);
    m.version = file[3];
    m.declaredLength = file[4] | (file[5] << 8) | (file[6] << 16) | (uint32_t(file[7]) << 24);
    std::vector<uint8_t> body;
    if (m.signature == "FWS")
        body.assign(file.begin() + 8, file.end());
    else if (m.signature == "CWS")
    {
        if (m.declaredLength < 8)
            throw SwfError("declared length too small");
        body.resize(m.declaredLength - 8);
        uLongf size = static_cast<uLongf>(body.size());
        if (uncompress(body.data(), &size, file.data() + 8, static_cast<uLong>(file.size() - 8)) != Z_OK)
            throw SwfError("zlib stream does not inflate to the declared length");
        body.resize(size);
    }
    else
        throw SwfError("unknown signature " + m.signature);
    m.actualLength = body.size() + 8;

    Reader r(body.data(), body.size());
    r.ReadRect();
    r.UI16();  // frame rate
    m.frameCount = r.UI16();
    for (;;)
    {
        const unsigned header = r.UI16();
        const unsigned code = header >> 6;
        uint32_t length = header & 0x3F;
        if (length == 0x3F)
            length = r.UI32();
        const size_t start = r.Pos();
        if (start + length > body.size())
            throw SwfError("tag runs past the end of the file");
        m.tagCodes.push_back(code);
        if (code == 75)
            m.fonts.push_back(ReadDefineFont3(body.data() + start, length));
        r.Seek(start + length);
        if (code == 0)
            break;
    }
    if (r.Pos() != body.size())
        throw SwfError("bytes after the End tag");
    return m;
}

}
