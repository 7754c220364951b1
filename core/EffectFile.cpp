// The effect file format (one effect per XML file) and the operations that move effects
// in and out of the library: load, save under a new name, import and export.
#include "core/GlypharaCore.h"
#include "core/XmlTree.h"

#include "core/CoreNames.h"
#include "core/TextUtil.h"
#include "trace/TraceSystem.h"

#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include <cstring>
#include <string>
#include <vector>
#include <sys/stat.h>

namespace
{
// Room left in a file name (255 bytes on common file systems) for "(n)" and ".xml".
constexpr size_t kMaxFileStemBytes = 200;

// Anything at that path, including a folder or a dangling link, blocks a new file.
bool PathTaken(const wxString& path)
{
    struct stat info;
    return ::lstat(path.fn_str(), &info) == 0;
}

// Characters that XML 1.0 cannot carry: written out, they would make the file unreadable.
bool IsXmlChar(wxUniChar::value_type c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

bool IsValidEffectName(const wxString& name)
{
    if (name.empty())
        return false;
    for (wxString::const_iterator i = name.begin(); i != name.end(); ++i)
        if (!IsXmlChar((*i).GetValue()))
            return false;
    return true;
}

// The typed name stays the effect's identity; only the file name is made safe: no
// separators, nothing that other systems refuse in a name, no leading dot (hidden file,
// or ".." climbing out of the folder), and short enough to leave room for the counter.
wxString SafeFileStem(const wxString& name)
{
    static const wxString unsafe = wxS("/\\:*?\"<>|");
    wxString stem;
    for (wxString::const_iterator i = name.begin(); i != name.end(); ++i)
    {
        const wxUniChar c = *i;
        const wxUniChar::value_type v = c.GetValue();
        if (v < 0x20 || v == 0x7F || unsafe.Find(c) != wxNOT_FOUND)
            stem += wxS('_');
        else
            stem += c;
    }
    size_t dots = 0;
    while (dots < stem.length() && stem[dots] == wxS('.'))
        ++dots;
    stem = wxString(wxS('_'), dots) + stem.Mid(dots);

    while (strlen(stem.utf8_str()) > kMaxFileStemBytes)
        stem.RemoveLast();
    if (stem.empty())
        stem = wxS("Effect");
    return stem;
}

// The file as written by the XML document class: declaration with "utf-8", one space per
// level, root attributes in their fixed order, filters as bevel, glow, dropshadow, blur.
bool BuildEffectFile(const FontProperties& filters, const wxString& name, wxMemoryOutputStream& out)
{
    wxXmlNode* root = new wxXmlNode(wxXML_ELEMENT_NODE, wxS("GlypharaEffect"));
    root->AddAttribute(wxS("appname"), wxS("Glyphara"));
    root->AddAttribute(wxS("appversion"), wxString::FromAscii(kAppVersion));
    root->AddAttribute(wxS("appbuild"), wxString::Format(wxS("%ld"), TraceSystem::GetInstance()->GetBuildNumber()));
    wxXmlNode* effect = WriteFontProperties(root, wxS("effect"), filters, true);
    effect->AddAttribute(wxS("effectname"), name);

    wxXmlDocument document;
    document.SetVersion(wxS("1.0"));
    document.SetFileEncoding(wxS("utf-8"));
    document.SetRoot(root);
    wxLogNull quiet;
    return document.Save(out, 1);
}

// Reads an effect file in one pass over the whole text, keeping only what the reading
// rules look at: the root's name, the first child element's effect name and the filters
// below that child, each read the moment its element starts. Nothing is nested on the
// stack, so any depth is read.
class EffectReader : public XmlTree::ElementReader
{
public:
    enum Outcome
    {
        Parsed,
        Unreadable,
        NotXml
    };

    Outcome Read(const wxString& path)
    {
        std::string text;
        if (!XmlTree::ReadFile(path, text, error))
            return Unreadable;
        return XmlTree::Parse(text, *this, error) ? Parsed : NotXml;
    }

    bool hasRoot = false;
    wxString rootName;
    bool hasFirstChild = false;
    bool hasEffectName = false;
    wxString effectName;
    FontProperties filters;
    wxString error;

    bool StartElement(const char* name, const char** attributes) override
    {
        ++m_depth;
        if (m_depth == 1)
        {
            hasRoot = true;
            rootName = wxString::FromUTF8(name);
        }
        else if (m_depth == 2 && !hasFirstChild)
        {
            hasFirstChild = true;
            m_inFirstChild = true;
            for (const char** a = attributes; *a; a += 2)
            {
                if (std::strcmp(a[0], "effectname") == 0)
                {
                    hasEffectName = true;
                    effectName = wxString::FromUTF8(a[1]);
                    break;
                }
            }
        }
        else if (m_depth == 3 && m_inFirstChild)
            ReadFilterElement(name, attributes);
        return true;
    }

    void EndElement() override
    {
        if (m_depth == 2)
            m_inFirstChild = false;
        --m_depth;
    }

private:
    void ReadFilterElement(const char* name, const char** attributes)
    {
        wxXmlNode element(wxXML_ELEMENT_NODE, wxString::FromUTF8(name));
        element.SetAttributes(XmlTree::MakeAttributes(attributes));
        ReadNamedFilter(&element, filters);
    }

    int m_depth = 0;
    bool m_inFirstChild = false;
};
}

int CGlypharaCore::LoadEffect(const wxString& path, FontProperties& filters, wxString& name)
{
    TS_FUNCTION("CGlypharaCore::LoadEffect");
    CORE_REQUIRE_INITIALIZED();
    TS_LOG(TS_MESSAGE, wxS("Trying to load effect from: ") + path);

    EffectReader reader;
    switch (reader.Read(path))
    {
    case EffectReader::Unreadable:
        TS_LOG(TS_WARNING, wxS("Unable to read the file, or it is too large"));
        TS_RETURN(RC_LOAD_FAILED, wxS("Unable to create the XML object"));
    case EffectReader::NotXml:
        TS_LOG(TS_WARNING, reader.error);
        TS_RETURN(RC_LOAD_FAILED, wxS("Unable to create the XML object"));
    case EffectReader::Parsed:
        break;
    }

    if (!reader.hasRoot)
        TS_RETURN(RC_BAD_FORMAT, wxS("No root in this file"));
    if (reader.rootName != wxS("GlypharaEffect"))
        TS_RETURN(RC_BAD_FORMAT, wxS("This is not a Glyphara effect"));
    if (!reader.hasFirstChild || !reader.hasEffectName)
        TS_RETURN(RC_BAD_FORMAT, wxS("No effects in this file"));

    filters = reader.filters;
    name = reader.effectName;
    TS_LOG(TS_VERBOSE, wxS("Effect successfully loaded"));
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::SaveEffectAs(const FontProperties& filters, wxString& name)
{
    TS_FUNCTION("CGlypharaCore::SaveEffectAs");
    CORE_REQUIRE_INITIALIZED();
    TS_LOG(TS_MESSAGE, wxS("Trying to save effect as: ") + name);

    if (!IsValidEffectName(name))
        TS_RETURN(RC_INVALID_ARGUMENT, wxS("Invalid effect name"));

    wxString folder;
    if (!m_userEffectDir.empty() && FolderExists(m_userEffectDir))
        folder = m_userEffectDir;
    else if (!m_systemEffectDir.empty() && FolderExists(m_systemEffectDir))
        folder = m_systemEffectDir;
    else
        TS_RETURN(RC_DIRECTORY_MISSING, wxS("Effect saving directory does not exist"));

    // The caller may hand in an entry of the library, which the rebuild below replaces.
    const FontProperties wanted = filters;

    // The counter always extends the wanted name, so Glow gives Glow(1), Glow(2)...
    const wxString stem = SafeFileStem(name);
    wxString chosen = name;
    wxString path = JoinPath(folder, stem + wxS(".xml"));
    for (int counter = 1; PathTaken(path) || m_effectFilters.count(chosen) != 0; ++counter)
    {
        const wxString suffix = wxString::Format(wxS("(%d)"), counter);
        chosen = name + suffix;
        path = JoinPath(folder, stem + suffix + wxS(".xml"));
    }

    // Written aside and renamed into place, so a failed save never leaves a torn file.
    wxMemoryOutputStream out;
    bool saved = BuildEffectFile(wanted, chosen, out);
    if (saved)
    {
        std::vector<char> bytes(out.GetLength());
        out.CopyTo(bytes.data(), bytes.size());
        saved = WriteBytesAtomically(path, bytes.data(), bytes.size());
    }
    if (!saved)
        TS_RETURN(RC_WRITE_FAILED, wxS("Error when saving XML to ") + path);

    BuildEffectList();
    name = chosen;
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::SaveUserDefinedEffectAs(wxString& name)
{
    TS_FUNCTION("CGlypharaCore::SaveUserDefinedEffectAs");
    CORE_REQUIRE_INITIALIZED();

    FontProperties userDefined;
    EffectFilterMap::const_iterator entry = m_effectFilters.find(wxString::FromAscii(kUserDefinedEffect));
    if (entry != m_effectFilters.end())
        userDefined = entry->second;

    const int result = SaveEffectAs(userDefined, name);
    if (result != RC_OK)
        TS_RETURN(result, wxEmptyString);
    SetSelectedEffect(name);
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::ImportEffect(const wxString& path, wxString& name)
{
    TS_FUNCTION("CGlypharaCore::ImportEffect");
    CORE_REQUIRE_INITIALIZED();
    TS_LOG(TS_MESSAGE, wxS("Trying to import effect from: ") + path);

    FontProperties filters;
    wxString effectName;
    if (LoadEffect(path, filters, effectName) != RC_OK)
        TS_RETURN(RC_LOAD_FAILED, wxEmptyString);
    if (SaveEffectAs(filters, effectName) != RC_OK)
        TS_RETURN(RC_WRITE_FAILED, wxEmptyString);

    BuildEffectList();
    CallUpdateControls();
    name = effectName;
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::ExportEffect(wxString& folder, const wxString& name, bool overwrite)
{
    TS_FUNCTION("CGlypharaCore::ExportEffect");
    CORE_REQUIRE_INITIALIZED();
    TS_LOG(TS_MESSAGE, wxString::Format(wxS("Trying to export effect: %s to: %s"), name, folder));

    const wxString effect = name.empty() ? m_selectedEffect : name;
    if (effect == wxString::FromAscii(kUserDefinedEffect))
        TS_RETURN(RC_USER_DEFINED_EFFECT, wxEmptyString);
    if (effect == wxString::FromAscii(kNoneEffect))
        TS_RETURN(RC_NONE_EFFECT, wxEmptyString);
    if (m_effectFilters.count(effect) == 0)
        TS_RETURN(RC_NOT_FOUND, wxEmptyString);

    // An empty folder would otherwise become "/", the root of the file system.
    if (folder.empty())
        TS_RETURN(RC_DIRECTORY_MISSING, wxEmptyString);
    folder = WithTrailingSeparator(folder);
    if (!FolderExists(folder))
        TS_RETURN(RC_DIRECTORY_MISSING, wxEmptyString);

    EffectFileMap::const_iterator file = m_effectFiles.find(effect);
    const wxString source = file == m_effectFiles.end() ? wxString() : file->second;
    const wxString target = folder + source.AfterLast('/');
    if (!overwrite && PathTaken(target))
        TS_RETURN(RC_FILE_EXISTS, wxEmptyString);

    // The file being replaced may be the user's only copy: it is swapped in whole or not at all.
    if (source.empty() || !CopyFileAtomically(source, target))
        TS_RETURN(RC_WRITE_FAILED, wxEmptyString);

    folder = target;
    TS_RETURN(RC_OK, wxEmptyString);
}
