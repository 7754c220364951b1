// The one seam through which the program reaches outside itself: the default web
// browser, the programs that the desktop registers for kinds of files, and the start of
// another program. Tests replace it with a recorder.
#ifndef GLYPHARA_CORE_PLATFORMLAUNCHER_H
#define GLYPHARA_CORE_PLATFORMLAUNCHER_H

#include <wx/string.h>

class CPlatformLauncher
{
public:
    virtual ~CPlatformLauncher() = default;
    // Opens an address (web page or local file) in the user's default browser.
    virtual bool OpenUrl(const wxString& url);
    // Starts a program without waiting for it.
    virtual bool StartProcess(const wxString& executable);
    // The command line that opens path with the program registered for files with this
    // extension ("pdf"); empty when none is registered.
    virtual wxString GetOpenCommand(const wxString& extension, const wxString& path);
    // Runs a command line (as GetOpenCommand gives it) without waiting for it.
    virtual bool RunCommand(const wxString& command);
};

#endif
