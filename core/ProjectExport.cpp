// The project folder: sIFR files, the tags' font movies, all.css and the sample page,
// written for storing, for the browser preview and for the embedded preview.
#include "core/GlypharaCore.h"

#include "core/ProjectPaths.h"
#include "trace/TraceSystem.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>

#include <ctime>

namespace
{
const char* const kCssFileName = "all.css";

bool FolderExists(const wxString& path)
{
    wxString folder = path;
    while (folder.length() > 1 && folder.EndsWith(wxS("/")))
        folder.RemoveLast();
    return !folder.empty() && wxDirExists(folder);
}

bool MakeFolder(const wxString& path)
{
    wxLogNull quiet;
    return wxFileName::Mkdir(path, 0777, wxPATH_MKDIR_FULL) || FolderExists(path);
}

// A missing source only leaves its target missing.
void CopyReplacing(const wxString& source, const wxString& target)
{
    if (wxFileExists(source))
        CopyFileAtomically(source, target);
}
}

int CGlypharaCore::SaveProject(const wxString& path, bool overwrite, bool embedded)
{
    TS_FUNCTION("CGlypharaCore::SaveProject");
    CORE_REQUIRE_INITIALIZED();

    const bool storing = !path.empty() && !embedded;
    if (!storing)
        overwrite = true;

    wxString projectPath;
    wxString name;
    wxString base;
    if (storing)
    {
        projectPath = path;
        if (!projectPath.Lower().EndsWith(wxS(".xml")))
            projectPath += wxS(".xml");
        const wxString fileName = projectPath.AfterLast('/');
        name = fileName.Find('.', true) == wxNOT_FOUND ? fileName : fileName.BeforeLast('.');
        base = ProjectPaths::FolderOfPath(projectPath);
    }
    else
    {
        const wxString& page = embedded ? m_embeddedPreviewPath : m_browserPreviewPath;
        if (page.empty())
            projectPath = ProjectPaths::TemporaryFolder() + wxS("/") +
                          (embedded ? wxS("glypharaembeddedpreview") : wxS("glypharapreview")) +
                          wxString::Format(wxS("%lld"), static_cast<long long>(std::time(nullptr)));
        else
            // Strips the page name and the " files" folder: the next preview of the same
            // kind goes to the same folder.
            projectPath = page.BeforeLast('/').BeforeLast(' ');
        name = projectPath.AfterLast('/');
        base = ProjectPaths::FolderOfPath(projectPath);
    }
    if (!base.EndsWith(wxS("/")))
        base += wxS("/");

    const wxString relativeData = name + wxS(" files") + wxS("/");
    const wxString dataFolder = base + relativeData;
    const wxString relativeHtmlData = relativeData + wxS("glypharadata/");
    const wxString htmlDataFolder = base + relativeHtmlData;
    const wxString cssFileName = wxString::FromAscii(kCssFileName);
    const wxString cssFile = htmlDataFolder + cssFileName;
    const wxString samplePage = dataFolder + name + wxS(".html");

    TS_LOG(TS_MESSAGE, storing ? wxS("Saving project for storing:") : wxS("Saving project for previewing"));
    TS_LOG(TS_MESSAGE, wxS("Project path is ") + projectPath);
    TS_LOG(TS_MESSAGE, wxS("Project name is ") + name);
    TS_LOG(TS_MESSAGE, wxS("Project base directory is ") + base);
    TS_LOG(TS_MESSAGE, wxS("Project relative data directory is ") + relativeData);
    TS_LOG(TS_MESSAGE, wxS("Project data base directory is ") + dataFolder);
    TS_LOG(TS_MESSAGE, wxS("Project relative HTML data directory is ") + relativeHtmlData);
    TS_LOG(TS_MESSAGE, wxS("Project HTML data directory is ") + htmlDataFolder);
    TS_LOG(TS_MESSAGE, wxS("Project CSS file name is ") + cssFileName);
    TS_LOG(TS_MESSAGE, wxS("Project CSS file is ") + cssFile);
    TS_LOG(TS_MESSAGE, wxS("Project HTML sample file is ") + samplePage);

    if (!FolderExists(base) && !MakeFolder(base))
        TS_RETURN(RC_WRITE_FAILED, wxS("Unable to create base directory"));

    if (FolderExists(dataFolder))
    {
        if (!overwrite)
            TS_RETURN(RC_ALREADY_EXISTS, wxS("Data base dir already exists"));
    }
    else if (!MakeFolder(dataFolder))
        TS_RETURN(RC_WRITE_FAILED, wxS("Unable to create data base directory"));

    if (FolderExists(htmlDataFolder))
    {
        if (!overwrite)
            TS_RETURN(RC_ALREADY_EXISTS, wxS("HTML data dir already exists"));
    }
    else if (!MakeFolder(htmlDataFolder))
        TS_RETURN(RC_WRITE_FAILED, wxS("Unable to create HTML data directory"));

    // Every file goes in through a temporary name: the preview's web server may be
    // sending the previous version of it at this very moment.
    for (const wxString& sifrFile : m_sifrFileNames)
        CopyReplacing(wxS("sIFR/") + sifrFile, htmlDataFolder + sifrFile);

    const wxString fontFolder = htmlDataFolder + wxS("fonts/");
    for (const TagMap::value_type& tag : m_tags)
    {
        const FontProperties& record = tag.second;
        if (tag.first.empty() || record.font.empty())
        {
            TS_LOG(TS_WARNING, wxS("Empty string found in map"));
            continue;
        }
        if (embedded && tag.first != m_selectedTag)
            continue;
        // Names come from project files too; one that could leave the fonts folder is
        // never used as a file name.
        if (!ProjectPaths::IsSafeFontKey(record.foundry) || !ProjectPaths::IsSafeFontKey(record.font))
        {
            TS_LOG(TS_WARNING, wxS("Font name unusable as a file name: ") + record.font);
            continue;
        }
        if (!FolderExists(fontFolder))
            MakeFolder(fontFolder);

        wxString source;
        const FontTable::const_iterator foundry = m_fontTable.find(record.foundry);
        if (foundry != m_fontTable.end())
        {
            const FontsOfFoundry::const_iterator font = foundry->second.find(record.font);
            if (font != foundry->second.end())
                source = font->second;
        }
        if (source.empty())
            continue;
        CopyReplacing(source, fontFolder + ProjectPaths::FontFileName(record.foundry, record.font));
        if (!embedded)
        {
            const wxString picture =
                (source.AfterLast('/').Contains(wxS(".")) ? source.BeforeLast('.') : source) + wxS(".png");
            CopyReplacing(picture, fontFolder + ProjectPaths::FontFileName(record.foundry, record.font, wxS(".png")));
        }
    }

    wxString css;
    if (GetCSSCode(css, embedded) < 0)
        TS_LOG(TS_ERROR, wxS("Unable to get CSS sample code"));
    else if (!WriteFileAtomically(cssFile, css))
        TS_LOG(TS_ERROR, wxS("Unable to write CSS sample file"));

    wxString page;
    if (GetHTMLSampleCodeForBrowser(page, embedded) < 0)
        TS_LOG(TS_ERROR, wxS("Unable to get HTML sample code"));
    else if (!WriteFileAtomically(samplePage, page))
        TS_LOG(TS_ERROR, wxS("Unable to write HTML sample file"));

    if (storing)
    {
        if (SaveXMLProject(projectPath, name, relativeData, relativeHtmlData, cssFileName, samplePage.AfterLast('/')) < 0)
            TS_RETURN(RC_WRITE_FAILED, wxS("Error while saving XML project file"));
        m_projectSaved = true;
        m_projectFilePath = projectPath;
        m_projectName = name;
        m_browserPreviewPath = samplePage;
        CallUpdateControls();
    }
    else if (embedded)
        m_embeddedPreviewPath = samplePage;
    else
        m_browserPreviewPath = samplePage;

    TS_RETURN(RC_OK, wxEmptyString);
}
