#include "core/GlypharaCore.h"

#include "core/GlyphCoverage.h"
#include "core/PlatformLauncher.h"
#include "core/TextUtil.h"
#include "trace/TraceSystem.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>

namespace
{
const char* const kMoldwrightName = "Tallowby Moldwright";

// The foundry becomes a folder name below the user font folder: it must name a visible
// folder right there, not climb out of it, stay in it or hide from the font scan.
bool IsUsableFoundry(const wxString& foundry)
{
    return foundry.empty() || (!foundry.StartsWith(wxS(".")) && foundry.Find('/') == wxNOT_FOUND);
}
}

int CGlypharaCore::ImportFonts(const wxArrayString& files, wxArrayString& failed)
{
    TS_FUNCTION("CGlypharaCore::ImportFonts");
    CORE_REQUIRE_INITIALIZED();
    if (files.empty())
        TS_RETURN(RC_INVALID_ARGUMENT, wxEmptyString);
    if (m_userFontDir.empty() || !FolderExists(m_userFontDir))
        TS_RETURN(RC_DIRECTORY_MISSING, wxEmptyString);

    failed.Clear();
    for (const wxString& path : files)
    {
        TS_LOG(TS_MESSAGE, path + wxS(" is being imported"));
        const wxString name = path.AfterLast('/');
        const wxString extension = name.AfterLast('.').Lower();
        if (name.empty() || !wxFileExists(path) || (extension != wxS("swf") && extension != wxS("png")))
        {
            TS_LOG(TS_ERROR, path + wxS(" is not valid"));
            failed.Add(path);
            continue;
        }
        // The name is not enough: a movie must hold a font the runtime can draw with,
        // and a preview must be a PNG picture.
        MovieCoverage coverage;
        if (extension == wxS("swf") ? !ReadMovieCoverageFile(path, coverage) : !IsPngFile(path))
        {
            TS_LOG(TS_ERROR, path + (extension == wxS("swf") ? wxS(" is not a font movie") : wxS(" is not a PNG picture")));
            failed.Add(path);
            continue;
        }

        wxString foundry;
        wxString fileName = name;
        const int split = name.Find(wxS("___"));
        if (split != wxNOT_FOUND)
        {
            foundry = name.Left(static_cast<size_t>(split));
            fileName = name.Mid(static_cast<size_t>(split) + 3);
            // Nothing before ".swf" or ".png".
            if (fileName.length() <= 4)
            {
                TS_LOG(TS_ERROR, path + wxS(" has a foundry name but not a font name"));
                failed.Add(path);
                continue;
            }
        }
        foundry.Replace(wxS(" "), wxS("_"));
        fileName.Replace(wxS(" "), wxS("_"));
        if (!IsUsableFoundry(foundry))
        {
            TS_LOG(TS_ERROR, path + wxS(" is not valid: its foundry cannot be a folder name"));
            failed.Add(path);
            continue;
        }

        const wxString folder = foundry.empty() ? m_userFontDir : JoinPath(m_userFontDir, foundry);
        if (!foundry.empty() && !wxDirExists(folder))
        {
            wxLogNull quiet;
            wxMkdir(folder, 0777);
        }
        if (!FolderExists(folder))
        {
            TS_LOG(TS_ERROR, folder + wxS(" dir could not be created"));
            failed.Add(path);
            continue;
        }

        const wxString target = JoinPath(folder, fileName);
        // Through a temporary file, so a failed copy leaves an earlier font of the same
        // name intact instead of half overwritten.
        const bool copied = CopyFileAtomically(path, target);
        if (!wxFileExists(target))
        {
            TS_LOG(TS_ERROR, target + wxS(" does not exist after copying it"));
            failed.Add(path);
        }
        else if (!copied)
        {
            // An older file of that name is still there; it must not pass for the import.
            TS_LOG(TS_ERROR, path + wxS(" could not be copied to ") + target);
            failed.Add(path);
        }
    }

    if (failed != files)
        UpdateFontList(false);
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::LaunchMoldwright()
{
    TS_FUNCTION("CGlypharaCore::LaunchMoldwright");
    CORE_REQUIRE_INITIALIZED();

    const wxString programFolder = wxGetCwd();
    const wxString first = JoinPath(programFolder, kMoldwrightName);
    // A sibling folder named after the program, as a separate installation leaves it.
    const wxString second = JoinPath(JoinPath(programFolder.BeforeLast('/'), kMoldwrightName), kMoldwrightName);

    wxString found;
    if (wxFileExists(first))
        found = first;
    else
    {
        TS_LOG(TS_MESSAGE, wxS("Moldwright not found at ") + first);
        if (wxFileExists(second))
            found = second;
        else
            TS_LOG(TS_MESSAGE, wxS("Moldwright not found at ") + second);
    }

    if (!found.empty())
    {
        Launcher().StartProcess(found);
        TS_LOG(TS_MESSAGE, wxS("Moldwright found at ") + found);
        TS_LOG(TS_MESSAGE, wxS("Moldwright has been launched with no errors."));
    }
    else
    {
        TS_LOG(TS_MESSAGE, wxS("Moldwright has not been found. Launching web browser."));
        Launcher().OpenUrl(wxFileName::FileNameToURL(wxFileName(programFolder + wxS("/Manuals/moldwright.html"))));
    }
    TS_RETURN(RC_OK, wxEmptyString);
}
