#include "Library/CustomControls/TextSlider.h"

#include "Library/Accessibility/Accessibility.h"
#include "Library/Accessibility/Contrast.h"
#include "Library/CustomControls/CompactEntry.h"
#include "trace/ResultCodes.h"
#include "trace/TraceSystem.h"

#include <wx/font.h>
#include <wx/slider.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace
{
const wxSize kTextSize(30, 18);
const int kTextMaxLength = 3;

const int kMinimumWidth = 60;

const wxColour kNormalText(2, 2, 2);
const wxColour kInvalidText(255, 0, 0);
// Red marks wrong input beside the text's own colour, so it needs less contrast.
const double kInvalidContrast = 3.0;

wxColour NormalText()
{
    return EntryNormalTextColour(kNormalText);
}

wxColour InvalidText()
{
    return EntryTextColour(kInvalidText, kInvalidContrast);
}
}

wxIMPLEMENT_DYNAMIC_CLASS(CTextSlider, wxControl);

wxBEGIN_EVENT_TABLE(CTextSlider, wxControl)
    EVT_SIZE(CTextSlider::OnSize)
wxEND_EVENT_TABLE()

CTextSlider::CTextSlider() = default;

CTextSlider::CTextSlider(wxWindow* parent, wxWindowID id, const wxSize& size, const wxString& name)
{
    Create(parent, id, size, name);
}

bool CTextSlider::Create(wxWindow* parent, wxWindowID id, const wxSize& size, const wxString& name)
{
    if (!wxControl::Create(parent, id, wxDefaultPosition, size, wxBORDER_NONE | wxTAB_TRAVERSAL,
                           wxDefaultValidator, name))
        return false;

    // The inner windows take ids of the toolkit's own range, which no fixed id of a window
    // around can equal. Created before the text box, so Tab reaches the slider first, as
    // the eye reads them.
    m_slider = new wxSlider(this, wxID_ANY, 50, 0, 100, wxDefaultPosition, wxDefaultSize, wxSL_HORIZONTAL,
                            wxDefaultValidator, wxS("slider"));
    m_text = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, kTextSize, wxTE_CENTRE,
                            wxDefaultValidator, wxS("text"));
    m_text->SetMaxLength(kTextMaxLength);
    m_text->SetFont(wxFont(8, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
    MakeEntryCompact(m_text);
    // Three digits fit, whatever the size of the user's text.
    m_text->SetSize(EntrySizeFor(m_text, wxEmptyString, wxS("0123456789"), kTextMaxLength, kTextSize));

    // The inner windows' own events end here: the window around hears this control only.
    m_slider->Bind(wxEVT_SLIDER, &CTextSlider::OnSliderUpdated, this);
    m_text->Bind(wxEVT_TEXT, &CTextSlider::OnTextChanged, this);
    m_text->Bind(wxEVT_KILL_FOCUS, &CTextSlider::OnTextKillFocus, this);
    m_text->Bind(wxEVT_CHAR, &CTextSlider::OnTextChar, this);

    const int height = std::max(m_slider->GetSize().y, m_text->GetSize().y);
    // A width asked for at creation is kept as the minimum too: a sizer lays a window
    // out at its minimum, and at 60 pixels the text box would hide part of its text.
    SetMinSize(wxSize(std::max(kMinimumWidth, size.x), height));
    SetSize(wxSize(GetSize().x, height));

    SetCanFocus(false);
    m_initialised = true;
    SetValue(50, false);
    UpdateUI();
    return true;
}

void CTextSlider::SetValue(int value, bool notify)
{
    if (!m_initialised)
        return;
    m_slider->SetValue(value);
    const long caret = m_text->GetInsertionPoint();
    m_text->SetForegroundColour(NormalText());
    m_text->ChangeValue(wxString::Format(wxS("%d"), m_slider->GetValue()));
    m_text->SetInsertionPoint(std::min(caret, m_text->GetLastPosition()));
    if (notify)
        Notify();
}

int CTextSlider::GetValue() const
{
    if (!m_initialised)
        return -1;
    return m_slider->GetValue();
}

void CTextSlider::SetRange(int maximum)
{
    if (!m_initialised || !m_slider)
        return;
    m_slider->SetRange(0, maximum);
    m_text->SetMaxLength(kTextMaxLength);
    Refresh(true);
}

int CTextSlider::UpdateUI()
{
    TS_FUNCTION("CTextSlider::UpdateUI");
    if (!m_initialised)
        TS_RETURN(RC_NOT_INITIALIZED, wxS("Object is not initialized"));

    const int height = GetSize().y;
    const int width = GetClientSize().x;
    const wxSize sliderSize = m_slider->GetSize();
    const wxSize textSize = m_text->GetSize();

    // The slider's left margin is hidden beyond the edge so its track lines up with the
    // labels beside the control.
    m_slider->Move(-6, (height - sliderSize.y) / 2 + 1);
    m_slider->SetSize(wxSize(width - textSize.x + 3, sliderSize.y));
    m_text->Move(m_slider->GetSize().x - 6, (height - textSize.y) / 2);
    TS_RETURN(RC_OK, wxEmptyString);
}

void CTextSlider::SetAccessibleName(const wxString& name)
{
    Accessibility::SetName(this, name);
    Accessibility::SetName(m_slider, name);
    Accessibility::SetName(m_text, name);
}

bool CTextSlider::AcceptsFocusRecursively() const
{
    return m_initialised && (m_slider->AcceptsFocus() || m_text->AcceptsFocus());
}

void CTextSlider::SetFocus()
{
    if (m_initialised)
        m_slider->SetFocus();
    else
        wxControl::SetFocus();
}

void CTextSlider::OnSize(wxSizeEvent& event)
{
    if (m_initialised)
        UpdateUI();
    event.Skip();
}

void CTextSlider::OnSliderUpdated(wxCommandEvent&)
{
    if (m_initialised)
        SetValue(m_slider->GetValue(), true);
}

void CTextSlider::OnTextChanged(wxCommandEvent&)
{
    if (!m_initialised)
        return;
    long number = 0;
    if (m_text->GetValue().ToLong(&number, 10) && number >= m_slider->GetMin() && number <= m_slider->GetMax())
    {
        m_text->SetForegroundColour(NormalText());
        m_text->Refresh();
        SetValue(static_cast<int>(number), true);
    }
    else
    {
        m_text->SetForegroundColour(InvalidText());
        m_text->Refresh();
    }
}

void CTextSlider::OnTextKillFocus(wxFocusEvent& event)
{
    if (m_initialised)
        SetValue(m_slider->GetValue(), false);
    event.Skip();
}

void CTextSlider::OnTextChar(wxKeyEvent& event)
{
    if (!m_initialised)
    {
        event.Skip();
        return;
    }
    const int key = event.GetKeyCode();
    // Tab passes too, or the keyboard could never leave the box.
    if ((key >= '0' && key <= '9') || (key >= WXK_NUMPAD0 && key <= WXK_NUMPAD9) || key == WXK_BACK ||
        key == WXK_DELETE || key == WXK_LEFT || key == WXK_RIGHT || key == WXK_TAB)
    {
        event.Skip();
        return;
    }
    if (key == WXK_UP || key == WXK_DOWN)
    {
        m_slider->SetValue(m_slider->GetValue() + (key == WXK_UP ? 1 : -1));
        // A real text event, so the typed-number path validates and notifies.
        m_text->SetValue(wxString::Format(wxS("%d"), m_slider->GetValue()));
    }
}

void CTextSlider::Notify()
{
    wxCommandEvent event(wxEVT_SLIDER, GetId());
    event.SetEventObject(this);
    GetEventHandler()->ProcessEvent(event);
}
