#include "Interface/glypharamainframe.h"

#include "core/GlypharaCore.h"

GlypharaMainFrame::GlypharaMainFrame(wxWindow* parent, const wxString& title, const wxSize& size)
    : wxFrame(parent, wxID_ANY, title, wxDefaultPosition, size)
{
    CGlypharaCore::GetInstance()->SetInterfaceCallbacks(this, &GlypharaMainFrame::UpdateControlsCB,
                                                        &GlypharaMainFrame::UpdateFlashCB);
}

int GlypharaMainFrame::UpdateControlsCB(void*)
{
    return 0;
}

int GlypharaMainFrame::UpdateFlashCB(void*, int)
{
    return 0;
}
