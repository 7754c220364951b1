// The editing loop through the window: each control writes its own field of the selected
// tag's record, the refresh shows the model without raising change events, and the
// window's own rules (style availability, size box, browser size) hold.
#include "MainFrameTestSupport.h"

#include "Interface/glypharamainframe.h"
#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "Library/CustomControls/TextSlider.h"
#include "browser/EmbeddedBrowser.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/clrpicker.h>
#include <wx/combobox.h>
#include <wx/htmllbox.h>
#include <wx/listbox.h>
#include <wx/slider.h>
#include <wx/textctrl.h>

#include <map>

namespace
{
// The user drags the slider inside a text slider.
void Move(CTextSlider* slider, int value)
{
    Move(slider->GetSlider(), value);
}

// The user's text arrives in the field with its text-changed event.
void Type(CTextColorPickerCtrl* picker, const wxString& text)
{
    picker->GetTextCtrl()->SetValue(text);
}

// Counts the change events that reach the window.
class EventCounter
{
public:
    explicit EventCounter(wxWindow* frame) : m_frame(frame)
    {
        for (wxEventType type : {wxEVT_SLIDER, wxEVT_CHECKBOX, wxEVT_CHOICE, wxEVT_COMBOBOX, wxEVT_LISTBOX})
            Watch(type);
        m_frame->Bind(wxEVT_COLOURPICKER_CHANGED, &EventCounter::OnColour, this);
        m_frame->Bind(wxEVT_TEXT, &EventCounter::OnText, this, ID_FONTSIZE_COMBOBOX);
    }
    ~EventCounter()
    {
        for (wxEventType type : m_types)
            m_frame->Unbind(wxEventTypeTag<wxCommandEvent>(type), &EventCounter::OnCommand, this);
        m_frame->Unbind(wxEVT_COLOURPICKER_CHANGED, &EventCounter::OnColour, this);
        m_frame->Unbind(wxEVT_TEXT, &EventCounter::OnText, this, ID_FONTSIZE_COMBOBOX);
    }
    // Events from the window's own controls (the inner windows of compound controls
    // report under ids of their own and are not counted).
    int count = 0;

private:
    void Watch(wxEventType type)
    {
        m_types.push_back(type);
        m_frame->Bind(wxEventTypeTag<wxCommandEvent>(type), &EventCounter::OnCommand, this);
    }
    void OnCommand(wxCommandEvent& event)
    {
        if (event.GetId() != 10000 && event.GetId() != 10001)
            ++count;
        event.Skip();
    }
    void OnColour(wxColourPickerEvent& event)
    {
        ++count;
        event.Skip();
    }
    void OnText(wxCommandEvent& event)
    {
        ++count;
        event.Skip();
    }
    wxWindow* m_frame;
    std::vector<wxEventType> m_types;
};
}

TEST_F(MainFrameTest, EveryPropertyControlWritesItsOwnFieldOfTheSelectedTag)
{
    OpenFrame();
    ChangeRecord([](FontProperties& record) {
        record.blur.enabled = record.dropshadow.enabled = record.glow.enabled = record.bevel.enabled = true;
    });
    struct Case
    {
        const char* trace;
        std::function<void()> act;
        std::function<bool(const FontProperties&)> holds;
    };
    const std::vector<Case> cases = {
        {"Font italic checkbox changed to: 1", [&] { Click(Find<wxCheckBox>(ID_FONT_ITALIC_CHECKBOX)); },
         [](const FontProperties& r) { return r.italic; }},
        {"Font color changed to: #102030", [&] { Type(Find<CTextColorPickerCtrl>(ID_FONT_COLOR), wxS("#102030")); },
         [](const FontProperties& r) { return r.color == wxColour(0x10, 0x20, 0x30); }},
        {"Link color changed to: #112233", [&] { Type(Find<CTextColorPickerCtrl>(ID_LINK_COLOR), wxS("#112233")); },
         [](const FontProperties& r) { return r.linkcolor == wxColour(0x11, 0x22, 0x33); }},
        {"Hover color changed to: #123456", [&] { Type(Find<CTextColorPickerCtrl>(ID_HOVER_COLOR), wxS("#123456")); },
         [](const FontProperties& r) { return r.hovercolor == wxColour(0x12, 0x34, 0x56); }},
        {"Background color changed to: #ABCDEF",
         [&] { Type(Find<CTextColorPickerCtrl>(ID_BACKGROUND_COLOR), wxS("#ABCDEF")); },
         [](const FontProperties& r) { return r.backgroundcolor == wxColour(0xAB, 0xCD, 0xEF); }},
        {"Opacity slider changed to: 42", [&] { Move(Find<wxSlider>(ID_OPACITY_SLIDER), 42); },
         [](const FontProperties& r) { return r.opacity == 42; }},
        {"Font alignment changed to: 2", [&] { Choose(Find<wxChoice>(ID_FONT_ALIGNMENT_CHOICE), 2); },
         [](const FontProperties& r) { return r.align == 2; }},
        {"Font bold checkbox changed to: 1", [&] { Click(Find<wxCheckBox>(ID_FONT_BOLD_CHECKBOX)); },
         [](const FontProperties& r) { return r.bold; }},
        {"Font underline checkbox changed to: 1", [&] { Click(Find<wxCheckBox>(ID_FONT_UNDERLINE_CHECKBOX)); },
         [](const FontProperties& r) { return r.understroked; }},
        {"Blur filter H blur set to: 7", [&] { Move(Find<wxSlider>(ID_BLUR_HBLUR_SLIDER), 7); },
         [](const FontProperties& r) { return r.blur.blurx == 7; }},
        {"Blur filter V blur set to: 9", [&] { Move(Find<wxSlider>(ID_BLUR_VBLUR_SLIDER), 9); },
         [](const FontProperties& r) { return r.blur.blury == 9; }},
        {"Blur filter switched to: 0", [&] { Click(Find<wxCheckBox>(ID_BLUR_CHECKBOX)); },
         [](const FontProperties& r) { return !r.blur.enabled; }},
        {"Drop shadow filter knockout checkbox switched to: 1",
         [&] { Click(Find<wxCheckBox>(ID_DROPSHADOW_KNOCKOUT_CHECKBOX)); },
         [](const FontProperties& r) { return r.dropshadow.knockout; }},
        {"Drop shadow color changed to: #010203",
         [&] { Type(Find<CTextColorPickerCtrl>(ID_DROPSHADOW_COLOR), wxS("#010203")); },
         [](const FontProperties& r) { return r.dropshadow.color == wxColour(1, 2, 3); }},
        {"Drop shadow filter angle set to: 270", [&] { Move(Find<CTextSlider>(ID_DROPSHADOW_ANGLE), 270); },
         [](const FontProperties& r) { return r.dropshadow.angle == 270; }},
        {"Drop shadow filter distance set to: 100", [&] { Move(Find<CTextSlider>(ID_DROPSHADOW_DISTANCE), 100); },
         [](const FontProperties& r) { return r.dropshadow.distance == 100.0f; }},
        {"Drop shadow filter strength set to: 12", [&] { Move(Find<CTextSlider>(ID_DROPSHADOW_STRENGTH), 12); },
         [](const FontProperties& r) { return r.dropshadow.strength == 12.0f; }},
        {"Glow filter inner checkbox switched to: 1", [&] { Click(Find<wxCheckBox>(ID_GLOW_INNER_CHECKBOX)); },
         [](const FontProperties& r) { return r.glow.inner; }},
        {"Glow filter knockout checkbox switched to: 1", [&] { Click(Find<wxCheckBox>(ID_GLOW_KNOCKOUT_CHECKBOX)); },
         [](const FontProperties& r) { return r.glow.knockout; }},
        {"Glow filter color changed to: #0000FF", [&] { Type(Find<CTextColorPickerCtrl>(ID_GLOW_COLOR), wxS("#0000ff")); },
         [](const FontProperties& r) { return r.glow.color == wxColour(0, 0, 255); }},
        {"Glow filter alpha set to: 0.290000", [&] { Move(Find<CTextSlider>(ID_GLOW_ALPHA), 29); },
         [](const FontProperties& r) { return std::abs(r.glow.alpha - 0.29f) < 1e-6; }},
        {"Glow filter H blur set to: 33", [&] { Move(Find<CTextSlider>(ID_GLOW_HBLUR), 33); },
         [](const FontProperties& r) { return r.glow.blurx == 33.0f; }},
        {"Glow filter V blur set to: 44", [&] { Move(Find<CTextSlider>(ID_GLOW_VBLUR), 44); },
         [](const FontProperties& r) { return r.glow.blury == 44.0f; }},
        {"Glow filter strength set to: 5", [&] { Move(Find<CTextSlider>(ID_GLOW_STRENGTH), 5); },
         [](const FontProperties& r) { return r.glow.strength == 5; }},
        {"Glow filter switched to: 0", [&] { Click(Find<wxCheckBox>(ID_GLOW_CHECKBOX)); },
         [](const FontProperties& r) { return !r.glow.enabled; }},
        {"Bevel filter type set to: 2", [&] { Choose(Find<wxChoice>(ID_BEVEL_TYPE_CHOICE), 2); },
         [](const FontProperties& r) { return r.bevel.type == 2; }},
        {"Bevel filter highlight color changed to: #FEDCBA",
         [&] { Type(Find<CTextColorPickerCtrl>(ID_BEVEL_HIGHLIGHT_COLOR), wxS("#fedcba")); },
         [](const FontProperties& r) { return r.bevel.highlightcolor == wxColour(0xFE, 0xDC, 0xBA); }},
        {"Bevel filter shadow color changed to: #0A0B0C",
         [&] { Type(Find<CTextColorPickerCtrl>(ID_BEVEL_SHADOW_COLOR), wxS("#0A0B0C")); },
         [](const FontProperties& r) { return r.bevel.shadowcolor == wxColour(10, 11, 12); }},
        {"Bevel filter angle set to: 300", [&] { Move(Find<CTextSlider>(ID_BEVEL_ANGLE), 300); },
         [](const FontProperties& r) { return r.bevel.angle == 300; }},
        {"Bevel filter distance set to: 20", [&] { Move(Find<CTextSlider>(ID_BEVEL_DISTANCE), 20); },
         [](const FontProperties& r) { return r.bevel.distance == 20.0f; }},
        {"Bevel filter strength set to: 9", [&] { Move(Find<CTextSlider>(ID_BEVEL_STRENGTH), 9); },
         [](const FontProperties& r) { return r.bevel.strength == 9; }},
        {"Bevel filter switched to: 0", [&] { Click(Find<wxCheckBox>(ID_BEVEL_CHECKBOX)); },
         [](const FontProperties& r) { return !r.bevel.enabled; }},
        {"Drop shadow filter switched to: 0", [&] { Click(Find<wxCheckBox>(ID_DROPSHADOW_CHECKBOX)); },
         [](const FontProperties& r) { return !r.dropshadow.enabled; }},
    };
    for (const Case& c : cases)
    {
        c.act();
        RunPendingEvents(20);
        EXPECT_TRUE(c.holds(Record())) << c.trace;
        // Exactly one line: the refresh after the change raises no second event.
        EXPECT_EQ(1, LogCount(wxString(c.trace))) << c.trace;
    }
    // Every earlier change is still in the record: no handler wrote another field.
    const FontProperties record = Record();
    EXPECT_EQ(wxColour(0x10, 0x20, 0x30), record.color);
    EXPECT_EQ(42, record.opacity);
    EXPECT_EQ(2, record.align);
    EXPECT_EQ(270, record.dropshadow.angle);
    EXPECT_EQ(33.0f, record.glow.blurx);
    EXPECT_EQ(300, record.bevel.angle);
}

TEST_F(MainFrameTest, TheEffectChoiceFollowsEditsAndChoosingAnEffectAppliesIt)
{
    ASSERT_TRUE(UseBuiltEffects());
    OpenFrame();
    wxChoice* effect = Find<wxChoice>(ID_EFFECT_CHOICE);
    EXPECT_EQ(wxS("None"), effect->GetStringSelection());

    Click(Find<wxCheckBox>(ID_DROPSHADOW_CHECKBOX));
    EXPECT_TRUE(Record().dropshadow.enabled);
    EXPECT_EQ(wxS("User defined"), effect->GetStringSelection());
    EXPECT_TRUE(Find<wxButton>(ID_SAVE_EFFECT_BUTTON)->IsEnabled());
    EXPECT_FALSE(Find<wxButton>(ID_DELETE_EFFECT_BUTTON)->IsEnabled());
    // Its controls are enabled with the filter.
    EXPECT_TRUE(Find<CTextSlider>(ID_DROPSHADOW_ANGLE)->IsEnabled());
    EXPECT_FALSE(Find<CTextSlider>(ID_GLOW_ALPHA)->IsEnabled());

    const int index = effect->FindString(wxS("Soft Shadow"));
    ASSERT_NE(wxNOT_FOUND, index);
    Choose(effect, index);
    EXPECT_EQ(wxS("Soft Shadow"), effect->GetStringSelection());
    const FontProperties& stored = Core()->GetEffectFilters().at(wxS("Soft Shadow"));
    EXPECT_TRUE(FiltersEqual(stored, Record()));
    EXPECT_EQ(stored.dropshadow.color, Find<CTextColorPickerCtrl>(ID_DROPSHADOW_COLOR)->GetColour());
    EXPECT_EQ(static_cast<int>(stored.dropshadow.distance), Find<CTextSlider>(ID_DROPSHADOW_DISTANCE)->GetValue());
    EXPECT_FALSE(Find<wxButton>(ID_SAVE_EFFECT_BUTTON)->IsEnabled());
    EXPECT_TRUE(Find<wxButton>(ID_DELETE_EFFECT_BUTTON)->IsEnabled());

    // An edit of a filter leaves the stored effect.
    Move(Find<CTextSlider>(ID_DROPSHADOW_ANGLE), 200);
    EXPECT_EQ(wxS("User defined"), effect->GetStringSelection());
}

TEST_F(MainFrameTest, ARefreshShowsTheModelWithoutRaisingChangeEvents)
{
    OpenFrame();
    EventCounter counter(Frame());
    Frame()->UpdateControls();
    EXPECT_EQ(0, counter.count);

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
    RunPendingEvents(50);
    EXPECT_EQ(0, counter.count);
    EXPECT_EQ(wxS("77"), Find<wxComboBox>(ID_FONTSIZE_COMBOBOX)->GetValue());
    EXPECT_EQ(wxColour(1, 2, 3), Find<CTextColorPickerCtrl>(ID_FONT_COLOR)->GetColour());
    EXPECT_EQ(3, Find<wxChoice>(ID_FONT_ALIGNMENT_CHOICE)->GetSelection());
    EXPECT_TRUE(Find<wxCheckBox>(ID_DROPSHADOW_CHECKBOX)->GetValue());
    EXPECT_EQ(4, Find<CTextSlider>(ID_DROPSHADOW_DISTANCE)->GetValue());
    EXPECT_EQ(50, Find<CTextSlider>(ID_GLOW_ALPHA)->GetValue());
    EXPECT_EQ(12, Find<CTextSlider>(ID_GLOW_HBLUR)->GetValue());
    EXPECT_EQ(0, Find<wxChoice>(ID_BEVEL_TYPE_CHOICE)->GetSelection());
    EXPECT_TRUE(Find<wxCheckBox>(ID_FONT_UNDERLINE_CHECKBOX)->GetValue());
    // Loading every control again changed nothing in the record.
    EXPECT_EQ(4.7f, Record().dropshadow.distance);
}

TEST_F(MainFrameTest, BoldAndItalicFollowTheStylesTheFontOffers)
{
    MakeEmptyFile(SystemFontDir() + wxS("/Styles/Heavy_[bold].swf"));
    MakeEmptyFile(SystemFontDir() + wxS("/Styles/Trio_[regular][italic][bold].swf"));
    MakeEmptyFile(SystemFontDir() + wxS("/Styles/Full_[regular][italic][bold][bolditalic].swf"));
    OpenFrame();
    wxCheckBox* bold = Find<wxCheckBox>(ID_FONT_BOLD_CHECKBOX);
    wxCheckBox* italic = Find<wxCheckBox>(ID_FONT_ITALIC_CHECKBOX);
    auto useFont = [&](const char* font, bool isBold, bool isItalic) {
        ChangeRecord([&](FontProperties& record) {
            record.foundry = wxS("Styles");
            record.font = wxString(font);
            record.bold = isBold;
            record.italic = isItalic;
        });
    };

    useFont("Heavy [bold]", true, false);
    EXPECT_FALSE(bold->IsEnabled());
    EXPECT_FALSE(italic->IsEnabled());
    EXPECT_TRUE(bold->GetValue());

    useFont("Trio [regular][italic][bold]", true, false);
    EXPECT_TRUE(bold->IsEnabled());
    EXPECT_FALSE(italic->IsEnabled());

    useFont("Trio [regular][italic][bold]", false, true);
    EXPECT_FALSE(bold->IsEnabled());
    EXPECT_TRUE(italic->IsEnabled());

    useFont("Trio [regular][italic][bold]", false, false);
    EXPECT_TRUE(bold->IsEnabled());
    EXPECT_TRUE(italic->IsEnabled());

    useFont("Full [regular][italic][bold][bolditalic]", true, true);
    EXPECT_TRUE(bold->IsEnabled());
    EXPECT_TRUE(italic->IsEnabled());
    EXPECT_TRUE(bold->GetValue() && italic->GetValue());
}

// Typing into the box is tested from the keyboard.
TEST_F(MainFrameTest, SizeBoxIgnoresEmptyAndOverlongTextAndTakesAChosenEntry)
{
    OpenFrame();
    wxComboBox* size = Find<wxComboBox>(ID_FONTSIZE_COMBOBOX);
    size->SetValue(wxEmptyString);
    size->SetValue(wxS("99999999999"));
    EXPECT_EQ(40, Record().size);

    size->SetSelection(size->FindString(wxS("23")));
    wxCommandEvent chosen(wxEVT_COMBOBOX, size->GetId());
    chosen.SetEventObject(size);
    chosen.SetInt(size->GetSelection());
    size->HandleWindowEvent(chosen);
    EXPECT_EQ(23, Record().size);
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
    ASSERT_EQ(4u, tags->GetCount());
    EXPECT_EQ(wxS("<a>"), tags->GetString(0));
    EXPECT_EQ(wxS("<h1>"), tags->GetString(1));
    EXPECT_EQ(wxS("<h2>"), tags->GetString(2));
    EXPECT_EQ(wxS("<p>"), tags->GetString(3));
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
    Core()->GetTagList(names, selected);
    EXPECT_EQ(4u, names.size());
}

TEST_F(MainFrameTest, FontListAppliesAFontAndAClickKeepsTheHighlightOnTheFontInUse)
{
    MakeEmptyFile(SystemFontDir() + wxS("/Type_Co/Alpha.swf"));
    MakeEmptyFile(SystemFontDir() + wxS("/Type_Co/Beta.swf"));
    OpenFrame();
    wxSimpleHtmlListBox* fonts = Find<wxSimpleHtmlListBox>(ID_FONT_LISTBOX);
    wxArrayString rows;
    wxString selected;
    Core()->GetInstalledFontList(rows, selected);
    ASSERT_EQ(rows.size(), fonts->GetCount());
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i], fonts->GetString(i));
    ASSERT_EQ(4u, rows.size());
    EXPECT_EQ(wxS("Alpha"), Record().font);
    EXPECT_EQ(1, fonts->GetSelection());

    Select(fonts, 2);
    EXPECT_EQ(wxS("Beta"), Record().font);
    EXPECT_EQ(wxS("Type Co"), Record().foundry);
    EXPECT_EQ(2, fonts->GetSelection());

    // A click on the header row: the highlight returns to the font in use.
    fonts->SetSelection(0);
    wxMouseEvent up(wxEVT_LEFT_UP);
    up.SetEventObject(fonts);
    fonts->HandleWindowEvent(up);
    EXPECT_EQ(2, fonts->GetSelection());
    EXPECT_TRUE(LogContains(wxS("Font list click. Selecting previous selection")));

    // The library grew: the refresh command lists the new font.
    MakeEmptyFile(SystemFontDir() + wxS("/Type_Co/Gamma.swf"));
    wxCommandEvent refresh(wxEVT_MENU, ID_MENUITEM_REFRESHFONTLIST);
    Frame()->HandleWindowEvent(refresh);
    EXPECT_EQ(5u, fonts->GetCount());
    EXPECT_EQ(2, fonts->GetSelection());
}

TEST_F(MainFrameTest, APreviewPictureAddedToAFontFolderShowsAtTheNextRefresh)
{
    MakeEmptyFile(SystemFontDir() + wxS("/Type_Co/Alpha.swf"));
    OpenFrame();
    wxSimpleHtmlListBox* fonts = Find<wxSimpleHtmlListBox>(ID_FONT_LISTBOX);
    ASSERT_EQ(3u, fonts->GetCount());
    EXPECT_TRUE(fonts->GetString(1).Contains(wxS("Preview Not Available")));
    // Refreshes that find the library unchanged, long enough after the folder was made
    // for its time stamp to tell.
    RunPendingEvents(200);
    Frame()->UpdateControls();
    Frame()->UpdateControls();

    wxImage picture(40, 10);
    ASSERT_TRUE(picture.SaveFile(SystemFontDir() + wxS("/Type_Co/Alpha.png"), wxBITMAP_TYPE_PNG));
    Frame()->UpdateControls();
    EXPECT_TRUE(fonts->GetString(1).Contains(wxS("Alpha.png"))) << fonts->GetString(1);
    EXPECT_EQ(1, fonts->GetSelection());
}

TEST_F(MainFrameTest, TheBrowserAreaSetsTheMovieSizeFortyPixelsSmallerNeverNegative)
{
    OpenFrame();
    CEmbeddedBrowser* browser = Find<CEmbeddedBrowser>(ID_BROWSER);
    ASSERT_NE(nullptr, browser);
    // What the layout does when the window gives the preview 500 x 300.
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
