// Tag commands: add, delete and rename a tag, and the tag list's context menu.
#include "Interface/glypharamainframe.h"

#include "Interface/ControlIds.h"
#include "Interface/getnewtagdialog.h"
#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>

#include <algorithm>

// The boxes have the main window as parent: without one, GTK may put a modal box behind
// the window, where it blocks the program unseen.
namespace
{
void ShowError(wxWindow* parent, const wxString& text)
{
    wxMessageBox(text, _("Error"), wxOK | wxICON_ERROR, parent);
}

// True when the name is a recommended tag or the user accepts it anyway.
bool AcceptTagName(wxWindow* parent, const wxString& name)
{
    if (CGlypharaCore::GetInstance()->IsAStandardTag(name))
        return true;
    return wxMessageBox(wxString::Format(_("%s is not one of the recommended tags for use with Glyphara. You can use "
                                           "it, but there may be undesired consequences."),
                                         name),
                        _("Warning"), wxOK | wxCANCEL | wxICON_WARNING, parent) == wxOK;
}

// The tag-name dialog's answer; empty when the user cancelled.
wxString AskTagName(wxWindow* parent, const wxString& oldName, bool rename)
{
    wxArrayString unused;
    CGlypharaCore::GetInstance()->GetUnusedTagList(unused);
    wxString name;
    CGetNewTagDialog dialog(parent, _("Add a new tag"));
    dialog.SetTags(unused, &name, oldName, rename);
    dialog.ShowModal();
    return name;
}

wxString SelectedItem(const wxListBox* list)
{
    const int selection = list->GetSelection();
    return selection != wxNOT_FOUND ? list->GetString(selection) : wxString();
}

void ShowTagRefusal(wxWindow* parent, int rc)
{
    if (rc == RC_INVALID_TAG_NAME)
        ShowError(parent, _("Invalid tag name"));
    else if (rc == RC_TAG_EXISTS)
        ShowError(parent, _("Tag already exists"));
}
}

void GlypharaMainFrame::OnMenuitemAddtagClick(wxCommandEvent&)
{
    wxString name = AskTagName(this, wxEmptyString, false);
    TS_LOG_AS("GlypharaMainFrame::OnMenuitemAddtagClick", TS_MESSAGE,
              wxString::Format(wxS("User requests to add a new tag with name: %s"), name));
    if (name.empty() || !AcceptTagName(this, name))
        return;
    const int rc = CGlypharaCore::GetInstance()->AddNewTag(name, true);
    if (rc == RC_NONSTANDARD_TAG)
        TS_LOG_AS("GlypharaMainFrame::OnMenuitemAddtagClick", TS_MESSAGE,
                  wxString::Format(wxS("User agrees to add a non standard tag: %s"), name));
    else
        ShowTagRefusal(this, rc);
}

void GlypharaMainFrame::OnMenuitemRenametagClick(wxCommandEvent&)
{
    const wxString oldName = SelectedItem(m_tagList);
    TS_LOG_AS("GlypharaMainFrame::OnMenuitemRenametagClick", TS_MESSAGE,
              wxString::Format(wxS("User requests to rename tag: %s"), oldName));
    if (oldName.empty())
    {
        ShowError(this, _("No tag is selected"));
        return;
    }
    const wxString newName = AskTagName(this, oldName, true);
    TS_LOG_AS("GlypharaMainFrame::OnMenuitemRenametagClick", TS_MESSAGE,
              wxString::Format(wxS("User requests to rename selected tag (%s) to: %s"), oldName, newName));
    if (newName.empty() || !AcceptTagName(this, newName))
        return;
    ShowTagRefusal(this, CGlypharaCore::GetInstance()->RenameTag(oldName, newName));
}

void GlypharaMainFrame::OnMenuitemDeletetagClick(wxCommandEvent&)
{
    const wxString name = SelectedItem(m_tagList);
    TS_LOG_AS("GlypharaMainFrame::OnMenuitemDeletetagClick", TS_MESSAGE,
              wxString::Format(wxS("User requests to remove selected tag: %s"), name));
    if (name.empty())
    {
        ShowError(this, _("No tag is selected"));
        return;
    }
    if (wxMessageBox(_("Are you sure you want to delete this tag?"), _("Confirm"), wxYES_NO | wxICON_QUESTION, this) !=
        wxYES)
        return;
    if (CGlypharaCore::GetInstance()->RemoveTag(name) == RC_DELETE_FAILED)
        ShowError(this, _("You need to have at least one tag."));
}

void GlypharaMainFrame::OnTagListboxRightUp(wxMouseEvent& event)
{
    event.Skip();
    ShowTagMenu(event.GetPosition());
}

void GlypharaMainFrame::OnTagListboxContextMenu(wxContextMenuEvent& event)
{
    // A right click brings its menu when the button is released; this one comes from
    // the keyboard, which has no position: the menu opens beside the selected tag.
    if (event.GetPosition() != wxDefaultPosition)
    {
        event.Skip();
        return;
    }
    wxPoint at(m_tagList->GetClientSize().x / 2, 0);
    const int selection = m_tagList->GetSelection();
    if (selection != wxNOT_FOUND)
    {
        const int rowHeight = m_tagList->GetCharHeight() + 4;
        at.y = std::min((selection - m_tagList->GetTopItem() + 1) * rowHeight, m_tagList->GetClientSize().y / 2);
    }
    ShowTagMenu(at);
}

void GlypharaMainFrame::ShowTagMenu(const wxPoint& at)
{
    wxMenu menu;
    menu.Append(ID_MENUITEM_ADDTAG, _("Add tag"));
    wxArrayString tags;
    wxString selected;
    if (CGlypharaCore::GetInstance()->GetTagList(tags, selected) >= 0)
    {
        menu.AppendSeparator();
        menu.Append(ID_MENUITEM_DELETETAG, wxString::Format(_("Delete %s tag"), selected));
        menu.Append(ID_MENUITEM_RENAMETAG, wxString::Format(_("Rename %s tag"), selected));
    }
    m_tagList->PopupMenu(&menu, at);
}
