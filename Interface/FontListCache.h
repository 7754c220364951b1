// Whether the font list may keep the rows it last took from the core. Building the rows
// of a large library costs more than the rest of a refresh together, so a refresh asks
// for them only when something they are made of may have changed: the font table (the
// core counts its revisions), a font folder on disk (its preview pictures) or the font in
// use.
#ifndef GLYPHARA_INTERFACE_FONTLISTCACHE_H
#define GLYPHARA_INTERFACE_FONTLISTCACHE_H

#include "core/FolderWatch.h"
#include "core/FontTable.h"

#include <wx/string.h>

class FontListCache
{
public:
    // True when rows built now would be the ones remembered.
    bool IsCurrent(unsigned long tableRevision, const wxString& foundry, const wxString& font);
    // Call right after taking the rows from the core.
    void Remember(unsigned long tableRevision, const FontTable& table, const wxString& foundry, const wxString& font);
    void Forget();

private:
    bool m_valid = false;
    unsigned long m_revision = 0;
    FolderWatch m_folders;
    wxString m_foundry;
    wxString m_font;
};

#endif
