#include "wxIncludes/wxIncludes.h"

#include "trace/ResultCodes.h"
#include "trace/TraceSystem.h"

#include <wx/filesys.h>
#include <wx/fs_arc.h>
#include <wx/mstream.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace
{
// Removes everything inside a folder. Symbolic links are removed, never followed, so
// nothing outside the folder goes.
bool RemoveBelow(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return false;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir))
    {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    bool removed = true;
    for (const std::string& name : names)
    {
        const std::string path = folder + "/" + name;
        struct stat status;
        if (::lstat(path.c_str(), &status) != 0)
            continue;
        if (S_ISDIR(status.st_mode))
            removed = RemoveBelow(path) && ::rmdir(path.c_str()) == 0 && removed;
        else
            removed = ::unlink(path.c_str()) == 0 && removed;
    }
    return removed;
}

void RegisterArchiveHandler()
{
    static bool registered = false;
    if (!registered)
    {
        wxFileSystem::AddHandler(new wxArchiveFSHandler);
        registered = true;
    }
}
}

bool ReadZipEntry(const wxString& entryName, const wxString& archivePath, std::string& bytes, bool optional,
                  const wxString& tracedAs)
{
    const TraceLevel failure = optional ? TS_VERBOSE : TS_ERROR;
    TraceSystem* trace = TraceSystem::GetInstance();
    const unsigned long thread = TraceSystem::CurrentThreadId();
    trace->Trace(thread, __FILE__, tracedAs, __LINE__, TS_MESSAGE, wxS("Loading ") + entryName + wxS(" from ") + archivePath);
    RegisterArchiveHandler();
    std::unique_ptr<wxFileSystem> fileSystem(new wxFileSystem);
    std::unique_ptr<wxFSFile> file(fileSystem->OpenFile(archivePath + wxS("#zip:") + entryName));
    if (!file || !file->GetStream())
    {
        trace->Trace(thread, __FILE__, tracedAs, __LINE__, failure, wxS("Unable to open the zip file system"));
        return false;
    }
    wxMemoryOutputStream copy;
    copy.Write(*file->GetStream());
    bytes.assign(static_cast<const char*>(copy.GetOutputStreamBuffer()->GetBufferStart()), copy.GetLength());
    return true;
}

int RemoveFolderTree(const wxString& folder)
{
    TS_FUNCTION("RemoveFolderTree");
    TS_LOG(TS_MESSAGE, wxS("Removing dir: ") + folder);
    const wxScopedCharBuffer native = folder.fn_str();
    struct stat status;
    if (folder.empty() || !native.data() || ::lstat(native.data(), &status) != 0 || !S_ISDIR(status.st_mode))
        TS_RETURN(RC_DELETE_FAILED, wxS("Not a folder: ") + folder);
    if (!RemoveBelow(native.data()) || ::rmdir(native.data()) != 0)
        TS_RETURN(RC_DELETE_FAILED, wxS("Unable to remove everything in ") + folder);
    TS_RETURN(RC_OK, wxEmptyString);
}
