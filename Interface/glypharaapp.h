// The application object: brings the program up in a fixed order and tears it down.
#ifndef GLYPHARA_INTERFACE_GLYPHARAAPP_H
#define GLYPHARA_INTERFACE_GLYPHARAAPP_H

#include <wx/app.h>
#include <wx/event.h>
#include <wx/gdicmn.h>
#include <wx/longlong.h>
#include <wx/splash.h>
#include <wx/string.h>
#include <wx/weakref.h>

class GlypharaMainFrame;

class GlypharaApp : public wxApp
{
public:
    // The project named on the command line, as an absolute path; empty when none was.
    // Set by the process entry before the toolkit starts (and creates this object).
    static void SetStartupProject(const wxString& path) { StartupProject() = path; }
    const wxString& GetStartupProject() const { return StartupProject(); }

    bool OnInit() override;
    int OnExit() override;
    void OnAssertFailure(const wxChar* file, int line, const wxChar* func, const wxChar* cond,
                         const wxChar* msg) override;

private:
    static wxString& StartupProject()
    {
        static wxString path;
        return path;
    }
    void OnFirstMainFrameMove(wxMoveEvent& event);

    // Owned by the toolkit's window system.
    GlypharaMainFrame* mainFrame = nullptr;
    // The start-up splash closes itself after its timeout; the weak reference notices.
    wxWeakRef<wxSplashScreen> m_splash;
    // Where the saved geometry (or centring) put the main window, and when it was shown.
    wxRect m_placed;
    wxLongLong m_shownAt;
};

#endif
