#include "Interface/glypharasplash.h"

#include "Library/Accessibility/Accessibility.h"
#include "core/CoreNames.h"
#include "trace/TraceSystem.h"
#include "wxIncludes/wxIncludes.h"

#include <wx/dcbuffer.h>
#include <wx/font.h>
#include <wx/stattext.h>

namespace
{
// Where the version line goes on the picture.
constexpr int kVersionX = 187;
constexpr int kVersionY = 70;
// Where the picture shows the maker's name.
constexpr int kCompanyX = 184;
constexpr int kCompanyY = 246;

wxFont VersionFont()
{
    return wxFont(8, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, wxEmptyString);
}
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
    Accessibility::SetName(this, _("About Glyphara"));
    if (GetBitmapBundleFromZip(wxS("GlypharaSplash.png"), wxS(GLYPHARA_RESOURCE_ARCHIVE), false, m_pictures) < 0)
    {
        TS_LOG_AS("CGlypharaSplash::CreateControls", TS_ERROR,
                  wxS("Unable to load splash screen bitmap (GlypharaSplash.png)"));
        return;
    }
    m_background = m_pictures.GetBitmap(m_pictures.GetDefaultSize());
    SetSize(m_background.GetSize());

    // The version is written on the picture as text a screen reader reads too; the
    // maker's name, part of the picture, gets a text of its own with see-through ink.
    wxStaticText* version = new wxStaticText(this, wxID_ANY, VersionLine(), wxPoint(kVersionX, kVersionY));
    version->SetFont(VersionFont());
    version->SetForegroundColour(*wxBLACK);
    version->SetSize(version->GetBestSize());
    wxStaticText* company = new wxStaticText(this, wxID_ANY, wxS("Tallowby Software"), wxPoint(kCompanyX, kCompanyY));
    company->SetFont(wxFont(9, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD));
    company->SetForegroundColour(wxColour(0, 0, 0, wxALPHA_TRANSPARENT));
    company->SetSize(company->GetBestSize());
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
    dc.DrawBitmap(m_pictures.GetBitmapFor(this), 0, 0, true);
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
