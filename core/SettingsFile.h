// The settings file as the program's settings store. Two copies of the program may run
// at once and share it: every save replaces the file whole in one step, so the other copy
// finds the old file or the new one, never none and never a torn one. The toolkit's own
// save deletes the file before renaming the new one into place.
#ifndef GLYPHARA_CORE_SETTINGSFILE_H
#define GLYPHARA_CORE_SETTINGSFILE_H

#include <wx/fileconf.h>

class CSettingsFile : public wxFileConfig
{
public:
    // The store of the given file, with the program's application and vendor names. An
    // empty path gives a store in memory only, which writes no file anywhere.
    explicit CSettingsFile(const wxString& path);

    // A file that is not a settings file (not text of "key=value" lines, groups and
    // comments) is renamed beside itself so that the program starts with defaults
    // instead of carrying the damage on. True when it was; setAside is the new name.
    static bool SetAsideIfDamaged(const wxString& path, wxString& setAside);
    ~CSettingsFile() override;

    // Writes the file only when something changed since it was read or last written,
    // so that a copy of the program that changed nothing never replaces what another
    // copy saved meanwhile.
    bool Flush(bool currentOnly = false) override;

    bool RenameEntry(const wxString& oldName, const wxString& newName) override;
    bool RenameGroup(const wxString& oldName, const wxString& newName) override;
    bool DeleteEntry(const wxString& key, bool deleteGroupIfEmpty = true) override;
    bool DeleteGroup(const wxString& key) override;
    bool DeleteAll() override;

protected:
    bool DoWriteString(const wxString& key, const wxString& value) override;
    bool DoWriteLong(const wxString& key, long value) override;
#if wxUSE_BASE64
    bool DoWriteBinary(const wxString& key, const wxMemoryBuffer& buffer) override;
#endif

private:
    bool Changed(bool done);

    wxString m_path;
    bool m_changed = false;
};

#endif
