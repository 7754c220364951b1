// Previews through a local web server: the embedded preview page, the current project in
// the default browser, or an existing page of the user's.
#include "core/GlypharaCore.h"

#include "Library/BasicWebServer/BasicWebServer.h"
#include "core/PlatformLauncher.h"
#include "core/ProjectPaths.h"
#include "trace/TraceSystem.h"

int CGlypharaCore::WebBrowserPreview(const wxString& path, bool embedded)
{
    TS_FUNCTION("CGlypharaCore::WebBrowserPreview");
    CORE_REQUIRE_INITIALIZED();

    TS_LOG(TS_MESSAGE, wxS("Launching web server..."));
    CBasicWebServer* server = new CBasicWebServer();
    m_webServers.push_back(server);
    // A server that found no free port is as useless as one whose thread did not start.
    if (!server->IsListening() || server->Run() != wxTHREAD_NO_ERROR)
        TS_RETURN(RC_FAILED, wxS("Unable to create web server thread"));
    TS_LOG(TS_MESSAGE, wxS("...web server launched!"));
    int port = 0;
    server->GetPort(port);

    wxString page = path;
    if (page.empty())
    {
        if (SaveProject(wxEmptyString, true, embedded) < 0)
            TS_RETURN(RC_WRITE_FAILED, wxS("Unable to save HTML preview"));
        page = embedded ? m_embeddedPreviewPath : m_browserPreviewPath;
        if (page.empty())
            TS_RETURN(RC_FAILED, embedded ? wxS("Invalid for embedding saved HTML path")
                                          : wxS("Invalid for browser saved HTML path"));
    }
    server->SetRoot(ProjectPaths::FolderOfPath(page));
    const wxString address = wxS("http://") + wxString::FromAscii(kLoopbackHost) + wxString::Format(wxS(":%d/"), port) +
                             ProjectPaths::EncodeUrlPath(page.AfterLast('/'));

    if (embedded)
        m_embeddedPreviewUrl = address;
    else
    {
        TS_LOG(TS_MESSAGE, wxS("Previewing with default browser at: ") + address);
        Launcher().OpenUrl(address);
    }
    TS_RETURN(RC_OK, wxS("Default browser has been successfully launched for preview"));
}
