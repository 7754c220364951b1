// Path rules of the project file and the project folder: font file names, the folders
// that a project file may refer to, the temporary folder and page addresses.
#ifndef GLYPHARA_CORE_PROJECTPATHS_H
#define GLYPHARA_CORE_PROJECTPATHS_H

#include <wx/string.h>

namespace ProjectPaths
{
// foundry + "___" + font + ".swf", every space made an underscore.
wxString FontFileName(const wxString& foundry, const wxString& font);
// Same name with another extension (".png").
wxString FontFileName(const wxString& foundry, const wxString& font, const wxString& extension);

// The part of path before its last "/"; "." when there is none, "/" for a file at the top.
wxString FolderOfPath(const wxString& path);

// Every run of "/" made one.
wxString CollapseSlashes(const wxString& path);

// folder + "/" + dir + filename, when dir is a relative folder that does not climb out
// and filename a plain file name, and the file (if it exists) really lies below folder
// (symbolic links included). False otherwise.
bool ResolveProjectFile(const wxString& folder, const wxString& dir, const wxString& fileName, wxString& fullPath);

// A foundry or font name that can be part of a file name: no separator, no control
// character.
bool IsSafeFontKey(const wxString& name);

// TMPDIR, TMP, TEMP, else the system's temporary folder, else "."; no trailing "/".
wxString TemporaryFolder();

// Percent-encodes what may not stand in an address path (UTF-8 bytes).
wxString EncodeUrlPath(const wxString& text);
}

#endif
