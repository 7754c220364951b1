// What the main window holds once built: menus, tools, controls with their kinds, ranges,
// items and fonts, the controls that never show, the minimum size and the geometry kept
// in the settings.
#include "MainFrameTestSupport.h"

#include "Interface/WindowGeometry.h"
#include "Interface/glypharamainframe.h"
#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "Library/CustomControls/TextSlider.h"
#include "browser/EmbeddedBrowser.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/fileconf.h>
#include <wx/htmllbox.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/settings.h>
#include <wx/slider.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

namespace
{
struct MenuEntry
{
    int id;
    const char* label;
    const char* help;
};

// Menu titles with their items as the user reads them; a null label is a separator.
const std::vector<std::pair<const char*, std::vector<MenuEntry>>> kMenus = {
    {"&File",
     {{ID_MENUITEM_NEW, "&New\tCtrl+N", "Create new empty project"},
      {ID_MENUITEM_OPEN, "&Open\tCtrl+O", "Open existing project"},
      {ID_MENUITEM_SAVE, "&Save\tCtrl+S", "Save project"},
      {ID_MENUITEM_SAVEAS, "Save as...", "Save project as..."},
      {ID_MENUITEM_RECENTPROJECTS, "&Recent projects", "Open a project you opened or saved lately"},
      {0, nullptr, nullptr},
      {ID_MENUITEM_EXIT, "Exit", ""}}},
    {"&Edit",
     {{wxID_UNDO, "&Undo\tCtrl+Z", ""},
      {wxID_REDO, "&Redo\tCtrl+Shift+Z", ""}}},
    {"&Tags",
     {{10001, "&Add tag\tAlt+Shift+A", "Add new tag"},
      {10018, "&Delete tag\tAlt+Shift+D", "Delete selected tag"},
      {10021, "&Rename tag\tAlt+Shift+R", "Rename selected tag"}}},
    {"&Effects",
     {{10022, "&Save effect\tCtrl+Shift+S", "Save current effect"},
      {10034, "&Delete effect\tCtrl+Shift+D", "Delete selected effect"},
      {0, nullptr, nullptr},
      {10030, "&Import effects...\tCtrl+Shift+I", "Import some effects to my list"},
      {ID_MENUITEM_EXPORTEFFECT, "&Export effect...\tCtrl+Shift+E", "Export selected effect"}}},
    {"F&onts",
     {{10103, "&Import fonts\tCtrl+Shift+F", ""},
      {10102, "&Refresh font list\tCtrl+R", ""},
      {10104, "&Tallowby Moldwright...\tCtrl+Shift+M", ""}}},
    {"My &Webpage",
     {{10096, "&Preview all the tags\tCtrl+Shift+P", ""},
      {0, nullptr, nullptr},
      {10032, "&Get Code", "How to add these fonts to my web"},
      {0, nullptr, nullptr},
      {10036, "P&review my Webpage", "Preview my existing web page"}}},
    {"&Help",
     {{10002, "Help (PDF)\tF1", ""},
      {10095, "Get a tip!", ""},
      {0, nullptr, nullptr},
      {wxID_ABOUT, "About Glyphara", ""}}},
};

// The accelerator as the toolkit normalises it (it may reorder the modifiers).
wxString Accelerator(const wxString& label)
{
    return label.AfterFirst('\t');
}
}

TEST_F(MainFrameTest, MenusHoldEveryItemWithItsAcceleratorAndHelp)
{
    GlypharaMainFrame* frame = OpenFrame();
    wxMenuBar* bar = frame->GetMenuBar();
    ASSERT_NE(nullptr, bar);
    ASSERT_EQ(kMenus.size(), bar->GetMenuCount());
    EXPECT_EQ(nullptr, frame->GetStatusBar());
    for (size_t m = 0; m < kMenus.size(); ++m)
    {
        EXPECT_EQ(wxString(kMenus[m].first), bar->GetMenuLabel(m));
        const wxMenuItemList& items = bar->GetMenu(m)->GetMenuItems();
        ASSERT_EQ(kMenus[m].second.size(), items.size()) << kMenus[m].first;
        size_t i = 0;
        for (const wxMenuItem* item : items)
        {
            const MenuEntry& wanted = kMenus[m].second[i++];
            if (!wanted.label)
            {
                EXPECT_TRUE(item->IsSeparator()) << kMenus[m].first << " item " << i;
                continue;
            }
            const wxString label = item->GetItemLabel();
            EXPECT_EQ(wanted.id, item->GetId()) << wanted.label;
            EXPECT_EQ(wxString(wanted.label).BeforeFirst('\t'), label.BeforeFirst('\t'));
            const wxString accelerator = Accelerator(wanted.label);
            if (!accelerator.empty())
            {
                std::unique_ptr<wxAcceleratorEntry> expected(wxAcceleratorEntry::Create(wxS("\t") + accelerator));
                std::unique_ptr<wxAcceleratorEntry> actual(item->GetAccel());
                ASSERT_TRUE(expected && actual) << wanted.label;
                EXPECT_EQ(expected->GetFlags(), actual->GetFlags()) << wanted.label;
                EXPECT_EQ(expected->GetKeyCode(), actual->GetKeyCode()) << wanted.label;
            }
            else
            {
                EXPECT_EQ(nullptr, std::unique_ptr<wxAcceleratorEntry>(item->GetAccel()).get()) << wanted.label;
            }
            // The toolkit gives its standard items a help text of its own, which no status
            // bar shows.
            if (wanted.id != wxID_ABOUT && wanted.id != wxID_UNDO && wanted.id != wxID_REDO)
            {
                EXPECT_EQ(wxString(wanted.help), item->GetHelp()) << wanted.label;
            }
            EXPECT_EQ(wxITEM_NORMAL, item->GetKind()) << wanted.label;
        }
    }
    // "Export effect" has an identifier no control uses.
    EXPECT_EQ(nullptr, frame->FindWindow(ID_MENUITEM_EXPORTEFFECT));
}

TEST_F(MainFrameTest, ToolBarHoldsTenToolsWithArchivePicturesAtTheirOwnSize)
{
    ASSERT_TRUE(UseBuiltPictures()) << "build the glyphara_images target first";
    GlypharaMainFrame* frame = OpenFrame();
    wxToolBar* bar = frame->GetToolBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(ID_TOOLBAR, bar->GetId());
    EXPECT_EQ(wxS("toolbar"), bar->GetName());
    EXPECT_TRUE(bar->HasFlag(wxTB_TEXT));
    EXPECT_FALSE(bar->HasFlag(wxTB_VERTICAL));

    struct
    {
        int id;
        const char* label;
        const char* tooltip;
    } const tools[] = {{20002, "New", "Create new project"},     {20004, "Open", "Open existing project"},
                       {20006, "Save", "Save current project"},  {0, nullptr, nullptr},
                       {20009, "Add tag", "Create new tag"},      {20011, "Delete tag", "Delete selected tag"},
                       {0, nullptr, nullptr},                     {20014, "Import", "Import effects"},
                       {20016, "Export", "Export effect"},        {0, nullptr, nullptr},
                       {20019, "Import fonts", ""},               {0, nullptr, nullptr},
                       {20022, "Preview", "Web browser preview"}, {20024, "Get Code", "Add to my Webpage"}};
    ASSERT_EQ(WXSIZEOF(tools), bar->GetToolsCount());
    for (size_t i = 0; i < WXSIZEOF(tools); ++i)
    {
        const wxToolBarToolBase* tool = bar->GetToolByPos(static_cast<int>(i));
        if (!tools[i].label)
        {
            EXPECT_TRUE(tool->IsSeparator()) << "position " << i;
            continue;
        }
        EXPECT_EQ(tools[i].id, tool->GetId());
        EXPECT_EQ(wxString(tools[i].label), tool->GetLabel());
        EXPECT_EQ(wxString(tools[i].tooltip), tool->GetShortHelp());
        EXPECT_TRUE(tool->GetLongHelp().empty());
        // The archive picture, whole: 39 x 42 in the archive, 39 x 42 on the tool.
        EXPECT_EQ(wxSize(39, 42), tool->GetNormalBitmap().GetSize()) << tools[i].label;
        EXPECT_EQ(wxSize(39, 42), tool->GetNormalBitmap().GetLogicalSize()) << tools[i].label;
    }
    EXPECT_EQ(wxSize(39, 42), bar->GetToolBitmapSize());
    // The tag and font buttons got their archive pictures too.
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
    // The program's own icon.
    EXPECT_FALSE(frame->GetIcons().IsEmpty());
}

TEST_F(MainFrameTest, TheTitleTheMinimumSizeAndWithoutTheArchiveAPlaceholderOnEveryTool)
{
    GlypharaMainFrame* frame = OpenFrame();
    EXPECT_EQ(wxS("Glyphara  (not saved)"), frame->GetTitle());
    EXPECT_EQ(wxSize(780, 720), frame->GetMinSize());
    frame->SetSize(600, 500);
    RunPendingEvents(200);
    EXPECT_GE(frame->GetSize().x, 780);
    EXPECT_GE(frame->GetSize().y, 720);

    wxToolBar* bar = frame->GetToolBar();
    for (int id : {20002, 20004, 20006, 20009, 20011, 20014, 20016, 20019, 20022, 20024})
    {
        const wxToolBarToolBase* tool = bar->FindById(id);
        ASSERT_NE(nullptr, tool) << id;
        EXPECT_TRUE(tool->GetNormalBitmap().IsOk()) << id;
    }
    EXPECT_TRUE(Find<wxBitmapButton>(ID_RENAMETAG_BUTTON)->GetBitmapLabel().IsOk());
    EXPECT_TRUE(frame->IsShown());
}

TEST_F(MainFrameTest, ControlsHaveTheirKindsNamesRangesItemsAndFonts)
{
    MakeEmptyFile(SystemFontDir() + wxS("/Type_Co/Alpha.swf"));
    GlypharaMainFrame* frame = OpenFrame();
    EXPECT_EQ(ID_GLYPHARAMAINFRAME, frame->GetId());
    EXPECT_TRUE(frame->HasFlag(wxCLOSE_BOX));
    EXPECT_TRUE(frame->HasFlag(wxRESIZE_BORDER));
    EXPECT_TRUE(frame->HasFlag(wxMAXIMIZE_BOX));

    for (int id : {ID_MAIN_PANEL, ID_PREVIEW_PANEL, ID_TEXT_PANEL, ID_TAGFONT_PANEL, ID_EFFECTS_PANEL})
        EXPECT_NE(nullptr, Find<wxPanel>(id)) << id;
    EXPECT_NE(nullptr, Find<CEmbeddedBrowser>(ID_BROWSER));
    EXPECT_GE(Find<wxPanel>(ID_TAGFONT_PANEL)->GetSize().y, 350);
    EXPECT_EQ(240, Find<wxPanel>(ID_EFFECTS_PANEL)->GetSize().x);

    wxTextCtrl* text = Find<wxTextCtrl>(ID_USER_TEXT);
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(wxS("text"), text->GetName());
    EXPECT_TRUE(text->IsMultiLine());
    EXPECT_EQ(75, text->GetSize().y);

    wxListBox* tags = Find<wxListBox>(ID_TAG_LISTBOX);
    ASSERT_NE(nullptr, tags);
    EXPECT_EQ(wxS("listBox"), tags->GetName());
    EXPECT_TRUE(tags->HasFlag(wxLB_SORT));
    EXPECT_EQ(150, tags->GetSize().x);
    EXPECT_EQ(10, tags->GetFont().GetPointSize());

    wxSimpleHtmlListBox* fonts = Find<wxSimpleHtmlListBox>(ID_FONT_LISTBOX);
    ASSERT_NE(nullptr, fonts);
    EXPECT_EQ(wxS("simpleHtmlListBox"), fonts->GetName());
    // Header, the font and its add-more row; the creation row "Font1" is gone.
    ASSERT_EQ(3u, fonts->GetCount());
    EXPECT_TRUE(fonts->GetString(1).Contains(wxS("Alpha")));
    EXPECT_EQ(1, fonts->GetSelection());

    wxComboBox* size = Find<wxComboBox>(ID_FONTSIZE_COMBOBOX);
    ASSERT_NE(nullptr, size);
    EXPECT_EQ(wxS("comboBox"), size->GetName());
    const wxString sizes[] = {wxS("8"),  wxS("9"),   wxS("10"),  wxS("12"),  wxS("14"),  wxS("16"),
                              wxS("18"), wxS("20"),  wxS("23"),  wxS("26"),  wxS("29"),  wxS("32"),
                              wxS("36"), wxS("40"),  wxS("45"),  wxS("50"),  wxS("56"),  wxS("62"),
                              wxS("69"), wxS("76"),  wxS("84"),  wxS("93"),  wxS("103"), wxS("114"),
                              wxS("126"), wxS("139"), wxS("153"), wxS("169"), wxS("186")};
    ASSERT_EQ(WXSIZEOF(sizes), size->GetCount());
    for (unsigned i = 0; i < size->GetCount(); ++i)
        EXPECT_EQ(sizes[i], size->GetString(i));
    EXPECT_EQ(wxString::Format(wxS("%d"), Record().size), size->GetValue());

    wxChoice* alignment = Find<wxChoice>(ID_FONT_ALIGNMENT_CHOICE);
    ASSERT_NE(nullptr, alignment);
    EXPECT_EQ(wxString(wxS("Left Center Right Justify")), wxJoin(alignment->GetStrings(), ' '));
    wxChoice* bevelType = Find<wxChoice>(ID_BEVEL_TYPE_CHOICE);
    ASSERT_NE(nullptr, bevelType);
    EXPECT_EQ(wxString(wxS("Inner Outer Full")), wxJoin(bevelType->GetStrings(), ' '));
    EXPECT_EQ(1, bevelType->GetSelection());

    for (int id : {ID_FONT_COLOR, ID_LINK_COLOR, ID_HOVER_COLOR, ID_BACKGROUND_COLOR, ID_DROPSHADOW_COLOR,
                   ID_BEVEL_SHADOW_COLOR, ID_BEVEL_HIGHLIGHT_COLOR, ID_GLOW_COLOR})
        EXPECT_NE(nullptr, Find<CTextColorPickerCtrl>(id)) << id;

    const struct
    {
        int id;
        int maximum;
    } sliders[] = {{ID_DROPSHADOW_ANGLE, 360}, {ID_DROPSHADOW_DISTANCE, 127}, {ID_DROPSHADOW_STRENGTH, 15},
                   {ID_BEVEL_ANGLE, 360},      {ID_BEVEL_DISTANCE, 127},      {ID_BEVEL_STRENGTH, 15},
                   {ID_GLOW_ALPHA, 100},       {ID_GLOW_HBLUR, 127},          {ID_GLOW_VBLUR, 127},
                   {ID_GLOW_STRENGTH, 15}};
    for (const auto& wanted : sliders)
    {
        CTextSlider* slider = Find<CTextSlider>(wanted.id);
        ASSERT_NE(nullptr, slider) << wanted.id;
        ASSERT_NE(nullptr, slider->GetSlider());
        EXPECT_EQ(0, slider->GetSlider()->GetMin()) << wanted.id;
        EXPECT_EQ(wanted.maximum, slider->GetSlider()->GetMax()) << wanted.id;
    }
    for (int id : {ID_BLUR_HBLUR_SLIDER, ID_BLUR_VBLUR_SLIDER})
    {
        wxSlider* slider = Find<wxSlider>(id);
        ASSERT_NE(nullptr, slider);
        EXPECT_EQ(31, slider->GetMax());
        EXPECT_EQ(75, slider->GetSize().x);
    }
    wxSlider* opacity = Find<wxSlider>(ID_OPACITY_SLIDER);
    ASSERT_NE(nullptr, opacity);
    EXPECT_EQ(100, opacity->GetMax());
    EXPECT_EQ(100, opacity->GetValue());

    wxScrolledWindow* effects = Find<wxScrolledWindow>(ID_EFFECTS_SCROLLEDWINDOW);
    ASSERT_NE(nullptr, effects);
    EXPECT_EQ(wxS("panel"), effects->GetName());
    wxChoice* effect = Find<wxChoice>(ID_EFFECT_CHOICE);
    ASSERT_NE(nullptr, effect);
    EXPECT_EQ(wxS("None"), effect->GetString(0));
    EXPECT_EQ(wxS("User defined"), effect->GetString(1));
    EXPECT_EQ(wxS("None"), effect->GetStringSelection());
    EXPECT_FALSE(Find<wxButton>(ID_SAVE_EFFECT_BUTTON)->IsEnabled());
    EXPECT_FALSE(Find<wxButton>(ID_DELETE_EFFECT_BUTTON)->IsEnabled());

    const struct
    {
        int id;
        const char* label;
        int points;
    } checks[] = {{ID_FONT_BOLD_CHECKBOX, "Bold", 8},      {ID_FONT_ITALIC_CHECKBOX, "Italic", 8},
                  {ID_FONT_UNDERLINE_CHECKBOX, "Underline", 8}, {ID_DROPSHADOW_CHECKBOX, "Drop shadow", 9},
                  {ID_BEVEL_CHECKBOX, "Bevel", 9},          {ID_GLOW_CHECKBOX, "Glow", 9},
                  {ID_BLUR_CHECKBOX, "Blur", 9}};
    for (const auto& wanted : checks)
    {
        wxCheckBox* box = Find<wxCheckBox>(wanted.id);
        ASSERT_NE(nullptr, box) << wanted.label;
        EXPECT_EQ(wxString(wanted.label), box->GetLabel());
        EXPECT_EQ(wanted.points, box->GetFont().GetPointSize()) << wanted.label;
        EXPECT_FALSE(box->GetValue()) << wanted.label;
    }
    const int small = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).GetPointSize() * 9 / 10;
    for (int id : {ID_DROPSHADOW_KNOCKOUT_CHECKBOX, ID_GLOW_INNER_CHECKBOX, ID_GLOW_KNOCKOUT_CHECKBOX})
        EXPECT_EQ(small, Find<wxCheckBox>(id)->GetFont().GetPointSize()) << id;
    EXPECT_EQ(8, text->GetFont().GetPointSize());
    EXPECT_EQ(8, size->GetFont().GetPointSize());
    EXPECT_EQ(8, effect->GetFont().GetPointSize());
}

TEST_F(MainFrameTest, HiddenControlsNeverShowAtAnySizeWhateverTheRecordSays)
{
    GlypharaMainFrame* frame = OpenFrame();
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
    for (const wxSize size : {wxSize(780, 720), wxSize(1024, 768), wxSize(display.x, display.y)})
    {
        frame->SetSize(size);
        RunPendingEvents(200);
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
        EXPECT_TRUE(frame->FindWindow(ID_GLOW_STRENGTH)->IsShown());
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
    EXPECT_EQ(123, read.posX);
    EXPECT_EQ(234, read.posY);
    EXPECT_EQ(901, read.width);
    EXPECT_EQ(733, read.height);
    frame->Destroy();
    RunPendingEvents(100);
}
