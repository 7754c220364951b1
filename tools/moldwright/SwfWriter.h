// Byte and bit level writing of SWF structures: little-endian integers, bit fields
// (most significant bit first), rectangles, record headers and the file header.
#ifndef MOLDWRIGHT_SWFWRITER_H
#define MOLDWRIGHT_SWFWRITER_H

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace moldwright
{

class BitWriter
{
public:
    void UI8(unsigned v);
    void UI16(unsigned v);
    void SI16(int v);
    void UI32(uint32_t v);
    void Bytes(const std::vector<uint8_t>& data);
    void Bytes(const std::string& data);

    void UB(uint32_t value, int bits)
    {
        if (bits <= 0)
            return;
        // Bits gather in a 64-bit accumulator and leave it four bytes at a time; fewer than
        // 32 stay behind, so a field of up to 32 bits always fits.
        const uint64_t mask = bits >= 32 ? 0xFFFFFFFFull : ((uint64_t(1) << bits) - 1);
        m_acc = (m_acc << bits) | (value & mask);
        m_accBits += bits;
        if (m_accBits >= 32)
            FlushWord();
    }
    void SB(int32_t value, int bits) { UB(static_cast<uint32_t>(value), bits); }
    // Pads the bit field to the next whole byte.
    void Align();

    // Writes a RECT with the smallest field width that holds all four values.
    void Rect(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax);

    // The bytes written so far, a bit field in progress padded to a whole byte.
    std::vector<uint8_t>& Data()
    {
        Align();
        m_data.resize(m_size);
        return m_data;
    }

private:
    void FlushWord();
    // Room for n more bytes; m_data runs ahead of what is written so that a byte costs a store.
    uint8_t* Room(size_t n)
    {
        if (m_size + n > m_data.size())
            m_data.resize(std::max<size_t>(64, 2 * m_data.size() + n));
        uint8_t* at = m_data.data() + m_size;
        m_size += n;
        return at;
    }

    std::vector<uint8_t> m_data;
    size_t m_size = 0;  // bytes of m_data written
    uint64_t m_acc = 0;  // bits not yet in m_data, the last m_accBits of them
    int m_accBits = 0;
};

// Bits needed to hold v as a signed field (at least 1).
int SignedBits(int64_t v);
// Bits needed to hold v as an unsigned field (0 for 0).
int UnsignedBits(uint64_t v);

// Appends a tag with its record header; the long form is used from 63 bytes on.
void AppendTag(std::vector<uint8_t>& out, unsigned code, const std::vector<uint8_t>& body);

enum class Compression
{
    None,  // "FWS"
    Zlib   // "CWS"
};

// Builds a complete SWF file around the given tag stream (which must end with End).
// Returns false only when compression fails.
bool BuildSwfFile(const std::vector<uint8_t>& tags, int version, Compression compression,
                  std::vector<uint8_t>& file);

namespace tag
{
constexpr unsigned kEnd = 0;
constexpr unsigned kShowFrame = 1;
constexpr unsigned kDefineFont2 = 48;
constexpr unsigned kFileAttributes = 69;
constexpr unsigned kDefineFont3 = 75;
}

}

#endif
