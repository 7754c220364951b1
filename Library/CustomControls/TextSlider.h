// A slider joined with a three-character number box: the designer drags or types a
// value. Every change made by the user reaches the parent as a slider-updated command
// event under this control's own id; the receiver reads GetValue.
#ifndef GLYPHARA_LIBRARY_CUSTOMCONTROLS_TEXTSLIDER_H
#define GLYPHARA_LIBRARY_CUSTOMCONTROLS_TEXTSLIDER_H

#include <wx/control.h>

class wxSlider;
class wxTextCtrl;

class CTextSlider : public wxControl
{
public:
    CTextSlider();
    CTextSlider(wxWindow* parent, wxWindowID id, const wxSize& size = wxDefaultSize,
                const wxString& name = wxS("CTextSlider"));
    bool Create(wxWindow* parent, wxWindowID id, const wxSize& size = wxDefaultSize,
                const wxString& name = wxS("CTextSlider"));

    // The slider clamps value to its range; notify sends the slider-updated event.
    void SetValue(int value, bool notify);
    // -1 until Create has finished.
    int GetValue() const;
    // The range becomes 0 to maximum.
    void SetRange(int maximum);
    int UpdateUI();
    // What a screen reader calls the slider and its number box.
    void SetAccessibleName(const wxString& name);

    // Keyboard focus goes to the inner windows, never to the control itself, so Tab
    // walks through them like through any other controls.
    bool AcceptsFocus() const override { return false; }
    bool AcceptsFocusRecursively() const override;
    bool AcceptsFocusFromKeyboard() const override { return AcceptsFocusRecursively(); }
    void SetFocus() override;

    // The inner windows, for the window that lays the control out and for tests.
    wxSlider* GetSlider() const { return m_slider; }
    wxTextCtrl* GetTextCtrl() const { return m_text; }

private:
    void OnSize(wxSizeEvent& event);
    void OnSliderUpdated(wxCommandEvent& event);
    void OnTextChanged(wxCommandEvent& event);
    void OnTextKillFocus(wxFocusEvent& event);
    void OnTextChar(wxKeyEvent& event);
    void Notify();

    bool m_initialised = false;
    wxTextCtrl* m_text = nullptr;
    wxSlider* m_slider = nullptr;

    wxDECLARE_DYNAMIC_CLASS(CTextSlider);
    wxDECLARE_EVENT_TABLE();
};

#endif
