#include "core/FontProperties.h"

#include "core/StyleFields.h"
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

template <typename Value>
void Put(wxXmlNode* node, const char* name, const Value& value)
{
    if constexpr (std::is_same_v<Value, bool>)
        node->AddAttribute(name, value ? wxS("1") : wxS("0"));
    else if constexpr (std::is_same_v<Value, int>)
        node->AddAttribute(name, wxString::Format(wxS("%d"), value));
    else if constexpr (std::is_same_v<Value, float>)
        node->AddAttribute(name, FormatFloat(value));
    else if constexpr (std::is_same_v<Value, RgbColour>)
        node->AddAttribute(name, FormatColour(value));
    else
        node->AddAttribute(name, value);
}

// A field whose attribute is absent keeps its value.
template <typename Value>
void Get(const wxXmlNode* node, const char* name, Value& value)
{
    wxString text;
    if (!node->GetAttribute(name, &text))
        return;
    if constexpr (std::is_same_v<Value, bool>)
        value = ParseInt(text) != 0;
    else if constexpr (std::is_same_v<Value, int>)
        value = ParseInt(text);
    else if constexpr (std::is_same_v<Value, float>)
        value = static_cast<float>(ParseDouble(text));
    else if constexpr (std::is_same_v<Value, RgbColour>)
        ParseColour(text, value);
    else
        value = text;
}

template <typename Record>
wxXmlNode* WriteFields(wxXmlNode* parent, const wxString& elementName, const Record& record)
{
    wxXmlNode* node = NewElementInFront(parent, elementName);
    ForEachStyleField<Record>([&](const auto& field) { Put(node, field.name, record.*field.member); });
    return node;
}

// With disabledAlike, two disabled filters are equal whatever they hold.
bool SameFilters(const FontProperties& a, const FontProperties& b, bool disabledAlike)
{
    bool equal = true;
    ForEachStyleFilter([&](const auto& filter) {
        const auto &x = a.*filter.member, &y = b.*filter.member;
        equal = equal && ((disabledAlike && !x.enabled && !y.enabled) || SameFields(x, y));
    });
    return equal;
}

template <typename Record>
bool ReadFields(const wxXmlNode* node, Record& record)
{
    if (!node)
        return false;
    ForEachStyleField<Record>([&](const auto& field) { Get(node, field.name, record.*field.member); });
    return true;
}
}

wxXmlNode* WriteFilter(wxXmlNode* parent, const wxString& elementName, const BlurProperties& record)
{
    return WriteFields(parent, elementName, record);
}

wxXmlNode* WriteFilter(wxXmlNode* parent, const wxString& elementName, const DropShadowProperties& record)
{
    return WriteFields(parent, elementName, record);
}

wxXmlNode* WriteFilter(wxXmlNode* parent, const wxString& elementName, const GlowProperties& record)
{
    return WriteFields(parent, elementName, record);
}

wxXmlNode* WriteFilter(wxXmlNode* parent, const wxString& elementName, const BevelProperties& record)
{
    return WriteFields(parent, elementName, record);
}

wxXmlNode* WriteFontProperties(wxXmlNode* parent, const wxString& elementName, const FontProperties& record,
                               bool filtersOnly)
{
    wxXmlNode* node = filtersOnly ? NewElementInFront(parent, elementName) : WriteFields(parent, elementName, record);
    ForEachStyleFilter([&](const auto& filter) { WriteFilter(node, filter.name, record.*filter.member); });
    return node;
}

bool ReadFilter(const wxXmlNode* element, BlurProperties& record)
{
    return ReadFields(element, record);
}

bool ReadFilter(const wxXmlNode* element, DropShadowProperties& record)
{
    return ReadFields(element, record);
}

bool ReadFilter(const wxXmlNode* element, GlowProperties& record)
{
    return ReadFields(element, record);
}

bool ReadFilter(const wxXmlNode* element, BevelProperties& record)
{
    return ReadFields(element, record);
}

bool ReadNamedFilter(const wxXmlNode* element, FontProperties& record)
{
    bool known = false;
    ForEachStyleFilter([&](const auto& filter) {
        if (!known && element && element->GetName() == filter.name)
            known = ReadFilter(element, record.*filter.member);
    });
    return known;
}

bool ReadFontProperties(const wxXmlNode* element, FontProperties& record, bool filtersOnly)
{
    if (!element)
        return false;
    if (!filtersOnly)
        ReadFields(element, record);
    for (const wxXmlNode* child = element->GetChildren(); child; child = child->GetNext())
    {
        if (child->GetType() == wxXML_ELEMENT_NODE)
            ReadNamedFilter(child, record);
    }
    return true;
}

bool SameStyle(const FontProperties& a, const FontProperties& b)
{
    return SameFields(a, b) && SameFilters(a, b, false);
}

bool FiltersEqual(const FontProperties& a, const FontProperties& b)
{
    return SameFilters(a, b, true);
}

void CopyFilters(const FontProperties& source, FontProperties& target)
{
    ForEachStyleFilter([&](const auto& filter) { target.*filter.member = source.*filter.member; });
}
