#include "core/FontProperties.h"

#include "core/TextUtil.h"

#include <wx/xml/xml.h>

namespace
{
// New elements go in front of their siblings: the file order of the formats depends on it.
wxXmlNode* NewElementInFront(wxXmlNode* parent, const wxString& name)
{
    wxXmlNode* node = new wxXmlNode(wxXML_ELEMENT_NODE, name);
    if (parent)
    {
        if (parent->GetChildren())
            parent->InsertChild(node, parent->GetChildren());
        else
            parent->AddChild(node);
    }
    return node;
}

void Put(wxXmlNode* node, const char* name, int value)
{
    node->AddAttribute(name, wxString::Format(wxS("%d"), value));
}

void Put(wxXmlNode* node, const char* name, bool value)
{
    node->AddAttribute(name, value ? wxS("1") : wxS("0"));
}

void Put(wxXmlNode* node, const char* name, float value)
{
    node->AddAttribute(name, FormatFloat(value));
}

void Put(wxXmlNode* node, const char* name, const RgbColour& value)
{
    node->AddAttribute(name, FormatColour(value));
}

void Put(wxXmlNode* node, const char* name, const wxString& value)
{
    node->AddAttribute(name, value);
}

void Get(const wxXmlNode* node, const char* name, int& value)
{
    wxString text;
    if (node->GetAttribute(name, &text))
        value = ParseInt(text);
}

void Get(const wxXmlNode* node, const char* name, bool& value)
{
    wxString text;
    if (node->GetAttribute(name, &text))
        value = ParseInt(text) != 0;
}

void Get(const wxXmlNode* node, const char* name, float& value)
{
    wxString text;
    if (node->GetAttribute(name, &text))
        value = static_cast<float>(ParseDouble(text));
}

void Get(const wxXmlNode* node, const char* name, RgbColour& value)
{
    wxString text;
    if (node->GetAttribute(name, &text))
        ParseColour(text, value);
}

void Get(const wxXmlNode* node, const char* name, wxString& value)
{
    wxString text;
    if (node->GetAttribute(name, &text))
        value = text;
}

bool SameColour(const RgbColour& a, const RgbColour& b)
{
    if (a.IsOk() != b.IsOk())
        return false;
    if (!a.IsOk())
        return true;
    return a.Red() == b.Red() && a.Green() == b.Green() && a.Blue() == b.Blue() && a.Alpha() == b.Alpha();
}
}

wxXmlNode* WriteFilter(wxXmlNode* parent, const wxString& elementName, const BlurProperties& r)
{
    wxXmlNode* node = NewElementInFront(parent, elementName);
    Put(node, "enabled", r.enabled);
    Put(node, "quality", r.quality);
    Put(node, "blurx", r.blurx);
    Put(node, "blury", r.blury);
    return node;
}

wxXmlNode* WriteFilter(wxXmlNode* parent, const wxString& elementName, const DropShadowProperties& r)
{
    wxXmlNode* node = NewElementInFront(parent, elementName);
    Put(node, "enabled", r.enabled);
    Put(node, "quality", r.quality);
    Put(node, "angle", r.angle);
    Put(node, "knockout", r.knockout);
    Put(node, "distance", r.distance);
    Put(node, "color", r.color);
    Put(node, "strength", r.strength);
    return node;
}

wxXmlNode* WriteFilter(wxXmlNode* parent, const wxString& elementName, const GlowProperties& r)
{
    wxXmlNode* node = NewElementInFront(parent, elementName);
    Put(node, "enabled", r.enabled);
    Put(node, "strength", r.strength);
    Put(node, "blurx", r.blurx);
    Put(node, "blury", r.blury);
    Put(node, "knockout", r.knockout);
    Put(node, "inner", r.inner);
    Put(node, "quality", r.quality);
    Put(node, "alpha", r.alpha);
    Put(node, "color", r.color);
    return node;
}

wxXmlNode* WriteFilter(wxXmlNode* parent, const wxString& elementName, const BevelProperties& r)
{
    wxXmlNode* node = NewElementInFront(parent, elementName);
    Put(node, "enabled", r.enabled);
    Put(node, "angle", r.angle);
    Put(node, "distance", r.distance);
    Put(node, "strength", r.strength);
    Put(node, "quality", r.quality);
    Put(node, "highlightcolor", r.highlightcolor);
    Put(node, "shadowcolor", r.shadowcolor);
    Put(node, "type", r.type);
    return node;
}

wxXmlNode* WriteFontProperties(wxXmlNode* parent, const wxString& elementName, const FontProperties& r,
                               bool filtersOnly)
{
    wxXmlNode* node = NewElementInFront(parent, elementName);
    if (!filtersOnly)
    {
        Put(node, "font", r.font);
        Put(node, "foundry", r.foundry);
        Put(node, "size", r.size);
        Put(node, "align", r.align);
        Put(node, "color", r.color);
        Put(node, "linkcolor", r.linkcolor);
        Put(node, "backgroundcolor", r.backgroundcolor);
        Put(node, "hovercolor", r.hovercolor);
        Put(node, "opacity", r.opacity);
        Put(node, "bold", r.bold);
        Put(node, "italic", r.italic);
        Put(node, "stroked", r.stroked);
        Put(node, "understroked", r.understroked);
    }
    WriteFilter(node, wxS("blur"), r.blur);
    WriteFilter(node, wxS("dropshadow"), r.dropshadow);
    WriteFilter(node, wxS("glow"), r.glow);
    WriteFilter(node, wxS("bevel"), r.bevel);
    return node;
}

bool ReadFilter(const wxXmlNode* node, BlurProperties& r)
{
    if (!node)
        return false;
    Get(node, "enabled", r.enabled);
    Get(node, "quality", r.quality);
    Get(node, "blurx", r.blurx);
    Get(node, "blury", r.blury);
    return true;
}

bool ReadFilter(const wxXmlNode* node, DropShadowProperties& r)
{
    if (!node)
        return false;
    Get(node, "enabled", r.enabled);
    Get(node, "quality", r.quality);
    Get(node, "angle", r.angle);
    Get(node, "knockout", r.knockout);
    Get(node, "distance", r.distance);
    Get(node, "color", r.color);
    Get(node, "strength", r.strength);
    return true;
}

bool ReadFilter(const wxXmlNode* node, GlowProperties& r)
{
    if (!node)
        return false;
    Get(node, "enabled", r.enabled);
    Get(node, "strength", r.strength);
    Get(node, "blurx", r.blurx);
    Get(node, "blury", r.blury);
    Get(node, "knockout", r.knockout);
    Get(node, "inner", r.inner);
    Get(node, "quality", r.quality);
    Get(node, "alpha", r.alpha);
    Get(node, "color", r.color);
    return true;
}

bool ReadFilter(const wxXmlNode* node, BevelProperties& r)
{
    if (!node)
        return false;
    Get(node, "enabled", r.enabled);
    Get(node, "angle", r.angle);
    Get(node, "distance", r.distance);
    Get(node, "strength", r.strength);
    Get(node, "quality", r.quality);
    Get(node, "highlightcolor", r.highlightcolor);
    Get(node, "shadowcolor", r.shadowcolor);
    Get(node, "type", r.type);
    return true;
}

bool ReadFontProperties(const wxXmlNode* node, FontProperties& r, bool filtersOnly)
{
    if (!node)
        return false;
    if (!filtersOnly)
    {
        Get(node, "font", r.font);
        Get(node, "foundry", r.foundry);
        Get(node, "size", r.size);
        Get(node, "align", r.align);
        Get(node, "color", r.color);
        Get(node, "linkcolor", r.linkcolor);
        Get(node, "backgroundcolor", r.backgroundcolor);
        Get(node, "hovercolor", r.hovercolor);
        Get(node, "opacity", r.opacity);
        Get(node, "bold", r.bold);
        Get(node, "italic", r.italic);
        Get(node, "stroked", r.stroked);
        Get(node, "understroked", r.understroked);
    }
    for (const wxXmlNode* child = node->GetChildren(); child; child = child->GetNext())
    {
        if (child->GetType() != wxXML_ELEMENT_NODE)
            continue;
        const wxString& name = child->GetName();
        if (name == wxS("blur"))
            ReadFilter(child, r.blur);
        else if (name == wxS("dropshadow"))
            ReadFilter(child, r.dropshadow);
        else if (name == wxS("glow"))
            ReadFilter(child, r.glow);
        else if (name == wxS("bevel"))
            ReadFilter(child, r.bevel);
    }
    return true;
}

bool FiltersEqual(const FontProperties& a, const FontProperties& b)
{
    const BlurProperties &ab = a.blur, &bb = b.blur;
    const bool blur = (!ab.enabled && !bb.enabled) ||
                      (ab.enabled == bb.enabled && ab.quality == bb.quality && ab.blurx == bb.blurx &&
                       ab.blury == bb.blury);

    const DropShadowProperties &ad = a.dropshadow, &bd = b.dropshadow;
    const bool shadow = (!ad.enabled && !bd.enabled) ||
                        (ad.enabled == bd.enabled && ad.quality == bd.quality && ad.angle == bd.angle &&
                         ad.knockout == bd.knockout && ad.distance == bd.distance &&
                         SameColour(ad.color, bd.color) && ad.strength == bd.strength);

    const GlowProperties &ag = a.glow, &bg = b.glow;
    const bool glow = (!ag.enabled && !bg.enabled) ||
                      (ag.enabled == bg.enabled && ag.strength == bg.strength && ag.blurx == bg.blurx &&
                       ag.blury == bg.blury && ag.knockout == bg.knockout && ag.inner == bg.inner &&
                       ag.quality == bg.quality && ag.alpha == bg.alpha && SameColour(ag.color, bg.color));

    const BevelProperties &av = a.bevel, &bv = b.bevel;
    const bool bevel = (!av.enabled && !bv.enabled) ||
                       (av.enabled == bv.enabled && av.angle == bv.angle && av.distance == bv.distance &&
                        av.strength == bv.strength && av.quality == bv.quality &&
                        SameColour(av.highlightcolor, bv.highlightcolor) &&
                        SameColour(av.shadowcolor, bv.shadowcolor) && av.type == bv.type);

    return blur && shadow && glow && bevel;
}

void CopyFilters(const FontProperties& source, FontProperties& target)
{
    target.blur = source.blur;
    target.dropshadow = source.dropshadow;
    target.glow = source.glow;
    target.bevel = source.bevel;
}
