#include "core/ProjectPaths.h"

#include "core/TextUtil.h"

#include <wx/filename.h>
#include <wx/utils.h>

#include <cstdlib>
#include <string>

namespace
{
// The canonical form of an existing path, or empty.
wxString RealPath(const wxString& path)
{
    char* resolved = realpath(path.fn_str(), nullptr);
    if (!resolved)
        return wxString();
    const wxString result(resolved, wxConvFile);
    free(resolved);
    return result;
}

bool HasControlCharacter(const wxString& text)
{
    for (wxString::const_iterator i = text.begin(); i != text.end(); ++i)
        if ((*i).GetValue() < 0x20)
            return true;
    return false;
}
}

namespace ProjectPaths
{
wxString FontFileName(const wxString& foundry, const wxString& font)
{
    return FontFileName(foundry, font, wxS(".swf"));
}

wxString FontFileName(const wxString& foundry, const wxString& font, const wxString& extension)
{
    wxString name = foundry + wxS("___") + font + extension;
    name.Replace(wxS(" "), wxS("_"));
    return name;
}

wxString FolderOfPath(const wxString& path)
{
    if (path.Find('/', true) == wxNOT_FOUND)
        return wxS(".");
    const wxString folder = path.BeforeLast('/');
    return folder.empty() ? wxString(wxS("/")) : folder;
}

wxString CollapseSlashes(const wxString& path)
{
    wxString result = path;
    while (result.Replace(wxS("//"), wxS("/")) > 0)
    {
    }
    return result;
}

bool ResolveProjectFile(const wxString& folder, const wxString& dir, const wxString& fileName, wxString& fullPath)
{
    fullPath.clear();
    if (fileName.empty() || fileName == wxS(".") || fileName == wxS("..") || fileName.Contains(wxS("/")) ||
        fileName.Contains(wxS("\\")) || HasControlCharacter(fileName))
        return false;
    if (dir.StartsWith(wxS("/")) || dir.Contains(wxS("\\")) || HasControlCharacter(dir))
        return false;
    const wxArrayString segments = wxSplit(dir, '/', '\0');
    for (const wxString& segment : segments)
        if (segment == wxS(".."))
            return false;

    fullPath = CollapseSlashes(folder + wxS("/") + dir + wxS("/") + fileName);
    if (!wxFileName::Exists(fullPath))
        return true;
    // A symbolic link inside the folder may still lead out of it.
    const wxString canonicalFolder = RealPath(folder);
    const wxString canonicalFile = RealPath(fullPath);
    if (canonicalFolder.empty() || canonicalFile.empty())
        return false;
    const wxString prefix = WithTrailingSeparator(canonicalFolder);
    if (!canonicalFile.StartsWith(prefix))
    {
        fullPath.clear();
        return false;
    }
    return true;
}

bool IsSafeFontKey(const wxString& name)
{
    return !name.Contains(wxS("/")) && !name.Contains(wxS("\\")) && !HasControlCharacter(name);
}

wxString TemporaryFolder()
{
    wxString folder;
    for (const char* variable : {"TMPDIR", "TMP", "TEMP"})
    {
        if (wxGetEnv(wxString::FromAscii(variable), &folder) && !folder.empty())
            break;
        folder.clear();
    }
    if (folder.empty())
        folder = wxFileName::GetTempDir();
    if (folder.empty())
        folder = wxS(".");
    return StripTrailingSeparators(folder);
}

wxString EncodeUrlPath(const wxString& text)
{
    static const char* const hex = "0123456789ABCDEF";
    const std::string utf8 = Utf8Of(text);
    std::wstring encoded;
    encoded.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i)
    {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~')
            encoded += static_cast<wchar_t>(c);
        else
        {
            encoded += L'%';
            encoded += static_cast<wchar_t>(hex[c >> 4]);
            encoded += static_cast<wchar_t>(hex[c & 15]);
        }
    }
    return wxString(encoded);
}
}
