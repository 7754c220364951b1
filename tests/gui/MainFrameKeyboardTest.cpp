// The window driven from the keyboard and the mouse, as a user does it, under a window
// manager: the sample text has the focus at start, Tab reaches every control, mnemonics
// and accelerators work while the focus is in the sample text, typed sizes reach the
// selected tag, and the font list's links act like clicks on their rows.
#include "MainFrameTestSupport.h"

#include "Interface/FontListCtrl.h"
#include "Interface/glypharamainframe.h"
#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "Library/CustomControls/TextSlider.h"
#include "core/GlypharaCore.h"

#include <wx/app.h>
#include <wx/combobox.h>
#include <wx/listbox.h>
#include <wx/scrolwin.h>
#include <wx/settings.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <gtk/gtk.h>

#include <set>

namespace
{
// The window's controls that hold the keyboard focus, themselves or in one of their
// inner widgets. Asked of the toolkit's widgets: wx does not see the focus in every
// native control (a choice's inner button, for one).
std::set<int> ControlsWithFocus(wxWindow* frame)
{
    std::set<int> ids;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(frame->GetHandle()));
    if (!focus)
        return ids;
    std::function<void(wxWindow*)> visit = [&](wxWindow* window) {
        for (wxWindow* child : window->GetChildren())
        {
            GtkWidget* widget = child->GetHandle();
            if (widget && (widget == focus || gtk_widget_is_ancestor(focus, widget)))
                ids.insert(child->GetId());
            visit(child);
        }
    };
    visit(frame);
    return ids;
}
}

class MainFrameKeyboardTest : public MainFrameTest
{
protected:
    void SetUp() override
    {
        MainFrameTest::SetUp();
        m_manager.reset(new WindowManager);
    }
    void TearDown() override
    {
        MainFrameTest::TearDown();
        m_manager.reset();
    }
    // Opens the window and waits until it has the keyboard focus.
    bool OpenFocusedFrame()
    {
        if (!m_manager->Running())
            return false;
        OpenFrame();
        Frame()->Raise();
        return WaitFor([this] { return Frame()->IsActive(); }, 3000);
    }
    // Records the menu commands that reach the window and stops them there: what the
    // commands themselves do, dialogs and all, is tested elsewhere.
    void RecordCommands()
    {
        Frame()->Bind(wxEVT_MENU, [this](wxCommandEvent& event) { commands.push_back(event.GetId()); });
    }
    void Focus(wxWindow* window)
    {
        window->SetFocus();
        RunPendingEvents(100);
    }

    wxUIActionSimulator sim;
    std::vector<int> commands;

private:
    std::unique_ptr<WindowManager> m_manager;
};

TEST_F(MainFrameKeyboardTest, AcceleratorsAndMnemonicsWorkWhileTheFocusIsInTheSampleTextOrTheTagList)
{
    ASSERT_TRUE(OpenFocusedFrame()) << "needs openbox to give the window the focus";
    wxTextCtrl* text = Find<wxTextCtrl>(ID_USER_TEXT);
    Focus(text);
    text->SetInsertionPointEnd();
    RecordCommands();
    struct Key
    {
        int key;
        int modifiers;
        int id;
    };
    auto press = [&](const Key& key, wxWindow* focus) {
        commands.clear();
        sim.Char(key.key, key.modifiers);
        RunPendingEvents(150);
        ASSERT_EQ(1u, commands.size()) << "key " << key.key << " with modifiers " << key.modifiers;
        EXPECT_EQ(key.id, commands[0]) << "key " << key.key;
        EXPECT_EQ(focus, wxWindow::FindFocus()) << "key " << key.key;
    };
    const Key keys[] = {{'N', wxMOD_CONTROL, ID_MENUITEM_NEW}, {'O', wxMOD_CONTROL, ID_MENUITEM_OPEN},
                        {'S', wxMOD_CONTROL, ID_MENUITEM_SAVE}, {'R', wxMOD_CONTROL, ID_MENUITEM_REFRESHFONTLIST},
                        {'A', wxMOD_ALT | wxMOD_SHIFT, ID_MENUITEM_ADDTAG},
                        {'D', wxMOD_ALT | wxMOD_SHIFT, ID_MENUITEM_DELETETAG},
                        {'R', wxMOD_ALT | wxMOD_SHIFT, ID_MENUITEM_RENAMETAG},
                        {'S', wxMOD_CONTROL | wxMOD_SHIFT, ID_MENUITEM_SAVEEFFECT},
                        {'D', wxMOD_CONTROL | wxMOD_SHIFT, ID_MENUITEM_DELETEEFFECT},
                        {'I', wxMOD_CONTROL | wxMOD_SHIFT, ID_MENUITEM_IMPORTEFFECTS},
                        {'E', wxMOD_CONTROL | wxMOD_SHIFT, ID_MENUITEM_EXPORTEFFECT},
                        {'F', wxMOD_CONTROL | wxMOD_SHIFT, ID_MENUITEM_IMPORTFONTS},
                        {'M', wxMOD_CONTROL | wxMOD_SHIFT, ID_MENUITEM_MOLDWRIGHT},
                        {'P', wxMOD_CONTROL | wxMOD_SHIFT, ID_MENU_PREVIEWCURRENTPROJECT},
                        {WXK_F1, wxMOD_NONE, ID_MENUITEM_HELP}};
    for (const Key& key : keys)
        press(key, text);
    // None of them typed into the text.
    EXPECT_EQ(wxS("Sample Text"), text->GetValue());

    // The list would take Ctrl+N as its next row.
    wxListBox* tags = Find<wxListBox>(ID_TAG_LISTBOX);
    Focus(tags);
    for (const Key& key : {Key{'N', wxMOD_CONTROL, ID_MENUITEM_NEW}, Key{'O', wxMOD_CONTROL, ID_MENUITEM_OPEN},
                           Key{'S', wxMOD_CONTROL, ID_MENUITEM_SAVE}})
        press(key, tags);

    // Mnemonics open the menus and choose their items; Undo is enabled by something to undo.
    ChangeRecord([](FontProperties& record) { record.size = 33; });
    wxTheApp->ProcessIdle();
    Focus(text);
    const struct
    {
        int menu;
        int item;
        int id;
    } paths[] = {{'F', 'S', ID_MENUITEM_SAVE},          {'T', 'A', ID_MENUITEM_ADDTAG},
                 {'E', 'E', ID_MENUITEM_EXPORTEFFECT},  {'E', 'U', wxID_UNDO},
                 {'O', 'R', ID_MENUITEM_REFRESHFONTLIST}, {'W', 'G', ID_MENU_ADDTOMYWEB},
                 {'W', 'R', ID_MENU_PREVIEWMYWEB}};
    for (const auto& path : paths)
    {
        commands.clear();
        // "&Edit" and "&Effects" share Alt+E: the toolkit opens them in turn, so the
        // second press at most reaches the other one.
        const int tries = path.menu == 'E' ? 2 : 1;
        for (int attempt = 0; attempt < tries && commands.empty(); ++attempt)
        {
            sim.Char(path.menu, wxMOD_ALT);
            RunPendingEvents(300);
            sim.Char(path.item);
            RunPendingEvents(300);
            if (commands.empty())
            {
                sim.Char(WXK_ESCAPE);
                sim.Char(WXK_ESCAPE);
                RunPendingEvents(300);
            }
        }
        ASSERT_EQ(1u, commands.size()) << char(path.menu) << " " << char(path.item);
        EXPECT_EQ(path.id, commands[0]) << char(path.menu) << " " << char(path.item);
    }
}

TEST_F(MainFrameKeyboardTest, TabReachesEveryControl)
{
    ASSERT_TRUE(OpenFocusedFrame()) << "needs openbox to give the window the focus";
    // Filters on, so that their controls take the focus.
    ChangeRecord([](FontProperties& record) {
        record.dropshadow.enabled = record.glow.enabled = record.bevel.enabled = true;
    });
    Focus(Find<wxTextCtrl>(ID_USER_TEXT));
    std::set<int> reached;
    for (int press = 0; press < 120; ++press)
    {
        for (int id : ControlsWithFocus(Frame()))
            reached.insert(id);
        sim.Char(WXK_TAB);
        RunPendingEvents(40);
    }
    for (int id : {ID_USER_TEXT, ID_TAG_LISTBOX, ID_ADDTAG_BUTTON, ID_DELETETAG_BUTTON, ID_RENAMETAG_BUTTON,
                   ID_FONT_LISTBOX, ID_IMPORTFONTS_BUTTON, ID_MOLDWRIGHT_BUTTON, ID_FONTSIZE_COMBOBOX, ID_FONT_COLOR,
                   ID_LINK_COLOR, ID_HOVER_COLOR, ID_FONT_ALIGNMENT_CHOICE, ID_FONT_BOLD_CHECKBOX,
                   ID_FONT_ITALIC_CHECKBOX, ID_FONT_UNDERLINE_CHECKBOX, ID_BACKGROUND_COLOR, ID_EFFECT_CHOICE,
                   ID_SAVE_EFFECT_BUTTON, ID_DROPSHADOW_CHECKBOX, ID_DROPSHADOW_COLOR, ID_DROPSHADOW_ANGLE,
                   ID_DROPSHADOW_DISTANCE, ID_DROPSHADOW_STRENGTH, ID_BEVEL_CHECKBOX, ID_BEVEL_TYPE_CHOICE,
                   ID_BEVEL_SHADOW_COLOR, ID_BEVEL_HIGHLIGHT_COLOR, ID_BEVEL_ANGLE, ID_BEVEL_DISTANCE,
                   ID_BEVEL_STRENGTH, ID_GLOW_CHECKBOX, ID_GLOW_COLOR, ID_GLOW_ALPHA, ID_GLOW_HBLUR, ID_GLOW_VBLUR,
                   ID_GLOW_STRENGTH})
        EXPECT_TRUE(reached.count(id)) << "Tab never reached control " << id;
}

TEST_F(MainFrameKeyboardTest, ArrowKeysAndClicksInTheFontListStepOverHeadersAndLinks)
{
    MakeEmptyFile(SystemFontDir() + wxS("/Type_Co/Alpha.swf"));
    MakeEmptyFile(SystemFontDir() + wxS("/Zeta_Co/Beta.swf"));
    ASSERT_TRUE(OpenFocusedFrame()) << "needs openbox to give the window the focus";
    CFontListCtrl* fonts = Find<CFontListCtrl>(ID_FONT_LISTBOX);
    ASSERT_EQ(6u, fonts->GetCount());
    ASSERT_TRUE(fonts->GetString(2).Contains(wxS("addfontsfromweb")));
    EXPECT_EQ(wxS("Alpha"), Record().font);
    auto click = [&](int row, int x) {
        const wxRect rect = fonts->GetItemRect(row);
        sim.MouseMove(fonts->ClientToScreen(wxPoint(rect.x + x, rect.y + rect.height / 2)));
        RunPendingEvents(100);
        sim.MouseClick();
        RunPendingEvents(300);
    };
    // The link text starts after the row's 10-pixel indent: the shop opens, the font stays.
    fonts->ScrollToRow(0);
    RunPendingEvents(100);
    click(2, 30);
    EXPECT_EQ(1u, openedUrls.size());
    EXPECT_EQ(1, fonts->GetSelection());
    EXPECT_EQ(wxS("Alpha"), Record().font);

    Focus(fonts);
    sim.Char(WXK_DOWN);
    RunPendingEvents(300);
    // Past Type Co's add-more row and Zeta Co's header to its first font.
    EXPECT_EQ(wxS("Beta"), Record().font);
    EXPECT_EQ(4, fonts->GetSelection());
    sim.Char(WXK_UP);
    RunPendingEvents(300);
    EXPECT_EQ(wxS("Alpha"), Record().font);
    EXPECT_EQ(1, fonts->GetSelection());

    // A click on a foundry's header gives the first font below it.
    click(3, fonts->GetItemRect(3).width / 2);
    EXPECT_EQ(wxS("Beta"), Record().font);
    EXPECT_EQ(4, fonts->GetSelection());
}

TEST_F(MainFrameKeyboardTest, TypingAtStartReplacesTheSampleUndoKeysWorkThereAndSizesAreTyped)
{
    ASSERT_TRUE(OpenFocusedFrame()) << "needs openbox to give the window the focus";
    wxTextCtrl* text = Find<wxTextCtrl>(ID_USER_TEXT);
    EXPECT_EQ(text, wxWindow::FindFocus());
    EXPECT_EQ(wxS("Sample Text"), text->GetStringSelection());
    sim.Text("Big news");
    RunPendingEvents(200);
    EXPECT_EQ(wxS("Big news"), text->GetValue());
    wxString stored;
    Core()->GetUserText(stored);
    EXPECT_EQ(wxS("Big news"), stored);

    ChangeRecord([](FontProperties& record) { record.size = 33; });
    const struct
    {
        int key;
        int modifiers;
        bool undone;
    } presses[] = {{'Z', wxMOD_CONTROL, true},
                   {'Y', wxMOD_CONTROL, false},
                   {'Z', wxMOD_CONTROL, true},
                   {'Z', wxMOD_CONTROL | wxMOD_SHIFT, false}};
    for (const auto& press : presses)
    {
        // Idle time enables the menu items for the state the history is in.
        wxTheApp->ProcessIdle();
        sim.Char(press.key, press.modifiers);
        RunPendingEvents(150);
        EXPECT_EQ(press.undone ? 1u : 0u, Core()->GetRedoCount()) << "key " << char(press.key) << " " << press.modifiers;
        EXPECT_EQ(press.undone ? 40 : 33, Record().size) << "key " << char(press.key);
    }
    // The text field's own undo never ran.
    EXPECT_EQ(wxS("Big news"), text->GetValue());

    // Typed sizes apply at once; letters wait, and leaving the box restores the size.
    wxComboBox* size = Find<wxComboBox>(ID_FONTSIZE_COMBOBOX);
    Focus(size);
    size->SelectAll();
    sim.Char(WXK_BACK);
    sim.Char('1');
    RunPendingEvents(100);
    EXPECT_EQ(1, Record().size);
    sim.Char('4');
    RunPendingEvents(100);
    EXPECT_EQ(14, Record().size);
    sim.Char('x');
    RunPendingEvents(100);
    EXPECT_EQ(14, Record().size);
    EXPECT_EQ(wxS("14x"), size->GetValue());
    Focus(Find<wxTextCtrl>(ID_USER_TEXT));
    EXPECT_EQ(wxS("14"), size->GetValue());
}

// The parts of the window a user without a mouse could not reach before.
class KeyboardAccessTest : public MainFrameKeyboardTest
{
};

TEST_F(KeyboardAccessTest, TabIntoTheTagListChangesNothingAndTheMenuKeyOrShiftF10OpensItsMenu)
{
    ASSERT_TRUE(OpenFocusedFrame()) << "needs openbox to give the window the focus";
    wxListBox* tags = Find<wxListBox>(ID_TAG_LISTBOX);
    // A menu that is up holds the pointer and the keyboard; Escape takes it down. The
    // timer runs inside the loop that an open menu waits in.
    bool menuShown = false;
    wxTimer watch;
    watch.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (gtk_grab_get_current())
        {
            menuShown = true;
            sim.Char(WXK_ESCAPE);
        }
    });
    // Tab into the list selects its tag again, which changes nothing.
    Focus(Find<wxTextCtrl>(ID_USER_TEXT));
    const int selections = LogCount(wxS("Selected tag changed to"));
    sim.Char(WXK_TAB);
    RunPendingEvents(300);
    ASSERT_EQ(tags, wxWindow::FindFocus());
    EXPECT_EQ(selections, LogCount(wxS("Selected tag changed to")));
    for (const auto& key : {std::make_pair(int(WXK_MENU), int(wxMOD_NONE)), std::make_pair(int(WXK_F10), int(wxMOD_SHIFT))})
    {
        Focus(tags);
        menuShown = false;
        watch.Start(300);
        sim.Char(key.first, key.second);
        EXPECT_TRUE(WaitFor([&] { return menuShown; }, 3000)) << "key " << key.first;
        watch.Stop();
        RunPendingEvents(300);
    }
}

TEST_F(KeyboardAccessTest, AControlTakingTheFocusIsScrolledIntoView)
{
    ASSERT_TRUE(OpenFocusedFrame()) << "needs openbox to give the window the focus";
    ChangeRecord([](FontProperties& record) {
        record.dropshadow.enabled = record.glow.enabled = record.bevel.enabled = true;
    });
    wxScrolledWindow* column = Find<wxScrolledWindow>(ID_EFFECTS_SCROLLEDWINDOW);
    auto inView = [column](int id) {
        wxWindow* control = column->FindWindow(id);
        const wxRect rect(column->ScreenToClient(control->GetScreenPosition()), control->GetSize());
        return rect.GetTop() >= 0 && rect.GetBottom() < column->GetClientSize().y;
    };
    ASSERT_FALSE(inView(ID_GLOW_STRENGTH)) << "the column must be taller than its view";

    // Tab from the last field above the column into its first control, while the column
    // shows its end; and a control at the end given the focus while it shows its start.
    column->Scroll(0, column->GetVirtualSize().y);
    RunPendingEvents(100);
    ASSERT_FALSE(inView(ID_EFFECT_CHOICE));
    Focus(Find<CTextColorPickerCtrl>(ID_BACKGROUND_COLOR)->GetSwatch());
    sim.Char(WXK_TAB);
    RunPendingEvents(300);
    EXPECT_TRUE(ControlsWithFocus(Frame()).count(ID_EFFECT_CHOICE));
    EXPECT_TRUE(inView(ID_EFFECT_CHOICE));

    column->Scroll(0, 0);
    RunPendingEvents(100);
    Focus(Find<CTextSlider>(ID_GLOW_STRENGTH)->GetTextCtrl());
    RunPendingEvents(200);
    EXPECT_TRUE(inView(ID_GLOW_STRENGTH));
}

TEST_F(KeyboardAccessTest, HeadersAndAddMoreRowsAreReachedWithCtrlArrowsAndChosenWithReturnOrSpace)
{
    MakeEmptyFile(SystemFontDir() + wxS("/Type_Co/Alpha.swf"));
    MakeEmptyFile(SystemFontDir() + wxS("/Zeta_Co/Beta.swf"));
    ASSERT_TRUE(OpenFocusedFrame()) << "needs openbox to give the window the focus";
    CFontListCtrl* fonts = Find<CFontListCtrl>(ID_FONT_LISTBOX);
    ASSERT_EQ(6u, fonts->GetCount());
    Focus(fonts);
    ASSERT_EQ(1, fonts->GetSelection());
    // Ctrl and an arrow move the keyboard's place without choosing; Return or Space
    // chooses as a click does.
    const struct
    {
        int key;
        int modifiers;
        size_t shopVisits;
        const char* font;
        int selection;
    } steps[] = {{WXK_DOWN, wxMOD_CONTROL, 0, "Alpha", 1}, {WXK_RETURN, wxMOD_NONE, 1, "Alpha", 1},
                 {WXK_DOWN, wxMOD_CONTROL, 1, "Alpha", 1}, {WXK_DOWN, wxMOD_CONTROL, 1, "Alpha", 1},
                 {WXK_SPACE, wxMOD_NONE, 1, "Beta", 4},    {WXK_DOWN, wxMOD_CONTROL, 1, "Beta", 4},
                 {WXK_SPACE, wxMOD_NONE, 2, "Beta", 4}};
    for (const auto& step : steps)
    {
        sim.Char(step.key, step.modifiers);
        RunPendingEvents(300);
        EXPECT_EQ(step.shopVisits, openedUrls.size()) << step.key;
        EXPECT_EQ(wxString(step.font), Record().font) << step.key;
        EXPECT_EQ(step.selection, fonts->GetSelection()) << step.key;
    }
}

TEST_F(KeyboardAccessTest, TheSampleTextShowsAFocusRingWhileItHasTheKeyboard)
{
    ASSERT_TRUE(OpenFocusedFrame()) << "needs openbox to give the window the focus";
    wxTextCtrl* text = Find<wxTextCtrl>(ID_USER_TEXT);
    const wxColour ring = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
    // Ring pixels along the field's top edge.
    auto ringShown = [&] {
        RunPendingEvents(300);
        const wxRect rect = text->GetScreenRect();
        const wxImage edge = GrabScreen(wxRect(rect.x + 4, rect.y, rect.width - 8, 2));
        int count = 0;
        for (int x = 0; x < edge.GetWidth(); ++x)
            count += wxColour(edge.GetRed(x, 1), edge.GetGreen(x, 1), edge.GetBlue(x, 1)) == ring;
        return count > edge.GetWidth() / 2;
    };
    Focus(text);
    EXPECT_TRUE(ringShown());
    Focus(Find<wxListBox>(ID_TAG_LISTBOX));
    EXPECT_FALSE(ringShown());
}
