// Effect and font commands: choosing, saving, deleting, importing and exporting effects,
// importing fonts and starting the font maker.
#include "Interface/glypharamainframe.h"

#include "Interface/CommandTexts.h"
#include "core/CoreNames.h"
#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

#include <wx/choice.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/textdlg.h>

namespace
{
// Several files from an open dialog; empty when it was cancelled or nothing was chosen.
wxArrayString ChooseFiles(wxWindow* parent, const wxString& title, const wxString& wildcard)
{
    wxFileDialog dialog(parent, title, wxEmptyString, wxEmptyString, wildcard,
                        wxFD_OPEN | wxFD_MULTIPLE | wxFD_PREVIEW);
    wxArrayString paths;
    if (dialog.ShowModal() == wxID_OK)
        dialog.GetPaths(paths);
    return paths;
}
} // namespace

void GlypharaMainFrame::OnEffectChoiceSelected(wxCommandEvent&)
{
    const wxString name = m_effectChoice->GetStringSelection();
    TS_LOG_AS("GlypharaMainFrame::OnEffectChoiceSelected", TS_MESSAGE,
              wxString::Format(wxS("Effect selection changed to: %s"), name));
    // The preview and the controls follow through the core's callbacks.
    CGlypharaCore::GetInstance()->SetSelectedEffect(name);
}

void GlypharaMainFrame::OnSaveEffectButtonClick(wxCommandEvent&)
{
    const wxString answer = wxGetTextFromUser(_("Name for the effect:"), _("Effect name"), _("User defined"), this);
    TS_LOG_AS("GlypharaMainFrame::OnSaveEffectButtonClick", TS_MESSAGE,
              wxString::Format(wxS("User requests to save current effect as: %s"), answer));
    if (answer.empty())
        return;

    CGlypharaCore* core = CGlypharaCore::GetInstance();
    wxString selected;
    core->GetSelectedEffect(selected);
    wxString name = answer;
    int result = RC_OK;
    if (selected == kUserDefinedEffect)
        result = core->SaveUserDefinedEffectAs(name);
    else
    {
        // The menu command also runs while a stored effect or "None" is selected. The
        // user-defined set is then not what the tag shows, and selecting it would replace
        // the tag's filters: the tag's own filters are saved instead.
        FontProperties record;
        result = core->GetSelectedFontProperties(record);
        if (result == RC_OK)
            result = core->SaveEffectAs(record, name);
        if (result == RC_OK)
            result = core->SetSelectedEffect(name);
    }
    if (result != RC_OK)
        wxMessageBox(_("Unable to save the effect"), _("Unable to save"), wxOK | wxICON_ERROR, this);
}

void GlypharaMainFrame::OnMenuitemDeleteeffectClick(wxCommandEvent&)
{
    const wxString name = m_effectChoice->GetStringSelection();
    TS_LOG_AS("GlypharaMainFrame::OnMenuitemDeleteeffectClick", TS_MESSAGE,
              wxString::Format(wxS("User requests to delete selected effect: %s"), name));
    if (wxMessageBox(_("Are you sure you want to delete this effect?"), _("Confirm"), wxYES_NO | wxICON_QUESTION,
                     this) != wxYES)
        return;

    CGlypharaCore* core = CGlypharaCore::GetInstance();
    int result = core->DeleteEffect(name, false);
    if (result == RC_SYSTEM_ITEM)
    {
        if (wxMessageBox(_("Selected effect is a system effect. Do you really want to delete it?"), _("Warning"),
                         wxYES_NO | wxICON_WARNING, this) != wxYES)
            return;
        result = core->DeleteEffect(name, true);
    }
    // A pseudo-effect or an effect whose file has gone leaves nothing to report.
    if (result == RC_DELETE_FAILED)
        wxMessageBox(_("Unable to delete effect"), _("Error"), wxOK | wxICON_ERROR, this);
}

void GlypharaMainFrame::OnMenuitemImporteffectsClick(wxCommandEvent&)
{
    TS_LOG_AS("GlypharaMainFrame::OnMenuitemImporteffectsClick", TS_MESSAGE, wxS("User requests to import effects"));
    const wxArrayString paths = ChooseFiles(this, _("Choose effect files to import"), wxS("*.xml"));
    if (paths.empty())
    {
        TS_LOG_AS("GlypharaMainFrame::OnMenuitemImporteffectsClick", TS_MESSAGE, wxS("No files have been choosen"));
        return;
    }

    CGlypharaCore* core = CGlypharaCore::GetInstance();
    wxArrayString imported;
    wxArrayString failed;
    for (const wxString& path : paths)
    {
        wxString name;
        if (core->ImportEffect(path, name) == RC_OK)
        {
            imported.Add(name);
            TS_LOG_AS("GlypharaMainFrame::OnMenuitemImporteffectsClick", TS_MESSAGE,
                      wxS("Effect has been successfully imported from: ") + path + wxS(" as: ") + name);
        }
        else
        {
            failed.Add(path);
            TS_LOG_AS("GlypharaMainFrame::OnMenuitemImporteffectsClick", TS_MESSAGE,
                      wxS("Unable to import effect from: ") + path);
        }
    }

    const wxString report = EffectImportReport(imported, failed);
    if (!failed.empty())
        wxMessageBox(report, _("Unable to import"), wxOK | wxICON_ERROR, this);
    else
        wxMessageBox(report, _("Effects imported"), wxOK | wxICON_INFORMATION, this);
}

void GlypharaMainFrame::OnMenuitemExporteffectClick(wxCommandEvent&)
{
    TS_LOG_AS("GlypharaMainFrame::OnMenuitemExporteffectClick", TS_MESSAGE,
              wxS("User requests to export selected effect"));
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    wxString selected;
    core->GetSelectedEffect(selected);
    if (selected == kNoneEffect)
    {
        wxMessageBox(_("No effect is selected."), _("Error"), wxOK | wxICON_ERROR, this);
        return;
    }
    if (selected == kUserDefinedEffect)
    {
        wxMessageBox(_("You must save your effect before exporting it."), _("Error"), wxOK | wxICON_ERROR, this);
        return;
    }

    const wxString folder = wxDirSelector(wxString::Format(_("Choose a folder for \"%s\" effect:"), selected),
                                          wxEmptyString, wxDD_DEFAULT_STYLE, wxDefaultPosition, this);
    if (folder.empty())
        return;

    wxString target = folder;
    int result = core->ExportEffect(target, wxEmptyString, false);
    if (result == RC_FILE_EXISTS)
    {
        if (wxMessageBox(_("A file with the same name already exists.\nDo you want to overwrite it?"), _("Warning"),
                         wxYES_NO | wxICON_WARNING, this) != wxYES)
            return;
        target = folder;
        result = core->ExportEffect(target, wxEmptyString, true);
    }

    switch (result)
    {
    case RC_OK:
        wxMessageBox(_("Your effect has been saved as:\n") + target, _("Information"), wxOK | wxICON_INFORMATION, this);
        break;
    case RC_DIRECTORY_MISSING:
        wxMessageBox(_("Invalid directory."), _("Error"), wxOK | wxICON_INFORMATION, this);
        break;
    case RC_NONE_EFFECT:
        wxMessageBox(_("No effect is selected."), _("Error"), wxOK | wxICON_ERROR, this);
        break;
    case RC_USER_DEFINED_EFFECT:
        wxMessageBox(_("You must save your effect before exporting it."), _("Error"), wxOK | wxICON_ERROR, this);
        break;
    default:
        wxMessageBox(_("Unable to save."), _("Error"), wxOK | wxICON_ERROR, this);
        break;
    }
}

void GlypharaMainFrame::OnMenuitemImportfontsClick(wxCommandEvent&)
{
    TS_LOG_AS("GlypharaMainFrame::OnMenuitemImportfontsClick", TS_MESSAGE, wxS("User requests to import fonts"));
    const wxString wildcard =
        _("Font files (") + wxS("*.swf") + wxS(";") + wxS("*.png") + wxS(")|") + wxS("*.swf") + wxS(";") + wxS("*.png");
    const wxArrayString paths = ChooseFiles(this, _("Choose font files to import"), wildcard);
    if (paths.empty())
    {
        TS_LOG_AS("GlypharaMainFrame::OnMenuitemImportfontsClick", TS_MESSAGE, wxS("No files have been choosen"));
        return;
    }

    wxArrayString failed;
    const int result = CGlypharaCore::GetInstance()->ImportFonts(paths, failed);
    if (result != RC_OK)
    {
        // Nothing was imported and no file is to blame.
        TS_LOG_AS("GlypharaMainFrame::OnMenuitemImportfontsClick", TS_MESSAGE,
                  wxString::Format(wxS("Fonts could not be imported: %d"), result));
        const wxString message = result == RC_DIRECTORY_MISSING
                                     ? _("No font has been imported: the folder for your fonts is missing.")
                                     : _("No font has been imported.");
        wxMessageBox(message, _("Unable to import"), wxOK | wxICON_ERROR, this);
        return;
    }
    if (failed.empty())
    {
        const wxString message = _("All the fonts have been successfully imported.");
        wxMessageBox(message, _("All fonts imported"), wxOK | wxICON_INFORMATION, this);
        TS_LOG_AS("GlypharaMainFrame::OnMenuitemImportfontsClick", TS_MESSAGE, message);
        return;
    }
    const wxString report = FontImportFailures(failed);
    // When no file made it, nothing was imported: that is a failure, not a partial success.
    if (failed.size() == paths.size())
        wxMessageBox(report, _("Unable to import"), wxOK | wxICON_ERROR, this);
    else
        wxMessageBox(report, _("Some fonts imported"), wxOK | wxICON_INFORMATION, this);
    TS_LOG_AS("GlypharaMainFrame::OnMenuitemImportfontsClick", TS_MESSAGE, report);
}

void GlypharaMainFrame::OnMenuitemMoldwrightClick(wxCommandEvent&)
{
    TS_LOG_AS("GlypharaMainFrame::OnMenuitemMoldwrightClick", TS_MESSAGE, wxS("User requests to open Moldwright"));
    // The core opens the maker's page when the program is not installed.
    CGlypharaCore::GetInstance()->LaunchMoldwright();
}
