// A colour text box joined with a clickable swatch that opens the colour dialog. A colour
// chosen or typed in HTML form reaches the parent as a colour-picker-changed event under
// this control's own id.
#ifndef GLYPHARA_LIBRARY_CUSTOMCONTROLS_TEXTCOLORPICKERCTRL_H
#define GLYPHARA_LIBRARY_CUSTOMCONTROLS_TEXTCOLORPICKERCTRL_H

#include <wx/colour.h>
#include <wx/control.h>
#include <wx/image.h>

class wxStaticBitmap;
class wxTextCtrl;

class CTextColorPickerCtrl : public wxControl
{
public:
    CTextColorPickerCtrl();
    CTextColorPickerCtrl(wxWindow* parent, wxWindowID id, const wxSize& size = wxDefaultSize,
                         const wxString& name = wxS("CTextColorPickerCtrl"));
    bool Create(wxWindow* parent, wxWindowID id, const wxColour& colour, const wxSize& size = wxDefaultSize,
                const wxString& name = wxS("CTextColorPickerCtrl"));

    // 0, or a negative result code (invalid colour, not initialised) with nothing changed.
    int SetColour(const wxColour& colour, bool notify);
    const wxColour& GetColour() const { return m_colour; }
    int UpdateUI();

    // Keyboard focus goes to the inner windows, never to the control itself, so Tab
    // walks through them like through any other controls.
    bool AcceptsFocus() const override { return false; }
    bool AcceptsFocusRecursively() const override;
    bool AcceptsFocusFromKeyboard() const override { return AcceptsFocusRecursively(); }
    void SetFocus() override;

    // The inner windows, for tests.
    wxStaticBitmap* GetSwatch() const { return m_swatch; }
    wxTextCtrl* GetTextCtrl() const { return m_text; }
    const wxImage& GetSwatchImage() const { return m_swatchImage; }

private:
    void OnSize(wxSizeEvent& event);
    void OnSwatchLeftUp(wxMouseEvent& event);
    void OnTextChanged(wxCommandEvent& event);
    void OnTextKillFocus(wxFocusEvent& event);
    // Stores and shows a valid colour; the typed-text path keeps the text as typed.
    void ShowColour(const wxColour& colour, bool notify, bool rewriteText);

    bool m_initialised = false;
    wxImage m_swatchImage;
    wxStaticBitmap* m_swatch = nullptr;
    wxTextCtrl* m_text = nullptr;
    wxColour m_colour;
    wxColour m_frameColour;

    wxDECLARE_DYNAMIC_CLASS(CTextColorPickerCtrl);
    wxDECLARE_EVENT_TABLE();
};

#endif
