// Tag commands: add, delete and rename a tag, and the tag list's context menu.
#include "Interface/glypharamainframe.h"

#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

void GlypharaMainFrame::OnMenuitemAddtagClick(wxCommandEvent&)
{
}

void GlypharaMainFrame::OnMenuitemDeletetagClick(wxCommandEvent&)
{
}

void GlypharaMainFrame::OnMenuitemRenametagClick(wxCommandEvent&)
{
}

void GlypharaMainFrame::OnTagListboxRightUp(wxMouseEvent& event)
{
    event.Skip();
}
