#include "HarfBuzzFont.h"

#include FT_MULTIPLE_MASTERS_H

#include <hb-ft.h>

#include <vector>

namespace moldwright
{

hb_font_t* CreateHarfBuzzFont(FT_Face face)
{
    hb_face_t* hbFace = hb_ft_face_create_referenced(face);
    hb_font_t* font = hb_font_create(hbFace);
    hb_face_destroy(hbFace);
    hb_font_set_scale(font, face->units_per_EM, face->units_per_EM);
    FT_MM_Var* mm = nullptr;
    if (FT_HAS_MULTIPLE_MASTERS(face) && FT_Get_MM_Var(face, &mm) == 0)
    {
        // The instance's position on each axis, from FreeType's 16.16 to HarfBuzz's 2.14.
        std::vector<FT_Fixed> coords(mm->num_axis);
        if (FT_Get_Var_Blend_Coordinates(face, mm->num_axis, coords.data()) == 0)
        {
            std::vector<int> normalised(coords.size());
            for (size_t i = 0; i < coords.size(); ++i)
                normalised[i] = int(coords[i] >> 2);
            hb_font_set_var_coords_normalized(font, normalised.data(), unsigned(normalised.size()));
        }
        FT_Done_MM_Var(face->glyph->library, mm);
    }
    return font;
}

}
