// How the live preview shows a change without reloading its page: a script run in the
// shown preview page reads the rewritten page and style sheets from the local server and
// has the page's sIFR runtime draw the new tag in place. The runtime and the parsed font
// movie stay; a reload would build both anew for every change and leave the old ones to
// the web process's collector.
#ifndef GLYPHARA_INTERFACE_PREVIEWUPDATE_H
#define GLYPHARA_INTERFACE_PREVIEWUPDATE_H

#include <wx/string.h>

// Evaluates to true when the page has taken the update on (or queued it behind one in
// progress), false when it cannot update itself and needs a full reload. The page
// reloads itself when the tag's font movie changed or the update fails.
wxString PreviewUpdateScript();

#endif
