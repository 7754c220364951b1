// The project's style records by tag name and the effect library's filter sets and files
// by effect name.
#ifndef GLYPHARA_CORE_RECORDMAPS_H
#define GLYPHARA_CORE_RECORDMAPS_H

#include "core/FontProperties.h"
#include "core/Utf16Less.h"

#include <wx/string.h>

#include <map>

typedef std::map<wxString, FontProperties, Utf16Less> TagMap;
typedef std::map<wxString, FontProperties, Utf16Less> EffectFilterMap;
typedef std::map<wxString, wxString, Utf16Less> EffectFileMap;

#endif
