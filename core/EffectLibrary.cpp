// The effect library: named filter sets read from the system and the user effect folder,
// the two pseudo-effects "None" and "User defined", and applying an effect to the
// selected tag.
#include "core/GlypharaCore.h"

#include "core/CoreNames.h"
#include "core/TextUtil.h"
#include "trace/TraceSystem.h"

#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/intl.h>
#include <wx/log.h>

#include <algorithm>
#include <vector>

namespace
{
// Appends the effect files directly in folder, sorted by name so that the outcome of
// duplicate effect names does not depend on the file system's order. A folder that does
// not exist lists as empty; false only when an existing folder cannot be read.
bool ListEffectFiles(const wxString& folder, std::vector<wxString>& paths)
{
    if (!FolderExists(folder))
        return true;
    wxLogNull quiet;
    wxDir dir(StripTrailingSeparators(folder));
    if (!dir.IsOpened())
        return false;
    std::vector<wxString> names;
    wxString name;
    for (bool more = dir.GetFirst(&name, wxS("*.xml"), wxDIR_FILES); more; more = dir.GetNext(&name))
        names.push_back(name);
    std::sort(names.begin(), names.end(), Utf16Less());
    const wxString prefix = WithTrailingSeparator(folder);
    for (const wxString& file : names)
        paths.push_back(prefix + file);
    return true;
}

bool IsPseudoEffect(const wxString& name)
{
    return name == wxString::FromAscii(kNoneEffect) || name == wxString::FromAscii(kUserDefinedEffect);
}
}

int CGlypharaCore::BuildEffectList()
{
    TS_FUNCTION("CGlypharaCore::BuildEffectList");
    CORE_REQUIRE_INITIALIZED();

    m_effectFilters.clear();
    m_effectFiles.clear();

    const bool systemSet = !m_systemEffectDir.empty();
    const bool userSet = !m_userEffectDir.empty();
    if (!systemSet && !userSet)
        TS_RETURN(RC_DIRECTORY_MISSING, wxS("Effect directories are not set"));
    if (systemSet && userSet && !FolderExists(m_systemEffectDir) && !FolderExists(m_userEffectDir))
        TS_RETURN(RC_DIRECTORY_MISSING, wxS("No effect directory exists"));

    std::vector<wxString> systemFiles, userFiles;
    bool anyOpened = false;
    if (systemSet)
    {
        if (ListEffectFiles(m_systemEffectDir, systemFiles))
            anyOpened = true;
        else
            TS_LOG(TS_MESSAGE, wxS("Unable to open system effect directory"));
    }
    if (userSet)
    {
        if (ListEffectFiles(m_userEffectDir, userFiles))
            anyOpened = true;
        else
            TS_LOG(TS_MESSAGE, wxS("Unable to open user effect directory"));
    }
    if (!anyOpened)
        TS_RETURN(RC_CANNOT_OPEN_DIRECTORY, wxS("No effect directory could be opened"));

    // User files come last, so a user effect replaces a system effect of the same name.
    for (const wxString& path : systemFiles)
        LoadEffectToMember(path);
    for (const wxString& path : userFiles)
        LoadEffectToMember(path);

    if (m_effectFilters.empty())
        TS_LOG(TS_WARNING, wxS("No effect is installed"));
    else
        TS_LOG(TS_MESSAGE, wxString::Format(wxS("%d effects have been loaded"), static_cast<int>(m_effectFilters.size())));

    const wxString none = wxString::FromAscii(kNoneEffect);
    const wxString userDefined = wxString::FromAscii(kUserDefinedEffect);
    m_effectFilters[none] = FontProperties();
    m_effectFilters[userDefined] = FontProperties();
    m_effectFiles[none] = wxString();
    m_effectFiles[userDefined] = wxString();
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::LoadEffectToMember(const wxString& path)
{
    TS_FUNCTION("CGlypharaCore::LoadEffectToMember");
    CORE_REQUIRE_INITIALIZED();
    TS_LOG(TS_MESSAGE, wxS("Trying to load effect from: ") + path + wxS(" to member"));

    FontProperties filters;
    wxString name;
    const int result = LoadEffect(path, filters, name);
    if (result != RC_OK)
        TS_RETURN(result, wxS("Unable to load effect to member"));

    m_effectFilters[name] = filters;
    m_effectFiles[name] = path;
    TS_LOG(TS_VERBOSE, wxS("Effect successfully loaded"));
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::GetEffectList(wxArrayString& names)
{
    TS_FUNCTION("CGlypharaCore::GetEffectList");
    CORE_REQUIRE_INITIALIZED();

    names.clear();
    // The map is already in ordinal UTF-16 order.
    for (const EffectFilterMap::value_type& entry : m_effectFilters)
    {
        if (!entry.first.empty() && !IsPseudoEffect(entry.first))
            names.Add(entry.first);
    }
    names.Insert(wxString::FromAscii(kNoneEffect), 0);
    names.Insert(wxString::FromAscii(kUserDefinedEffect), 1);
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::GetSelectedEffect(wxString& name)
{
    TS_FUNCTION("CGlypharaCore::GetSelectedEffect");
    CORE_REQUIRE_INITIALIZED();
    name = m_selectedEffect;
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::SetSelectedEffect(const wxString& name)
{
    TS_FUNCTION("CGlypharaCore::SetSelectedEffect");
    CORE_REQUIRE_INITIALIZED();
    TS_LOG(TS_MESSAGE, wxS("Setting selected effect to: ") + name);
    EditScope edit(*this);
    edit.Name(wxString::Format(wxGetTranslation(wxS("effect %s")), name), wxS("effect:") + m_selectedTag);

    EffectFilterMap::const_iterator effect = m_effectFilters.find(name);
    if (effect == m_effectFilters.end())
    {
        // The pseudo-effects exist even when the library could not be built.
        if (!IsPseudoEffect(name))
            TS_RETURN(RC_NOT_FOUND, wxS("No effect of that name: ") + name);
        effect = m_effectFilters.insert(EffectFilterMap::value_type(name, FontProperties())).first;
        m_effectFiles[name] = wxString();
    }

    FontProperties record = TagRecord(m_selectedTag);
    CopyFilters(effect->second, record);
    m_selectedEffect = name;
    SetCurrentFontProperties(record);
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::DeleteEffect(const wxString& name, bool allowSystem)
{
    TS_FUNCTION("CGlypharaCore::DeleteEffect");
    CORE_REQUIRE_INITIALIZED();

    const wxString effect = name.empty() ? m_selectedEffect : name;
    TS_LOG(TS_VERBOSE, wxS("Trying to delete effect: ") + effect);

    if (IsPseudoEffect(effect) || m_effectFilters.count(effect) == 0)
        TS_RETURN(RC_NOT_FOUND, wxEmptyString);

    EffectFileMap::const_iterator file = m_effectFiles.find(effect);
    const wxString path = file == m_effectFiles.end() ? wxString() : file->second;
    if (path.empty() || !wxFileExists(path))
        TS_RETURN(RC_FILE_NOT_FOUND, wxEmptyString);
    if (!allowSystem && !m_systemEffectDir.empty() && path.StartsWith(m_systemEffectDir))
        TS_RETURN(RC_SYSTEM_ITEM, wxEmptyString);

    {
        wxLogNull quiet;
        if (!wxRemoveFile(path))
            TS_RETURN(RC_DELETE_FAILED, wxEmptyString);
    }

    m_effectFilters.erase(effect);
    m_effectFiles.erase(effect);

    if (effect == m_selectedEffect)
        SetSelectedEffect(wxString::FromAscii(kNoneEffect));
    else
        CallUpdateControls();

    TS_LOG(TS_VERBOSE, wxS("Effect successfully removed: "));
    TS_RETURN(RC_OK, wxEmptyString);
}
