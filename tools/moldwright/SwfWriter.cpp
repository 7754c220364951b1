#include "SwfWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>

namespace moldwright
{

void BitWriter::UI8(unsigned v)
{
    Align();
    m_data.push_back(static_cast<uint8_t>(v & 0xFF));
}

void BitWriter::UI16(unsigned v)
{
    UI8(v & 0xFF);
    UI8((v >> 8) & 0xFF);
}

void BitWriter::SI16(int v)
{
    UI16(static_cast<unsigned>(static_cast<uint16_t>(static_cast<int16_t>(v))));
}

void BitWriter::UI32(uint32_t v)
{
    UI16(v & 0xFFFF);
    UI16(v >> 16);
}

void BitWriter::Bytes(const std::vector<uint8_t>& data)
{
    Align();
    m_data.insert(m_data.end(), data.begin(), data.end());
}

void BitWriter::Bytes(const std::string& data)
{
    Align();
    m_data.insert(m_data.end(), data.begin(), data.end());
}

void BitWriter::UB(uint32_t value, int bits)
{
    for (int i = bits - 1; i >= 0; --i)
    {
        if (m_bitPos == 0)
            m_data.push_back(0);
        if ((value >> i) & 1u)
            m_data.back() |= static_cast<uint8_t>(0x80u >> m_bitPos);
        m_bitPos = (m_bitPos + 1) & 7;
    }
}

void BitWriter::SB(int32_t value, int bits)
{
    UB(static_cast<uint32_t>(value) & (bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1u)), bits);
}

void BitWriter::Align()
{
    m_bitPos = 0;
}

void BitWriter::Rect(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax)
{
    int bits = 0;
    for (int32_t v : {xMin, xMax, yMin, yMax})
        if (v != 0)
            bits = std::max(bits, SignedBits(v));
    Align();
    UB(static_cast<uint32_t>(bits), 5);
    SB(xMin, bits);
    SB(xMax, bits);
    SB(yMin, bits);
    SB(yMax, bits);
    Align();
}

int SignedBits(int64_t v)
{
    int bits = 1;
    while (v < -(int64_t(1) << (bits - 1)) || v > (int64_t(1) << (bits - 1)) - 1)
        ++bits;
    return bits;
}

int UnsignedBits(uint64_t v)
{
    int bits = 0;
    while (v >> bits)
        ++bits;
    return bits;
}

void AppendTag(std::vector<uint8_t>& out, unsigned code, const std::vector<uint8_t>& body)
{
    BitWriter w;
    if (body.size() < 63)
        w.UI16((code << 6) | static_cast<unsigned>(body.size()));
    else
    {
        w.UI16((code << 6) | 0x3F);
        w.UI32(static_cast<uint32_t>(body.size()));
    }
    out.insert(out.end(), w.Data().begin(), w.Data().end());
    out.insert(out.end(), body.begin(), body.end());
}

bool BuildSwfFile(const std::vector<uint8_t>& tags, int version, Compression compression,
                  std::vector<uint8_t>& file)
{
    // Everything after the first eight bytes is what CWS compresses.
    BitWriter rest;
    // The stage is never shown; 550 x 400 px is the customary default size.
    rest.Rect(0, 550 * 20, 0, 400 * 20);
    rest.UI16(12 << 8);  // 12 frames per second, 8.8 fixed point
    rest.UI16(1);
    rest.Bytes(tags);
    const std::vector<uint8_t>& body = rest.Data();

    const uint32_t totalLength = static_cast<uint32_t>(8 + body.size());
    BitWriter head;
    head.Bytes(std::string(compression == Compression::Zlib ? "CWS" : "FWS"));
    head.UI8(static_cast<unsigned>(version));
    head.UI32(totalLength);
    file = head.Data();

    if (compression == Compression::None)
    {
        file.insert(file.end(), body.begin(), body.end());
        return true;
    }
    uLongf packedSize = compressBound(static_cast<uLong>(body.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, body.data(), static_cast<uLong>(body.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        return false;
    file.insert(file.end(), packed.begin(), packed.begin() + static_cast<long>(packedSize));
    return true;
}

}
