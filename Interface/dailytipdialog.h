// The tip of the day: one short usage tip at a time over a picture, Previous and Next to
// step through them, and the choice whether tips appear at start-up. Modeless; closing
// the window, in any way, destroys it.
#ifndef GLYPHARA_INTERFACE_DAILYTIPDIALOG_H
#define GLYPHARA_INTERFACE_DAILYTIPDIALOG_H

#include <wx/arrstr.h>
#include <wx/bitmap.h>
#include <wx/bmpbndl.h>
#include <wx/dialog.h>
#include <wx/longlong.h>

#include <memory>
#include <vector>

class wxButton;
class wxCheckBox;
class wxCloseEvent;
class wxMouseCaptureLostEvent;
class wxStaticText;
class wxTipProvider;

// Whether the tips appear at start-up (default true) and the index of the tip to show
// first (default 0).
constexpr const char kShowDailyTipsSetting[] = "showdailytips";
constexpr const char kLastShownTipSetting[] = "lastshowntip";

class CDailytipDialog : public wxDialog
{
public:
    enum
    {
        ID_DIALOG = 10090,
        ID_PREVIOUS = 10091,
        ID_NEXT = 10092,
        ID_CLOSE = 10093,
        ID_SHOW_AT_STARTUP = 10094
    };

    // Creates the window hidden; callers show it.
    CDailytipDialog(wxWindow* parent, const wxString& caption, const wxSize& size);
    ~CDailytipDialog() override;

    // True when the background picture was loaded and the tips were read.
    bool Create(wxWindow* parent, const wxString& caption, const wxSize& size);

    // The first showing also notes where the window was put, so that a window manager's
    // own placement can be undone.
    bool Show(bool show = true) override;

    // The setting "showdailytips".
    static bool ShowAtStartup();

    // The start-up step: creates the tip window for the main window and, when the setting
    // asks for it, shows it and destroys the start-up splash (if still up) so that it does
    // not cover the tips.
    static CDailytipDialog* OpenAtStartup(wxWindow* mainWindow, wxWindow* splash);

    const wxArrayString& GetTips() const { return m_tips; }
    int GetCurrentTip() const { return m_current; }

private:
    void CreateControls();
    void ReadTips();
    // The lines of a tip as they are drawn, measured in the window's font.
    std::vector<wxString> TipLines(const wxString& tip, const wxFont& font) const;
    // Makes room above the check box and the buttons for the longest tip at the user's
    // text size: the picture grows in the middle.
    void MakeRoomForTips();
    // The tip drawn now, also as text for screen readers.
    void ShowCurrentTip();
    wxSize ClientTarget() const;
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnMove(wxMoveEvent& event);
    void OnPrevious(wxCommandEvent& event);
    void OnNext(wxCommandEvent& event);
    void OnShowAtStartup(wxCommandEvent& event);
    void OnClose(wxCommandEvent& event);
    void OnCloseWindow(wxCloseEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnCharHook(wxKeyEvent& event);

    wxBitmap m_background;
    // The picture with its double-size copy, for displays that double.
    wxBitmapBundle m_pictures;
    // How much taller than the picture the window is made for large text.
    int m_extraHeight = 0;
    wxArrayString m_tips;
    int m_current = 0;
    int m_dragX = 0;
    int m_dragY = 0;
    int m_sizeCorrections = 0;
    // When and where the window was first shown, until a window manager has placed it.
    wxLongLong m_shownAt = 0;
    wxPoint m_placedAt;
    bool m_awaitingPlacement = false;
    std::unique_ptr<wxTipProvider> m_tipProvider;
    wxCheckBox* m_showAtStartup = nullptr;
    // Holds the drawn tip's text for screen readers; its own ink is see-through.
    wxStaticText* m_tipText = nullptr;
    wxButton* m_previous = nullptr;
    wxButton* m_next = nullptr;
    wxButton* m_close = nullptr;

    wxDECLARE_EVENT_TABLE();
};

#endif
