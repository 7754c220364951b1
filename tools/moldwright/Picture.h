// Pictures of text drawn with a face: the font list's preview and the foundry header.
#ifndef MOLDWRIGHT_PICTURE_H
#define MOLDWRIGHT_PICTURE_H

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <string>
#include <vector>

namespace moldwright
{

struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // rows top to bottom, 4 bytes a pixel
};

// Sizes in pixels of the picture at its plain size.
struct TextLayout
{
    int height;           // picture height
    double lineHeight;    // what ascender plus descender should take
    int padding;          // left free on the left and the right
    int fixedWidth;       // 0: as wide as the text needs
    uint32_t colour;      // 0xRRGGBB
};

// Draws `text` (code points, shaped as its script needs) antialiased on a transparent
// background, `scale` times the layout's size: a picture for a high-density screen is drawn
// at its own size, with the same layout as the plain one, and is exactly `scale` times as
// large. Characters the face lacks are left out; fails when none remains.
bool DrawText(FT_Face face, const std::vector<uint32_t>& text, const TextLayout& layout, int scale, Picture& picture,
              std::string& error);

bool EncodePng(const Picture& picture, std::vector<uint8_t>& png, std::string& error);

}

#endif
