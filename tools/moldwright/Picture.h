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

struct TextLayout
{
    int height;           // picture height in pixels
    double lineHeight;    // pixels that ascender plus descender should take
    int padding;          // pixels left free on the left and the right
    int fixedWidth;       // 0: as wide as the text needs
    uint32_t colour;      // 0xRRGGBB
};

// Draws `text` (code points) antialiased on a transparent background. Characters the face
// lacks are left out; fails when none remains.
bool DrawText(FT_Face face, const std::vector<uint32_t>& text, const TextLayout& layout, Picture& picture,
              std::string& error);

bool EncodePng(const Picture& picture, std::vector<uint8_t>& png, std::string& error);

}

#endif
