// The About window: the splash picture with the program's version and build written on
// it. Borderless; any mouse click closes it, and so does Escape, as it has no close box.
#ifndef GLYPHARA_INTERFACE_GLYPHARASPLASH_H
#define GLYPHARA_INTERFACE_GLYPHARASPLASH_H

#include <wx/bitmap.h>
#include <wx/bmpbndl.h>
#include <wx/frame.h>

class CGlypharaSplash : public wxFrame
{
public:
    enum
    {
        ID_FRAME = 10031
    };

    // The window takes the picture's size; the title is never seen. Callers show it.
    CGlypharaSplash(wxWindow* parent, const wxString& title, const wxSize& size);

    // Loads the picture and sizes the window to it.
    void CreateControls();
    void OnPaint(wxPaintEvent& event);

    // "version 4.1 build <number>"
    static wxString VersionLine();

private:
    void OnMouse(wxMouseEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void Dismiss();

    wxBitmap m_background;
    // The picture with its double-size copy, for displays that double.
    wxBitmapBundle m_pictures;

    wxDECLARE_EVENT_TABLE();
};

#endif
