// The editing loop through the window: each control writes its own field of the selected
// tag's record, the refresh shows the model without raising change events, and the
// window's own rules (style availability, size box, browser size) hold.
#include "MainFrameTestSupport.h"

#include "Interface/FontListCtrl.h"
#include "Interface/glypharamainframe.h"
#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "Library/CustomControls/TextSlider.h"
#include "browser/EmbeddedBrowser.h"
#include "core/GlypharaCore.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/listbox.h>
#include <wx/slider.h>
#include <wx/regex.h>
#include <wx/textctrl.h>
#include <wx/textfile.h>

namespace
{
// The function whose body holds the traced line, read from the window's source: the
// last definition above it that starts at the left margin. A trace line names its file,
// function and line as "[thread:file:function:line]".
wxString EnclosingFunction(const wxString& traced)
{
    wxRegEx prefix(wxS("\\[[0-9]+:([^:]+):.+:([0-9]+)\\]"));
    long line = 0;
    if (!prefix.Matches(traced) || !prefix.GetMatch(traced, 2).ToLong(&line))
        return wxString();
    wxTextFile source(wxS(GLYPHARA_SOURCE_DIR "/Interface/") + prefix.GetMatch(traced, 1));
    if (!source.Open() || line < 1 || line > static_cast<long>(source.GetLineCount()))
        return wxString();
    for (long at = line - 1; at >= 0; --at)
    {
        const wxString text = source[at];
        if (!text.empty() && !wxIsspace(text[0]) && text.Contains(wxS("(")) && !text.StartsWith(wxS("//")))
            return text.BeforeFirst('(').AfterLast(' ');
    }
    return wxString();
}

bool SameRecord(const FontProperties& a, const FontProperties& b)
{
    return a.font == b.font && a.foundry == b.foundry && a.size == b.size && a.align == b.align && a.color == b.color &&
           a.linkcolor == b.linkcolor && a.backgroundcolor == b.backgroundcolor && a.hovercolor == b.hovercolor &&
           a.opacity == b.opacity && a.bold == b.bold && a.italic == b.italic && a.understroked == b.understroked &&
           FiltersEqual(a, b);
}
}

TEST_F(MainFrameTest, EveryPropertyControlWritesItsOwnFieldOfTheSelectedTag)
{
    OpenFrame();
    ChangeRecord([](FontProperties& record) {
        record.blur.enabled = record.dropshadow.enabled = record.glow.enabled = record.bevel.enabled = true;
    });
    using Act = std::function<void()>;
    auto click = [&](int id) -> Act { return [=] { Click(Find<wxCheckBox>(id)); }; };
    auto type = [&](int id, const char* text) -> Act {
        return [=] { Find<CTextColorPickerCtrl>(id)->GetTextCtrl()->SetValue(wxString(text)); };
    };
    auto move = [&](int id, int value) -> Act {
        return [=] {
            CTextSlider* compound = Find<CTextSlider>(id);
            Move(compound ? compound->GetSlider() : Find<wxSlider>(id), value);
        };
    };
    auto choose = [&](int id, int index) -> Act { return [=] { Choose(Find<wxChoice>(id), index); }; };
    using R = FontProperties;
    const struct
    {
        const char* trace;
        Act act;
        std::function<void(R&)> change;
    } cases[] = {
        {"Font italic checkbox changed to: 1", click(ID_FONT_ITALIC_CHECKBOX), [](R& r) { r.italic = true; }},
        {"Font color changed to: #102030", type(ID_FONT_COLOR, "#102030"), [](R& r) { r.color.Set(0x10, 0x20, 0x30); }},
        {"Link color changed to: #112233", type(ID_LINK_COLOR, "#112233"), [](R& r) { r.linkcolor.Set(0x11, 0x22, 0x33); }},
        {"Hover color changed to: #123456", type(ID_HOVER_COLOR, "#123456"), [](R& r) { r.hovercolor.Set(0x12, 0x34, 0x56); }},
        {"Background color changed to: #ABCDEF", type(ID_BACKGROUND_COLOR, "#ABCDEF"),
         [](R& r) { r.backgroundcolor.Set(0xAB, 0xCD, 0xEF); }},
        {"Opacity slider changed to: 42", move(ID_OPACITY_SLIDER, 42), [](R& r) { r.opacity = 42; }},
        {"Font alignment changed to: 2", choose(ID_FONT_ALIGNMENT_CHOICE, 2), [](R& r) { r.align = 2; }},
        // The font offers no bold italic: bold wins.
        {"Font bold checkbox changed to: 1", click(ID_FONT_BOLD_CHECKBOX), [](R& r) { r.bold = true; r.italic = false; }},
        {"Font underline checkbox changed to: 1", click(ID_FONT_UNDERLINE_CHECKBOX), [](R& r) { r.understroked = true; }},
        {"Blur filter H blur set to: 7", move(ID_BLUR_HBLUR_SLIDER, 7), [](R& r) { r.blur.blurx = 7; }},
        {"Blur filter V blur set to: 9", move(ID_BLUR_VBLUR_SLIDER, 9), [](R& r) { r.blur.blury = 9; }},
        {"Blur filter switched to: 0", click(ID_BLUR_CHECKBOX), [](R& r) { r.blur.enabled = false; }},
        {"Drop shadow filter knockout checkbox switched to: 1", click(ID_DROPSHADOW_KNOCKOUT_CHECKBOX),
         [](R& r) { r.dropshadow.knockout = true; }},
        {"Drop shadow color changed to: #010203", type(ID_DROPSHADOW_COLOR, "#010203"),
         [](R& r) { r.dropshadow.color.Set(1, 2, 3); }},
        {"Drop shadow filter angle set to: 270", move(ID_DROPSHADOW_ANGLE, 270), [](R& r) { r.dropshadow.angle = 270; }},
        {"Drop shadow filter distance set to: 100", move(ID_DROPSHADOW_DISTANCE, 100),
         [](R& r) { r.dropshadow.distance = 100; }},
        {"Drop shadow filter strength set to: 12", move(ID_DROPSHADOW_STRENGTH, 12), [](R& r) { r.dropshadow.strength = 12; }},
        {"Glow filter inner checkbox switched to: 1", click(ID_GLOW_INNER_CHECKBOX), [](R& r) { r.glow.inner = true; }},
        {"Glow filter knockout checkbox switched to: 1", click(ID_GLOW_KNOCKOUT_CHECKBOX), [](R& r) { r.glow.knockout = true; }},
        {"Glow filter color changed to: #0000FF", type(ID_GLOW_COLOR, "#0000ff"), [](R& r) { r.glow.color.Set(0, 0, 255); }},
        {"Glow filter alpha set to: 0.290000", move(ID_GLOW_ALPHA, 29), [](R& r) { r.glow.alpha = 0.29f; }},
        {"Glow filter H blur set to: 33", move(ID_GLOW_HBLUR, 33), [](R& r) { r.glow.blurx = 33; }},
        {"Glow filter V blur set to: 44", move(ID_GLOW_VBLUR, 44), [](R& r) { r.glow.blury = 44; }},
        {"Glow filter strength set to: 5", move(ID_GLOW_STRENGTH, 5), [](R& r) { r.glow.strength = 5; }},
        {"Glow filter switched to: 0", click(ID_GLOW_CHECKBOX), [](R& r) { r.glow.enabled = false; }},
        {"Bevel filter type set to: 2", choose(ID_BEVEL_TYPE_CHOICE, 2), [](R& r) { r.bevel.type = 2; }},
        {"Bevel filter highlight color changed to: #FEDCBA", type(ID_BEVEL_HIGHLIGHT_COLOR, "#fedcba"),
         [](R& r) { r.bevel.highlightcolor.Set(0xFE, 0xDC, 0xBA); }},
        {"Bevel filter shadow color changed to: #0A0B0C", type(ID_BEVEL_SHADOW_COLOR, "#0A0B0C"),
         [](R& r) { r.bevel.shadowcolor.Set(10, 11, 12); }},
        {"Bevel filter angle set to: 300", move(ID_BEVEL_ANGLE, 300), [](R& r) { r.bevel.angle = 300; }},
        {"Bevel filter distance set to: 20", move(ID_BEVEL_DISTANCE, 20), [](R& r) { r.bevel.distance = 20; }},
        {"Bevel filter strength set to: 9", move(ID_BEVEL_STRENGTH, 9), [](R& r) { r.bevel.strength = 9; }},
        {"Bevel filter switched to: 0", click(ID_BEVEL_CHECKBOX), [](R& r) { r.bevel.enabled = false; }},
        {"Drop shadow filter switched to: 0", click(ID_DROPSHADOW_CHECKBOX), [](R& r) { r.dropshadow.enabled = false; }},
    };
    // Each step compares the whole record: no handler writes another field.
    FontProperties expected = Record();
    for (const auto& c : cases)
    {
        c.act();
        RunPendingEvents(20);
        c.change(expected);
        EXPECT_TRUE(SameRecord(expected, Record())) << c.trace;
        // Exactly one line: the refresh after the change raises no second event.
        EXPECT_EQ(1, LogCount(wxString(c.trace))) << c.trace;
        // The line the trace names lies in the handler the trace names.
        const wxString traced = LogLine(wxString(c.trace));
        const wxString handler = EnclosingFunction(traced);
        EXPECT_TRUE(!handler.empty() && traced.Contains(wxS(":") + handler + wxS(":"))) << traced << " in " << handler;
    }
}

TEST_F(MainFrameTest, TheEffectChoiceFollowsEditsAndChoosingAnEffectAppliesIt)
{
    ASSERT_TRUE(UseBuiltEffects());
    OpenFrame();
    wxChoice* effect = Find<wxChoice>(ID_EFFECT_CHOICE);
    wxButton* save = Find<wxButton>(ID_SAVE_EFFECT_BUTTON);
    wxButton* remove = Find<wxButton>(ID_DELETE_EFFECT_BUTTON);
    Click(Find<wxCheckBox>(ID_DROPSHADOW_CHECKBOX));
    EXPECT_EQ(wxS("User defined"), effect->GetStringSelection());
    EXPECT_TRUE(save->IsEnabled() && !remove->IsEnabled());
    // Its controls are enabled with the filter.
    EXPECT_TRUE(Find<CTextSlider>(ID_DROPSHADOW_ANGLE)->IsEnabled());
    EXPECT_FALSE(Find<CTextSlider>(ID_GLOW_ALPHA)->IsEnabled());

    Choose(effect, effect->FindString(wxS("Soft Shadow")));
    EXPECT_EQ(wxS("Soft Shadow"), effect->GetStringSelection());
    const FontProperties& stored = Core()->GetEffectFilters().at(wxS("Soft Shadow"));
    EXPECT_TRUE(FiltersEqual(stored, Record()));
    EXPECT_EQ(stored.dropshadow.color, Find<CTextColorPickerCtrl>(ID_DROPSHADOW_COLOR)->GetColour());
    EXPECT_EQ(static_cast<int>(stored.dropshadow.distance), Find<CTextSlider>(ID_DROPSHADOW_DISTANCE)->GetValue());
    EXPECT_TRUE(!save->IsEnabled() && remove->IsEnabled());

    Move(Find<CTextSlider>(ID_DROPSHADOW_ANGLE)->GetSlider(), 200);
    EXPECT_EQ(wxS("User defined"), effect->GetStringSelection());
}

// Each filter's switch stays usable; the rest of its section follows it, and only it.
TEST_F(MainFrameTest, AFilterSwitchEnablesTheControlsOfItsOwnSectionOnly)
{
    OpenFrame();
    const struct
    {
        std::function<bool&(FontProperties&)> on;
        int switchId;
        std::vector<int> controls;
    } sections[] = {
        {[](FontProperties& r) -> bool& { return r.blur.enabled; }, ID_BLUR_CHECKBOX,
         {ID_BLUR_HBLUR_SLIDER, ID_BLUR_VBLUR_SLIDER}},
        {[](FontProperties& r) -> bool& { return r.dropshadow.enabled; }, ID_DROPSHADOW_CHECKBOX,
         {ID_DROPSHADOW_KNOCKOUT_CHECKBOX, ID_DROPSHADOW_COLOR, ID_DROPSHADOW_ANGLE, ID_DROPSHADOW_DISTANCE,
          ID_DROPSHADOW_STRENGTH}},
        {[](FontProperties& r) -> bool& { return r.glow.enabled; }, ID_GLOW_CHECKBOX,
         {ID_GLOW_INNER_CHECKBOX, ID_GLOW_KNOCKOUT_CHECKBOX, ID_GLOW_COLOR, ID_GLOW_ALPHA, ID_GLOW_HBLUR,
          ID_GLOW_VBLUR, ID_GLOW_STRENGTH}},
        {[](FontProperties& r) -> bool& { return r.bevel.enabled; }, ID_BEVEL_CHECKBOX,
         {ID_BEVEL_TYPE_CHOICE, ID_BEVEL_SHADOW_COLOR, ID_BEVEL_HIGHLIGHT_COLOR, ID_BEVEL_ANGLE, ID_BEVEL_DISTANCE,
          ID_BEVEL_STRENGTH}},
    };
    for (const auto& lit : sections)
    {
        ChangeRecord([&](FontProperties& record) {
            for (const auto& section : sections)
                section.on(record) = &section == &lit;
        });
        for (const auto& section : sections)
        {
            ASSERT_NE(nullptr, FindWindowInFrame(section.switchId));
            EXPECT_TRUE(FindWindowInFrame(section.switchId)->IsThisEnabled()) << section.switchId;
            EXPECT_EQ(&section == &lit, Find<wxCheckBox>(section.switchId)->GetValue()) << section.switchId;
            for (int id : section.controls)
                EXPECT_EQ(&section == &lit, FindWindowInFrame(id)->IsThisEnabled()) << id << " with " << lit.switchId;
        }
    }
}

TEST_F(MainFrameTest, ARefreshShowsTheModelWithoutRaisingChangeEventsAndIgnoresBadSizes)
{
    OpenFrame();
    auto changeLines = [this] {
        return LogCount(wxS("changed to: ")) + LogCount(wxS(" set to: ")) + LogCount(wxS("switched to: "));
    };
    const int before = changeLines();
    // A record changed behind the window's back: every control shows it, silently.
    ChangeRecord([](FontProperties& record) {
        record.size = 77;
        record.color = wxColour(1, 2, 3);
        record.align = 3;
        record.dropshadow.enabled = true;
        record.dropshadow.distance = 4.7f;
        record.glow.alpha = 0.5f;
        record.glow.blurx = 12.9f;
        record.bevel.type = 0;
        record.understroked = true;
    });
    const FontProperties shown = Record();
    Frame()->UpdateControls();
    RunPendingEvents(50);
    EXPECT_EQ(before, changeLines());
    wxComboBox* size = Find<wxComboBox>(ID_FONTSIZE_COMBOBOX);
    EXPECT_EQ(wxS("77"), size->GetValue());
    EXPECT_EQ(wxColour(1, 2, 3), Find<CTextColorPickerCtrl>(ID_FONT_COLOR)->GetColour());
    EXPECT_EQ(3, Find<wxChoice>(ID_FONT_ALIGNMENT_CHOICE)->GetSelection());
    EXPECT_EQ(4, Find<CTextSlider>(ID_DROPSHADOW_DISTANCE)->GetValue());
    EXPECT_EQ(50, Find<CTextSlider>(ID_GLOW_ALPHA)->GetValue());
    EXPECT_EQ(12, Find<CTextSlider>(ID_GLOW_HBLUR)->GetValue());
    EXPECT_EQ(0, Find<wxChoice>(ID_BEVEL_TYPE_CHOICE)->GetSelection());
    EXPECT_TRUE(Find<wxCheckBox>(ID_FONT_UNDERLINE_CHECKBOX)->GetValue());
    // Loading every control again changed nothing in the record (4.7 is not cut to 4).
    EXPECT_TRUE(SameRecord(shown, Record()));

    // Typing into the box is tested from the keyboard.
    size->SetValue(wxEmptyString);
    size->SetValue(wxS("99999999999"));
    EXPECT_EQ(77, Record().size);
    size->SetSelection(size->FindString(wxS("23")));
    wxCommandEvent chosen(wxEVT_COMBOBOX, size->GetId());
    chosen.SetEventObject(size);
    chosen.SetInt(size->GetSelection());
    size->HandleWindowEvent(chosen);
    EXPECT_EQ(23, Record().size);
}

TEST_F(MainFrameTest, BoldAndItalicFollowTheStylesTheFontOffers)
{
    MakeEmptyFile(SystemFontDir() + wxS("/Styles/Heavy_[bold].swf"));
    MakeEmptyFile(SystemFontDir() + wxS("/Styles/Trio_[regular][italic][bold].swf"));
    MakeEmptyFile(SystemFontDir() + wxS("/Styles/Full_[regular][italic][bold][bolditalic].swf"));
    OpenFrame();
    wxCheckBox* bold = Find<wxCheckBox>(ID_FONT_BOLD_CHECKBOX);
    wxCheckBox* italic = Find<wxCheckBox>(ID_FONT_ITALIC_CHECKBOX);
    const struct
    {
        const char* font;
        bool bold, italic, boldEnabled, italicEnabled;
    } cases[] = {{"Heavy [bold]", true, false, false, false},
                 {"Trio [regular][italic][bold]", true, false, true, false},
                 {"Trio [regular][italic][bold]", false, true, false, true},
                 {"Trio [regular][italic][bold]", false, false, true, true},
                 {"Full [regular][italic][bold][bolditalic]", true, true, true, true}};
    for (const auto& c : cases)
    {
        ChangeRecord([&](FontProperties& record) {
            record.foundry = wxS("Styles");
            record.font = wxString(c.font);
            record.bold = c.bold;
            record.italic = c.italic;
        });
        EXPECT_EQ(c.boldEnabled, bold->IsEnabled()) << c.font << " " << c.bold << c.italic;
        EXPECT_EQ(c.italicEnabled, italic->IsEnabled()) << c.font << " " << c.bold << c.italic;
        EXPECT_EQ(c.bold, bold->GetValue());
        EXPECT_EQ(c.italic, italic->GetValue());
    }
}

TEST_F(MainFrameTest, TagListIsSortedFollowsTheCoreAndSelectsTags)
{
    OpenFrame();
    for (const char* name : {"p", "h2", "a"})
    {
        wxString tag(name);
        Core()->AddNewTag(tag, false);
    }
    Core()->SetSelectedTag(wxS("h2"));
    ChangeRecord([](FontProperties& record) { record.size = 61; });
    Core()->SetSelectedTag(wxS("h1"));
    wxListBox* tags = Find<wxListBox>(ID_TAG_LISTBOX);
    EXPECT_EQ(wxS("<a> <h1> <h2> <p>"), wxJoin(tags->GetStrings(), ' '));
    EXPECT_EQ(wxS("<h1>"), tags->GetStringSelection());

    Select(tags, 2);
    wxArrayString names;
    wxString selected;
    Core()->GetTagList(names, selected);
    EXPECT_EQ(wxS("<h2>"), selected);
    EXPECT_EQ(wxS("61"), Find<wxComboBox>(ID_FONTSIZE_COMBOBOX)->GetValue());
    EXPECT_TRUE(LogContains(wxS("Tag selected: <h2>")));

    // A list left without a highlight names no tag; the highlight comes back.
    Select(tags, wxNOT_FOUND);
    EXPECT_EQ(wxS("<h2>"), tags->GetStringSelection());
}

TEST_F(MainFrameTest, FontListAppliesAFontKeepsTheHighlightOnTheFontInUseAndFollowsTheLibrary)
{
    MakeEmptyFile(SystemFontDir() + wxS("/Type_Co/Alpha.swf"));
    MakeEmptyFile(SystemFontDir() + wxS("/Type_Co/Beta.swf"));
    OpenFrame();
    CFontListCtrl* fonts = Find<CFontListCtrl>(ID_FONT_LISTBOX);
    wxArrayString rows;
    wxString selected;
    Core()->GetInstalledFontList(rows, selected);
    ASSERT_EQ(4u, rows.size());
    EXPECT_EQ(rows, fonts->GetStrings());
    EXPECT_EQ(wxS("Alpha"), Record().font);
    EXPECT_EQ(1, fonts->GetSelection());

    Select(fonts, 2);
    EXPECT_EQ(wxS("Beta"), Record().font);
    EXPECT_EQ(wxS("Type Co"), Record().foundry);

    // A click on the header row: the highlight returns to the font in use.
    fonts->SetSelection(0);
    wxMouseEvent up(wxEVT_LEFT_UP);
    up.SetEventObject(fonts);
    fonts->HandleWindowEvent(up);
    EXPECT_EQ(2, fonts->GetSelection());
    EXPECT_TRUE(LogContains(wxS("Font list click. Selecting previous selection")));
    fonts->SetSelection(0);
    wxMouseEvent rightUp(wxEVT_RIGHT_UP);
    rightUp.SetEventObject(fonts);
    fonts->HandleWindowEvent(rightUp);
    EXPECT_EQ(2, fonts->GetSelection()) << "after the right button";

    // The library grew: the refresh command lists the new font.
    MakeEmptyFile(SystemFontDir() + wxS("/Type_Co/Gamma.swf"));
    wxCommandEvent refresh(wxEVT_MENU, ID_MENUITEM_REFRESHFONTLIST);
    Frame()->HandleWindowEvent(refresh);
    EXPECT_EQ(5u, fonts->GetCount());
    EXPECT_EQ(2, fonts->GetSelection());

    // A preview picture added to the font folder shows at the next refresh, after ones
    // that found the library unchanged long enough after the folder changed for its time
    // stamp to tell.
    EXPECT_TRUE(fonts->GetString(1).Contains(wxS("Preview Not Available")));
    RunPendingEvents(200);
    Frame()->UpdateControls();
    Frame()->UpdateControls();
    ASSERT_TRUE(wxImage(40, 10).SaveFile(SystemFontDir() + wxS("/Type_Co/Alpha.png"), wxBITMAP_TYPE_PNG));
    Frame()->UpdateControls();
    EXPECT_TRUE(fonts->GetString(1).Contains(wxS("Alpha.png"))) << fonts->GetString(1);
}

TEST_F(MainFrameTest, TheBrowserAreaSetsTheMovieSizeFortyPixelsSmallerNeverNegative)
{
    OpenFrame();
    CEmbeddedBrowser* browser = Find<CEmbeddedBrowser>(ID_BROWSER);
    ASSERT_NE(nullptr, browser);
    browser->SetSize(500, 300);
    RunPendingEvents(50);
    EXPECT_EQ(460, Core()->GetFlashPlayerWidth());
    EXPECT_EQ(260, Core()->GetFlashPlayerHeight());
    EXPECT_TRUE(LogContains(wxS("IECtrl size changed to: 460x260")));

    browser->SetSize(30, 12);
    RunPendingEvents(50);
    EXPECT_EQ(0, Core()->GetFlashPlayerWidth());
    EXPECT_EQ(0, Core()->GetFlashPlayerHeight());

    // A resized window hands the new area on.
    Frame()->SetSize(1100, 800);
    RunPendingEvents(200);
    EXPECT_EQ(browser->GetSize().x - 40, Core()->GetFlashPlayerWidth());
    EXPECT_EQ(browser->GetSize().y - 40, Core()->GetFlashPlayerHeight());
}

TEST_F(MainFrameTest, AClosedWindowIsNoLongerCalledBack)
{
    OpenFrame();
    const int before = LogCount(wxS("Control updating callback"));
    Core()->UpdateFontList(false);
    EXPECT_EQ(before + 1, LogCount(wxS("Control updating callback")));
    CloseFrame();
    Core()->UpdateFontList(false);
    Core()->SetUserText(wxS("after"));
    EXPECT_EQ(before + 1, LogCount(wxS("Control updating callback")));
}
