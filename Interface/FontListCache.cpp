#include "Interface/FontListCache.h"

#include "core/FontFolders.h"

#include <set>
#include <string>
#include <vector>

bool FontListCache::IsCurrent(unsigned long tableRevision, const wxString& foundry, const wxString& font)
{
    return m_valid && tableRevision == m_revision && foundry == m_foundry && font == m_font && m_folders.Unchanged();
}

void FontListCache::Remember(unsigned long tableRevision, const FontTable& table, const wxString& foundry,
                             const wxString& font)
{
    m_foundry = foundry;
    m_font = font;
    // Another font in use changes no row: the folders watched are still the ones.
    if (m_valid && tableRevision == m_revision && m_folders.Unchanged())
        return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::set<wxString> folders;
    for (const auto& fonts : table)
        for (const auto& entry : fonts.second)
            folders.insert(entry.second.BeforeLast('/'));
    std::vector<std::string> paths;
    paths.reserve(folders.size());
    for (const wxString& folder : folders)
        paths.push_back(FontFolders::NativePath(folder));
    m_valid = m_folders.Watch(paths, now);
    m_revision = tableRevision;
}

void FontListCache::Forget()
{
    m_valid = false;
    m_folders.Clear();
}
