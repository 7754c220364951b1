#include "Interface/FontListCache.h"

#include "core/FontFolders.h"

#include <sys/stat.h>

#include <set>

FontListCache::FolderStamp FontListCache::Stamp(const wxString& path)
{
    FolderStamp stamp;
    stamp.path = path;
    struct stat state;
    if (stat(path.fn_str(), &state) == 0)
    {
        stamp.exists = true;
        stamp.device = state.st_dev;
        stamp.inode = state.st_ino;
        stamp.modified = state.st_mtim;
    }
    return stamp;
}

bool FontListCache::Same(const FolderStamp& a, const FolderStamp& b)
{
    return a.exists == b.exists && a.device == b.device && a.inode == b.inode &&
           a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec;
}

bool FontListCache::IsCurrent(const FontTable& table, const wxString& foundry, const wxString& font) const
{
    if (!m_valid || foundry != m_foundry || font != m_font || table != m_table)
        return false;
    for (const FolderStamp& folder : m_folders)
        if (!Same(folder, Stamp(folder.path)))
            return false;
    return true;
}

void FontListCache::Remember(const FontTable& table, const wxString& foundry, const wxString& font)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::set<wxString> folders;
    for (const auto& fonts : table)
        for (const auto& entry : fonts.second)
            folders.insert(entry.second.BeforeLast('/'));
    m_folders.clear();
    m_valid = true;
    for (const wxString& folder : folders)
    {
        m_folders.push_back(Stamp(folder));
        if (m_folders.back().exists && !FontFolders::OldEnough(m_folders.back().modified, now))
            m_valid = false;
    }
    m_table = table;
    m_foundry = foundry;
    m_font = font;
}
