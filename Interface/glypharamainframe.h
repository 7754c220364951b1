// The main window. Until its layout is built it is a plain frame that registers with the
// core, shows the program's title and keeps its geometry in the settings.
#ifndef GLYPHARA_INTERFACE_GLYPHARAMAINFRAME_H
#define GLYPHARA_INTERFACE_GLYPHARAMAINFRAME_H

#include <wx/frame.h>

class GlypharaMainFrame : public wxFrame
{
public:
    GlypharaMainFrame(wxWindow* parent, const wxString& title, const wxSize& size);

    static int UpdateControlsCB(void* context);
    static int UpdateFlashCB(void* context, int delay);

    // Writes position (in thousandths of the display) and size to the settings store.
    void StoreGeometry();

private:
    void OnSize(wxSizeEvent& event);
    void OnMove(wxMoveEvent& event);
    void OnCloseWindow(wxCloseEvent& event);

    wxDECLARE_EVENT_TABLE();
};

#endif
