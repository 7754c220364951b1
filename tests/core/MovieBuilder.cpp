#include "MovieBuilder.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace
{
void U8(std::vector<uint8_t>& out, unsigned v)
{
    out.push_back(static_cast<uint8_t>(v));
}

void U16(std::vector<uint8_t>& out, unsigned v)
{
    U8(out, v & 0xFF);
    U8(out, (v >> 8) & 0xFF);
}

void U32(std::vector<uint8_t>& out, uint32_t v)
{
    U16(out, v & 0xFFFF);
    U16(out, v >> 16);
}

// Bit fields, most significant bit first.
class Bits
{
public:
    void Put(uint32_t value, int count)
    {
        for (int i = count - 1; i >= 0; --i)
        {
            if (m_used % 8 == 0)
                m_bytes.push_back(0);
            if ((value >> i) & 1u)
                m_bytes.back() |= static_cast<uint8_t>(0x80u >> (m_used % 8));
            ++m_used;
        }
    }
    void PutSigned(int value, int count) { Put(static_cast<uint32_t>(value), count); }
    std::vector<uint8_t> Bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
    size_t m_used = 0;
};

// Bits a signed field needs for v.
int SignedWidth(int v)
{
    int bits = 1;
    while (v < -(1 << (bits - 1)) || v >= (1 << (bits - 1)))
        ++bits;
    return bits;
}

// Stand-in shape bytes: the code of a glyph is read without decoding its shape.
const std::vector<uint8_t> kGlyphShape = {0x10, 0x85, 0x00, 0x40, 0x00};

std::vector<uint8_t> FontTagBody(const TestFace& face, unsigned id)
{
    std::vector<uint8_t> b;
    U16(b, id);
    U8(b, (face.layout ? 0x80 : 0) | (face.wideOffsets ? 0x08 : 0) | (face.wideCodes ? 0x04 : 0) |
              (face.italic ? 0x02 : 0) | (face.bold ? 0x01 : 0));
    U8(b, 0);
    U8(b, static_cast<unsigned>(face.name.size()));
    b.insert(b.end(), face.name.begin(), face.name.end());
    const size_t count = face.codes.size();
    U16(b, static_cast<unsigned>(count));
    if (count == 0)
        return b;
    const size_t offsetSize = face.wideOffsets ? 4 : 2;
    auto shape = [&](size_t i) -> const std::vector<uint8_t>& { return face.shapes.empty() ? kGlyphShape : face.shapes[i]; };
    size_t offset = (count + 1) * offsetSize;
    for (size_t i = 0; i <= count; ++i)
    {
        face.wideOffsets ? U32(b, static_cast<uint32_t>(offset)) : U16(b, static_cast<unsigned>(offset));
        if (i < count)
            offset += shape(i).size();
    }
    for (size_t i = 0; i < count; ++i)
        b.insert(b.end(), shape(i).begin(), shape(i).end());
    auto code = [&](uint16_t c) { face.wideCodes ? U16(b, c) : U8(b, c); };
    for (uint16_t c : face.codes)
        code(c);
    if (face.layout)
    {
        U16(b, face.ascent);
        U16(b, face.descent);
        U16(b, static_cast<unsigned>(face.leading) & 0xFFFF);
        for (size_t i = 0; i < count; ++i)
            U16(b, face.advances.empty() ? 500 : face.advances[i]);
        // Bounds 0..256 x 0..0 in 10-bit fields: 45 bits, six bytes.
        for (size_t i = 0; i < count; ++i)
        {
            const uint8_t rect[6] = {0x50, 0x00, 0x80, 0x00, 0x00, 0x00};
            b.insert(b.end(), rect, rect + 6);
        }
        U16(b, static_cast<unsigned>(face.kerningPairs + face.kerning.size()));
        for (unsigned i = 0; i < face.kerningPairs; ++i)
        {
            code(face.codes[i % count]);
            code(face.codes[i % count]);
            U16(b, static_cast<unsigned>(-20) & 0xFFFF);
        }
        for (const KerningPair& k : face.kerning)
        {
            code(k.left);
            code(k.right);
            U16(b, static_cast<unsigned>(k.adjustment) & 0xFFFF);
        }
    }
    return b;
}
}

TestFace Face(std::vector<uint16_t> codes, bool bold, bool italic)
{
    TestFace face;
    face.codes = std::move(codes);
    face.bold = bold;
    face.italic = italic;
    return face;
}

std::vector<uint8_t> GlyphShape(const std::vector<ShapeStep>& steps)
{
    Bits w;
    w.Put(1, 4);  // one fill bit
    w.Put(0, 4);  // no line bits
    bool first = true;
    for (const ShapeStep& s : steps)
    {
        if (s.kind == 'M')
        {
            const int bits = std::max(SignedWidth(s.a), SignedWidth(s.b));
            w.Put(0, 1);
            w.Put(first ? 0x03 : 0x01, 5);  // move, and fill style 0 on the first
            w.Put(static_cast<uint32_t>(bits), 5);
            w.PutSigned(s.a, bits);
            w.PutSigned(s.b, bits);
            if (first)
                w.Put(1, 1);
            first = false;
            continue;
        }
        const bool curve = s.kind == 'Q';
        int bits = std::max({SignedWidth(s.a), SignedWidth(s.b), 2});
        if (curve)
            bits = std::max({bits, SignedWidth(s.c), SignedWidth(s.d)});
        w.Put(1, 1);
        w.Put(curve ? 0 : 1, 1);
        w.Put(static_cast<uint32_t>(bits - 2), 4);
        if (!curve)
            w.Put(1, 1);  // general line
        w.PutSigned(s.a, bits);
        w.PutSigned(s.b, bits);
        if (curve)
        {
            w.PutSigned(s.c, bits);
            w.PutSigned(s.d, bits);
        }
    }
    w.Put(0, 6);
    return w.Bytes();
}

void AppendTestTag(std::vector<uint8_t>& out, unsigned code, const std::vector<uint8_t>& body)
{
    if (body.size() < 63)
        U16(out, (code << 6) | static_cast<unsigned>(body.size()));
    else
    {
        U16(out, (code << 6) | 0x3F);
        U32(out, static_cast<uint32_t>(body.size()));
    }
    out.insert(out.end(), body.begin(), body.end());
}

std::vector<uint8_t> FontTags(const std::vector<TestFace>& faces)
{
    std::vector<uint8_t> tags;
    AppendTestTag(tags, 69, {0, 0, 0, 0});
    unsigned id = 1;
    for (const TestFace& face : faces)
        AppendTestTag(tags, face.tagCode, FontTagBody(face, id++));
    AppendTestTag(tags, 1, {});
    AppendTestTag(tags, 0, {});
    return tags;
}

std::vector<uint8_t> MovieFile(const std::vector<uint8_t>& tags, bool compressed, uint32_t declaredLength)
{
    // Stage rectangle 0..11000 x 0..8000 twips in 15-bit fields, 12 fps, one frame.
    std::vector<uint8_t> body = {0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00};
    U16(body, 12 << 8);
    U16(body, 1);
    body.insert(body.end(), tags.begin(), tags.end());

    std::vector<uint8_t> file = {static_cast<uint8_t>(compressed ? 'C' : 'F'), 'W', 'S', 8};
    U32(file, declaredLength ? declaredLength : static_cast<uint32_t>(8 + body.size()));
    if (!compressed)
    {
        file.insert(file.end(), body.begin(), body.end());
        return file;
    }
    uLongf packedSize = compressBound(static_cast<uLong>(body.size()));
    std::vector<uint8_t> packed(packedSize);
    EXPECT_EQ(compress2(packed.data(), &packedSize, body.data(), static_cast<uLong>(body.size()), 9), Z_OK);
    file.insert(file.end(), packed.begin(), packed.begin() + static_cast<long>(packedSize));
    return file;
}

std::vector<uint8_t> MovieFile(const std::vector<TestFace>& faces, bool compressed)
{
    return MovieFile(FontTags(faces), compressed);
}

std::vector<uint16_t> CodesOf(const wxString& text)
{
    std::vector<uint16_t> codes;
    for (wxString::const_iterator it = text.begin(); it != text.end(); ++it)
        codes.push_back(static_cast<uint16_t>((*it).GetValue()));
    return codes;
}

void WriteBytes(const wxString& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = fopen(path.fn_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    EXPECT_EQ(fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    fclose(f);
}
