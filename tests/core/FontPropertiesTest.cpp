#include "core/FontProperties.h"
#include "core/StyleFields.h"
#include "core/TextUtil.h"
#include "core/UndoHistory.h"

#include <wx/colour.h>
#include <wx/gdicmn.h>
#include <wx/sstream.h>
#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <type_traits>

namespace
{
// "name a=v ..." per element, children indented, in file order: attribute and child order
// are part of the format.
wxString Describe(const wxXmlNode* node, const wxString& indent = wxEmptyString)
{
    wxString text = indent + node->GetName();
    for (const wxXmlAttribute* a = node->GetAttributes(); a; a = a->GetNext())
        text << wxS(" ") << a->GetName() << wxS("=") << a->GetValue();
    text << wxS("\n");
    for (const wxXmlNode* child = node->GetChildren(); child; child = child->GetNext())
        text << Describe(child, indent + wxS(" "));
    return text;
}

wxString Describe(const FontProperties& record)
{
    wxXmlNode parent(wxXML_ELEMENT_NODE, wxS("p"));
    return Describe(WriteFontProperties(&parent, wxS("tag"), record, false));
}

FontProperties Modified()
{
    FontProperties r;
    r.font = wxS("Big Sans");
    r.foundry = wxS("Type Co");
    r.size = 17;
    r.align = 3;
    r.color = RgbColour(1, 2, 3);
    r.opacity = 55;
    r.bold = r.stroked = r.understroked = true;
    r.blur = {true, 0, 7, 9};
    r.dropshadow = {true, 1, -30, true, 2.5f, RgbColour(0x10, 0x20, 0x30), 0.75f};
    r.glow = {true, 5, 1.5f, 2.25f, true, true, 2, 0.5f, RgbColour(0xAB, 0xCD, 0xEF)};
    r.bevel = {true, 90, 3.125f, 4, 0, RgbColour(1, 1, 1), RgbColour(2, 2, 2), 2};
    return r;
}

bool Read(const wxString& xml, FontProperties& record, bool filtersOnly = false)
{
    wxStringInputStream in(xml);
    wxXmlDocument doc;
    return doc.Load(in) && ReadFontProperties(doc.GetRoot(), record, filtersOnly);
}
}

TEST(FontPropertiesXml, DefaultRecordIsWrittenInFieldOrderWithFiltersLastFirst)
{
    EXPECT_EQ(wxS("tag font= foundry= size=40 align=0 color=#000000 linkcolor=#0000FF backgroundcolor=#FFFFFF "
                  "hovercolor=#FF0000 opacity=100 bold=0 italic=0 stroked=0 understroked=0\n"
                  " bevel enabled=0 angle=45 distance=4.000000 strength=1 quality=2 highlightcolor=#0000FF "
                  "shadowcolor=#FF0000 type=1\n"
                  " glow enabled=0 strength=2 blurx=6.000000 blury=6.000000 knockout=0 inner=0 quality=1 "
                  "alpha=0.250000 color=#FFFF00\n"
                  " dropshadow enabled=0 quality=2 angle=45 knockout=0 distance=4.000000 color=#000000 "
                  "strength=1.000000\n"
                  " blur enabled=0 quality=2 blurx=5 blury=5\n"),
              Describe(FontProperties()));

    wxXmlNode parent(wxXML_ELEMENT_NODE, wxS("p"));
    EXPECT_EQ(nullptr, WriteFontProperties(&parent, wxS("effect"), FontProperties(), true)->GetAttributes());
}

TEST(FontPropertiesXml, RoundTripKeepsEveryField)
{
    wxXmlNode parent(wxXML_ELEMENT_NODE, wxS("p"));
    const wxXmlNode* element = WriteFontProperties(&parent, wxS("h2"), Modified(), false);
    FontProperties read;
    ASSERT_TRUE(ReadFontProperties(element, read, false));
    EXPECT_EQ(Describe(Modified()), Describe(read));
    EXPECT_EQ(5, read.glow.strength);
    EXPECT_EQ(2, read.glow.quality);

    FontProperties filtersOnly;
    ASSERT_TRUE(ReadFontProperties(element, filtersOnly, true));
    EXPECT_TRUE(FiltersEqual(Modified(), filtersOnly));
    EXPECT_EQ(40, filtersOnly.size);
}

TEST(FontPropertiesXml, AbsentAttributesAndUnknownChildrenLeaveFieldsAlone)
{
    FontProperties defaults, modified = Modified();
    ASSERT_TRUE(Read(wxS("<h1><blur/><Blur enabled='0'/><note/></h1>"), defaults));
    ASSERT_TRUE(Read(wxS("<h1><blur/><Blur enabled='0'/><note/></h1>"), modified));
    EXPECT_EQ(Describe(FontProperties()), Describe(defaults));
    EXPECT_EQ(Describe(Modified()), Describe(modified));
    EXPECT_FALSE(ReadFontProperties(nullptr, modified, false));

    // A repeated child is read again over the same record.
    ASSERT_TRUE(Read(wxS("<e><blur blurx='3'/><blur blury='4'/></e>"), defaults, true));
    EXPECT_EQ(3, defaults.blur.blurx);
    EXPECT_EQ(4, defaults.blur.blury);
}

TEST(FontPropertiesXml, ValueTextsConvertLikeTheCLibrary)
{
    FontProperties r;
    r.italic = true;
    ASSERT_TRUE(Read(wxS("<h1 size='12px' opacity='abc' bold='2' italic='x' color='#12AB9' linkcolor='nosuch' "
                         "backgroundcolor='RGB(1, 2, 3)' hovercolor='red'><dropshadow distance='2.5e1xyz'/></h1>"),
                     r));
    EXPECT_EQ(12, r.size);
    EXPECT_EQ(0, r.opacity);
    EXPECT_TRUE(r.bold);
    EXPECT_FALSE(r.italic);
    EXPECT_EQ(RgbColour(0, 0, 0), r.color);
    EXPECT_EQ(RgbColour(0, 0, 255), r.linkcolor);
    EXPECT_EQ(RgbColour(1, 2, 3), r.backgroundcolor);
    EXPECT_EQ(RgbColour(255, 0, 0), r.hovercolor);
    EXPECT_FLOAT_EQ(25.0f, r.dropshadow.distance);

    // Three-digit, junk-ended and alpha forms leave the colour alone.
    ASSERT_TRUE(Read(wxS("<h1><bevel highlightcolor='#ABC' shadowcolor='#12AB9Z'/>"
                         "<glow color='RGBA(1, 2, 3, 0.5)'/></h1>"),
                     r));
    EXPECT_EQ(RgbColour(0, 0, 255), r.bevel.highlightcolor);
    EXPECT_EQ(RgbColour(255, 0, 0), r.bevel.shadowcolor);
    EXPECT_EQ(RgbColour(255, 255, 0), r.glow.color);
}

// The core reads colour texts without the toolkit's graphics library: names as the
// toolkit's colour database has them (the tests have it), other forms by the toolkit's rules.
TEST(FontPropertiesXml, ColourTextsReadAsTheToolkitsDatabaseAndRulesReadThem)
{
    for (const char* name : {"red", "Medium Grey", "LIGHT GRAY", "dark slate gray", "light magenta", "wheat", "sky blue"})
    {
        RgbColour read;
        EXPECT_TRUE(ParseColour(wxString::FromUTF8(name), read)) << name;
        EXPECT_EQ(RgbColour(wxTheColourDatabase->Find(wxString::FromUTF8(name))), read) << name;
    }
    const std::pair<const char*, RgbColour> cases[] = {
        {"RGB(300, -5, 7)", RgbColour(255, 0, 7)}, {"rgb(1,2,3)", RgbColour(1, 2, 3)},
        {"RGB(4, 5, 6) and more", RgbColour(4, 5, 6)}, {"#a1B2c3", RgbColour(0xA1, 0xB2, 0xC3)},
        {"RGB(1, 2)", RgbColour()}, {"olive", RgbColour()}, {"red ", RgbColour()}, {"GRAYISH", RgbColour()}};
    for (const auto& c : cases)
    {
        RgbColour read(9, 9, 9);
        EXPECT_EQ(c.second.IsOk(), ParseColour(wxString::FromUTF8(c.first), read)) << c.first;
        EXPECT_EQ(c.second.IsOk() ? c.second : RgbColour(9, 9, 9), read) << c.first;
    }
}

TEST(FontPropertiesFilters, EqualityLooksOnlyAtEnabledFilters)
{
    FontProperties a, b;
    b.font = wxS("Other");
    b.dropshadow.color = RgbColour(1, 2, 3);
    EXPECT_TRUE(FiltersEqual(a, b)) << "two disabled drop shadows with different colours";

    b.dropshadow = a.dropshadow;
    b.dropshadow.enabled = true;
    EXPECT_FALSE(FiltersEqual(a, b)) << "enabled on one side only";
    a.dropshadow.enabled = true;
    EXPECT_TRUE(FiltersEqual(a, b));

    FontProperties c = Modified(), d = Modified();
    d.bevel.shadowcolor = RgbColour(2, 2, 3);
    EXPECT_FALSE(FiltersEqual(c, d));
    d = c;
    d.blur.blury = 8;
    EXPECT_FALSE(FiltersEqual(c, d));
}

// One field-by-field comparison: NaN equals itself in both, and only the values of
// disabled filters set them apart.
TEST(FontPropertiesFilters, FiltersEqualAndSameStyleAgreeOnNaNAndDisabledFilters)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    FontProperties odd;
    odd.glow.enabled = true;
    odd.glow.alpha = nan;
    odd.bevel.distance = nan;
    FontProperties otherAlpha = odd, otherDisabled = odd, otherFont = odd, glowOff = odd;
    otherAlpha.glow.alpha = 0.25f;
    otherDisabled.bevel.distance = 4.0f;
    otherFont.font = wxS("Other");
    glowOff.glow.enabled = false;
    const struct
    {
        const char* what;
        FontProperties other;
        bool sameStyle;
        bool filtersEqual;
    } cases[] = {
        {"NaN in an enabled filter, on both sides", odd, true, true},
        {"NaN against a number in an enabled filter", otherAlpha, false, false},
        {"NaN against a number in a disabled filter", otherDisabled, false, true},
        {"another font", otherFont, false, true},
        {"a filter enabled on one side only", glowOff, false, false},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.sameStyle, SameStyle(odd, c.other)) << c.what;
        EXPECT_EQ(c.sameStyle, SameStyle(c.other, odd)) << c.what;
        EXPECT_EQ(c.filtersEqual, FiltersEqual(odd, c.other)) << c.what;
        EXPECT_EQ(c.filtersEqual, FiltersEqual(c.other, odd)) << c.what;
    }
}

namespace
{
bool Other(bool value)
{
    return !value;
}
int Other(int value)
{
    return value + 3;
}
float Other(float value)
{
    return value + 0.5f;
}
RgbColour Other(const RgbColour& value)
{
    return RgbColour(value.Red() ^ 1, value.Green(), value.Blue());
}
wxString Other(const wxString& value)
{
    return value + wxS("x");
}

// One field changed alone: written under an attribute of its own and read back, seen by
// the comparison, and named by the undo step.
void CheckFieldAlone(const FontProperties& changed, const wxString& key, std::set<wxString>& keys)
{
    const FontProperties plain;
    EXPECT_TRUE(keys.insert(key).second) << key << " twice";
    EXPECT_FALSE(SameStyle(plain, changed)) << key;
    wxXmlNode parent(wxXML_ELEMENT_NODE, wxS("p"));
    FontProperties read;
    ASSERT_TRUE(ReadFontProperties(WriteFontProperties(&parent, wxS("tag"), changed, false), read, false));
    EXPECT_TRUE(SameStyle(changed, read)) << key;
    wxString name, field;
    DescribeStyleChange(plain, changed, name, field);
    EXPECT_FALSE(name.empty()) << key;
    EXPECT_EQ(key == wxS("foundry") ? wxS("font") : key, field);
}
}

TEST(StyleFieldsTest, EachFieldAloneIsWrittenReadComparedAndNamed)
{
    std::set<wxString> keys;
    ForEachStyleField<FontProperties>([&](const auto& field) {
        FontProperties changed;
        changed.*field.member = Other(changed.*field.member);
        CheckFieldAlone(changed, field.name, keys);
    });
    ForEachStyleFilter([&](const auto& filter) {
        using Filter = std::decay_t<decltype(FontProperties().*filter.member)>;
        ForEachStyleField<Filter>([&](const auto& field) {
            FontProperties changed;
            auto& value = (changed.*filter.member).*field.member;
            value = Other(value);
            CheckFieldAlone(changed, wxString(filter.name) + wxS(".") + field.name, keys);
        });
    });
    // 13 of the tag element, 4 + 7 + 9 + 8 of the filters.
    EXPECT_EQ(41u, keys.size());
}
