// The tag commands from every place that offers them: the name they ask for, the boxes
// for names the core refuses or does not recommend, and the tag list's context menu.
#include "CommandTestSupport.h"

#include "Interface/glypharamainframe.h"

#include <wx/eventfilter.h>
#include <wx/menu.h>

#include <gtk/gtk.h>

namespace
{
const char* const kAddTitle = "Add a new tag";
const char* const kAddPrompt = "Choose a name for the new tag:";

ExpectDialog<wxMessageDialog> ErrorBox(const wxString& text)
{
    return Box(wxS("Error"), text, wxOK | wxICON_ERROR, wxID_OK);
}

ExpectDialog<wxMessageDialog> NotRecommended(const wxString& name, int answer)
{
    return Box(wxS("Warning"),
               name + wxS(" is not one of the recommended tags for use with Glyphara. You can use it, but there may "
                          "be undesired consequences."),
               wxOK | wxCANCEL | wxICON_WARNING, answer);
}

ExpectDialog<wxMessageDialog> ConfirmDelete(int answer)
{
    return Box(wxS("Confirm"), wxS("Are you sure you want to delete this tag?"), wxYES_NO | wxICON_QUESTION, answer);
}

// Opens the tag list's context menu as a right-button release over the list does, notes
// what it offers and then chooses the item with chosenId, or closes it when that is 0.
class ContextMenu : public wxEventFilter
{
public:
    ContextMenu(wxWindow* list, int chosenId) : m_list(list), m_chosenId(chosenId)
    {
        wxEvtHandler::AddFilter(this);
        wxMouseEvent release(wxEVT_RIGHT_UP);
        release.SetEventObject(m_list);
        release.SetPosition(wxPoint(10, 10));
        m_list->HandleWindowEvent(release);
        wxEvtHandler::RemoveFilter(this);
    }
    std::vector<wxString> labels;
    std::vector<int> ids;

private:
    int FilterEvent(wxEvent& event) override
    {
        if (event.GetEventType() != wxEVT_MENU_OPEN || !labels.empty())
            return Event_Skip;
        wxMenu* menu = static_cast<wxMenuEvent&>(event).GetMenu();
        if (!menu)
            return Event_Skip;
        for (const wxMenuItem* item : menu->GetMenuItems())
        {
            labels.push_back(item->IsSeparator() ? wxString(wxS("-")) : item->GetItemLabelText());
            ids.push_back(item->GetId());
        }
        const int chosen = m_chosenId;
        // Acted on once the menu is up, from the menu's own loop, as a user's click is.
        m_list->CallAfter([menu, chosen] {
            wxMenuItem* item = chosen ? menu->FindItem(chosen) : nullptr;
            if (item)
                gtk_menu_shell_activate_item(GTK_MENU_SHELL(menu->m_menu), item->GetMenuItem(), TRUE);
            else
                gtk_menu_shell_deactivate(GTK_MENU_SHELL(menu->m_menu));
        });
        return Event_Skip;
    }

    wxWindow* m_list;
    int m_chosenId;
};
}

class TagCommandsTest : public CommandTest
{
protected:
    void SetUp() override
    {
        CommandTest::SetUp();
        InstallLibrary();
        OpenFrame();
    }

    void Add(const char* name)
    {
        wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_ADDTAG), TagDialog(kAddTitle, kAddPrompt, name));
    }

    static ExpectDialog<CGetNewTagDialog> RenameDialog(const char* from, const char* name)
    {
        return TagDialog(wxS("Rename current tag"), wxString::Format(wxS("Choose a new name for <%s> tag:"), from),
                         name);
    }
};

TEST_F(TagCommandsTest, AddTakesASuggestionOrATypedNameFromEveryPlace)
{
    // The first standard tag the project lacks is offered, and taken as it stands.
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_ADDTAG), TagDialog(kAddTitle, kAddPrompt, nullptr));
    EXPECT_EQ(wxS("<h2>"), TagList()->GetStringSelection());
    EXPECT_TRUE(LogContains(wxS("User requests to add a new tag with name: <h2>")));

    // The tool and the button under the list run the same command.
    wxTEST_DIALOG(Command(Frame(), ID_TOOL_ADDTAG), TagDialog(kAddTitle, kAddPrompt, "H3"));
    wxTEST_DIALOG(Command(Frame(), ID_ADDTAG_BUTTON, wxEVT_BUTTON), TagDialog(kAddTitle, kAddPrompt, nullptr));
    EXPECT_EQ((std::vector<wxString>{wxS("h1"), wxS("h2"), wxS("h3"), wxS("h4")}), TagNames());
    EXPECT_EQ(wxS("<h4>"), TagList()->GetStringSelection());

    // Cancel, and OK on an empty box, add nothing and ask nothing more.
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_ADDTAG), TagDialog(kAddTitle, kAddPrompt, "h5", wxID_CANCEL));
    Add("");
    EXPECT_EQ(4u, TagNames().size());
}

TEST_F(TagCommandsTest, ADuplicateOrBadNameIsRefusedAndANameOutsideTheRecommendedSetWarnsFirst)
{
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_ADDTAG), TagDialog(kAddTitle, kAddPrompt, "h1"),
                  ErrorBox(wxS("Tag already exists")));
    // A name with no letter is not recommended either; after OK the core refuses it.
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_ADDTAG), TagDialog(kAddTitle, kAddPrompt, "<123>"),
                  NotRecommended(wxS("<123>"), wxID_OK), ErrorBox(wxS("Invalid tag name")));
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_ADDTAG), TagDialog(kAddTitle, kAddPrompt, "blockquote"),
                  NotRecommended(wxS("blockquote"), wxID_CANCEL));
    EXPECT_EQ(std::vector<wxString>{wxS("h1")}, TagNames());
    EXPECT_FALSE(Core()->IsProjectSaved());
    EXPECT_FALSE(LogContains(wxS("User agrees to add a non standard tag")));

    // After OK the name is added as the core cleans it; "%" in it is shown as typed.
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_ADDTAG), TagDialog(kAddTitle, kAddPrompt, "Sub%s %d Title"),
                  NotRecommended(wxS("Sub%s %d Title"), wxID_OK));
    EXPECT_EQ((std::vector<wxString>{wxS("h1"), wxS("sub")}), TagNames());
    EXPECT_EQ(wxS("<sub>"), TagList()->GetStringSelection());
    EXPECT_TRUE(LogContains(wxS("User agrees to add a non standard tag: sub")));
}

TEST_F(TagCommandsTest, RenameAsksForTheNewNameOfTheSelectedTag)
{
    Add("h2");
    ChangeRecord([](FontProperties& record) { record.size = 44; });
    wxTEST_DIALOG(Command(Frame(), ID_RENAMETAG_BUTTON, wxEVT_BUTTON), RenameDialog("h2", nullptr));
    EXPECT_EQ((std::vector<wxString>{wxS("h1"), wxS("h3")}), TagNames());
    EXPECT_EQ(wxS("<h3>"), TagList()->GetStringSelection());
    EXPECT_EQ(44, Core()->GetTags().at(wxS("h3")).size);
    EXPECT_TRUE(LogContains(wxS("User requests to rename selected tag (<h2>) to: <h3>")));

    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_RENAMETAG), RenameDialog("h3", "h1"),
                  ErrorBox(wxS("Tag already exists")));
    // A name outside the set warns; Cancel there keeps the old name.
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_RENAMETAG), RenameDialog("h3", "em"),
                  NotRecommended(wxS("em"), wxID_CANCEL));
    EXPECT_EQ((std::vector<wxString>{wxS("h1"), wxS("h3")}), TagNames());
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_RENAMETAG), RenameDialog("h3", "em"),
                  NotRecommended(wxS("em"), wxID_OK));
    EXPECT_EQ((std::vector<wxString>{wxS("em"), wxS("h1")}), TagNames());
    EXPECT_EQ(wxS("<em>"), TagList()->GetStringSelection());

    // With nothing highlighted there is nothing to rename or delete.
    TagList()->SetSelection(wxNOT_FOUND);
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_RENAMETAG), ErrorBox(wxS("No tag is selected")));
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_DELETETAG), ErrorBox(wxS("No tag is selected")));
    EXPECT_EQ(2u, TagNames().size());
}

TEST_F(TagCommandsTest, TheContextMenuAndDeleteActOnTheSelectedTagAndKeepTheLastOne)
{
    Add("h2");
    {
        ContextMenu menu(TagList(), 0);
        EXPECT_EQ((std::vector<wxString>{wxS("Add tag"), wxS("-"), wxS("Delete <h2> tag"), wxS("Rename <h2> tag")}),
                  menu.labels);
        EXPECT_EQ((std::vector<int>{ID_MENUITEM_ADDTAG, wxID_SEPARATOR, ID_MENUITEM_DELETETAG, ID_MENUITEM_RENAMETAG}),
                  menu.ids);
    }
    wxTEST_DIALOG(ContextMenu(TagList(), ID_MENUITEM_DELETETAG), ConfirmDelete(wxID_YES));
    EXPECT_EQ(std::vector<wxString>{wxS("h1")}, TagNames());
    EXPECT_EQ(wxS("<h1>"), TagList()->GetStringSelection());
    EXPECT_TRUE(LogContains(wxS("User requests to remove selected tag: <h2>")));
    wxTEST_DIALOG(ContextMenu(TagList(), ID_MENUITEM_ADDTAG), TagDialog(kAddTitle, kAddPrompt, "h5"));
    EXPECT_EQ((std::vector<wxString>{wxS("h1"), wxS("h5")}), TagNames());

    wxTEST_DIALOG(Command(Frame(), ID_TOOL_DELETETAG), ConfirmDelete(wxID_NO));
    EXPECT_EQ(2u, TagNames().size());
    wxTEST_DIALOG(Command(Frame(), ID_DELETETAG_BUTTON, wxEVT_BUTTON), ConfirmDelete(wxID_YES));
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_DELETETAG), ConfirmDelete(wxID_YES),
                  ErrorBox(wxS("You need to have at least one tag.")));
    EXPECT_EQ(std::vector<wxString>{wxS("h1")}, TagNames());
    EXPECT_EQ(1u, TagList()->GetCount());

    // Without a tag list from the core only Add is offered.
    Core()->Release();
    EXPECT_EQ(std::vector<wxString>{wxS("Add tag")}, ContextMenu(TagList(), 0).labels);
}
