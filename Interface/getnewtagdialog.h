// Asks for the name of a new tag, or for the new name of the selected tag, offering the
// standard tags that the project does not use yet. Shown modally by the tag commands.
#ifndef GLYPHARA_INTERFACE_GETNEWTAGDIALOG_H
#define GLYPHARA_INTERFACE_GETNEWTAGDIALOG_H

#include <wx/arrstr.h>
#include <wx/dialog.h>

class wxComboBox;
class wxStaticText;

class CGetNewTagDialog : public wxDialog
{
public:
    enum
    {
        ID_DIALOG = 10047,
        ID_PROMPT = 5105,
        ID_NAME_BOX = 10050
    };

    CGetNewTagDialog(wxWindow* parent, const wxString& caption);

    // Offers choices (the first one preselected) and remembers where the answer goes: OK
    // writes the name box's text to *result, Cancel and the close box write "". In rename
    // mode the dialog retitles itself and names tagName in its prompt. Returns 0.
    int SetTags(const wxArrayString& choices, wxString* result, const wxString& tagName, bool rename);

private:
    void CreateControls();
    void OnOk(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnCloseWindow(wxCloseEvent& event);

    wxStaticText* m_prompt = nullptr;
    wxComboBox* m_nameBox = nullptr;
    // The caller's string; forgotten once written.
    wxString* m_result = nullptr;

    wxDECLARE_EVENT_TABLE();
};

#endif
