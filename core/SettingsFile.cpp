#include "core/SettingsFile.h"

#include "core/TextUtil.h"
#include "core/XmlTree.h"

#include <wx/convauto.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <string>

namespace
{
// Far beyond the few keys and recent projects the program writes.
const long kMaxSettingsBytes = 1024 * 1024;

bool IsSettingsLine(const std::string& raw)
{
    const size_t first = raw.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return true;
    const size_t last = raw.find_last_not_of(" \t\r");
    const std::string line = raw.substr(first, last - first + 1);
    if (line[0] == '#' || line[0] == ';')
        return true;
    if (line[0] == '[')
        return line.back() == ']';
    const size_t equals = line.find('=');
    return equals != std::string::npos && equals > 0;
}

bool LooksLikeSettings(const std::string& text)
{
    // Any 8-bit text goes (the toolkit falls back to Latin-1); binary data does not.
    if (text.find('\0') != std::string::npos)
        return false;
    size_t start = 0;
    while (start < text.size())
    {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (!IsSettingsLine(text.substr(start, end - start)))
            return false;
        start = end + 1;
    }
    return true;
}
}

CSettingsFile::CSettingsFile(const wxString& path)
    : wxFileConfig(wxS("Glyphara"), wxS("Tallowby Software"), path, path,
                   path.empty() ? 0 : wxCONFIG_USE_LOCAL_FILE | wxCONFIG_USE_GLOBAL_FILE, wxConvAuto()),
      m_path(path)
{
}

bool CSettingsFile::SetAsideIfDamaged(const wxString& path, wxString& setAside)
{
    setAside.clear();
    std::string text;
    wxString problem;
    if (!wxFileExists(path))
        return false;
    // A file that cannot be read is left alone: it may be fine, and the toolkit says so.
    if (wxFileName::GetSize(path) <= kMaxSettingsBytes && (!XmlTree::ReadFile(path, text, problem) ||
                                                           LooksLikeSettings(text)))
        return false;
    // An earlier damaged file is kept too.
    setAside = path + wxS(".damaged");
    for (int n = 2; wxFileExists(setAside) || wxDirExists(setAside); ++n)
        setAside = path + wxString::Format(wxS(".damaged-%d"), n);
    if (!wxRenameFile(path, setAside, false))
    {
        setAside.clear();
        return false;
    }
    return true;
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
