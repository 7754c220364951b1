// Whether the font list may keep the rows it last took from the core. Building the rows
// of a large library costs more than the rest of a refresh together, so a refresh asks
// for them only when something they are made of may have changed: the font table, a
// font folder on disk (its preview pictures) or the font in use.
#ifndef GLYPHARA_INTERFACE_FONTLISTCACHE_H
#define GLYPHARA_INTERFACE_FONTLISTCACHE_H

#include "core/FontTable.h"

#include <wx/string.h>

#include <sys/types.h>

#include <ctime>
#include <vector>

class FontListCache
{
public:
    // True when rows built now would be the ones remembered.
    bool IsCurrent(const FontTable& table, const wxString& foundry, const wxString& font) const;
    // Call right after taking the rows from the core.
    void Remember(const FontTable& table, const wxString& foundry, const wxString& font);
    void Forget() { m_valid = false; }

private:
    struct FolderStamp
    {
        wxString path;
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        timespec modified{};
    };
    static FolderStamp Stamp(const wxString& path);
    static bool Same(const FolderStamp& a, const FolderStamp& b);

    bool m_valid = false;
    FontTable m_table;
    std::vector<FolderStamp> m_folders;
    wxString m_foundry;
    wxString m_font;
};

#endif
