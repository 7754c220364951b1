#include "Interface/glypharamainframe.h"

#include "Interface/WindowGeometry.h"
#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

#include <wx/config.h>
#include <wx/gdicmn.h>

wxBEGIN_EVENT_TABLE(GlypharaMainFrame, wxFrame)
    EVT_SIZE(GlypharaMainFrame::OnSize)
    EVT_MOVE(GlypharaMainFrame::OnMove)
    EVT_CLOSE(GlypharaMainFrame::OnCloseWindow)
wxEND_EVENT_TABLE()

GlypharaMainFrame::GlypharaMainFrame(wxWindow* parent, const wxString& title, const wxSize& size)
    : wxFrame(parent, wxID_ANY, title, wxDefaultPosition, size)
{
    CGlypharaCore::GetInstance()->SetInterfaceCallbacks(this, &GlypharaMainFrame::UpdateControlsCB,
                                                        &GlypharaMainFrame::UpdateFlashCB);
}

int GlypharaMainFrame::UpdateControlsCB(void*)
{
    TS_LOG_AS("GlypharaMainFrame::UpdateControlsCB", TS_VERBOSE, wxS("Control updating callback"));
    return 0;
}

int GlypharaMainFrame::UpdateFlashCB(void*, int)
{
    return 0;
}

void GlypharaMainFrame::StoreGeometry()
{
    // An iconised window reports no useful place; the last real geometry stays stored.
    if (IsIconized())
        return;
    const wxSize display = wxGetDisplaySize();
    const wxPoint position = GetPosition();
    const wxSize size = GetSize();
    WindowGeometry::Write(*wxConfigBase::Get(),
                          WindowGeometry::StoredFor(position.x, position.y, size.x, size.y, display.x,
                                                    display.y));
}

void GlypharaMainFrame::OnSize(wxSizeEvent& event)
{
    StoreGeometry();
    event.Skip();
}

void GlypharaMainFrame::OnMove(wxMoveEvent& event)
{
    StoreGeometry();
    event.Skip();
}

void GlypharaMainFrame::OnCloseWindow(wxCloseEvent& event)
{
    TS_LOG_AS("GlypharaMainFrame::OnCloseWindow", TS_MESSAGE, wxS("Main window is being closed"));
    StoreGeometry();
    wxConfigBase::Get()->Flush();
    event.Skip();
}
