// Exporting a project's folder without a window, for build scripts: the folder is
// written exactly as storing the project writes it, staged aside first and moved into
// place only when every file could be made, so a failure leaves the folder as it was.
#include "core/GlypharaCore.h"

#include "core/ProjectPaths.h"
#include "core/TextUtil.h"
#include "core/XmlTree.h"
#include "trace/TraceSystem.h"

#include <wx/filefn.h>
#include <wx/xml/xml.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace
{
std::string Bytes(const wxString& path)
{
    const wxScopedCharBuffer buffer = path.fn_str();
    return buffer.data() ? std::string(buffer.data()) : std::string();
}

wxString FromBytes(const std::string& path)
{
    return wxString(path.c_str(), *wxConvFileName);
}

bool IsFolder(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path)
{
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

bool ReadableFile(const wxString& path)
{
    const int fd = ::open(path.fn_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    const bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    return ok;
}

bool SameContent(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0 || !S_ISREG(sa.st_mode) ||
        !S_ISREG(sb.st_mode) || sa.st_size != sb.st_size)
        return false;
    const int fa = ::open(a.c_str(), O_RDONLY | O_CLOEXEC);
    const int fb = fa < 0 ? -1 : ::open(b.c_str(), O_RDONLY | O_CLOEXEC);
    bool same = fa >= 0 && fb >= 0;
    std::vector<char> bufferA(65536), bufferB(65536);
    while (same)
    {
        const ssize_t got = ::read(fa, bufferA.data(), bufferA.size());
        if (got <= 0)
        {
            same = got == 0 && ::read(fb, bufferB.data(), 1) == 0;
            break;
        }
        ssize_t done = 0;
        while (same && done < got)
        {
            const ssize_t more = ::read(fb, bufferB.data() + done, static_cast<size_t>(got - done));
            if (more <= 0)
                same = false;
            else
                done += more;
        }
        same = same && std::memcmp(bufferA.data(), bufferB.data(), static_cast<size_t>(got)) == 0;
    }
    if (fa >= 0)
        ::close(fa);
    if (fb >= 0)
        ::close(fb);
    return same;
}

void RemoveTree(const std::string& path)
{
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0)
        return;
    if (S_ISDIR(info.st_mode))
    {
        if (DIR* dir = ::opendir(path.c_str()))
        {
            while (const dirent* entry = ::readdir(dir))
            {
                const std::string name = entry->d_name;
                if (name != "." && name != "..")
                    RemoveTree(path + "/" + name);
            }
            ::closedir(dir);
        }
        ::rmdir(path.c_str());
    }
    else
        ::unlink(path.c_str());
}

// Creates the missing levels of folder, remembering each, so they can be taken back.
bool MakeFolders(const std::string& folder, std::vector<std::string>& created)
{
    if (folder.empty() || IsFolder(folder))
        return true;
    const size_t slash = folder.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash), created))
        return false;
    if (::mkdir(folder.c_str(), 0777) != 0 && !(errno == EEXIST && IsFolder(folder)))
        return false;
    created.push_back(folder);
    return true;
}

// Moves staged files into a folder with every step recorded, so that a failure half-way
// puts back what was there.
class FolderTransaction
{
public:
    FolderTransaction(const std::string& target, const std::string& backups) : m_target(target), m_backups(backups) {}

    // Moves everything below staged into the same place below the target folder.
    bool MoveTree(const std::string& staged, const std::string& relative)
    {
        DIR* dir = ::opendir(staged.c_str());
        if (!dir)
            return Fail(staged, "cannot be listed");
        std::vector<std::string> names;
        while (const dirent* entry = ::readdir(dir))
        {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);

        bool ok = true;
        for (size_t i = 0; ok && i < names.size(); ++i)
        {
            const std::string from = staged + "/" + names[i];
            const std::string part = relative.empty() ? names[i] : relative + "/" + names[i];
            const std::string to = m_target + "/" + part;
            struct stat info;
            if (::lstat(from.c_str(), &info) != 0)
                ok = Fail(from, "vanished");
            else if (S_ISDIR(info.st_mode))
            {
                if (!IsFolder(to))
                {
                    if (Exists(to))
                        ok = Fail(to, "is in the way of a folder", false);
                    else if (::mkdir(to.c_str(), 0777) != 0)
                        ok = Fail(to, "cannot be created");
                    else
                        m_createdFolders.push_back(to);
                }
                ok = ok && MoveTree(from, part);
            }
            else
                ok = MoveFile(from, to);
        }
        return ok;
    }

    // Takes back every step, newest first.
    void Undo()
    {
        for (std::vector<Step>::reverse_iterator step = m_steps.rbegin(); step != m_steps.rend(); ++step)
        {
            if (step->backup.empty())
                ::unlink(step->target.c_str());
            else
                ::rename(step->backup.c_str(), step->target.c_str());
        }
        m_steps.clear();
        for (std::vector<std::string>::reverse_iterator folder = m_createdFolders.rbegin();
             folder != m_createdFolders.rend(); ++folder)
            ::rmdir(folder->c_str());
        m_createdFolders.clear();
    }

    size_t written = 0;
    size_t unchanged = 0;
    wxString failure;

private:
    struct Step
    {
        std::string target;
        std::string backup; // empty when the target did not exist
    };

    // With the reason the system gave, when a system call failed.
    bool Fail(const std::string& path, const char* what, bool systemError = true)
    {
        const int error = errno;
        failure = FromBytes(path) + wxS(" ") + wxString::FromAscii(what);
        if (systemError && error != 0)
            failure += wxS(": ") + wxString(std::strerror(error), wxConvLibc);
        return false;
    }

    bool MoveFile(const std::string& from, const std::string& to)
    {
        struct stat info, staged;
        errno = 0;
        if (::lstat(to.c_str(), &info) != 0)
        {
            if (::rename(from.c_str(), to.c_str()) != 0)
                return Fail(to, "cannot be written");
            m_steps.push_back({to, std::string()});
            ++written;
            return true;
        }
        if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode))
            return Fail(to, "is in the way of a file", false);
        // A file staged as a link to the one in place is that file.
        const bool linked = ::lstat(from.c_str(), &staged) == 0 && staged.st_dev == info.st_dev &&
                            staged.st_ino == info.st_ino;
        if (linked || SameContent(from, to))
        {
            ++unchanged;
            return true;
        }
        // The file being replaced stays reachable under a second name until the end, and
        // the new one takes its place in one step.
        const std::string backup = m_backups + "/" + std::to_string(m_steps.size());
        if (::link(to.c_str(), backup.c_str()) != 0 && !CopyFileAtomically(FromBytes(to), FromBytes(backup)))
            return Fail(to, "cannot be kept aside");
        if (::rename(from.c_str(), to.c_str()) != 0)
        {
            ::unlink(backup.c_str());
            return Fail(to, "cannot be replaced");
        }
        m_steps.push_back({to, backup});
        ++written;
        return true;
    }

    std::string m_target;
    std::string m_backups;
    std::vector<Step> m_steps;
    std::vector<std::string> m_createdFolders;
};

}

void CGlypharaCore::LinkCopiesInPlace(const std::string& target, const std::string& staged)
{
    std::vector<std::pair<wxString, wxString>> copies; // source, path below the folder
    for (const wxString& support : m_sifrFileNames)
        copies.push_back({wxS("sIFR/") + support, wxS("glypharadata/") + support});
    for (const TagMap::value_type& tag : m_tags)
    {
        const FontProperties& record = tag.second;
        if (tag.first.empty() || record.font.empty() || !ProjectPaths::IsSafeFontKey(record.foundry) ||
            !ProjectPaths::IsSafeFontKey(record.font))
            continue;
        const FontTable::const_iterator foundry = m_fontTable.find(record.foundry);
        if (foundry == m_fontTable.end())
            continue;
        const FontsOfFoundry::const_iterator font = foundry->second.find(record.font);
        if (font == foundry->second.end())
            continue;
        const wxString source = font->second;
        copies.push_back({source, wxS("glypharadata/fonts/") + ProjectPaths::FontFileName(record.foundry, record.font)});
        const wxString picture = (source.AfterLast('/').Contains(wxS(".")) ? source.BeforeLast('.') : source) + wxS(".png");
        copies.push_back({picture, wxS("glypharadata/fonts/") +
                                       ProjectPaths::FontFileName(record.foundry, record.font, wxS(".png"))});
    }
    std::vector<std::string> made;
    for (const auto& copy : copies)
    {
        const std::string relative = Bytes(copy.second);
        const std::string inPlace = target + "/" + relative;
        if (!SameContent(Bytes(copy.first), inPlace))
            continue;
        const std::string link = staged + "/" + relative;
        if (!MakeFolders(link.substr(0, link.rfind('/')), made) || ::link(inPlace.c_str(), link.c_str()) != 0)
            continue;
        RecordExportCopy(copy.first, FromBytes(link));
    }
}

int CGlypharaCore::InitForExport()
{
    return InitAs(true);
}

int CGlypharaCore::ExportProject(const wxString& projectFile, const wxString& folder, wxString& message)
{
    TS_FUNCTION("CGlypharaCore::ExportProject");
    CORE_REQUIRE_INITIALIZED();
    message.clear();

    const wxString fileName = projectFile.AfterLast('/');
    const wxString name = fileName.Find('.', true) == wxNOT_FOUND ? fileName : fileName.BeforeLast('.');
    if (name.empty())
    {
        message = projectFile + wxS(": not a project file name");
        TS_RETURN(RC_INVALID_ARGUMENT, message);
    }

    const int loaded = LoadProject(projectFile);
    if (loaded < 0)
    {
        wxXmlDocument document;
        wxString problem;
        if (!XmlTree::Load(projectFile, document, problem))
            message = projectFile + wxS(": ") + problem;
        else if (loaded == RC_INCOMPATIBLE_VERSION)
            message = projectFile + wxS(": saved by an old and incompatible version of Glyphara");
        else if (loaded == RC_BAD_FORMAT)
            message = projectFile + wxS(": not a Glyphara project");
        else
            message = projectFile + wxS(": no tags in this project");
        TS_RETURN(loaded, message);
    }
    // A site without one of its tags is no build result: every tag of the file must be
    // there, with its font.
    if (!m_tagsWithMissingFonts.empty())
    {
        const auto& dropped = *m_tagsWithMissingFonts.begin();
        message = projectFile + wxS(": the tag ") + dropped.first + wxS(" cannot be used; its font ") + dropped.second +
                  wxS(" is neither installed nor in the project's folder");
        TS_RETURN(RC_LOAD_FAILED, message);
    }

    // What storing copies must be readable; a missing picture is normal.
    for (const wxString& support : m_sifrFileNames)
    {
        if (!ReadableFile(wxS("sIFR/") + support))
        {
            message = wxS("The runtime file ") + wxGetCwd() + wxS("/sIFR/") + support + wxS(" cannot be read");
            TS_RETURN(RC_WRITE_FAILED, message);
        }
    }
    for (const TagMap::value_type& tag : m_tags)
    {
        const FontTable::const_iterator foundry = m_fontTable.find(tag.second.foundry);
        if (tag.second.font.empty() || foundry == m_fontTable.end())
            continue;
        const FontsOfFoundry::const_iterator font = foundry->second.find(tag.second.font);
        if (font != foundry->second.end() && !ReadableFile(font->second))
        {
            message = wxS("The font file ") + font->second + wxS(" cannot be read");
            TS_RETURN(RC_WRITE_FAILED, message);
        }
    }

    const std::string target =
        Bytes(StripTrailingSeparators(folder.empty() ? JoinPath(ProjectPaths::FolderOfPath(projectFile), name + wxS(" files"))
                                                     : folder));
    std::vector<std::string> createdLevels;
    auto takeBackFolders = [&createdLevels] {
        for (std::vector<std::string>::reverse_iterator level = createdLevels.rbegin(); level != createdLevels.rend(); ++level)
            ::rmdir(level->c_str());
    };
    errno = 0;
    if (!MakeFolders(target, createdLevels))
    {
        message = FromBytes(target) + wxS(" cannot be created: ") + wxString(std::strerror(errno), wxConvLibc);
        takeBackFolders();
        TS_RETURN(RC_WRITE_FAILED, message);
    }

    // Staged inside the target: the same file system, so every move is a rename, and
    // only the target itself needs to be writable.
    std::string staging = target + "/.glyphara-export-XXXXXX";
    if (!::mkdtemp(&staging[0]))
    {
        message = FromBytes(target) + wxS(" cannot be written: ") + wxString(std::strerror(errno), wxConvLibc);
        takeBackFolders();
        TS_RETURN(RC_WRITE_FAILED, message);
    }

    // Files in place that already are copies of their sources are linked into the staging
    // folder and noted as copied, so storing does not copy them again.
    LinkCopiesInPlace(target, staging + "/" + Bytes(name) + " files");

    // Storing records the stored project as the open one; the export changes nothing of it.
    const wxString keptPath = m_projectFilePath;
    const wxString keptName = m_projectName;
    const wxString keptPage = m_browserPreviewPath;
    const bool keptSaved = m_projectSaved;
    // Only the folder is made: the project file stays the one that was read.
    m_exportFolderOnly = true;
    m_exportStaged = FromBytes(staging) + wxS("/") + name + wxS(" files");
    m_exportTarget = FromBytes(target);
    const int stored = SaveProject(FromBytes(staging) + wxS("/") + name + wxS(".xml"), true, false);
    m_exportFolderOnly = false;
    m_exportStaged.clear();
    m_exportTarget.clear();
    m_projectFilePath = keptPath;
    m_projectName = keptName;
    m_browserPreviewPath = keptPage;
    m_projectSaved = keptSaved;
    m_exportCopies.reset();

    int result = RC_OK;
    const std::string backups = staging + "/.replaced";
    FolderTransaction transaction(target, backups);
    if (stored < 0)
    {
        message = wxS("The files could not be made in ") + FromBytes(staging);
        result = RC_WRITE_FAILED;
    }
    else if (::mkdir(backups.c_str(), 0700) != 0 ||
             !transaction.MoveTree(staging + "/" + Bytes(name) + " files", std::string()))
    {
        message = transaction.failure.empty() ? FromBytes(backups) + wxS(" cannot be created") : transaction.failure;
        transaction.Undo();
        result = RC_WRITE_FAILED;
    }
    RemoveTree(staging);
    if (result != RC_OK)
    {
        takeBackFolders();
        TS_RETURN(result, message);
    }
    TS_LOG(TS_MESSAGE, wxString::Format(wxS("%lu files written, %lu already up to date in "),
                                        static_cast<unsigned long>(transaction.written),
                                        static_cast<unsigned long>(transaction.unchanged)) +
                           FromBytes(target));
    TS_RETURN(RC_OK, wxEmptyString);
}
