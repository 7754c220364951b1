// What tells one state of a regular file from another: a file rewritten in place changes
// its times or size, one renamed into place its inode.
#ifndef GLYPHARA_CORE_FILESTAMP_H
#define GLYPHARA_CORE_FILESTAMP_H

#include "core/NativePath.h"

#include <wx/string.h>

#include <sys/stat.h>

#include <ctime>

struct FileStamp
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileStamp& other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
               changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

// False when path is no regular file (or nothing at all).
inline bool StampOf(const wxString& path, FileStamp& stamp)
{
    struct stat status;
    if (::stat(NativePath(path).c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    stamp.device = status.st_dev;
    stamp.inode = status.st_ino;
    stamp.size = status.st_size;
    stamp.modified = status.st_mtim;
    stamp.changed = status.st_ctim;
    return true;
}

#endif
