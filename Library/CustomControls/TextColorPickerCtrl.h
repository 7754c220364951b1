// A colour text box joined with a swatch that opens the colour dialog when clicked, or
// when Space or Return is pressed on it. A colour chosen or typed in HTML form reaches
// the parent as a colour-picker-changed event under this control's own id.
#ifndef GLYPHARA_LIBRARY_CUSTOMCONTROLS_TEXTCOLORPICKERCTRL_H
#define GLYPHARA_LIBRARY_CUSTOMCONTROLS_TEXTCOLORPICKERCTRL_H

#include <wx/colour.h>
#include <wx/control.h>
#include <wx/generic/statbmpg.h>
#include <wx/image.h>

class wxTextCtrl;

// The swatch: a picture that takes the keyboard, shows when it has it, and is a button
// to screen readers.
class CColourSwatch : public wxGenericStaticBitmap
{
public:
    CColourSwatch(wxWindow* parent, wxWindowID id, const wxBitmap& bitmap, const wxString& name);

    bool AcceptsFocus() const override { return IsEnabled(); }
    bool AcceptsFocusFromKeyboard() const override { return AcceptsFocus(); }

private:
    void OnPaint(wxPaintEvent& event);
    void OnFocusChange(wxFocusEvent& event);

    wxDECLARE_EVENT_TABLE();
};

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
    // What a screen reader calls the text box; the swatch is the button that chooses it.
    void SetAccessibleName(const wxString& name);

    // Keyboard focus goes to the inner windows, never to the control itself, so Tab
    // walks through them like through any other controls.
    bool AcceptsFocus() const override { return false; }
    bool AcceptsFocusRecursively() const override;
    bool AcceptsFocusFromKeyboard() const override { return AcceptsFocusRecursively(); }
    void SetFocus() override;

    // The inner windows, for tests.
    CColourSwatch* GetSwatch() const { return m_swatch; }
    wxTextCtrl* GetTextCtrl() const { return m_text; }
    const wxImage& GetSwatchImage() const { return m_swatchImage; }

private:
    void OnSize(wxSizeEvent& event);
    void OnSwatchLeftUp(wxMouseEvent& event);
    void OnSwatchKey(wxKeyEvent& event);
    void ChooseColour();
    void OnTextChanged(wxCommandEvent& event);
    void OnTextKillFocus(wxFocusEvent& event);
    // Stores and shows a valid colour; the typed-text path keeps the text as typed.
    void ShowColour(const wxColour& colour, bool notify, bool rewriteText);

    bool m_initialised = false;
    wxImage m_swatchImage;
    CColourSwatch* m_swatch = nullptr;
    wxTextCtrl* m_text = nullptr;
    wxColour m_colour;
    wxColour m_frameColour;

    wxDECLARE_DYNAMIC_CLASS(CTextColorPickerCtrl);
    wxDECLARE_EVENT_TABLE();
};

#endif
