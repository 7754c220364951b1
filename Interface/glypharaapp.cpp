#include "Interface/glypharaapp.h"

#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

#include "Interface/glypharamainframe.h"
#include <wx/image.h>

wxIMPLEMENT_APP(GlypharaApp);

bool GlypharaApp::OnInit()
{
    TraceSystem::GetInstance()->Init(wxS("Glyphara"), wxEmptyString);
    SetAppName(wxS("Glyphara"));
    SetVendorName(wxS("Tallowby Software"));
    wxInitAllImageHandlers();
    CGlypharaCore::GetInstance()->Init();
    mainFrame = new GlypharaMainFrame(nullptr, _("Glyphara"), wxSize(1024, 768));
    mainFrame->Show();
    SetTopWindow(mainFrame);
    return true;
}

int GlypharaApp::OnExit()
{
    CGlypharaCore::GetInstance()->Release();
    CGlypharaCore::DestroyInstance();
    TraceSystem::GetInstance()->Shutdown();
    TraceSystem::DestroyInstance();
    return wxApp::OnExit();
}
