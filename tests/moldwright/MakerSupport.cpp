#include "MakerSupport.h"

#include FT_ADVANCES_H

#include <png.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace swftest
{

namespace
{

std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}

RunResult RunMaker(const std::vector<std::string>& args)
{
    ScratchFolder io;
    std::string command = Quote(MOLDWRIGHT_EXE);
    for (const std::string& a : args)
        command += " " + Quote(a);
    command += " >" + Quote(io / "out") + " 2>" + Quote(io / "err");
    const int status = std::system(command.c_str());
    RunResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = Slurp(io / "out");
    r.err = Slurp(io / "err");
    return r;
}

ScratchFolder::ScratchFolder()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/moldwright-test-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data()))
        throw std::runtime_error("cannot make a scratch folder");
    m_path = buf.data();
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ec;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
}

std::vector<std::string> FilesBelow(const std::string& folder)
{
    std::vector<std::string> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (!it->is_directory())
            files.push_back(fs::relative(it->path(), folder).string());
    return files;
}

FtFace::FtFace(const std::string& path)
{
    if (FT_Init_FreeType(&m_library) != 0 || FT_New_Face(m_library, path.c_str(), 0, &m_face) != 0)
        throw std::runtime_error("FreeType cannot open " + path);
    FT_Select_Charmap(m_face, FT_ENCODING_UNICODE);
}

FtFace::~FtFace()
{
    if (m_face)
        FT_Done_Face(m_face);
    if (m_library)
        FT_Done_FreeType(m_library);
}

std::vector<uint16_t> WesternEuropeanCodes()
{
    std::vector<uint16_t> codes;
    for (uint16_t c = 0x20; c < 0x7F; ++c)
        codes.push_back(c);
    for (uint16_t c = 0xA0; c <= 0xFF; ++c)
        codes.push_back(c);
    // Œœ Šš Žž Ÿ ƒ ‘ ’ ‚ “ ” „ † ‡ • … ‰ ‹ › € ™ – —
    const char16_t extra[] = u"ŒœŠšŽžŸƒ‘’‚“”„†‡•…‰‹›€™–—";
    for (const char16_t* p = extra; *p; ++p)
        codes.push_back(static_cast<uint16_t>(*p));
    std::sort(codes.begin(), codes.end());
    return codes;
}

std::vector<uint16_t> MappedCodes(FT_Face face, const std::vector<uint16_t>& wanted)
{
    std::vector<uint16_t> mapped;
    for (uint16_t c : wanted)
        if (FT_Get_Char_Index(face, c) != 0)
            mapped.push_back(c);
    return mapped;
}

int ExpectedAdvance(FT_Face face, uint16_t code)
{
    FT_Fixed advance = 0;
    FT_Get_Advance(face, FT_Get_Char_Index(face, code), FT_LOAD_NO_SCALE, &advance);
    const long v = std::lround(double(advance) * 20480.0 / face->units_per_EM);
    return static_cast<int>(std::max(-32768L, std::min(32767L, v)));
}

PngInfo InspectPng(const std::string& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        throw std::runtime_error("not a PNG: " + path);
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
        throw std::runtime_error("cannot decode " + path);
    PngInfo info;
    info.width = static_cast<int>(image.width);
    info.height = static_cast<int>(image.height);
    for (size_t i = 3; i < pixels.size(); i += 4)
    {
        if (pixels[i] == 0)
            ++info.transparentPixels;
        else if (pixels[i] == 255)
            ++info.opaquePixels;
        else
            ++info.partialPixels;
    }
    return info;
}

}
