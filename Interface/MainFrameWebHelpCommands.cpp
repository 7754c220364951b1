// Web, help and tip commands: browser previews, Get Code, the manual, daily tips and the
// About window.
#include "Interface/glypharamainframe.h"

#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

void GlypharaMainFrame::OnMenuPreviewcurrentprojectClick(wxCommandEvent&)
{
}

void GlypharaMainFrame::OnMenuPreviewmywebClick(wxCommandEvent&)
{
}

void GlypharaMainFrame::OnMenuAddtomywebClick(wxCommandEvent&)
{
}

void GlypharaMainFrame::OnMenuitemHelpClick(wxCommandEvent&)
{
}

void GlypharaMainFrame::OnMenuitemShowdailytipsClick(wxCommandEvent&)
{
}

void GlypharaMainFrame::OnAboutClick(wxCommandEvent&)
{
}
