#include "Library/CustomControls/TextColorPickerCtrl.h"

#include "Library/Accessibility/Accessibility.h"
#include "Library/Accessibility/Contrast.h"
#include "Library/CustomControls/CompactEntry.h"
#include "trace/ResultCodes.h"
#include "trace/TraceSystem.h"

#include <wx/bitmap.h>
#include <wx/clrpicker.h>
#include <wx/colordlg.h>
#include <wx/cursor.h>
#include <wx/dcclient.h>
#include <wx/font.h>
#include <wx/settings.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace
{
const int kSwatchSide = 20;
const int kTextHeight = 20;
const int kTextMaxLength = 15;
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

// "#" and six upper-case hexadecimal digits; the toolkit's own form would add the alpha
// of a translucent colour.
wxString HtmlForm(const wxColour& colour)
{
    return wxString::Format(wxS("#%02X%02X%02X"), colour.Red(), colour.Green(), colour.Blue());
}

// Colour names, rgb() forms and "#" with six hexadecimal digits. The toolkit also takes
// the CSS short forms "#RGB" and "#RGBA", which here are only unfinished input.
bool ParseColour(const wxString& text, wxColour& colour)
{
    if (text.StartsWith(wxS("#")) && text.length() != 7)
        return false;
    return colour.Set(text);
}
}

wxBEGIN_EVENT_TABLE(CColourSwatch, wxGenericStaticBitmap)
    EVT_PAINT(CColourSwatch::OnPaint)
    EVT_SET_FOCUS(CColourSwatch::OnFocusChange)
    EVT_KILL_FOCUS(CColourSwatch::OnFocusChange)
wxEND_EVENT_TABLE()

CColourSwatch::CColourSwatch(wxWindow* parent, wxWindowID id, const wxBitmap& bitmap, const wxString& name)
    : wxGenericStaticBitmap(parent, id, bitmap, wxDefaultPosition, wxDefaultSize, 0, name)
{
    Accessibility::MakeFocusable(this);
    Accessibility::SetRole(this, Accessibility::Role::PushButton);
    Accessibility::SetName(this, _("Choose a color"));
}

void CColourSwatch::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    const wxBitmap bitmap = GetBitmap();
    if (bitmap.IsOk())
        dc.DrawBitmap(bitmap, 0, 0, true);
    if (HasFocus())
    {
        // Over the swatch's outer two pixels: the frame and the colour stay readable.
        dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT), 2));
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        const wxSize size = GetClientSize();
        dc.DrawRectangle(1, 1, size.x - 1, size.y - 1);
    }
}

void CColourSwatch::OnFocusChange(wxFocusEvent& event)
{
    Refresh();
    event.Skip();
}

wxIMPLEMENT_DYNAMIC_CLASS(CTextColorPickerCtrl, wxControl);

wxBEGIN_EVENT_TABLE(CTextColorPickerCtrl, wxControl)
    EVT_SIZE(CTextColorPickerCtrl::OnSize)
wxEND_EVENT_TABLE()

CTextColorPickerCtrl::CTextColorPickerCtrl() = default;

CTextColorPickerCtrl::CTextColorPickerCtrl(wxWindow* parent, wxWindowID id, const wxSize& size,
                                           const wxString& name)
{
    Create(parent, id, *wxBLACK, size, name);
}

bool CTextColorPickerCtrl::Create(wxWindow* parent, wxWindowID id, const wxColour& colour, const wxSize& size,
                                  const wxString& name)
{
    if (!wxControl::Create(parent, id, wxDefaultPosition, size, wxBORDER_NONE | wxTAB_TRAVERSAL,
                           wxDefaultValidator, name))
        return false;

    // The inner windows take ids of the toolkit's own range, which no fixed id of a window
    // around can equal.
    m_text = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(-1, kTextHeight),
                            wxTE_CENTRE, wxDefaultValidator, wxS("text"));
    m_text->SetMaxLength(kTextMaxLength);
    m_text->SetFont(wxFont(9, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
    MakeEntryCompact(m_text);
    // Every colour in its HTML form fits, whatever the size of the user's text.
    const wxSize textSize = EntrySizeFor(m_text, wxS("#"), wxS("0123456789ABCDEF"), 6, wxSize(0, kTextHeight));
    m_text->SetSize(wxSize(m_text->GetSize().x, textSize.y));

    m_swatchImage.Create(kSwatchSide, kSwatchSide);
    m_swatch = new CColourSwatch(this, wxID_ANY, wxBitmap(m_swatchImage), wxS("staticBitmap"));
    m_swatch->SetCursor(wxCursor(wxCURSOR_HAND));

    // The text box's own events end here: the window around hears this control only.
    m_text->Bind(wxEVT_TEXT, &CTextColorPickerCtrl::OnTextChanged, this);
    m_swatch->Bind(wxEVT_LEFT_UP, &CTextColorPickerCtrl::OnSwatchLeftUp, this);
    m_swatch->Bind(wxEVT_KEY_DOWN, &CTextColorPickerCtrl::OnSwatchKey, this);
    m_text->Bind(wxEVT_KILL_FOCUS, &CTextColorPickerCtrl::OnTextKillFocus, this);

    const int height = std::max(m_text->GetSize().y, m_swatch->GetSize().y) + 6;
    // A width asked for at creation is kept as the minimum too: a sizer lays a window
    // out at its minimum, and at 60 pixels the text box would hide part of its text.
    const int needed = textSize.x + m_swatch->GetSize().x + 5;
    SetMinSize(wxSize(std::max({kMinimumWidth, size.x, needed}), height));
    SetSize(wxSize(GetSize().x, height));

    SetCanFocus(false);
    m_initialised = true;
    SetColour(colour, false);
    UpdateUI();
    return true;
}

int CTextColorPickerCtrl::SetColour(const wxColour& colour, bool notify)
{
    TS_FUNCTION("CTextColorPickerCtrl::SetColour");
    if (!m_initialised)
        TS_RETURN(RC_NOT_INITIALIZED, wxS("Object is not initialized"));
    if (!colour.IsOk())
        TS_RETURN(RC_INVALID_ARGUMENT, wxS("Invalid colour"));
    ShowColour(colour, notify, true);
    TS_RETURN(RC_OK, wxEmptyString);
}

void CTextColorPickerCtrl::ShowColour(const wxColour& colour, bool notify, bool rewriteText)
{
    m_colour = colour;
    m_frameColour = wxColour(0xFF, 0xFF, 0xFF);

    m_swatchImage.SetRGB(wxRect(0, 0, kSwatchSide, kSwatchSide), m_frameColour.Red(), m_frameColour.Green(),
                         m_frameColour.Blue());
    m_swatchImage.SetRGB(wxRect(1, 1, kSwatchSide - 2, kSwatchSide - 2), m_colour.Red(), m_colour.Green(),
                         m_colour.Blue());
    m_swatch->SetBitmap(wxBitmap(m_swatchImage));

    m_text->SetForegroundColour(NormalText());
    if (rewriteText)
    {
        const long caret = m_text->GetInsertionPoint();
        m_text->ChangeValue(HtmlForm(m_colour));
        m_text->SetInsertionPoint(std::min(caret, m_text->GetLastPosition()));
    }

    if (notify)
    {
        wxColourPickerEvent event(this, GetId(), m_colour);
        GetEventHandler()->ProcessEvent(event);
    }
}

int CTextColorPickerCtrl::UpdateUI()
{
    TS_FUNCTION("CTextColorPickerCtrl::UpdateUI");
    if (!m_initialised)
        TS_RETURN(RC_NOT_INITIALIZED, wxS("Object is not initialized"));

    const int width = GetSize().x;
    const wxSize swatchSize = m_swatch->GetSize();
    m_text->Move(0, 3);
    m_text->SetSize(wxSize(width - swatchSize.x - 5, m_text->GetSize().y));
    const wxSize textSize = m_text->GetSize();
    m_swatch->Move(textSize.x + 2, (textSize.y - swatchSize.y) / 2 + 3);
    TS_RETURN(RC_OK, wxEmptyString);
}

void CTextColorPickerCtrl::SetAccessibleName(const wxString& name)
{
    Accessibility::SetName(this, name);
    Accessibility::SetName(m_text, name);
    Accessibility::SetName(m_swatch, wxString::Format(_("%s: choose a color"), name));
}

bool CTextColorPickerCtrl::AcceptsFocusRecursively() const
{
    return m_initialised && (m_text->AcceptsFocus() || m_swatch->AcceptsFocus());
}

void CTextColorPickerCtrl::SetFocus()
{
    if (m_initialised)
        m_text->SetFocus();
    else
        wxControl::SetFocus();
}

void CTextColorPickerCtrl::OnSize(wxSizeEvent& event)
{
    if (m_initialised)
        UpdateUI();
    event.Skip();
}

void CTextColorPickerCtrl::OnSwatchLeftUp(wxMouseEvent& event)
{
    event.Skip();
    ChooseColour();
}

void CTextColorPickerCtrl::OnSwatchKey(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    if (event.HasAnyModifiers() ||
        (key != WXK_SPACE && key != WXK_RETURN && key != WXK_NUMPAD_ENTER && key != WXK_NUMPAD_SPACE))
    {
        event.Skip();
        return;
    }
    ChooseColour();
}

void CTextColorPickerCtrl::ChooseColour()
{
    if (!m_initialised)
        return;
    wxColourData data;
    data.SetColour(m_colour);
    wxColourDialog dialog(this, &data);
    dialog.SetTitle(_("Choose a color"));
    if (dialog.ShowModal() == wxID_OK)
        SetColour(dialog.GetColourData().GetColour(), true);
}

void CTextColorPickerCtrl::OnTextChanged(wxCommandEvent&)
{
    if (!m_initialised)
        return;
    const wxString text = m_text->GetValue();
    wxColour colour;
    if (!ParseColour(text, colour))
    {
        m_text->SetForegroundColour(InvalidText());
        m_text->Refresh();
        return;
    }
    // Only the HTML form applies; a colour name or an rgb() form is a colour, so not
    // marked wrong, but left alone. The text stays as typed, so the caret does not jump
    // while the user types.
    if (text.Upper() == HtmlForm(colour))
    {
        ShowColour(colour, true, false);
        return;
    }
    m_text->SetForegroundColour(NormalText());
    m_text->Refresh();
}

void CTextColorPickerCtrl::OnTextKillFocus(wxFocusEvent& event)
{
    if (m_initialised)
        SetColour(m_colour, false);
    event.Skip();
}
