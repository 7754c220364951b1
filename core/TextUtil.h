// Small pure helpers shared by the core: ordering, number and colour text forms that do
// not depend on the user's locale, and file helpers that never leave a torn file.
#ifndef GLYPHARA_CORE_TEXTUTIL_H
#define GLYPHARA_CORE_TEXTUTIL_H

#include "core/RgbColour.h"
#include "core/Utf16Less.h"

#include <wx/string.h>

#include <string>

// A tag name as lists and step names show it: "<h1>".
inline wxString ShownTag(const wxString& name)
{
    return wxS("<") + name + wxS(">");
}

// printf "%f": six decimals, always a point.
wxString FormatFloat(double value);
// "#RRGGBB" with upper-case hexadecimal digits.
wxString FormatColour(const RgbColour& colour);
// strtol with base 10: leading whitespace, a sign and digits; 0 when there are none.
// Values beyond the int range are clamped.
int ParseInt(const wxString& text);
// strtod in the C locale: the longest leading number; 0 when there is none.
double ParseDouble(const wxString& text);
// The toolkit's colour-from-string rules ("#RRGGBB", "RGB(r, g, b)", a name of its colour
// database, in any case, "GRAY" for "GREY"); false and colour unchanged when the text
// does not convert.
bool ParseColour(const wxString& text, RgbColour& colour);

// Writes text as UTF-8 (no byte-order mark) to a temporary file in the target's folder
// and renames it into place, so a reader sees the old file or the new one, never a
// half-written one. Existing files are replaced.
bool WriteFileAtomically(const wxString& path, const wxString& text);
// Writes a file of our own under a name no reader uses, replacing one left there; a
// failed write removes it.
bool WriteFreshFile(const wxString& path, const void* data, size_t size);
// The text as UTF-8, in one pass.
std::string Utf8Of(const wxString& text);
bool WriteBytesAtomically(const wxString& path, const void* data, size_t size);
// Copies source to target through a temporary file in the target's folder.
bool CopyFileAtomically(const wxString& source, const wxString& target);

// Whether the bytes, or the file's first bytes, are the PNG file signature.
bool HasPngSignature(const void* data, size_t size);
bool IsPngFile(const wxString& path);

// Whether a folder exists; trailing separators are ignored, an empty path never exists.
bool FolderExists(const wxString& path);

// path without the "/" at its end ("/" itself stays); folders are kept in both forms.
wxString StripTrailingSeparators(const wxString& path);
// folder ending in one "/" more unless it already ends in one ("" gives "/").
wxString WithTrailingSeparator(const wxString& folder);
// folder + "/" + name, without doubling a "/" that folder already ends with.
wxString JoinPath(const wxString& folder, const wxString& name);

// The folder of the running program (the executable's folder), without trailing "/".
wxString ProgramFolder();

#endif
