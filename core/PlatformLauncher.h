// The one seam through which the core reaches outside the program: the default web
// browser and the start of another program. Tests replace it with a recorder.
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
};

#endif
