#include "SwfWriter.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace moldwright
{

void BitWriter::UI8(unsigned v)
{
    Align();
    *Room(1) = static_cast<uint8_t>(v & 0xFF);
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
    if (!data.empty())
        std::memcpy(Room(data.size()), data.data(), data.size());
}

void BitWriter::Bytes(const std::string& data)
{
    Align();
    if (!data.empty())
        std::memcpy(Room(data.size()), data.data(), data.size());
}

void BitWriter::FlushWord()
{
    m_accBits -= 32;
    const uint32_t word = static_cast<uint32_t>(m_acc >> m_accBits);
    uint8_t* at = Room(4);
    at[0] = static_cast<uint8_t>(word >> 24);
    at[1] = static_cast<uint8_t>(word >> 16);
    at[2] = static_cast<uint8_t>(word >> 8);
    at[3] = static_cast<uint8_t>(word);
}

void BitWriter::Align()
{
    while (m_accBits >= 8)
    {
        m_accBits -= 8;
        *Room(1) = static_cast<uint8_t>(m_acc >> m_accBits);
    }
    if (m_accBits > 0)
        *Room(1) = static_cast<uint8_t>(m_acc << (8 - m_accBits));
    m_accBits = 0;
    m_acc = 0;
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
    // A negative value needs as many bits as its complement, plus the sign.
    const uint64_t magnitude = static_cast<uint64_t>(v < 0 ? ~v : v);
    return magnitude == 0 ? 1 : 65 - __builtin_clzll(magnitude);
}

int UnsignedBits(uint64_t v)
{
    return v == 0 ? 0 : 64 - __builtin_clzll(v);
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
    // libdeflate's level 6 packs a little tighter than zlib's default level in less than
    // half the time.
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
    if (!compressor)
        return false;
    const size_t headerSize = file.size();
    file.resize(headerSize + libdeflate_zlib_compress_bound(compressor, body.size()));
    const size_t packedSize =
        libdeflate_zlib_compress(compressor, body.data(), body.size(), file.data() + headerSize, file.size() - headerSize);
    libdeflate_free_compressor(compressor);
    file.resize(headerSize + packedSize);
    return packedSize != 0;
}

}
