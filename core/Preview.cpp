// Previews through a local web server: the embedded preview page, the current project in
// the default browser, or an existing page of the user's.
#include "core/GlypharaCore.h"

#include "Library/BasicWebServer/BasicWebServer.h"
#include "core/CoreNames.h"
#include "core/PlatformLauncher.h"
#include "core/ProjectPaths.h"
#include "trace/TraceSystem.h"

CBasicWebServer* CGlypharaCore::ServerFor(const wxString& root)
{
    // Every server answers with the same rules; one already serving the folder serves
    // the next preview of it as well, so previewing again starts no further server.
    for (CBasicWebServer* server : m_webServers)
    {
        if (server && server->IsListening() && server->IsAlive() && server->GetRoot() == root)
        {
            TS_LOG_AS("CGlypharaCore::WebBrowserPreview", TS_MESSAGE, wxS("Web server already serving ") + root);
            return server;
        }
    }
    TS_LOG_AS("CGlypharaCore::WebBrowserPreview", TS_MESSAGE, wxS("Launching web server..."));
    CBasicWebServer* server = new CBasicWebServer();
    m_webServers.push_back(server);
    // A server that found no free port is as useless as one whose thread did not start.
    if (!server->IsListening() || server->Run() != wxTHREAD_NO_ERROR)
        return nullptr;
    TS_LOG_AS("CGlypharaCore::WebBrowserPreview", TS_MESSAGE, wxS("...web server launched!"));
    server->SetRoot(root);
    return server;
}

int CGlypharaCore::WebBrowserPreview(const wxString& path, bool embedded)
{
    TS_FUNCTION("CGlypharaCore::WebBrowserPreview");
    CORE_REQUIRE_INITIALIZED();

    // The page first: the folder it lies in tells which server can show it.
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
    CBasicWebServer* server = ServerFor(ProjectPaths::FolderOfPath(page));
    if (!server)
        TS_RETURN(RC_FAILED, wxS("Unable to create web server thread"));
    int port = 0;
    server->GetPort(port);
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
