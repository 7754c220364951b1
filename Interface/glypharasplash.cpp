#include "Interface/glypharasplash.h"

#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"
#include "wxIncludes/wxIncludes.h"

#include <wx/dcbuffer.h>
#include <wx/font.h>

namespace
{
// Where the version line goes on the picture.
constexpr int kVersionX = 187;
constexpr int kVersionY = 70;
}

wxBEGIN_EVENT_TABLE(CGlypharaSplash, wxFrame)
    EVT_PAINT(CGlypharaSplash::OnPaint)
    EVT_MOUSE_EVENTS(CGlypharaSplash::OnMouse)
    EVT_CHAR_HOOK(CGlypharaSplash::OnCharHook)
wxEND_EVENT_TABLE()

CGlypharaSplash::CGlypharaSplash(wxWindow* parent, const wxString& title, const wxSize& size)
    : wxFrame(parent, ID_FRAME, title, wxDefaultPosition, size, wxBORDER_NONE | wxSTAY_ON_TOP, wxS("frame"))
{
    // The picture covers the whole window.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    // Without a control inside, the window itself must take the keyboard for Escape to reach it.
    SetCanFocus(true);
    CreateControls();
    CentreOnParent();
}

void CGlypharaSplash::CreateControls()
{
    if (GetBitmapFromZip(wxS("GlypharaSplash.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), m_background) < 0)
    {
        TS_LOG_AS("CGlypharaSplash::CreateControls", TS_ERROR,
                  wxS("Unable to load splash screen bitmap (GlypharaSplash.png)"));
        return;
    }
    SetSize(m_background.GetSize());
}

wxString CGlypharaSplash::VersionLine()
{
    return wxString(wxS("version ")) + kAppVersion + wxS(" ") + wxS("build ") +
           wxString::Format(wxS("%ld"), TraceSystem::GetInstance()->GetBuildNumber());
}

void CGlypharaSplash::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    if (!m_background.IsOk())
    {
        TS_LOG_AS("CGlypharaSplash::OnPaint", TS_ERROR, wxS("Background image is not initialized"));
        return;
    }
    dc.DrawBitmap(m_background, 0, 0, true);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetFont(wxFont(8, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, wxEmptyString));
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(*wxBLACK);
    dc.DrawText(VersionLine(), kVersionX, kVersionY);
}

void CGlypharaSplash::OnMouse(wxMouseEvent& event)
{
    // Pointer moves, the wheel and entering or leaving leave the window up.
    if (!event.ButtonDown() && !event.ButtonUp() && !event.ButtonDClick())
        return;
    Dismiss();
}

void CGlypharaSplash::OnCharHook(wxKeyEvent& event)
{
    if (event.GetKeyCode() != WXK_ESCAPE || event.HasAnyModifiers())
    {
        event.Skip();
        return;
    }
    Dismiss();
}

void CGlypharaSplash::Dismiss()
{
    if (GetParent())
        Close(true);
    else
        Destroy();
}
