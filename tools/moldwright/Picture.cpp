#include "Picture.h"

#include "HarfBuzzFont.h"

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
    double x;  // pen position in font units
    double y;
};

// Shapes the text with HarfBuzz, as browsers do, so that joining scripts join and marks sit
// on their letters; positions are in font units, free of hinting, so that every picture
// size has the same layout. Fonts without OpenType tables (Type 1) are laid out glyph by
// glyph with their kerning. Returns the advance of the whole line.
double Shape(FT_Face face, const std::vector<uint32_t>& text, std::vector<Placed>& placed)
{
    placed.clear();
    double pen = 0;
    if (!FT_IS_SFNT(face))
    {
        FT_UInt previous = 0;
        for (uint32_t c : text)
        {
            const FT_UInt g = FT_Get_Char_Index(face, c);
            if (g == 0)
                continue;
            FT_Vector k;
            if (previous != 0 && FT_HAS_KERNING(face) && FT_Get_Kerning(face, previous, g, FT_KERNING_UNSCALED, &k) == 0)
                pen += k.x;
            placed.push_back({g, pen, 0});
            if (FT_Load_Glyph(face, g, FT_LOAD_NO_SCALE) == 0)
                pen += face->glyph->advance.x;
            previous = g;
        }
        return pen;
    }

    hb_font_t* font = CreateHarfBuzzFont(face);
    hb_buffer_t* buffer = hb_buffer_create();
    hb_buffer_add_utf32(buffer, text.data(), int(text.size()), 0, int(text.size()));
    hb_buffer_guess_segment_properties(buffer);
    hb_shape(font, buffer, nullptr, 0);
    unsigned count = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, nullptr);
    for (unsigned i = 0; i < count; ++i)
    {
        if (info[i].codepoint != 0)
        {
            placed.push_back({info[i].codepoint, pen + pos[i].x_offset, double(pos[i].y_offset)});
            pen += pos[i].x_advance;
        }
    }
    hb_buffer_destroy(buffer);
    hb_font_destroy(font);
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

bool DrawText(FT_Face face, const std::vector<uint32_t>& text, const TextLayout& layout, int scale, Picture& picture,
              std::string& error)
{
    std::vector<Placed> placed;
    const double advance = Shape(face, text, placed);
    if (placed.empty())
    {
        error = "the face has none of the characters of the picture's text";
        return false;
    }

    // The layout is settled at the plain size and multiplied, so that both sizes agree.
    const double units = face->units_per_EM;
    const double emPerLine = double(face->ascender - face->descender) / units;
    double emPx = layout.lineHeight / (emPerLine > 0.2 ? emPerLine : 1.0);
    double width = advance * emPx / units;
    if (layout.fixedWidth != 0 && width > layout.fixedWidth - 2 * layout.padding)
    {
        emPx *= (layout.fixedWidth - 2 * layout.padding) / width;
        width = layout.fixedWidth - 2 * layout.padding;
    }
    const int plainWidth = layout.fixedWidth ? layout.fixedWidth : static_cast<int>(std::ceil(width)) + 2 * layout.padding;

    const FT_F26Dot6 size = static_cast<FT_F26Dot6>(std::lround(emPx * scale * 64));
    FT_Set_Char_Size(face, 0, size, 72, 72);
    const double pxPerUnit = size / 64.0 / units;
    picture.width = plainWidth * scale;
    picture.height = layout.height * scale;
    const double linePx = (face->ascender - face->descender) * pxPerUnit;
    const int baseline = static_cast<int>(std::lround((picture.height - linePx) / 2 + face->ascender * pxPerUnit));
    picture.rgba.assign(size_t(picture.width) * picture.height * 4, 0);
    const uint8_t r = (layout.colour >> 16) & 0xFF, g = (layout.colour >> 8) & 0xFF, b = layout.colour & 0xFF;

    bool inked = false;
    for (const Placed& p : placed)
    {
        const double x = layout.padding * scale + p.x * pxPerUnit;
        const double y = p.y * pxPerUnit;
        const double wholeX = std::floor(x), wholeY = std::floor(y);
        // Shift the outline by the fractions so that the pen position holds to 1/64 px.
        FT_Vector shift{static_cast<FT_Pos>(std::lround((x - wholeX) * 64)),
                        static_cast<FT_Pos>(std::lround((y - wholeY) * 64))};
        FT_Set_Transform(face, nullptr, &shift);
        const bool ok = FT_Load_Glyph(face, p.glyph, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) == 0;
        FT_Set_Transform(face, nullptr, nullptr);
        if (!ok || face->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
            continue;
        const FT_Bitmap& bm = face->glyph->bitmap;
        const int left = static_cast<int>(wholeX) + face->glyph->bitmap_left;
        const int top = baseline - static_cast<int>(wholeY) - face->glyph->bitmap_top;
        for (unsigned row = 0; row < bm.rows; ++row)
        {
            const int yy = top + int(row);
            if (yy < 0 || yy >= picture.height)
                continue;
            for (unsigned col = 0; col < bm.width; ++col)
            {
                const int xx = left + int(col);
                if (xx < 0 || xx >= picture.width)
                    continue;
                const uint8_t coverage = bm.buffer[row * bm.pitch + col];
                uint8_t* px = &picture.rgba[(size_t(yy) * picture.width + xx) * 4];
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
