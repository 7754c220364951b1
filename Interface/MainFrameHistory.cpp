// Undo and redo: the "&Edit" menu over the core's history, and slider drags kept as one
// step each.
#include "Interface/glypharamainframe.h"

#include "Interface/FieldControls.h"
#include "Library/CustomControls/TextSlider.h"
#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

#include <wx/accel.h>
#include <wx/control.h>
#include <wx/menu.h>
#include <wx/slider.h>

#include <vector>

namespace
{
const wxChar* const kUndoAccelerator = wxS("\tCtrl+Z");
const wxChar* const kRedoAccelerator = wxS("\tCtrl+Shift+Z");

// A step's name becomes a menu label: "&" in an effect or tag name must show as itself.
wxString MenuLabel(const wxString& name, const wxChar* accelerator)
{
    return wxS("&") + wxControl::EscapeMnemonics(name) + accelerator;
}
}

void GlypharaMainFrame::CreateEditMenu(wxMenuBar* menuBar)
{
    wxMenu* edit = new wxMenu;
    edit->Append(wxID_UNDO, _("&Undo") + kUndoAccelerator, wxEmptyString, wxITEM_NORMAL);
    wxMenuItem* redo = edit->Append(wxID_REDO, _("&Redo") + kRedoAccelerator, wxEmptyString, wxITEM_NORMAL);
    redo->AddExtraAccel(wxAcceleratorEntry(wxACCEL_CTRL, 'Y', wxID_REDO));
    menuBar->Append(edit, _("&Edit"));
}

void GlypharaMainFrame::BindEditGroups()
{
    // Dragging a thumb sends a change for every pixel; the core keeps the drag as one step
    // when it is told where the drag begins and ends.
    std::vector<wxSlider*> sliders;
    for (size_t i = 0; i < kFieldControlCount; ++i)
    {
        wxWindow* control = FieldControlWindow(i);
        if (kFieldControls[i].kind == FieldControlKind::kSlider)
            sliders.push_back(static_cast<wxSlider*>(control));
        else if (kFieldControls[i].kind == FieldControlKind::kTextSlider && control)
            sliders.push_back(static_cast<CTextSlider*>(control)->GetSlider());
    }
    for (wxSlider* slider : sliders)
    {
        if (!slider)
            continue;
        slider->Bind(wxEVT_SCROLL_THUMBTRACK, &GlypharaMainFrame::OnSliderDragStart, this);
        slider->Bind(wxEVT_SCROLL_THUMBRELEASE, &GlypharaMainFrame::OnSliderDragEnd, this);
    }
}

void GlypharaMainFrame::OnUndo(wxCommandEvent&)
{
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    TS_LOG_AS("GlypharaMainFrame::OnUndo", TS_MESSAGE, wxS("User requests: ") + core->GetUndoName());
    core->Undo();
}

void GlypharaMainFrame::OnRedo(wxCommandEvent&)
{
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    TS_LOG_AS("GlypharaMainFrame::OnRedo", TS_MESSAGE, wxS("User requests: ") + core->GetRedoName());
    core->Redo();
}

void GlypharaMainFrame::OnIdle(wxIdleEvent& event)
{
    UpdateEditMenu();
    event.Skip();
}

void GlypharaMainFrame::UpdateEditMenu()
{
    // The items follow the history between events rather than when the menu opens: GTK
    // sizes a menu as it opens and does not widen it for a label changed then, which cut
    // a long step name and pushed the shortcut out of sight. An edit becomes a step only
    // when the core call that refreshed the window returns, so the refresh is too early.
    wxMenuBar* bar = GetMenuBar();
    const CGlypharaCore* core = CGlypharaCore::GetInstance();
    if (!bar || !core->IsInitialized())
        return;
    const struct
    {
        int id;
        bool enabled;
        wxString label;
    } items[] = {{wxID_UNDO, core->CanUndo(), MenuLabel(core->GetUndoName(), kUndoAccelerator)},
                 {wxID_REDO, core->CanRedo(), MenuLabel(core->GetRedoName(), kRedoAccelerator)}};
    for (const auto& item : items)
    {
        if (bar->GetLabel(item.id) != item.label)
            bar->SetLabel(item.id, item.label);
        if (bar->IsEnabled(item.id) != item.enabled)
            bar->Enable(item.id, item.enabled);
    }
}

void GlypharaMainFrame::OnSliderDragStart(wxScrollEvent& event)
{
    CGlypharaCore::GetInstance()->BeginEditGroup();
    event.Skip();
}

void GlypharaMainFrame::OnSliderDragEnd(wxScrollEvent& event)
{
    CGlypharaCore::GetInstance()->EndEditGroup();
    event.Skip();
}
