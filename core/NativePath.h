// The bytes the file system is given for a path.
#ifndef GLYPHARA_CORE_NATIVEPATH_H
#define GLYPHARA_CORE_NATIVEPATH_H

#include <wx/string.h>

#include <string>

// A path of ASCII characters is the same in every encoding, and the toolkit's locale
// conversion costs more than the system call it is made for: every edit stats and
// writes a few dozen preview files.
inline std::string NativePath(const wxString& path)
{
    const wxStringCharType* const text = path.wx_str();
    const size_t length = path.length();
    std::string native(length, '\0');
    for (size_t i = 0; i < length; ++i)
    {
        if (text[i] == 0 || static_cast<wxUint32>(text[i]) >= 0x80)
            return std::string(path.fn_str());
        native[i] = static_cast<char>(text[i]);
    }
    return native;
}

#endif
