// The main window. Until its layout is built it is a plain frame that registers with the
// core and shows the program's title.
#ifndef GLYPHARA_INTERFACE_GLYPHARAMAINFRAME_H
#define GLYPHARA_INTERFACE_GLYPHARAMAINFRAME_H

#include <wx/frame.h>

class GlypharaMainFrame : public wxFrame
{
public:
    GlypharaMainFrame(wxWindow* parent, const wxString& title, const wxSize& size);

    static int UpdateControlsCB(void* context);
    static int UpdateFlashCB(void* context, int delay);
};

#endif
