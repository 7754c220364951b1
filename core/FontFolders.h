// Reading font folders as the file system gives them, and the preview pictures of each
// folder, kept as long as the folder itself is unchanged.
#ifndef GLYPHARA_CORE_FONTFOLDERS_H
#define GLYPHARA_CORE_FONTFOLDERS_H

#include <wx/string.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace FontFolders
{
enum class EntryKind
{
    File,
    Folder,
    Other
};

// File timestamps are taken from a clock that advances in steps; a folder changed within
// a step of its listing could change again unseen, so such a listing is not trusted.
bool OldEnough(const timespec& modified, const timespec& listed);

inline bool IsDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Calls visit(name, kind, linked) for every entry of the folder but "." and "..";
// symbolic links count as what they point to. Fills state with the folder's own state
// when asked. False when the folder cannot be read.
template <typename Visit>
bool ListEntries(const char* path, Visit&& visit, struct stat* state = nullptr)
{
    DIR* dir = opendir(path);
    if (!dir)
        return false;
    if (state && fstat(dirfd(dir), state) != 0)
        memset(state, 0, sizeof *state);
    while (const dirent* entry = readdir(dir))
    {
        const char* name = entry->d_name;
        if (IsDotOrDotDot(name))
            continue;
        EntryKind kind = EntryKind::Other;
        bool linked = false;
        if (entry->d_type == DT_REG)
            kind = EntryKind::File;
        else if (entry->d_type == DT_DIR)
            kind = EntryKind::Folder;
        else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
        {
            linked = entry->d_type == DT_LNK;
            struct stat target;
            if (fstatat(dirfd(dir), name, &target, 0) == 0)
                kind = S_ISREG(target.st_mode) ? EntryKind::File
                                               : S_ISDIR(target.st_mode) ? EntryKind::Folder : EntryKind::Other;
        }
        visit(name, kind, linked);
    }
    closedir(dir);
    return true;
}

// A file name read from the file system; almost all are plain ASCII, which needs no
// locale-dependent conversion.
wxString FromNative(const char* name);
// Appends such a file name to a path.
void AppendNative(wxString& path, const char* name);
// A path in the file system's encoding.
std::string NativePath(const wxString& path);
// Letter case of the ending is not significant.
bool HasExtension(const char* name, const char* extension);
bool EndsWithExactly(const char* name, const char* ending);
}

// The ".png" files of one folder, by name without that ending.
class PictureListing
{
public:
    // name ends with ".png"; linked when it was reached through a symbolic link.
    void Add(const char* name, bool linked);
    // Looked up by the part of a font's path that names it, with no string built.
    bool Has(std::wstring_view stem) const { return m_stems.count(stem) != 0; }
    // The folder was in this state when it was listed at listedAt.
    void Stamp(const struct stat& state, const timespec& listedAt);
    bool StillHolds(const struct stat& state) const;

private:
    std::set<std::wstring, std::less<>> m_stems;
    bool m_linked = false;
    bool m_vouched = false; // whether an unchanged stamp proves the listing current
    dev_t m_device = 0;
    ino_t m_inode = 0;
    timespec m_modified{};
};

// The listings of the font folders. Adding, removing or renaming a file changes its
// folder's modification time, so a listing holds while its folder keeps its stamp.
class FontPictures
{
public:
    // The listing of folder (given without a trailing "/"), listed again when it changed.
    std::shared_ptr<const PictureListing> Now(const wxString& folder);
    // A listing that the scan took anyway.
    void Store(const wxString& folder, std::shared_ptr<PictureListing> listing);
    void Clear() { m_listings.clear(); }

private:
    struct Known
    {
        std::string native; // the folder's path in the file system's encoding
        std::shared_ptr<PictureListing> listing;
    };
    std::map<wxString, Known> m_listings;
};

#endif
