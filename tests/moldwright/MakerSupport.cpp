#include "MakerSupport.h"

#include FT_ADVANCES_H

#include <hb.h>
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
    std::sort(files.begin(), files.end());
    return files;
}

std::string MovieIn(const std::string& folder)
{
    std::vector<std::string> movies;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".swf")
            movies.push_back(entry.path().string());
    return movies.size() == 1 ? movies.front() : std::string();
}

FtFace::FtFace(const std::string& path, long index)
{
    if (FT_Init_FreeType(&m_library) != 0 || FT_New_Face(m_library, path.c_str(), index, &m_face) != 0)
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

std::map<std::pair<uint16_t, uint16_t>, int> ShapedKerning(const std::string& fontPath,
                                                         const std::vector<uint16_t>& codes, int instance)
{
    hb_blob_t* blob = hb_blob_create_from_file(fontPath.c_str());
    hb_face_t* face = hb_face_create(blob, 0);
    hb_font_t* font = hb_font_create(face);  // scale: font units
    if (instance >= 0)
        hb_font_set_var_named_instance(font, unsigned(instance));
    const double scale = 20480.0 / hb_face_get_upem(face);
    hb_feature_t features[8];
    const char* const off[] = {"-liga", "-clig", "-calt", "-dlig", "-rlig", "-ccmp", "-dist", "-curs"};
    for (int i = 0; i < 8; ++i)
        hb_feature_from_string(off[i], -1, &features[i]);

    std::map<std::pair<uint16_t, uint16_t>, int> kerning;
    hb_buffer_t* buffer = hb_buffer_create();
    for (uint16_t l : codes)
        for (uint16_t r : codes)
        {
            hb_buffer_reset(buffer);
            const uint32_t text[2] = {l, r};
            hb_buffer_add_utf32(buffer, text, 2, 0, 2);
            hb_buffer_set_direction(buffer, HB_DIRECTION_LTR);
            hb_buffer_set_script(buffer, HB_SCRIPT_LATIN);
            hb_buffer_set_language(buffer, hb_language_from_string("en", -1));
            hb_shape(font, buffer, features, 8);
            unsigned count = 0;
            const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
            const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, nullptr);
            if (count != 2)
                continue;
            const long k = pos[0].x_advance - hb_font_get_glyph_h_advance(font, info[0].codepoint);
            const long v = std::lround(k * scale);
            if (v != 0)
                kerning[{l, r}] = static_cast<int>(v);
        }
    hb_buffer_destroy(buffer);
    hb_font_destroy(font);
    hb_face_destroy(face);
    hb_blob_destroy(blob);
    return kerning;
}

std::vector<int> ShapedAdvances(const std::string& fontPath, const std::vector<uint16_t>& codes, int instance)
{
    hb_blob_t* blob = hb_blob_create_from_file(fontPath.c_str());
    hb_face_t* face = hb_face_create(blob, 0);
    hb_font_t* font = hb_font_create(face);
    if (instance >= 0)
        hb_font_set_var_named_instance(font, unsigned(instance));
    std::vector<int> advances;
    for (uint16_t code : codes)
    {
        hb_codepoint_t glyph = 0;
        hb_font_get_nominal_glyph(font, code, &glyph);
        advances.push_back(
            static_cast<int>(std::lround(hb_font_get_glyph_h_advance(font, glyph) * 20480.0 / hb_face_get_upem(face))));
    }
    hb_font_destroy(font);
    hb_face_destroy(face);
    hb_blob_destroy(blob);
    return advances;
}

std::pair<double, double> ShapedEdges(const std::string& fontPath, uint32_t code, int instance)
{
    hb_blob_t* blob = hb_blob_create_from_file(fontPath.c_str());
    hb_face_t* face = hb_face_create(blob, 0);
    hb_font_t* font = hb_font_create(face);
    hb_font_set_var_named_instance(font, unsigned(instance));
    hb_codepoint_t glyph = 0;
    hb_font_get_nominal_glyph(font, code, &glyph);
    hb_glyph_extents_t extents{};
    hb_font_get_glyph_extents(font, glyph, &extents);
    const double scale = 20480.0 / hb_face_get_upem(face);
    hb_font_destroy(font);
    hb_face_destroy(face);
    hb_blob_destroy(blob);
    return {extents.x_bearing * scale, (extents.x_bearing + extents.width) * scale};
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
        info.alpha.push_back(pixels[i]);
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
