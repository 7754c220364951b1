// Texts and paths that the main window's effect, font and help commands build from what
// the user chose: pure helpers, so names and paths of any kind are shown as they stand.
#ifndef GLYPHARA_INTERFACE_COMMANDTEXTS_H
#define GLYPHARA_INTERFACE_COMMANDTEXTS_H

#include <wx/arrstr.h>
#include <wx/string.h>

// "2 effects have been imported:" with one line per name the effects got, then, when
// some files failed, an empty line and one line per file that could not be imported.
wxString EffectImportReport(const wxArrayString& importedNames, const wxArrayString& failedPaths);

// "These files could not be imported:" with one line per file.
wxString FontImportFailures(const wxArrayString& failedPaths);

// The help manual below folder (the working directory at the time of asking).
wxString HelpManualPath(const wxString& folder);
// The manual's copy for web browsers, beside it.
wxString HelpManualHtmlPath(const wxString& manualPath);
// The folder shown when nothing opens the manual: the part before the last "/", with
// doubled separators made single.
wxString HelpManualFolder(const wxString& manualPath);

// What the user is told when a preview in the web browser fails with the core's result:
// the page asked for (empty: the open project) and why it cannot be shown.
wxString PreviewFailure(int result, const wxString& page);

#endif
