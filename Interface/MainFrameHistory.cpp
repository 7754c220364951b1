// Undo and redo: the "&Edit" menu over the core's history, and slider drags kept as one
// step each.
#include "Interface/glypharamainframe.h"

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
    std::vector<wxSlider*> sliders = {m_opacitySlider, m_blurHBlur, m_blurVBlur};
    for (CTextSlider* textSlider : {m_dropShadowAngle, m_dropShadowDistance, m_dropShadowStrength, m_bevelAngle,
                                    m_bevelDistance, m_bevelStrength, m_glowAlpha, m_glowHBlur, m_glowVBlur,
                                    m_glowStrength})
    {
        if (textSlider && textSlider->GetSlider())
            sliders.push_back(textSlider->GetSlider());
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

void GlypharaMainFrame::OnUpdateUndo(wxUpdateUIEvent& event)
{
    // The label follows the history here rather than in the refresh: an edit becomes a
    // step only when the core call that refreshed the window returns.
    const CGlypharaCore* core = CGlypharaCore::GetInstance();
    event.Enable(core->CanUndo());
    event.SetText(MenuLabel(core->GetUndoName(), kUndoAccelerator));
}

void GlypharaMainFrame::OnUpdateRedo(wxUpdateUIEvent& event)
{
    const CGlypharaCore* core = CGlypharaCore::GetInstance();
    event.Enable(core->CanRedo());
    event.SetText(MenuLabel(core->GetRedoName(), kRedoAccelerator));
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
