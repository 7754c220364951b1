// The project folder: sIFR files, the tags' font movies, all.css and the sample page,
// written for storing, for the browser preview and for the embedded preview.
#include "core/GlypharaCore.h"

#include "core/FileStamp.h"
#include "core/GlyphCoverage.h"
#include "core/NativePath.h"
#include "core/ProjectPaths.h"
#include "core/TextUtil.h"
#include "core/WebFont.h"
#include "trace/TraceSystem.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
const char* const kCssFileName = "all.css";

// Makes the folder and every missing level above it. On a failure errno says why: a
// file standing where a folder must go is "Not a directory".
bool MakeFolder(const wxString& path)
{
    const std::string native = NativePath(StripTrailingSeparators(path));
    for (size_t end = native.find('/', 1);; end = native.find('/', end + 1))
    {
        const std::string level = native.substr(0, end);
        struct stat status;
        if (::stat(level.c_str(), &status) == 0)
        {
            if (!S_ISDIR(status.st_mode))
            {
                errno = ENOTDIR;
                return false;
            }
        }
        else if (::mkdir(level.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
        if (end == std::string::npos)
            return true;
    }
}

// ": " and what the system said of the call that failed last.
wxString SystemReason()
{
    const int error = errno;
    return error ? wxS(": ") + wxString(std::strerror(error), wxConvLibc) : wxString();
}

// What each target held right after we copied it, and from which source state. Every
// style change rewrites the embedded preview; the support files and the font movie
// rarely change in between.
struct CopyRecord
{
    wxString source;
    FileStamp sourceStamp;
    FileStamp targetStamp;
};
}

struct CGlypharaCore::ExportCopies
{
    std::map<wxString, CopyRecord> records;
};

namespace
{
bool IsMissing(const wxString& path)
{
    struct stat status;
    return ::stat(NativePath(path).c_str(), &status) != 0 && errno == ENOENT;
}

enum class CopyOutcome
{
    Copied,
    SourceMissing,
    Failed
};

// Whether target is still exactly what we made of source as it stands.
bool IsKnownCopy(const std::map<wxString, CopyRecord>& copies, const wxString& source, const FileStamp& sourceStamp,
                 const wxString& target)
{
    FileStamp targetStamp;
    const std::map<wxString, CopyRecord>::const_iterator known = copies.find(target);
    return known != copies.end() && known->second.source == source && known->second.sourceStamp == sourceStamp &&
           StampOf(target, targetStamp) && known->second.targetStamp == targetStamp;
}

// Copies through a temporary file unless the target is still exactly the copy we made
// of the unchanged source. The target keeps its old content unless the copy succeeded.
CopyOutcome CopyReplacing(std::map<wxString, CopyRecord>& copies, const wxString& source, const wxString& target)
{
    FileStamp sourceStamp;
    if (!StampOf(source, sourceStamp))
        return IsMissing(source) ? CopyOutcome::SourceMissing : CopyOutcome::Failed;
    if (IsKnownCopy(copies, source, sourceStamp, target))
        return CopyOutcome::Copied;
    copies.erase(target);
    FileStamp targetStamp;
    if (!CopyFileAtomically(source, target))
        return CopyOutcome::Failed;
    if (StampOf(target, targetStamp))
        copies[target] = CopyRecord{source, sourceStamp, targetStamp};
    return CopyOutcome::Copied;
}

// The embedded preview is rewritten on every edit. A file renamed over another makes
// ext4 write its data out at once, which costs more than the rest of the edit; swapping
// the two names is just as atomic for a reader, and the preview need not survive a crash.
bool SwapIntoPlace(const wxString& path, const char* data, size_t size)
{
    // An exchange would also swap a folder or link standing at path into the temporary
    // name, and the write would look successful.
    struct stat status;
    if (::lstat(NativePath(path).c_str(), &status) == 0 && !S_ISREG(status.st_mode))
        return false;
    const size_t slash = path.rfind('/');
    const wxString swap = path.substr(0, slash + 1) + wxS(".") + path.substr(slash + 1) + wxS(".swap");
    if (!WriteFreshFile(swap, data, size))
        return false;
    if (::renameat2(AT_FDCWD, NativePath(swap).c_str(), AT_FDCWD, NativePath(path).c_str(), RENAME_EXCHANGE) == 0)
    {
        ::unlink(NativePath(swap).c_str());
        return true;
    }
    // Nothing to swap with yet, or a file system without the exchange.
    if (std::rename(NativePath(swap).c_str(), NativePath(path).c_str()) == 0)
        return true;
    ::unlink(NativePath(swap).c_str());
    return false;
}

// Generated files go in through a temporary file too, and only when they changed; wrote
// tells which.
bool WriteBytesIfChanged(std::map<wxString, CopyRecord>& copies, const wxString& path, const char* data, size_t size,
                         bool swapIn, bool* wrote = nullptr)
{
    if (wrote)
        *wrote = false;
    FileStamp stamp;
    if (StampOf(path, stamp) && static_cast<size_t>(stamp.size) == size)
    {
        const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0)
        {
            std::string current(size, '\0');
            size_t got = 0;
            while (got < current.size())
            {
                const ssize_t n = ::read(fd, &current[got], current.size() - got);
                if (n <= 0)
                    break;
                got += static_cast<size_t>(n);
            }
            ::close(fd);
            if (got == current.size() && current.compare(0, current.size(), data, size) == 0)
                return true;
        }
    }
    copies.erase(path);
    const bool written = swapIn ? SwapIntoPlace(path, data, size) : WriteBytesAtomically(path, data, size);
    if (wrote)
        *wrote = written;
    return written;
}

bool WriteIfChanged(std::map<wxString, CopyRecord>& copies, const wxString& path, const wxString& text, bool swapIn)
{
    const std::string utf8 = Utf8Of(text);
    return WriteBytesIfChanged(copies, path, utf8.data(), utf8.size(), swapIn);
}

// Writes a web font made from its movie (source, as it stood at sourceStamp) where it
// changed, and notes that target is now what we made of the source. A file written gets
// the face's note before it is stamped, since the note changes the file's status time.
bool WriteMadeFromSource(std::map<wxString, CopyRecord>& copies, const wxString& source, const FileStamp& sourceStamp,
                         const wxString& target, const WebFontFace& face, bool swapIn)
{
    bool wrote = false;
    if (!WriteBytesIfChanged(copies, target, reinterpret_cast<const char*>(face.data.data()), face.data.size(), swapIn,
                             &wrote))
        return false;
    if (wrote && !face.note.empty())
        NoteWebFont(target, face.note);
    FileStamp targetStamp;
    if (StampOf(target, targetStamp))
        copies[target] = CopyRecord{source, sourceStamp, targetStamp};
    return true;
}
}

WebFontCache& CGlypharaCore::WebFonts()
{
    if (!m_webFonts)
        m_webFonts = std::make_shared<WebFontCache>();
    return *m_webFonts;
}

wxString CGlypharaCore::FinalPath(const wxString& written) const
{
    const wxString staged = WithTrailingSeparator(m_exportStaged);
    if (m_exportStaged.empty() || !written.StartsWith(staged))
        return written;
    return WithTrailingSeparator(m_exportTarget) + written.Mid(staged.length());
}

void CGlypharaCore::RecordExportCopy(const wxString& source, const wxString& target)
{
    FileStamp sourceStamp, targetStamp;
    if (!StampOf(source, sourceStamp) || !StampOf(target, targetStamp))
        return;
    if (!m_exportCopies)
        m_exportCopies = std::make_shared<ExportCopies>();
    m_exportCopies->records[target] = CopyRecord{source, sourceStamp, targetStamp};
}

namespace
{
// The sample page that storing the project file at projectFile wrote; empty for none.
wxString StoredSamplePage(const wxString& projectFile)
{
    if (projectFile.empty())
        return wxString();
    const wxString fileName = projectFile.AfterLast('/');
    const wxString name = fileName.Find('.', true) == wxNOT_FOUND ? fileName : fileName.BeforeLast('.');
    return WithTrailingSeparator(ProjectPaths::FolderOfPath(projectFile)) + name + wxS(" files/") + name + wxS(".html");
}
}

wxString CGlypharaCore::PreviewFolder()
{
    if (!m_previewFolder.empty() && FolderExists(m_previewFolder))
        return m_previewFolder;
    // Private to this process (mode 0700, a name nobody can guess or take first), so two
    // copies of the program never write into each other's previews.
    std::string pattern(ProjectPaths::TemporaryFolder().fn_str());
    pattern += "/glyphara-XXXXXX";
    if (::mkdtemp(&pattern[0]))
        m_previewFolder = wxString(pattern.c_str(), *wxConvFileName);
    else
    {
        TS_LOG_AS("CGlypharaCore::PreviewFolder", TS_ERROR,
                  wxS("Unable to create ") + wxString(pattern.c_str(), *wxConvFileName) + wxS(": ") +
                      wxString(std::strerror(errno), wxConvLibc));
        m_previewFolder.clear();
    }
    return m_previewFolder;
}

int CGlypharaCore::SaveProject(const wxString& path, bool overwrite, bool embedded)
{
    TS_FUNCTION("CGlypharaCore::SaveProject");
    CORE_REQUIRE_INITIALIZED();

    const bool storing = !path.empty() && !embedded;
    if (!storing)
        overwrite = true;
    else
        m_lastProblem.clear();

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
        wxString page = embedded ? m_embeddedPreviewPath : m_browserPreviewPath;
        // A page is reused while it lies in this process's preview folder, or, for the
        // browser, while it is the sample page of the stored project that is open: after
        // New or Open, previewing another project must not overwrite its site.
        const bool inPreviewFolder = !m_previewFolder.empty() && FolderExists(m_previewFolder) &&
                                     page.StartsWith(WithTrailingSeparator(m_previewFolder));
        if (!inPreviewFolder && (embedded || page != StoredSamplePage(m_projectFilePath)))
            page.clear();
        if (page.empty())
        {
            const wxString previews = PreviewFolder();
            if (previews.empty())
                TS_RETURN(RC_WRITE_FAILED, wxS("Unable to create the preview folder in ") +
                                               ProjectPaths::TemporaryFolder());
            projectPath = previews + wxS("/") + (embedded ? wxS("glypharaembeddedpreview") : wxS("glypharapreview")) +
                          wxString::Format(wxS("%lld"), static_cast<long long>(std::time(nullptr)));
        }
        else
            // Strips the page name and the " files" folder: the next preview of the same
            // kind goes to the same folder.
            projectPath = page.BeforeLast('/').BeforeLast(' ');
        name = projectPath.AfterLast('/');
        base = ProjectPaths::FolderOfPath(projectPath);
    }
    base = WithTrailingSeparator(base);

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

    // What the user is told about a store that fails to make a folder.
    auto folderFailed = [&](const wxString& folder) {
        if (storing)
            m_lastProblem = wxS("Unable to create ") + folder + SystemReason();
    };
    if (!FolderExists(base) && !MakeFolder(base))
    {
        folderFailed(base);
        TS_RETURN(RC_WRITE_FAILED, wxS("Unable to create base directory"));
    }

    if (FolderExists(dataFolder))
    {
        if (!overwrite)
            TS_RETURN(RC_ALREADY_EXISTS, wxS("Data base dir already exists"));
    }
    else if (!MakeFolder(dataFolder))
    {
        folderFailed(dataFolder);
        TS_RETURN(RC_WRITE_FAILED, wxS("Unable to create data base directory"));
    }

    if (FolderExists(htmlDataFolder))
    {
        if (!overwrite)
            TS_RETURN(RC_ALREADY_EXISTS, wxS("HTML data dir already exists"));
    }
    else if (!MakeFolder(htmlDataFolder))
    {
        folderFailed(htmlDataFolder);
        TS_RETURN(RC_WRITE_FAILED, wxS("Unable to create HTML data directory"));
    }

    // Every file goes in through a temporary name: the preview's web server may be
    // sending the previous version of it at this very moment, and a write that fails
    // leaves the earlier file whole. Each failure is reported with the system's reason;
    // the first one is the result.
    if (!m_exportCopies)
        m_exportCopies = std::make_shared<ExportCopies>();
    std::map<wxString, CopyRecord>& copies = m_exportCopies->records;
    wxString failure;
    auto fail = [&](const wxString& what) {
        TS_LOG(TS_ERROR, what);
        if (failure.empty())
            failure = what;
    };
    auto copy = [&](const wxString& source, const wxString& target, bool mayBeMissing) {
        errno = 0;
        switch (CopyReplacing(copies, source, target))
        {
        case CopyOutcome::Copied:
            break;
        case CopyOutcome::SourceMissing:
            if (!mayBeMissing)
                fail(wxS("Unable to find ") + source + wxS(" for ") + target);
            break;
        case CopyOutcome::Failed:
            fail(wxS("Unable to copy ") + source + wxS(" to ") + target + SystemReason());
            break;
        }
    };

    // First everything the page refers to: the runtime files and the fonts (files added
    // to the site belong here too).
    for (const wxString& sifrFile : m_sifrFileNames)
        copy(wxS("sIFR/") + sifrFile, htmlDataFolder + sifrFile, false);

    const wxString fontFolder = htmlDataFolder + wxS("fonts/");
    WebFontCache& webFonts = WebFonts();
    // Each face of a movie as a web font beside it. A movie that cannot be converted is
    // still drawn from the movie itself, so it fails nothing. The embedded preview follows
    // every edit and is read on this machine only: quick compression serves it.
    const int quality = embedded ? kWebFontQuick : kWebFontSmallest;
    auto writeWebFonts = [&](const wxString& movie, const wxString& family) {
        wxString error;
        const std::shared_ptr<const WebFontSet> fonts = webFonts.Fonts(movie, error);
        FileStamp movieStamp;
        if (!fonts || !StampOf(movie, movieStamp))
        {
            TS_LOG(TS_ERROR, wxS("Unable to make web fonts of ") + movie + wxS(": ") + error);
            return;
        }
        std::shared_ptr<const WebFontSet> compressed;
        for (size_t i = 0; i < fonts->faces.size(); ++i)
        {
            const WebFontFace& face = fonts->faces[i];
            const wxString target = fontFolder + family + wxS("-") + WebFontStyleName(face.bold, face.italic) + wxS(".woff2");
            if (IsKnownCopy(copies, movie, movieStamp, target))
                continue;
            // A file that an earlier run made of this very face stays: only the compression
            // would be done again. An export looks at the file it would replace.
            const wxString inPlace = FinalPath(target);
            if (HoldsWebFont(inPlace, face.data, quality))
            {
                if (inPlace == target)
                    RecordExportCopy(movie, target);
                continue;
            }
            if (!compressed)
                compressed = webFonts.Woff2(movie, quality, error);
            // A movie replaced since its faces were read is written by the next save.
            if (compressed && compressed->faces.size() != fonts->faces.size())
                error = wxS("the font movie changed while it was read");
            if (!compressed || !error.empty())
            {
                TS_LOG(TS_ERROR, wxS("Unable to make web fonts of ") + movie + wxS(": ") + error);
                return;
            }
            errno = 0;
            if (!WriteMadeFromSource(copies, movie, movieStamp, target, compressed->faces.at(i), embedded))
                fail(wxS("Unable to write ") + target + SystemReason());
        }
    };
    bool fontFolderFailed = false;
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
        if (fontFolderFailed)
            continue;
        errno = 0;
        if (!FolderExists(fontFolder) && !MakeFolder(fontFolder))
        {
            fontFolderFailed = true;
            fail(wxS("Unable to create ") + fontFolder + SystemReason());
            continue;
        }

        wxString source;
        const FontTable::const_iterator foundry = m_fontTable.find(record.foundry);
        if (foundry != m_fontTable.end())
        {
            const FontsOfFoundry::const_iterator font = foundry->second.find(record.font);
            if (font != foundry->second.end())
                source = font->second;
        }
        if (source.empty())
        {
            // A preview shows the tag in plain text then; a stored site without the font
            // is no saved project.
            if (storing)
                fail(wxString::Format(wxGetTranslation(wxS("The font %s of %s is neither installed nor in the "
                                                            "project's folder")),
                                      FontShownName(record.font), ShownTag(tag.first)));
            continue;
        }
        copy(source, fontFolder + ProjectPaths::FontFileName(record.foundry, record.font), false);
        writeWebFonts(source, ProjectPaths::FontFileName(record.foundry, record.font, wxEmptyString));
        // A font without a picture is normal.
        if (!embedded)
        {
            const wxString picture =
                (source.AfterLast('/').Contains(wxS(".")) ? source.BeforeLast('.') : source) + wxS(".png");
            copy(picture, fontFolder + ProjectPaths::FontFileName(record.foundry, record.font, wxS(".png")), true);
        }
    }

    // Then, only when all of that is in place, the style sheets and the page, so that the
    // page never refers to a file that was not written.
    if (failure.empty())
    {
        wxString webFontCss;
        const wxString webFontCssFile = htmlDataFolder + wxS("webfonts.css");
        if (GetWebFontCSS(webFontCss, embedded) < 0)
            fail(wxS("Unable to get web font style sheet"));
        else if (errno = 0, !WriteIfChanged(copies, webFontCssFile, webFontCss, embedded))
            fail(wxS("Unable to write ") + webFontCssFile + SystemReason());
    }
    if (failure.empty())
    {
        wxString css;
        if (GetCSSCode(css, embedded) < 0)
            fail(wxS("Unable to get CSS sample code"));
        else if (errno = 0, !WriteIfChanged(copies, cssFile, css, embedded))
        {
            // Taken before the trace, which may change errno.
            const wxString reason = SystemReason();
            TS_LOG(TS_ERROR, wxS("Unable to write CSS sample file"));
            fail(wxS("Unable to write ") + cssFile + reason);
        }
    }
    if (failure.empty())
    {
        wxString page;
        // A stored page is titled after the project it is stored as; a preview after the open one.
        if (GetHTMLSampleCodeForBrowser(page, embedded, storing ? name : wxString()) < 0)
            fail(wxS("Unable to get HTML sample code"));
        else if (errno = 0, !WriteIfChanged(copies, samplePage, page, embedded))
        {
            // Taken before the trace, which may change errno.
            const wxString reason = SystemReason();
            TS_LOG(TS_ERROR, wxS("Unable to write HTML sample file"));
            fail(wxS("Unable to write ") + samplePage + reason);
        }
    }

    if (storing)
    {
        // A site with a file missing is no saved project: the project file is left as
        // it was and the project stays unsaved.
        if (!failure.empty())
        {
            m_lastProblem = failure;
            TS_RETURN(RC_WRITE_FAILED, failure);
        }
        if (!m_exportFolderOnly &&
            SaveXMLProject(projectPath, name, relativeData, relativeHtmlData, cssFileName, samplePage.AfterLast('/')) < 0)
        {
            m_lastProblem = wxS("Unable to write ") + projectPath + SystemReason();
            TS_RETURN(RC_WRITE_FAILED, wxS("Error while saving XML project file"));
        }
        m_projectSaved = true;
        m_projectFilePath = projectPath;
        m_projectName = name;
        m_browserPreviewPath = samplePage;
        CallUpdateControls();
        TS_RETURN(RC_OK, wxEmptyString);
    }
    // A preview folder is reused by the next preview even when this one failed, so a
    // later edit can put it right.
    if (embedded)
        m_embeddedPreviewPath = samplePage;
    else
        m_browserPreviewPath = samplePage;
    if (!failure.empty())
        TS_RETURN(RC_WRITE_FAILED, failure);
    TS_RETURN(RC_OK, wxEmptyString);
}
