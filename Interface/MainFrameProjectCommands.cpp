// Project commands: new, open, save, save as, exit, closing the window and the list of
// recent projects.
#include "Interface/glypharamainframe.h"

#include "Interface/ControlIds.h"
#include "Interface/addsifrtohtmldialog.h"
#include "core/GlypharaCore.h"
#include "core/ProjectPaths.h"
#include "core/TextUtil.h"
#include "trace/TraceSystem.h"

#include <wx/config.h>
#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/filehistory.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/stdpaths.h>

namespace
{
// The settings group that holds the recent projects (one "fileN" key each).
const wxString kRecentProjectsGroup = wxS("/RecentProjects");
const wxString kProjectWildcard = wxS("*.xml");

// The file the core writes for a chosen path: it appends ".xml" unless the name already
// ends with it, in any case.
wxString ProjectFileFor(const wxString& chosen)
{
    return chosen.Lower().EndsWith(wxS(".xml")) ? chosen : chosen + wxS(".xml");
}

// GTK's chooser composes its path only while it is shown; one answered without being
// shown (as the window tests answer it) still knows its folder and file name.
wxString ChosenPath(const wxFileDialog& dialog)
{
    const wxString path = dialog.GetPath();
    if (!path.empty() || dialog.GetFilename().empty())
        return path;
    return JoinPath(dialog.GetDirectory(), dialog.GetFilename());
}

// Where the choosers start: the open project's folder, else the documents folder. Left
// empty, GTK would start in the working folder, which is the program's own.
wxString StartFolder()
{
    const wxString project = CGlypharaCore::GetInstance()->GetProjectFilePath();
    if (!project.empty())
        return ProjectPaths::FolderOfPath(project);
    return wxStandardPaths::Get().GetDocumentsDir();
}

// A notice followed by what the core found: the file and the reason, or what is missing.
wxString WithProblem(const wxString& notice)
{
    const wxString problem = CGlypharaCore::GetInstance()->GetLastProblem();
    return problem.empty() ? notice : notice + wxS("\n\n") + problem;
}

// Runs work with the settings store's current path at the recent projects' group.
template <typename Work>
void InRecentProjectsGroup(wxConfigBase& config, Work work)
{
    const wxString previous = config.GetPath();
    config.SetPath(kRecentProjectsGroup);
    work(config);
    config.SetPath(previous);
}
}

int GlypharaMainFrame::SaveProject(bool saveAs, bool askFirst, bool overwrite)
{
    TS_FUNCTION("GlypharaMainFrame::SaveProject");
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    // Without a core there is no project, so nothing can be lost.
    if (!core->IsInitialized())
        TS_RETURN(RC_OK, wxS("No project to save"));
    if (core->IsProjectSaved() && !saveAs)
        TS_RETURN(RC_OK, wxS("Project is already saved"));
    // A new project nobody has changed holds nothing to lose.
    if (askFirst && !saveAs && core->IsUnchangedNewProject())
        TS_RETURN(RC_OK, wxS("New project is unchanged"));

    wxString path = core->GetProjectFilePath();
    if (path.empty())
    {
        saveAs = true;
        overwrite = false;
    }

    if (askFirst)
    {
        if (core->IsProjectSaved())
            TS_RETURN(RC_OK, wxS("Project is already saved"));
        const int answer = wxMessageBox(_("Current project is not saved. Do you want to save it?"),
                                        _("Project is not saved"), wxYES_NO | wxCANCEL | wxICON_WARNING, this);
        if (answer == wxCANCEL)
            TS_RETURN(RC_CANCELLED, wxS("Saving cancelled by the user after asking"));
        if (answer != wxYES)
            TS_RETURN(RC_OK, wxS("User chooses not to save"));
    }

    bool chosen = false;
    if (saveAs)
    {
        wxFileDialog dialog(this, _("Save project"), StartFolder(), wxEmptyString, kProjectWildcard, wxFD_SAVE);
        const int answer = dialog.ShowModal();
        if (answer == wxID_CANCEL)
            TS_RETURN(RC_CANCELLED, wxS("Saving cancelled by the user when selecting file"));
        if (answer != wxID_OK)
            TS_RETURN(RC_OK, wxS("User chooses not to save"));
        path = ChosenPath(dialog);
        chosen = true;

        // The file dialog does not ask, and the core would replace the file silently.
        // One question covers the file and its folder: a user who agrees to replace the
        // project is not asked again about the project's files.
        const wxString target = ProjectFileFor(path);
        if (wxFileExists(target))
        {
            const int replace =
                wxMessageBox(wxString::Format(_("%s already exists. Do you want to replace it?"),
                                              wxFileName(target).GetFullName()),
                             _("Confirm"), wxYES_NO | wxICON_WARNING, this);
            if (replace != wxYES)
                TS_RETURN(RC_CANCELLED, wxS("Saving cancelled by the user when asked to replace an existing file"));
            overwrite = true;
        }
    }

    for (;;)
    {
        const int rc = core->SaveProject(path, overwrite, false);
        if (rc >= 0)
        {
            RememberRecentProject(core->GetProjectFilePath());
            if (chosen && wxConfigBase::Get()->ReadBool(wxString::FromAscii(kShowGetCodeSetting), true))
                ShowGetCodeDialog();
            TS_RETURN(RC_OK, wxEmptyString);
        }
        // With overwrite set the core never finds its folders in the way; a second
        // refusal would only repeat the same question.
        if (rc == RC_ALREADY_EXISTS && !overwrite)
        {
            const int answer = wxMessageBox(_("Some files already exist. Overwrite them?"), _("Files exist"),
                                            wxYES_NO | wxCANCEL | wxICON_WARNING, this);
            if (answer != wxYES)
                TS_RETURN(RC_CANCELLED,
                          wxS("Saving canceled by the user when prompting for some files or dirs overwriting"));
            overwrite = true;
            continue;
        }
        wxMessageBox(WithProblem(_("Unable to save the project.")), _("Unexpected error"), wxOK | wxICON_ERROR, this);
        TS_RETURN(RC_WRITE_FAILED, wxS("Some error happened when saving"));
    }
}

// The Get Code command shows the same dialog; both build it here.
void GlypharaMainFrame::ShowGetCodeDialog()
{
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    wxString snippet;
    core->GetHTMLSnippet(snippet, false);
    const wxString name = core->GetProjectName();
    const wxString path = core->GetProjectFilePath();
    CAddSIFRToHTMLDialog dialog(this, _("How to add your cool fonts to an existing Website"), wxSize(400, 300));
    dialog.SetCodeSnippet(snippet);
    dialog.SetProjectName(name);
    dialog.SetProjectPath(path);
    dialog.ShowModal();
}

int GlypharaMainFrame::OpenProjectFile(const wxString& path)
{
    const int rc = CGlypharaCore::GetInstance()->LoadProject(path);
    if (rc >= 0)
        RememberRecentProject(CGlypharaCore::GetInstance()->GetProjectFilePath());

    if (rc == RC_BAD_FORMAT)
        wxMessageBox(WithProblem(_("Invalid file format")), _("Unable to open"), wxOK | wxICON_ERROR, this);
    else if (rc == RC_INCOMPATIBLE_VERSION)
        wxMessageBox(WithProblem(_("The project you are trying to open was saved with a previous version of "
                                   "Glyphara.\n\nPlease contact Tallowby Software for support.")),
                     _("Unable to open"), wxOK | wxICON_ERROR, this);
    else if (rc < 0)
        wxMessageBox(WithProblem(_("Unable to load the project.")), _("Unable to open"), wxOK | wxICON_ERROR, this);
    else if (rc == RC_LOADED_WITH_ERRORS)
        wxMessageBox(WithProblem(_("The project has been loaded with some problems (is any font missing?)")),
                     _("Some errors happened"), wxOK | wxICON_WARNING, this);
    else if (rc == RC_LOADED_WITH_WARNINGS)
        wxMessageBox(WithProblem(_("The project has been loaded with some warnings (is any file missing?)")),
                     _("Some warnings happened"), wxOK | wxICON_WARNING, this);
    return rc;
}

void GlypharaMainFrame::OpenProjectAtStartup(const wxString& path)
{
    // After the event loop has started, so that a message box has a shown window to sit on.
    CallAfter(
        [this, path]
        {
            TS_LOG_AS("GlypharaMainFrame::OpenProjectAtStartup", TS_MESSAGE,
                      wxS("Opening the project given at start: ") + path);
            OpenProjectFile(path);
        });
}

void GlypharaMainFrame::OnMenuitemNew(wxCommandEvent&)
{
    TS_LOG_AS("GlypharaMainFrame::OnMenuitemNew", TS_MESSAGE, wxS("User requests new project"));
    if (SaveProject(false, true, false) == RC_OK)
        CGlypharaCore::GetInstance()->NewProject();
}

void GlypharaMainFrame::OpenProject(wxCommandEvent&)
{
    if (SaveProject(false, true, false) != RC_OK)
        return;
    // The project on screen stays until a file is chosen: a user who cancels here keeps
    // it. Loading resets the project itself.
    wxFileDialog dialog(this, _("Open..."), StartFolder(), wxEmptyString, kProjectWildcard,
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK)
        return;
    OpenProjectFile(ChosenPath(dialog));
}

void GlypharaMainFrame::OnMenuitemSave(wxCommandEvent&)
{
    TS_LOG_AS("GlypharaMainFrame::OnMenuitemSave", TS_MESSAGE, wxS("User requests to save the project"));
    SaveProject(false, false, true);
}

void GlypharaMainFrame::OnSaveToolClick(wxCommandEvent&)
{
    TS_LOG_AS("GlypharaMainFrame::OnSaveToolClick", TS_MESSAGE, wxS("User requests to save the project"));
    SaveProject(false, false, true);
}

void GlypharaMainFrame::OnMenuitemSaveAs(wxCommandEvent&)
{
    TS_LOG_AS("GlypharaMainFrame::OnMenuitemSaveAs", TS_MESSAGE, wxS("User requests to save the project as"));
    SaveProject(true, false, false);
}

void GlypharaMainFrame::OnMenuitemExit(wxCommandEvent&)
{
    TS_LOG_AS("GlypharaMainFrame::OnMenuitemExit", TS_MESSAGE, wxS("User requests to exit on Windows"));
    Close(false);
}

void GlypharaMainFrame::OnCloseWindow(wxCloseEvent& event)
{
    TS_LOG_AS("GlypharaMainFrame::OnCloseWindow", TS_MESSAGE, wxS("Main window is being closed"));
    StoreGeometry();
    wxConfigBase::Get()->Flush();
    // A close that cannot be refused still offers to save, but goes on whatever the
    // answer.
    if (SaveProject(false, true, false) == RC_OK || !event.CanVeto())
        event.Skip();
    else
        event.Veto();
}

void GlypharaMainFrame::CreateRecentProjects()
{
    wxMenuBar* menuBar = GetMenuBar();
    wxMenu* file = nullptr;
    wxMenuItem* exit = menuBar ? menuBar->FindItem(ID_MENUITEM_EXIT, &file) : nullptr;
    if (!exit || !file)
        return;
    size_t position = 0;
    while (position < file->GetMenuItemCount() && file->FindItemByPosition(position) != exit)
        ++position;
    // Before the separator that sets Exit apart.
    if (position > 0 && file->FindItemByPosition(position - 1)->IsSeparator())
        --position;

    wxMenu* recent = new wxMenu;
    file->Insert(position, ID_MENUITEM_RECENTPROJECTS, _("&Recent projects"), recent,
                 _("Open a project you opened or saved lately"));
    m_recentProjects.reset(new wxFileHistory(9, wxID_FILE1));
    // Projects of the same name in different folders are told apart, and the labels do
    // not change with the order in which the entries arrived.
    m_recentProjects->SetMenuPathStyle(wxFH_PATH_SHOW_ALWAYS);
    m_recentProjects->UseMenu(recent);
    InRecentProjectsGroup(*wxConfigBase::Get(), [this](wxConfigBase& config) { m_recentProjects->Load(config); });
    file->Enable(ID_MENUITEM_RECENTPROJECTS, m_recentProjects->GetCount() > 0);
}

void GlypharaMainFrame::RememberRecentProject(const wxString& path)
{
    if (!m_recentProjects || path.empty())
        return;
    m_recentProjects->AddFileToHistory(path);
    StoreRecentProjects();
}

void GlypharaMainFrame::StoreRecentProjects()
{
    InRecentProjectsGroup(*wxConfigBase::Get(), [this](wxConfigBase& config) { m_recentProjects->Save(config); });
    wxConfigBase::Get()->Flush();
    GetMenuBar()->Enable(ID_MENUITEM_RECENTPROJECTS, m_recentProjects->GetCount() > 0);
}

void GlypharaMainFrame::OnRecentProject(wxCommandEvent& event)
{
    if (!m_recentProjects)
        return;
    const int index = event.GetId() - m_recentProjects->GetBaseId();
    if (index < 0 || static_cast<size_t>(index) >= m_recentProjects->GetCount())
        return;
    const wxString path = m_recentProjects->GetHistoryFile(index);
    TS_LOG_AS("GlypharaMainFrame::OnRecentProject", TS_MESSAGE,
              wxS("User requests to open the recent project ") + path);
    // Checked before offering to save: the answer would be wasted on a file that is gone.
    if (!wxFileExists(path))
    {
        m_recentProjects->RemoveFileFromHistory(index);
        StoreRecentProjects();
        wxMessageBox(wxString::Format(_("%s no longer exists. It has been removed from the recent projects."), path),
                     _("Unable to open"), wxOK | wxICON_ERROR, this);
        return;
    }
    if (SaveProject(false, true, false) != RC_OK)
        return;
    OpenProjectFile(path);
}
