#include "core/SettingsFile.h"

#include "core/TextUtil.h"

#include <wx/convauto.h>
#include <wx/log.h>
#include <wx/mstream.h>

CSettingsFile::CSettingsFile(const wxString& path)
    : wxFileConfig(wxS("Glyphara"), wxS("Tallowby Software"), path, path,
                   wxCONFIG_USE_LOCAL_FILE | wxCONFIG_USE_GLOBAL_FILE, wxConvAuto()),
      m_path(path)
{
}

CSettingsFile::~CSettingsFile()
{
    Flush();
    // The toolkit's destructor would save again in its own way.
    DisableAutoSave();
}

bool CSettingsFile::Changed(bool done)
{
    m_changed = m_changed || done;
    return done;
}

bool CSettingsFile::Flush(bool)
{
    if (!m_changed || m_path.empty())
        return true;
    wxMemoryOutputStream text;
    {
        wxLogNull quiet;
        // Also tells the toolkit that nothing is left to save.
        if (!Save(text, wxConvUTF8))
            return false;
    }
    wxCharBuffer bytes(text.GetLength());
    text.CopyTo(bytes.data(), text.GetLength());
    if (!WriteBytesAtomically(m_path, bytes.data(), text.GetLength()))
        return false;
    m_changed = false;
    return true;
}

bool CSettingsFile::RenameEntry(const wxString& oldName, const wxString& newName)
{
    return Changed(wxFileConfig::RenameEntry(oldName, newName));
}

bool CSettingsFile::RenameGroup(const wxString& oldName, const wxString& newName)
{
    return Changed(wxFileConfig::RenameGroup(oldName, newName));
}

bool CSettingsFile::DeleteEntry(const wxString& key, bool deleteGroupIfEmpty)
{
    return Changed(wxFileConfig::DeleteEntry(key, deleteGroupIfEmpty));
}

bool CSettingsFile::DeleteGroup(const wxString& key)
{
    return Changed(wxFileConfig::DeleteGroup(key));
}

bool CSettingsFile::DeleteAll()
{
    // The toolkit's DeleteAll removes the file itself; the empty store is written over
    // it instead at the next save.
    const bool done = wxFileConfig::DeleteAll();
    m_changed = true;
    return done;
}

bool CSettingsFile::DoWriteString(const wxString& key, const wxString& value)
{
    // Writing back what is there already (the window does so on every move) is no change.
    wxString old;
    const bool same = wxFileConfig::DoReadString(key, &old) && old == value;
    const bool done = wxFileConfig::DoWriteString(key, value);
    if (done && !same)
        m_changed = true;
    return done;
}

bool CSettingsFile::DoWriteLong(const wxString& key, long value)
{
    long old = 0;
    const bool same = wxFileConfig::DoReadLong(key, &old) && old == value;
    const bool done = wxFileConfig::DoWriteLong(key, value);
    if (done && !same)
        m_changed = true;
    return done;
}

#if wxUSE_BASE64
bool CSettingsFile::DoWriteBinary(const wxString& key, const wxMemoryBuffer& buffer)
{
    return Changed(wxFileConfig::DoWriteBinary(key, buffer));
}
#endif
