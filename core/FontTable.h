// The installed fonts as the scan finds them: foundry name -> font name -> full path of
// the font movie, both levels in UTF-16 code-unit order (the empty foundry first).
#ifndef GLYPHARA_CORE_FONTTABLE_H
#define GLYPHARA_CORE_FONTTABLE_H

#include "core/Utf16Less.h"

#include <wx/string.h>

#include <map>

typedef std::map<wxString, wxString, Utf16Less> FontsOfFoundry;
typedef std::map<wxString, FontsOfFoundry, Utf16Less> FontTable;

#endif
