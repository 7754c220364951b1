#include "ExistingMovie.h"

#include "SwfWriter.h"

#include <libdeflate.h>

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace moldwright
{

namespace
{

// A movie larger than this is not one of a font family.
constexpr uint32_t kLargestMovie = 256u << 20;

unsigned U16(const std::vector<uint8_t>& d, size_t at)
{
    return at + 2 <= d.size() ? unsigned(d[at] | d[at + 1] << 8) : 0;
}

uint32_t U32(const std::vector<uint8_t>& d, size_t at)
{
    return at + 4 <= d.size() ? uint32_t(U16(d, at)) | uint32_t(U16(d, at + 2)) << 16 : 0;
}

}

ExistingMovie ReadMovieFonts(const std::string& path, std::vector<std::string>& names)
{
    names.clear();
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return errno == ENOENT ? ExistingMovie::Missing : ExistingMovie::Unreadable;
    if (!S_ISREG(st.st_mode) || st.st_size < 8 || uint64_t(st.st_size) > kLargestMovie)
        return ExistingMovie::Unreadable;
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof())
        return ExistingMovie::Unreadable;
    if (file.size() < 8 || file[1] != 'W' || file[2] != 'S' || (file[0] != 'F' && file[0] != 'C'))
        return ExistingMovie::Unreadable;

    const uint32_t total = U32(file, 4);
    std::vector<uint8_t> body;
    if (file[0] == 'C')
    {
        if (total < 8 || total > kLargestMovie)
            return ExistingMovie::Unreadable;
        body.resize(total - 8);
        libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
        size_t produced = 0;
        const libdeflate_result result = inflater ? libdeflate_zlib_decompress(inflater, file.data() + 8, file.size() - 8,
                                                                               body.data(), body.size(), &produced)
                                                  : LIBDEFLATE_BAD_DATA;
        if (inflater)
            libdeflate_free_decompressor(inflater);
        if (result != LIBDEFLATE_SUCCESS && result != LIBDEFLATE_SHORT_OUTPUT)
            return ExistingMovie::Unreadable;
        body.resize(produced);
    }
    else
        body.assign(file.begin() + 8, file.end());

    if (body.empty())
        return ExistingMovie::Unreadable;
    const unsigned rectBits = body[0] >> 3;
    size_t at = (5 + 4 * rectBits + 7) / 8 + 4;  // frame size, frame rate, frame count
    while (at + 2 <= body.size())
    {
        const unsigned header = U16(body, at);
        at += 2;
        size_t length = header & 0x3F;
        if (length == 0x3F)
        {
            length = U32(body, at);
            at += 4;
        }
        const unsigned code = header >> 6;
        if (code == tag::kEnd || at + length > body.size())
            break;
        if ((code == tag::kDefineFont2 || code == tag::kDefineFont3) && length >= 5)
        {
            const size_t nameLength = body[at + 4];
            if (5 + nameLength <= length)
                names.emplace_back(reinterpret_cast<const char*>(&body[at + 5]), nameLength);
        }
        at += length;
    }
    return names.empty() ? ExistingMovie::Unreadable : ExistingMovie::Fonts;
}

}
