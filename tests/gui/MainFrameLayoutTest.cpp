// What the main window holds once built: menus, tools, controls with their kinds, ranges,
// items and first values, the controls that never show, the minimum size and the geometry
// kept in the settings.
#include "MainFrameTestSupport.h"

#include "Interface/FontListCtrl.h"
#include "Interface/WindowGeometry.h"
#include "Interface/glypharamainframe.h"
#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "Library/CustomControls/TextSlider.h"
#include "browser/EmbeddedBrowser.h"
#include "core/GlypharaCore.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/fileconf.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/slider.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include <map>
#include <set>

namespace
{
// Each menu: its title, its items' ids (0: a separator) and labels as the user reads them.
// The accelerators are pressed in the keyboard tests.
const struct
{
    const char* title;
    std::vector<int> ids;
    const char* labels;
} kMenus[] = {
    {"&File",
     {ID_MENUITEM_NEW, ID_MENUITEM_OPEN, ID_MENUITEM_SAVE, ID_MENUITEM_SAVEAS, ID_MENUITEM_RECENTPROJECTS, 0,
      ID_MENUITEM_EXIT},
     "&New|&Open|&Save|Save as...|&Recent projects|-|Exit"},
    {"&Edit", {wxID_UNDO, wxID_REDO}, "&Undo|&Redo"},
    {"&Tags", {10001, 10018, 10021}, "&Add tag|&Delete tag|&Rename tag"},
    {"&Effects", {10022, 10034, 0, 10030, ID_MENUITEM_EXPORTEFFECT},
     "&Save effect|&Delete effect|-|&Import effects...|&Export effect..."},
    {"F&onts", {10103, 10102, 10104}, "&Import fonts|&Refresh font list|&Tallowby Moldwright..."},
    {"My &Webpage", {10096, 0, 10032, 0, 10036}, "&Preview all the tags|-|&Get Code|-|P&review my Webpage"},
    {"&Help", {10002, 10095, 0, wxID_ABOUT}, "Help (PDF)|Get a tip!|-|About Glyphara"},
};
}

TEST_F(MainFrameTest, MenusHoldEveryItem)
{
    wxMenuBar* bar = OpenFrame()->GetMenuBar();
    ASSERT_NE(nullptr, bar);
    ASSERT_EQ(WXSIZEOF(kMenus), bar->GetMenuCount());
    EXPECT_EQ(nullptr, Frame()->GetStatusBar());
    for (size_t m = 0; m < WXSIZEOF(kMenus); ++m)
    {
        EXPECT_EQ(wxString(kMenus[m].title), bar->GetMenuLabel(m));
        std::vector<int> ids;
        wxArrayString labels;
        for (const wxMenuItem* item : bar->GetMenu(m)->GetMenuItems())
        {
            ids.push_back(item->IsSeparator() ? 0 : item->GetId());
            labels.Add(item->IsSeparator() ? wxString(wxS("-")) : item->GetItemLabel().BeforeFirst('\t'));
        }
        EXPECT_EQ(kMenus[m].ids, ids) << kMenus[m].title;
        EXPECT_EQ(wxString(kMenus[m].labels), wxJoin(labels, '|'));
    }
}

namespace
{
void CollectWindowIds(wxWindow* window, std::map<int, int>& counts)
{
    ++counts[window->GetId()];
    for (wxWindow* child : window->GetChildren())
        if (!child->IsTopLevel())
            CollectWindowIds(child, counts);
}

void CollectMenuIds(wxMenu* menu, std::set<int>& ids)
{
    for (wxMenuItem* item : menu->GetMenuItems())
    {
        if (!item->IsSeparator())
            ids.insert(item->GetId());
        if (item->GetSubMenu())
            CollectMenuIds(item->GetSubMenu(), ids);
    }
}
}

TEST_F(MainFrameTest, EveryFixedIdNamesOneWindowAndNoMenuItem)
{
    GlypharaMainFrame* frame = OpenFrame();
    std::set<int> menuIds;
    for (size_t m = 0; m < frame->GetMenuBar()->GetMenuCount(); ++m)
        CollectMenuIds(frame->GetMenuBar()->GetMenu(m), menuIds);
    std::map<int, int> windowIds;
    CollectWindowIds(frame, windowIds);
    // Labels share the toolkit's static id; ids the toolkit hands out are negative.
    windowIds.erase(wxID_STATIC);
    for (const auto& id : windowIds)
    {
        if (id.first < 0)
            continue;
        EXPECT_EQ(1, id.second) << "windows with id " << id.first;
        EXPECT_EQ(0u, menuIds.count(id.first)) << "a window and a menu item with id " << id.first;
    }
    EXPECT_EQ(frame, frame->FindWindow(ID_GLYPHARAMAINFRAME));
}

TEST_F(MainFrameTest, ToolBarHoldsTenToolsWithArchivePicturesAtTheirOwnSize)
{
    ASSERT_TRUE(UseBuiltPictures()) << "build the glyphara_images target first";
    wxToolBar* bar = OpenFrame()->GetToolBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(ID_TOOLBAR, bar->GetId());
    EXPECT_TRUE(bar->HasFlag(wxTB_TEXT));
    EXPECT_FALSE(bar->HasFlag(wxTB_VERTICAL));
    const std::vector<int> ids = {20002, 20004, 20006, 0, 20009, 20011, 0, 20014, 20016, 0, 20019, 0, 20022, 20024};
    std::vector<int> shown;
    wxArrayString labels;
    for (size_t i = 0; i < bar->GetToolsCount(); ++i)
    {
        const wxToolBarToolBase* tool = bar->GetToolByPos(static_cast<int>(i));
        shown.push_back(tool->IsSeparator() ? 0 : tool->GetId());
        labels.Add(tool->IsSeparator() ? wxString(wxS("-")) : tool->GetLabel() + wxS("/") + tool->GetShortHelp());
        // The archive picture, whole: 39 x 42 in the archive, 39 x 42 on the tool.
        if (!tool->IsSeparator())
        {
            EXPECT_EQ(wxSize(39, 42), tool->GetNormalBitmap().GetLogicalSize()) << tool->GetLabel();
        }
    }
    EXPECT_EQ(ids, shown);
    EXPECT_EQ(wxS("New/Create new project|Open/Open existing project|Save/Save current project|-|Add tag/Create new "
                  "tag|Delete tag/Delete selected tag|-|Import/Import effects|Export/Export effect|-|Import fonts/|-|"
                  "Preview/Web browser preview|Get Code/Add to my Webpage"),
              wxJoin(labels, '|'));
    EXPECT_EQ(wxSize(24, 24), Find<wxBitmapButton>(ID_ADDTAG_BUTTON)->GetBitmapLabel().GetSize());
    EXPECT_EQ(wxSize(16, 16), Find<wxBitmapButton>(ID_MOLDWRIGHT_BUTTON)->GetBitmapLabel().GetSize());
    // Nothing of them is cut off: each button is at least 24 x 24 and as large as the
    // theme needs around its picture.
    for (int id : {ID_ADDTAG_BUTTON, ID_DELETETAG_BUTTON, ID_RENAMETAG_BUTTON, ID_IMPORTFONTS_BUTTON, ID_MOLDWRIGHT_BUTTON})
    {
        wxBitmapButton* button = Find<wxBitmapButton>(id);
        wxSize needed = button->GetBestSize();
        needed.IncTo(wxSize(24, 24));
        EXPECT_GE(button->GetSize().x, needed.x) << id;
        EXPECT_GE(button->GetSize().y, needed.y) << id;
        EXPECT_GT(needed.x, int(button->GetBitmapLabel().GetLogicalWidth())) << id;
    }
    EXPECT_FALSE(Frame()->GetIcons().IsEmpty());
}

// Without the picture archive: every tool still gets a placeholder.
TEST_F(MainFrameTest, ControlsHaveTheirKindsRangesItemsAndFirstValues)
{
    GlypharaMainFrame* frame = OpenFrame();
    EXPECT_EQ(ID_GLYPHARAMAINFRAME, frame->GetId());
    EXPECT_EQ(wxS("Glyphara  (not saved)"), frame->GetTitle());
    EXPECT_TRUE(frame->HasFlag(wxCLOSE_BOX) && frame->HasFlag(wxRESIZE_BORDER) && frame->HasFlag(wxMAXIMIZE_BOX));
    for (size_t i = 0; i < frame->GetToolBar()->GetToolsCount(); ++i)
    {
        const wxToolBarToolBase* tool = frame->GetToolBar()->GetToolByPos(static_cast<int>(i));
        EXPECT_TRUE(tool->IsSeparator() || tool->GetNormalBitmap().IsOk()) << tool->GetId();
    }
    EXPECT_TRUE(Find<wxBitmapButton>(ID_RENAMETAG_BUTTON)->GetBitmapLabel().IsOk());

    for (int id : {ID_MAIN_PANEL, ID_PREVIEW_PANEL, ID_TEXT_PANEL, ID_TAGFONT_PANEL, ID_EFFECTS_PANEL})
        EXPECT_NE(nullptr, Find<wxPanel>(id)) << id;
    EXPECT_NE(nullptr, Find<CEmbeddedBrowser>(ID_BROWSER));
    EXPECT_NE(nullptr, Find<wxScrolledWindow>(ID_EFFECTS_SCROLLEDWINDOW));
    EXPECT_GE(Find<wxPanel>(ID_TAGFONT_PANEL)->GetSize().y, 350);
    EXPECT_EQ(240, Find<wxPanel>(ID_EFFECTS_PANEL)->GetSize().x);

    wxTextCtrl* text = Find<wxTextCtrl>(ID_USER_TEXT);
    ASSERT_NE(nullptr, text);
    EXPECT_TRUE(text->IsMultiLine());
    EXPECT_EQ(75, text->GetSize().y);

    wxListBox* tags = Find<wxListBox>(ID_TAG_LISTBOX);
    ASSERT_NE(nullptr, tags);
    EXPECT_EQ(150, tags->GetSize().x);
    EXPECT_EQ(wxS("<h1>"), tags->GetStringSelection());

    // Its rows are checked with the font list's behaviour.
    EXPECT_NE(nullptr, Find<CFontListCtrl>(ID_FONT_LISTBOX));

    wxComboBox* size = Find<wxComboBox>(ID_FONTSIZE_COMBOBOX);
    ASSERT_NE(nullptr, size);
    EXPECT_EQ(wxS("8 9 10 12 14 16 18 20 23 26 29 32 36 40 45 50 56 62 69 76 84 93 103 114 126 139 153 169 186"),
              wxJoin(size->GetStrings(), ' '));
    EXPECT_EQ(wxS("40"), size->GetValue());

    auto items = [&](int id) {
        wxChoice* choice = Find<wxChoice>(id);
        return choice ? wxJoin(choice->GetStrings(), '|') + wxS(" @") + choice->GetStringSelection() : wxString();
    };
    EXPECT_EQ(wxS("Left|Center|Right|Justify @Left"), items(ID_FONT_ALIGNMENT_CHOICE));
    EXPECT_EQ(wxS("Inner|Outer|Full @Outer"), items(ID_BEVEL_TYPE_CHOICE));
    EXPECT_EQ(wxS("None|User defined @None"), items(ID_EFFECT_CHOICE));
    EXPECT_FALSE(Find<wxButton>(ID_SAVE_EFFECT_BUTTON)->IsEnabled());
    EXPECT_FALSE(Find<wxButton>(ID_DELETE_EFFECT_BUTTON)->IsEnabled());

    for (int id : {ID_FONT_COLOR, ID_LINK_COLOR, ID_HOVER_COLOR, ID_BACKGROUND_COLOR, ID_DROPSHADOW_COLOR,
                   ID_BEVEL_SHADOW_COLOR, ID_BEVEL_HIGHLIGHT_COLOR, ID_GLOW_COLOR})
        EXPECT_NE(nullptr, Find<CTextColorPickerCtrl>(id)) << id;
    EXPECT_EQ(wxColour(0, 0, 255), Find<CTextColorPickerCtrl>(ID_LINK_COLOR)->GetColour());

    // Sliders, alone or inside a number slider: range from 0, first value.
    const struct
    {
        int id;
        int maximum;
        int value;
    } sliders[] = {{ID_DROPSHADOW_ANGLE, 360, 45}, {ID_DROPSHADOW_DISTANCE, 127, 4}, {ID_DROPSHADOW_STRENGTH, 15, 1},
                   {ID_BEVEL_ANGLE, 360, 45},      {ID_BEVEL_DISTANCE, 127, 4},      {ID_BEVEL_STRENGTH, 15, 1},
                   {ID_GLOW_ALPHA, 100, 25},       {ID_GLOW_HBLUR, 127, 6},          {ID_GLOW_VBLUR, 127, 6},
                   {ID_GLOW_STRENGTH, 15, 2},      {ID_BLUR_HBLUR_SLIDER, 31, 5},    {ID_BLUR_VBLUR_SLIDER, 31, 5},
                   {ID_OPACITY_SLIDER, 100, 100}};
    for (const auto& wanted : sliders)
    {
        CTextSlider* compound = Find<CTextSlider>(wanted.id);
        wxSlider* slider = compound ? compound->GetSlider() : Find<wxSlider>(wanted.id);
        ASSERT_NE(nullptr, slider) << wanted.id;
        EXPECT_EQ(0, slider->GetMin()) << wanted.id;
        EXPECT_EQ(wanted.maximum, slider->GetMax()) << wanted.id;
        EXPECT_EQ(wanted.value, slider->GetValue()) << wanted.id;
    }
    EXPECT_EQ(75, Find<wxSlider>(ID_BLUR_HBLUR_SLIDER)->GetSize().x);

    for (int id : {ID_FONT_BOLD_CHECKBOX, ID_FONT_ITALIC_CHECKBOX, ID_FONT_UNDERLINE_CHECKBOX, ID_DROPSHADOW_CHECKBOX,
                   ID_BEVEL_CHECKBOX, ID_GLOW_CHECKBOX, ID_BLUR_CHECKBOX, ID_DROPSHADOW_KNOCKOUT_CHECKBOX,
                   ID_GLOW_INNER_CHECKBOX, ID_GLOW_KNOCKOUT_CHECKBOX})
    {
        ASSERT_NE(nullptr, Find<wxCheckBox>(id)) << id;
        EXPECT_FALSE(Find<wxCheckBox>(id)->GetValue()) << id;
    }
    // Filter names stand out from their settings.
    EXPECT_GT(Find<wxCheckBox>(ID_GLOW_CHECKBOX)->GetFont().GetPointSize(), text->GetFont().GetPointSize());
}

TEST_F(MainFrameTest, HiddenControlsNeverShowAtAnySizeWhateverTheRecordSays)
{
    GlypharaMainFrame* frame = OpenFrame();
    EXPECT_EQ(wxSize(780, 720), frame->GetMinSize());
    const int hidden[] = {ID_OPACITY_SLIDER, ID_BLUR_CHECKBOX, ID_BLUR_HBLUR_SLIDER, ID_BLUR_VBLUR_SLIDER,
                          ID_DROPSHADOW_KNOCKOUT_CHECKBOX, ID_GLOW_INNER_CHECKBOX, ID_GLOW_KNOCKOUT_CHECKBOX};
    // Filters switched on make their controls enabled; the hidden ones must stay hidden.
    ChangeRecord([](FontProperties& record) {
        record.blur.enabled = true;
        record.dropshadow.enabled = true;
        record.dropshadow.knockout = true;
        record.glow.enabled = true;
        record.glow.inner = true;
    });
    const wxSize display = wxGetDisplaySize();
    // The smallest asked for is below the minimum, which the window keeps.
    for (const wxSize size : {wxSize(600, 500), wxSize(1024, 768), wxSize(display.x, display.y)})
    {
        frame->SetSize(size);
        RunPendingEvents(200);
        EXPECT_GE(frame->GetSize().x, 780);
        EXPECT_GE(frame->GetSize().y, 720);
        // Any change refreshes every control.
        ChangeRecord([](FontProperties& record) { record.size += 1; });
        RunPendingEvents(100);
        for (int id : hidden)
        {
            wxWindow* window = frame->FindWindow(id);
            ASSERT_NE(nullptr, window) << id;
            EXPECT_FALSE(window->IsShownOnScreen()) << id << " at " << size.x << "x" << size.y;
        }
        // The blur section's own frame and labels go with it: no visible window sits in
        // the effect list below the glow section.
        wxWindow* glowStrength = frame->FindWindow(ID_GLOW_STRENGTH);
        const int glowBottom = glowStrength->GetRect().GetBottom();
        for (wxWindow* child : frame->FindWindow(ID_EFFECTS_SCROLLEDWINDOW)->GetChildren())
        {
            if (child->IsShown())
            {
                EXPECT_LE(child->GetRect().GetTop(), glowBottom + 20) << child->GetClassInfo()->GetClassName();
            }
        }
        EXPECT_TRUE(frame->FindWindow(ID_TAG_LISTBOX)->IsShownOnScreen());
    }
}

TEST_F(MainFrameTest, BuildingTheWindowLeavesTheSavedGeometryForStartUpToRead)
{
    const wxString path = Home() + wxS("/saved.cfg");
    ASSERT_EQ(RC_OK, Core()->Init());
    delete wxConfigBase::Set(new wxFileConfig(wxS("Glyphara"), wxS("Tallowby Software"), path, path,
                                              wxCONFIG_USE_LOCAL_FILE | wxCONFIG_USE_GLOBAL_FILE));
    WindowGeometry::Stored saved;
    saved.posX = 123;
    saved.posY = 234;
    saved.width = 901;
    saved.height = 733;
    WindowGeometry::Write(*wxConfigBase::Get(), saved);

    GlypharaMainFrame* frame = new GlypharaMainFrame(nullptr, wxS("Glyphara"), wxSize(1024, 768));
    RunPendingEvents(200);
    const WindowGeometry::Stored read = WindowGeometry::Read(*wxConfigBase::Get());
    EXPECT_EQ((std::vector<long>{123, 234, 901, 733}), (std::vector<long>{read.posX, read.posY, read.width, read.height}));
    frame->Destroy();
    RunPendingEvents(100);
}
