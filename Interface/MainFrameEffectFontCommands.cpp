// Effect and font commands: choosing, saving, deleting, importing and exporting effects,
// importing fonts and starting the font maker.
#include "Interface/glypharamainframe.h"

#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

#include <wx/choice.h>

void GlypharaMainFrame::OnEffectChoiceSelected(wxCommandEvent&)
{
    const wxString name = m_effectChoice->GetStringSelection();
    TS_LOG_AS("GlypharaMainFrame::OnEffectChoiceSelected", TS_MESSAGE,
              wxString::Format(wxS("Effect selection changed to: %s"), name));
    // The preview and the controls follow through the core's callbacks.
    CGlypharaCore::GetInstance()->SetSelectedEffect(name);
}

void GlypharaMainFrame::OnSaveEffectButtonClick(wxCommandEvent&)
{
}

void GlypharaMainFrame::OnMenuitemDeleteeffectClick(wxCommandEvent&)
{
}

void GlypharaMainFrame::OnMenuitemImporteffectsClick(wxCommandEvent&)
{
}

void GlypharaMainFrame::OnMenuitemExporteffectClick(wxCommandEvent&)
{
}

void GlypharaMainFrame::OnMenuitemImportfontsClick(wxCommandEvent&)
{
}

void GlypharaMainFrame::OnMenuitemMoldwrightClick(wxCommandEvent&)
{
}
