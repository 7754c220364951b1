// The application object: brings the program up in a fixed order and tears it down.
#ifndef GLYPHARA_INTERFACE_GLYPHARAAPP_H
#define GLYPHARA_INTERFACE_GLYPHARAAPP_H

#include <wx/app.h>

class wxFrame;

class GlypharaApp : public wxApp
{
public:
    bool OnInit() override;
    int OnExit() override;

private:
    wxFrame* mainFrame = nullptr;
};

#endif
