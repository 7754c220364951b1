#include "Interface/getnewtagdialog.h"

#include "trace/TraceSystem.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

wxBEGIN_EVENT_TABLE(CGetNewTagDialog, wxDialog)
    EVT_BUTTON(wxID_OK, CGetNewTagDialog::OnOk)
    EVT_BUTTON(wxID_CANCEL, CGetNewTagDialog::OnCancel)
    EVT_CLOSE(CGetNewTagDialog::OnCloseWindow)
wxEND_EVENT_TABLE()

CGetNewTagDialog::CGetNewTagDialog(wxWindow* parent, const wxString& caption)
    : wxDialog(parent, ID_DIALOG, caption, wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxTAB_TRAVERSAL, wxS("dialog"))
{
    TS_FUNCTION("CGetNewTagDialog::CGetNewTagDialog");
    CreateControls();
    GetSizer()->Fit(this);
    GetSizer()->SetSizeHints(this);
    Centre();
    TS_RETURN_VOID_MSG(wxEmptyString);
}

void CGetNewTagDialog::CreateControls()
{
    wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);
    SetSizer(column);

    m_prompt = new wxStaticText(this, ID_PROMPT, _("Choose a name for the new tag:"), wxDefaultPosition,
                                wxDefaultSize, 0, wxS("staticText"));
    column->Add(m_prompt, 0, wxALIGN_LEFT | wxALL, 10);

    m_nameBox = new wxComboBox(this, ID_NAME_BOX, wxEmptyString, wxDefaultPosition, wxSize(300, -1),
                               wxArrayString(), wxCB_DROPDOWN, wxDefaultValidator, wxS("comboBox"));
    column->Add(m_nameBox, 0, wxEXPAND | wxALL, 10);

    // The standard button row puts OK and Cancel in the order the desktop's users expect.
    wxStdDialogButtonSizer* buttons = new wxStdDialogButtonSizer;
    wxButton* ok = new wxButton(this, wxID_OK, _("&OK"));
    // Enter in the name box confirms the name.
    ok->SetDefault();
    buttons->AddButton(ok);
    buttons->AddButton(new wxButton(this, wxID_CANCEL, _("&Cancel")));
    buttons->Realize();
    column->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 10);
}

int CGetNewTagDialog::SetTags(const wxArrayString& choices, wxString* result, const wxString& tagName, bool rename)
{
    TS_FUNCTION("CGetNewTagDialog::SetTags");
    m_nameBox->Append(choices);
    if (!choices.IsEmpty())
        m_nameBox->SetSelection(0);
    m_result = result;
    if (rename)
    {
        SetTitle(_("Rename current tag"));
        // The tag name fills the template; it is never used as a template itself.
        wxString prompt = _("Choose a new name for %s tag:");
        prompt.Replace(wxS("%s"), tagName, false);
        m_prompt->SetLabel(prompt);
        // A longer prompt must not be cut off.
        GetSizer()->SetSizeHints(this);
        Layout();
    }
    TS_RETURN(0, wxEmptyString);
}

void CGetNewTagDialog::OnOk(wxCommandEvent& event)
{
    if (m_result)
    {
        *m_result = m_nameBox->GetValue();
        m_result = nullptr;
    }
    event.Skip();
}

void CGetNewTagDialog::OnCancel(wxCommandEvent& event)
{
    if (m_result)
    {
        m_result->clear();
        m_result = nullptr;
    }
    event.Skip();
}

void CGetNewTagDialog::OnCloseWindow(wxCloseEvent& event)
{
    // The close box answers like Cancel, however the toolkit routes it.
    if (m_result)
    {
        m_result->clear();
        m_result = nullptr;
    }
    event.Skip();
}
