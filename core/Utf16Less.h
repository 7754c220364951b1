// The order of tag, effect, foundry and font names: by UTF-16 code units, ordinal and
// case-sensitive, a prefix before any longer string ("h1" < "h10" < "h2").
#ifndef GLYPHARA_CORE_UTF16LESS_H
#define GLYPHARA_CORE_UTF16LESS_H

#include <wx/string.h>

struct Utf16Less
{
    bool operator()(const wxString& a, const wxString& b) const;
};

#endif
