// Project commands: new, open, save, save as, exit and closing the window.
#include "Interface/glypharamainframe.h"

#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

#include <wx/config.h>

void GlypharaMainFrame::OnMenuitemNew(wxCommandEvent&)
{
}

void GlypharaMainFrame::OpenProject(wxCommandEvent&)
{
}

void GlypharaMainFrame::OnMenuitemSave(wxCommandEvent&)
{
}

void GlypharaMainFrame::OnSaveToolClick(wxCommandEvent&)
{
}

void GlypharaMainFrame::OnMenuitemSaveAs(wxCommandEvent&)
{
}

void GlypharaMainFrame::OnMenuitemExit(wxCommandEvent&)
{
    TS_LOG_AS("GlypharaMainFrame::OnMenuitemExit", TS_MESSAGE, wxS("User requests to exit on Windows"));
    Close(false);
}

void GlypharaMainFrame::OnCloseWindow(wxCloseEvent& event)
{
    TS_LOG_AS("GlypharaMainFrame::OnCloseWindow", TS_MESSAGE, wxS("Main window is being closed"));
    StoreGeometry();
    wxConfigBase::Get()->Flush();
    event.Skip();
}
