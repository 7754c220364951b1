// Web, help and tip commands: browser previews, Get Code, the manual, daily tips and the
// About window.
#include "Interface/glypharamainframe.h"

#include "Interface/CommandTexts.h"
#include "Interface/dailytipdialog.h"
#include "Interface/glypharasplash.h"
#include "core/GlypharaCore.h"
#include "core/PlatformLauncher.h"
#include "trace/TraceSystem.h"

#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/msgdlg.h>

void GlypharaMainFrame::OnMenuPreviewcurrentprojectClick(wxCommandEvent&)
{
    TS_LOG_AS("GlypharaMainFrame::OnMenuPreviewcurrentprojectClick", TS_MESSAGE,
              wxS("User requests to have a web browser preview"));
    ShowPreviewResult(CGlypharaCore::GetInstance()->WebBrowserPreview(wxEmptyString, false), wxEmptyString);
}

void GlypharaMainFrame::OnMenuPreviewmywebClick(wxCommandEvent&)
{
    TS_LOG_AS("GlypharaMainFrame::OnMenuPreviewmywebClick", TS_MESSAGE,
              wxS("User requests to preview an existing web"));
    const wxString page =
        wxFileSelector(_("Select your web page to preview it"), wxEmptyString, wxEmptyString, wxEmptyString,
                       wxS("HTML files (*.html)|*.html|HTM files (*.htm)|*.htm|All files (*.*)|*.*"),
                       wxFD_OPEN | wxFD_FILE_MUST_EXIST, this);
    if (page.empty())
    {
        TS_LOG_AS("GlypharaMainFrame::OnMenuPreviewmywebClick", TS_MESSAGE, wxS("Preview has been cancelled"));
        return;
    }
    TS_LOG_AS("GlypharaMainFrame::OnMenuPreviewmywebClick", TS_MESSAGE, wxString::Format(wxS("User selects %s"), page));
    ShowPreviewResult(CGlypharaCore::GetInstance()->WebBrowserPreview(page, false), page);
}

void GlypharaMainFrame::ShowPreviewResult(int result, const wxString& page)
{
    // Without this the command would simply do nothing: the browser never opens.
    if (result < 0)
        wxMessageBox(PreviewFailure(result, page), _("Error"), wxOK | wxICON_ERROR, this);
}

void GlypharaMainFrame::OnMenuAddtomywebClick(wxCommandEvent&)
{
    TS_LOG_AS("GlypharaMainFrame::OnMenuAddtomywebClick", TS_MESSAGE, wxS("User requests to add to an existing web"));
    ShowGetCodeDialog();
}

void GlypharaMainFrame::OnMenuitemHelpClick(wxCommandEvent&)
{
    // The working directory of this moment, which start-up made the program's folder.
    const wxString manual = HelpManualPath(wxGetCwd());
    TS_LOG_AS("GlypharaMainFrame::OnMenuitemHelpClick", TS_MESSAGE,
              wxString::Format(wxS("User requests the help PDF located at: %s"), manual));
    if (!wxFileExists(manual))
    {
        TS_LOG_AS("GlypharaMainFrame::OnMenuitemHelpClick", TS_ERROR, wxS("The help file does not exist"));
        wxMessageBox(_("Unable to locate the help file."), _("Error"), wxOK | wxICON_ERROR, this);
        return;
    }

    CPlatformLauncher& launcher = CGlypharaCore::GetInstance()->Launcher();
    wxString command = launcher.GetOpenCommand(manual.AfterLast(wxS('.')), manual);
    if (command.empty())
    {
        TS_LOG_AS("GlypharaMainFrame::OnMenuitemHelpClick", TS_ERROR, wxS("The command to launch PDF is empty"));
        // A web browser shows the manual's own web copy better than the PDF, when it is
        // there.
        const wxString webCopy = HelpManualHtmlPath(manual);
        command = launcher.GetOpenCommand(wxS("html"), wxFileExists(webCopy) ? webCopy : manual);
    }
    if (!command.empty())
    {
        TS_LOG_AS("GlypharaMainFrame::OnMenuitemHelpClick", TS_MESSAGE, command + wxS(" is the used command."));
        launcher.RunCommand(command);
        return;
    }
    TS_LOG_AS("GlypharaMainFrame::OnMenuitemHelpClick", TS_ERROR, wxS("Unable to get a command to open the help pdf."));
    // At least the folder that holds the manual.
    launcher.OpenUrl(HelpManualFolder(manual));
}

void GlypharaMainFrame::OnMenuitemShowdailytipsClick(wxCommandEvent&)
{
    TS_LOG_AS("GlypharaMainFrame::OnMenuitemShowdailytipsClick", TS_MESSAGE,
              wxS("User changes showdailytips checkbox"));
    // A new window every time; it lives until the user closes it.
    (new CDailytipDialog(this, _("Daily tip"), wxSize(600, 300)))->Show();
}

void GlypharaMainFrame::OnAboutClick(wxCommandEvent&)
{
    TS_LOG_AS("GlypharaMainFrame::OnAboutClick", TS_MESSAGE, wxS("User requests About dialog"));
    CGlypharaSplash* about = new CGlypharaSplash(this, _("GlypharaSplash"), wxSize(640, 480));
    about->Show();
    about->SetFocus();
}
