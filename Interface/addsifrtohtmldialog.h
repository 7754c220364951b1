// "Get Code": explains in five steps how to add the project's fonts to an existing web
// site, shows the snippet to paste, links to the project's folder and lets the user
// choose whether it appears after every save. Shown modally.
#ifndef GLYPHARA_INTERFACE_ADDSIFRTOHTMLDIALOG_H
#define GLYPHARA_INTERFACE_ADDSIFRTOHTMLDIALOG_H

#include <wx/dialog.h>

class wxCheckBox;
class wxGenericStaticText;
class wxKeyEvent;
class wxMouseEvent;
class wxStaticText;
class wxTextCtrl;

// The setting that decides whether a successful save shows the dialog (default true).
constexpr const char kShowGetCodeSetting[] = "showhowtoaddaftersave";

class CAddSIFRToHTMLDialog : public wxDialog
{
public:
    enum
    {
        ID_DIALOG = 10037,
        ID_STEP1 = 5105,
        ID_SNIPPET = 10039,
        ID_OK = 10040,
        ID_SHOW_AFTER_SAVE = 10100,
        ID_STEP2 = 10101,
        ID_FOLDER_LINK = 10102,
        ID_AFTER_LINK = 10103
    };

    CAddSIFRToHTMLDialog(wxWindow* parent, const wxString& caption, const wxSize& size);

    // Shows the snippet in a small font, all of it selected for copying. Returns 0.
    int SetCodeSnippet(const wxString& snippet);
    // Names the project in the steps ("foo" for a project never saved, which also has no
    // folder link). Returns 0.
    int SetProjectName(const wxString& name);
    // The project file's path; the link opens the folder that holds it. Returns 0.
    int SetProjectPath(const wxString& path);

private:
    void CreateControls();
    // Grows the dialog when relabelled steps need more room.
    void FitLabels();
    void OnFolderLink(wxMouseEvent& event);
    void OnFolderLinkKey(wxKeyEvent& event);
    void OpenFolder();
    void OnShowAfterSave(wxCommandEvent& event);
    void OnOk(wxCommandEvent& event);

    wxStaticText* m_step1 = nullptr;
    wxStaticText* m_step2 = nullptr;
    wxGenericStaticText* m_folderLink = nullptr;
    wxStaticText* m_afterLink = nullptr;
    wxTextCtrl* m_snippet = nullptr;
    wxCheckBox* m_showAfterSave = nullptr;
    wxString m_projectPath;

    wxDECLARE_EVENT_TABLE();
};

#endif
