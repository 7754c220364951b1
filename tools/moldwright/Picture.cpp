#include "Picture.h"

#include <png.h>

#include <algorithm>
#include <cmath>

namespace moldwright
{

namespace
{

struct Placed
{
    FT_UInt glyph;
    double x;  // pen position in pixels
};

// Pen positions and total advance at the given size (26.6 char size already set).
double Layout(FT_Face face, const std::vector<FT_UInt>& glyphs, std::vector<Placed>& placed)
{
    placed.clear();
    double pen = 0;
    FT_UInt previous = 0;
    for (FT_UInt g : glyphs)
    {
        if (previous != 0 && FT_HAS_KERNING(face))
        {
            FT_Vector k;
            if (FT_Get_Kerning(face, previous, g, FT_KERNING_UNFITTED, &k) == 0)
                pen += k.x / 64.0;
        }
        placed.push_back({g, pen});
        if (FT_Load_Glyph(face, g, FT_LOAD_NO_HINTING) == 0)
            pen += face->glyph->linearHoriAdvance / 65536.0;
        previous = g;
    }
    return pen;
}

void PngWrite(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void PngFlush(png_structp)
{
}

}

bool DrawText(FT_Face face, const std::vector<uint32_t>& text, const TextLayout& layout, Picture& picture,
              std::string& error)
{
    std::vector<FT_UInt> glyphs;
    for (uint32_t c : text)
        if (FT_UInt g = FT_Get_Char_Index(face, c))
            glyphs.push_back(g);
    if (glyphs.empty())
    {
        error = "the face has none of the characters of the picture's text";
        return false;
    }

    const double emPerLine = double(face->ascender - face->descender) / face->units_per_EM;
    double sizePx = layout.lineHeight / (emPerLine > 0.2 ? emPerLine : 1.0);
    std::vector<Placed> placed;
    double width = 0;
    for (int attempt = 0; attempt < 8; ++attempt)
    {
        FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(sizePx * 64)), 72, 72);
        width = Layout(face, glyphs, placed);
        if (layout.fixedWidth == 0 || width <= layout.fixedWidth - 2 * layout.padding)
            break;
        sizePx *= (layout.fixedWidth - 2 * layout.padding) / width;
    }

    const double pxPerUnit = sizePx / face->units_per_EM;
    const double ascentPx = face->ascender * pxPerUnit;
    const double linePx = (face->ascender - face->descender) * pxPerUnit;
    const int baseline = static_cast<int>(std::lround((layout.height - linePx) / 2 + ascentPx));

    picture.width = layout.fixedWidth ? layout.fixedWidth : static_cast<int>(std::ceil(width)) + 2 * layout.padding;
    picture.height = layout.height;
    picture.rgba.assign(size_t(picture.width) * picture.height * 4, 0);
    const uint8_t r = (layout.colour >> 16) & 0xFF, g = (layout.colour >> 8) & 0xFF, b = layout.colour & 0xFF;

    bool inked = false;
    for (const Placed& p : placed)
    {
        const double x = layout.padding + p.x;
        const double whole = std::floor(x);
        // Shift the outline by the fraction so that the pen position holds to 1/64 px.
        FT_Vector shift{static_cast<FT_Pos>(std::lround((x - whole) * 64)), 0};
        FT_Set_Transform(face, nullptr, &shift);
        const bool ok = FT_Load_Glyph(face, p.glyph, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) == 0;
        FT_Set_Transform(face, nullptr, nullptr);
        if (!ok || face->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
            continue;
        const FT_Bitmap& bm = face->glyph->bitmap;
        const int left = static_cast<int>(whole) + face->glyph->bitmap_left;
        const int top = baseline - face->glyph->bitmap_top;
        for (unsigned row = 0; row < bm.rows; ++row)
        {
            const int y = top + int(row);
            if (y < 0 || y >= picture.height)
                continue;
            for (unsigned col = 0; col < bm.width; ++col)
            {
                const int xx = left + int(col);
                if (xx < 0 || xx >= picture.width)
                    continue;
                const uint8_t coverage = bm.buffer[row * bm.pitch + col];
                uint8_t* px = &picture.rgba[(size_t(y) * picture.width + xx) * 4];
                px[0] = r;
                px[1] = g;
                px[2] = b;
                px[3] = std::max(px[3], coverage);
                inked = inked || coverage != 0;
            }
        }
    }
    if (!inked)
        error = "the face draws none of the characters of the picture's text";
    return inked;
}

bool EncodePng(const Picture& picture, std::vector<uint8_t>& out, std::string& error)
{
    out.clear();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info)
    {
        png_destroy_write_struct(&png, &info);
        error = "cannot start the PNG encoder";
        return false;
    }
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        error = "the PNG encoder failed";
        return false;
    }
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_IHDR(png, info, png_uint_32(picture.width), png_uint_32(picture.height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y)
        png_write_row(png, const_cast<png_bytep>(&picture.rgba[size_t(y) * picture.width * 4]));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}
