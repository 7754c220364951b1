// HarfBuzz's view of a FreeType face, for what must come out as browsers lay text out.
#ifndef MOLDWRIGHT_HARFBUZZFONT_H
#define MOLDWRIGHT_HARFBUZZFONT_H

#include <ft2build.h>
#include FT_FREETYPE_H

#include <hb.h>

namespace moldwright
{

// A HarfBuzz font of an sfnt face at the face's variation instance, measuring in font units
// without hinting. The caller destroys it with hb_font_destroy.
hb_font_t* CreateHarfBuzzFont(FT_Face face);

}

#endif
