// The style record of a tag and its four filter records, with their defaults and their
// XML element form (shared by the project file and the effect file). Field names are the
// XML attribute names.
#ifndef GLYPHARA_CORE_FONTPROPERTIES_H
#define GLYPHARA_CORE_FONTPROPERTIES_H

#include "core/RgbColour.h"

#include <wx/string.h>

class wxXmlNode;

struct BlurProperties
{
    bool enabled = false;
    int quality = 2;
    int blurx = 5;
    int blury = 5;
};

struct DropShadowProperties
{
    bool enabled = false;
    int quality = 2;
    int angle = 45;
    bool knockout = false;
    float distance = 4.0f;
    RgbColour color = RgbColour(0, 0, 0);
    float strength = 1.0f;
};

struct GlowProperties
{
    bool enabled = false;
    int strength = 2;
    float blurx = 6.0f;
    float blury = 6.0f;
    bool knockout = false;
    bool inner = false;
    int quality = 1;
    float alpha = 0.25f;
    RgbColour color = RgbColour(255, 255, 0);
};

struct BevelProperties
{
    bool enabled = false;
    int angle = 45;
    float distance = 4.0f;
    int strength = 1;
    int quality = 2;
    RgbColour highlightcolor = RgbColour(0, 0, 255);
    RgbColour shadowcolor = RgbColour(255, 0, 0);
    int type = 1; // 0 inner, 1 outer, 2 full
};

struct FontProperties
{
    wxString font;
    wxString foundry;
    int size = 40;
    int align = 0; // 0 left, 1 center, 2 right, 3 justify
    RgbColour color = RgbColour(0, 0, 0);
    RgbColour linkcolor = RgbColour(0, 0, 255);
    RgbColour backgroundcolor = RgbColour(255, 255, 255);
    RgbColour hovercolor = RgbColour(255, 0, 0);
    int opacity = 100;
    bool bold = false;
    bool italic = false;
    bool stroked = false;
    bool understroked = false;
    BlurProperties blur;
    DropShadowProperties dropshadow;
    GlowProperties glow;
    BevelProperties bevel;
};

// Each writer creates the element in front of the parent's existing children, so the
// element written last stands first in the file.
wxXmlNode* WriteFilter(wxXmlNode* parent, const wxString& elementName, const BlurProperties& record);
wxXmlNode* WriteFilter(wxXmlNode* parent, const wxString& elementName, const DropShadowProperties& record);
wxXmlNode* WriteFilter(wxXmlNode* parent, const wxString& elementName, const GlowProperties& record);
wxXmlNode* WriteFilter(wxXmlNode* parent, const wxString& elementName, const BevelProperties& record);
wxXmlNode* WriteFontProperties(wxXmlNode* parent, const wxString& elementName, const FontProperties& record,
                               bool filtersOnly);

// Readers update only the fields whose attribute is present; false when element is null.
bool ReadFilter(const wxXmlNode* element, BlurProperties& record);
bool ReadFilter(const wxXmlNode* element, DropShadowProperties& record);
bool ReadFilter(const wxXmlNode* element, GlowProperties& record);
bool ReadFilter(const wxXmlNode* element, BevelProperties& record);
bool ReadFontProperties(const wxXmlNode* element, FontProperties& record, bool filtersOnly);
// Reads a "blur", "dropshadow", "glow" or "bevel" element into that filter of record;
// false for any other element.
bool ReadNamedFilter(const wxXmlNode* element, FontProperties& record);

// One comparison, field by field: exactly, and NaN (which a file may hold) equal to
// itself. SameStyle sees every field, a disabled filter's values included, since a file
// keeps them and undo gives them back. FiltersEqual, by which an effect matches a tag,
// sees the four filters only, and two disabled filters are equal whatever they hold.
bool SameStyle(const FontProperties& a, const FontProperties& b);
bool FiltersEqual(const FontProperties& a, const FontProperties& b);
void CopyFilters(const FontProperties& source, FontProperties& target);

#endif
