#include "Interface/glypharamainframe.h"

#include "Interface/ControlIds.h"
#include "Interface/FontListCache.h"
#include "Interface/WindowGeometry.h"
#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/clrpicker.h>
#include <wx/combobox.h>
#include <wx/config.h>
#include <wx/filehistory.h>
#include <wx/gdicmn.h>
#include <wx/listbox.h>
#include <wx/slider.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/toolbar.h>

wxBEGIN_EVENT_TABLE(GlypharaMainFrame, wxFrame)
    EVT_CLOSE(GlypharaMainFrame::OnCloseWindow)
    EVT_SIZE(GlypharaMainFrame::OnSize)

    EVT_MENU(ID_MENUITEM_NEW, GlypharaMainFrame::OnMenuitemNew)
    EVT_MENU(ID_MENUITEM_OPEN, GlypharaMainFrame::OpenProject)
    EVT_MENU(ID_MENUITEM_SAVE, GlypharaMainFrame::OnMenuitemSave)
    EVT_MENU(ID_MENUITEM_SAVEAS, GlypharaMainFrame::OnMenuitemSaveAs)
    EVT_MENU(ID_MENUITEM_EXIT, GlypharaMainFrame::OnMenuitemExit)
    EVT_MENU_RANGE(wxID_FILE1, wxID_FILE9, GlypharaMainFrame::OnRecentProject)
    EVT_MENU(ID_MENUITEM_ADDTAG, GlypharaMainFrame::OnMenuitemAddtagClick)
    EVT_MENU(ID_MENUITEM_DELETETAG, GlypharaMainFrame::OnMenuitemDeletetagClick)
    EVT_MENU(ID_MENUITEM_RENAMETAG, GlypharaMainFrame::OnMenuitemRenametagClick)
    EVT_MENU(ID_MENUITEM_SAVEEFFECT, GlypharaMainFrame::OnSaveEffectButtonClick)
    EVT_MENU(ID_MENUITEM_DELETEEFFECT, GlypharaMainFrame::OnMenuitemDeleteeffectClick)
    EVT_MENU(ID_MENUITEM_IMPORTEFFECTS, GlypharaMainFrame::OnMenuitemImporteffectsClick)
    EVT_MENU(ID_MENUITEM_EXPORTEFFECT, GlypharaMainFrame::OnMenuitemExporteffectClick)
    EVT_MENU(ID_MENUITEM_IMPORTFONTS, GlypharaMainFrame::OnMenuitemImportfontsClick)
    EVT_MENU(ID_MENUITEM_REFRESHFONTLIST, GlypharaMainFrame::OnMenuitemRefreshfontlistClick)
    EVT_MENU(ID_MENUITEM_MOLDWRIGHT, GlypharaMainFrame::OnMenuitemMoldwrightClick)
    EVT_MENU(ID_MENU_PREVIEWCURRENTPROJECT, GlypharaMainFrame::OnMenuPreviewcurrentprojectClick)
    EVT_MENU(ID_MENU_ADDTOMYWEB, GlypharaMainFrame::OnMenuAddtomywebClick)
    EVT_MENU(ID_MENU_PREVIEWMYWEB, GlypharaMainFrame::OnMenuPreviewmywebClick)
    EVT_MENU(ID_MENUITEM_HELP, GlypharaMainFrame::OnMenuitemHelpClick)
    EVT_MENU(ID_MENUITEM_SHOWDAILYTIPS, GlypharaMainFrame::OnMenuitemShowdailytipsClick)
    EVT_MENU(wxID_ABOUT, GlypharaMainFrame::OnAboutClick)
    EVT_MENU(wxID_UNDO, GlypharaMainFrame::OnUndo)
    EVT_MENU(wxID_REDO, GlypharaMainFrame::OnRedo)
    EVT_IDLE(GlypharaMainFrame::OnIdle)

    EVT_TOOL(ID_TOOL_NEW, GlypharaMainFrame::OnMenuitemNew)
    EVT_TOOL(ID_TOOL_OPEN, GlypharaMainFrame::OpenProject)
    EVT_TOOL(ID_TOOL_SAVE, GlypharaMainFrame::OnSaveToolClick)
    EVT_TOOL(ID_TOOL_ADDTAG, GlypharaMainFrame::OnMenuitemAddtagClick)
    EVT_TOOL(ID_TOOL_DELETETAG, GlypharaMainFrame::OnMenuitemDeletetagClick)
    EVT_TOOL(ID_TOOL_IMPORTEFFECTS, GlypharaMainFrame::OnMenuitemImporteffectsClick)
    EVT_TOOL(ID_TOOL_EXPORTEFFECT, GlypharaMainFrame::OnMenuitemExporteffectClick)
    EVT_TOOL(ID_TOOL_IMPORTFONTS, GlypharaMainFrame::OnMenuitemImportfontsClick)
    EVT_TOOL(ID_TOOL_PREVIEW, GlypharaMainFrame::OnMenuPreviewcurrentprojectClick)
    EVT_TOOL(ID_TOOL_GETCODE, GlypharaMainFrame::OnMenuAddtomywebClick)

    EVT_TEXT(ID_USER_TEXT, GlypharaMainFrame::OnUserText)
    EVT_LISTBOX(ID_TAG_LISTBOX, GlypharaMainFrame::OnTagListboxSelected)
    EVT_BUTTON(ID_ADDTAG_BUTTON, GlypharaMainFrame::OnMenuitemAddtagClick)
    EVT_BUTTON(ID_DELETETAG_BUTTON, GlypharaMainFrame::OnMenuitemDeletetagClick)
    EVT_BUTTON(ID_RENAMETAG_BUTTON, GlypharaMainFrame::OnMenuitemRenametagClick)
    EVT_LISTBOX(ID_FONT_LISTBOX, GlypharaMainFrame::OnFontListboxSelected)
    EVT_BUTTON(ID_IMPORTFONTS_BUTTON, GlypharaMainFrame::OnMenuitemImportfontsClick)
    EVT_BUTTON(ID_MOLDWRIGHT_BUTTON, GlypharaMainFrame::OnMenuitemMoldwrightClick)

    EVT_COMBOBOX(ID_FONTSIZE_COMBOBOX, GlypharaMainFrame::OnFontsizecomboboxSelected)
    EVT_TEXT(ID_FONTSIZE_COMBOBOX, GlypharaMainFrame::OnFontsizecomboboxUpdated)
    EVT_COLOURPICKER_CHANGED(ID_FONT_COLOR, GlypharaMainFrame::OnFontColorColourPicker)
    EVT_COLOURPICKER_CHANGED(ID_LINK_COLOR, GlypharaMainFrame::OnLinkColorColourPicker)
    EVT_COLOURPICKER_CHANGED(ID_HOVER_COLOR, GlypharaMainFrame::OnHoverColorColourPicker)
    EVT_CHOICE(ID_FONT_ALIGNMENT_CHOICE, GlypharaMainFrame::OnFontAlignmentChoiceSelected)
    EVT_CHECKBOX(ID_FONT_BOLD_CHECKBOX, GlypharaMainFrame::OnFontBoldCheckbox)
    EVT_CHECKBOX(ID_FONT_ITALIC_CHECKBOX, GlypharaMainFrame::OnFontItalicCheckbox)
    EVT_CHECKBOX(ID_FONT_UNDERLINE_CHECKBOX, GlypharaMainFrame::OnFontUnderlineCheckbox)
    EVT_SLIDER(ID_OPACITY_SLIDER, GlypharaMainFrame::OnOpacitySliderUpdated)
    EVT_COLOURPICKER_CHANGED(ID_BACKGROUND_COLOR, GlypharaMainFrame::OnBackgroundColorColourPicker)

    EVT_CHOICE(ID_EFFECT_CHOICE, GlypharaMainFrame::OnEffectChoiceSelected)
    EVT_BUTTON(ID_SAVE_EFFECT_BUTTON, GlypharaMainFrame::OnSaveEffectButtonClick)
    EVT_BUTTON(ID_DELETE_EFFECT_BUTTON, GlypharaMainFrame::OnMenuitemDeleteeffectClick)
    EVT_CHECKBOX(ID_DROPSHADOW_CHECKBOX, GlypharaMainFrame::OnDropShadowEnabledCheckbox)
    EVT_CHECKBOX(ID_DROPSHADOW_KNOCKOUT_CHECKBOX, GlypharaMainFrame::OnDropShadowKnockoutCheckbox)
    EVT_COLOURPICKER_CHANGED(ID_DROPSHADOW_COLOR, GlypharaMainFrame::OnDropShadowColor)
    EVT_SLIDER(ID_DROPSHADOW_ANGLE, GlypharaMainFrame::OnDropShadowAngle)
    EVT_SLIDER(ID_DROPSHADOW_DISTANCE, GlypharaMainFrame::OnDropShadowDistance)
    EVT_SLIDER(ID_DROPSHADOW_STRENGTH, GlypharaMainFrame::OnDropShadowStrength)
    EVT_CHECKBOX(ID_BEVEL_CHECKBOX, GlypharaMainFrame::OnBevelFilterEnabledCheckbox)
    EVT_CHOICE(ID_BEVEL_TYPE_CHOICE, GlypharaMainFrame::OnBevelFilterTypeChoice)
    EVT_COLOURPICKER_CHANGED(ID_BEVEL_SHADOW_COLOR, GlypharaMainFrame::OnBevelShadowColor)
    EVT_COLOURPICKER_CHANGED(ID_BEVEL_HIGHLIGHT_COLOR, GlypharaMainFrame::OnBevelHighlightColor)
    EVT_SLIDER(ID_BEVEL_ANGLE, GlypharaMainFrame::OnBevelAngle)
    EVT_SLIDER(ID_BEVEL_DISTANCE, GlypharaMainFrame::OnBevelDistance)
    EVT_SLIDER(ID_BEVEL_STRENGTH, GlypharaMainFrame::OnBevelStrength)
    EVT_CHECKBOX(ID_GLOW_CHECKBOX, GlypharaMainFrame::OnGlowFilterEnabledCheckbox)
    EVT_CHECKBOX(ID_GLOW_INNER_CHECKBOX, GlypharaMainFrame::OnGlowFilterInnerCheckbox)
    EVT_CHECKBOX(ID_GLOW_KNOCKOUT_CHECKBOX, GlypharaMainFrame::OnGlowFilterKnockoutCheckbox)
    EVT_COLOURPICKER_CHANGED(ID_GLOW_COLOR, GlypharaMainFrame::OnGlowFilterColor)
    EVT_SLIDER(ID_GLOW_ALPHA, GlypharaMainFrame::OnGlowAlpha)
    EVT_SLIDER(ID_GLOW_HBLUR, GlypharaMainFrame::OnGlowHBlur)
    EVT_SLIDER(ID_GLOW_VBLUR, GlypharaMainFrame::OnGlowVBlur)
    EVT_SLIDER(ID_GLOW_STRENGTH, GlypharaMainFrame::OnGlowStrength)
    EVT_CHECKBOX(ID_BLUR_CHECKBOX, GlypharaMainFrame::OnBlurEnabledCheckbox)
    EVT_SLIDER(ID_BLUR_HBLUR_SLIDER, GlypharaMainFrame::OnBlurHBlur)
    EVT_SLIDER(ID_BLUR_VBLUR_SLIDER, GlypharaMainFrame::OnBlurVBlur)

    EVT_TIMER(ID_PREVIEW_TIMER, GlypharaMainFrame::OnPreviewTimer)
wxEND_EVENT_TABLE()

namespace
{
// The window the core currently calls back, so that a window going away can tell
// whether the core still points at it.
GlypharaMainFrame* g_registeredFrame = nullptr;

int NoControlsUpdate(void*)
{
    return 0;
}

int NoPreviewUpdate(void*, int)
{
    return 0;
}

// Stands in for the window once it is gone; the core only needs a non-null context.
int g_goneFrameContext = 0;
}

GlypharaMainFrame::GlypharaMainFrame(wxWindow* parent, const wxString& title, const wxSize& size)
    : m_mainSizer(nullptr), m_effectsColumnSizer(nullptr), m_effectsListSizer(nullptr), m_blurGroupSizer(nullptr),
      m_toolBar(nullptr), m_mainPanel(nullptr), m_previewPanel(nullptr), m_browser(nullptr), m_textPanel(nullptr),
      m_userText(nullptr), m_tagFontPanel(nullptr), m_tagList(nullptr), m_addTagButton(nullptr),
      m_deleteTagButton(nullptr), m_renameTagButton(nullptr), m_fontList(nullptr), m_importFontsButton(nullptr),
      m_moldwrightButton(nullptr), m_fontSizeBox(nullptr), m_fontColor(nullptr), m_linkColor(nullptr),
      m_hoverColor(nullptr), m_alignmentChoice(nullptr), m_boldCheck(nullptr), m_italicCheck(nullptr),
      m_underlineCheck(nullptr), m_opacityLabel(nullptr), m_opacitySlider(nullptr), m_backgroundLabel(nullptr),
      m_backgroundColor(nullptr), m_effectsPanel(nullptr), m_effectsScrolled(nullptr), m_effectChoice(nullptr),
      m_saveEffectButton(nullptr), m_deleteEffectButton(nullptr), m_dropShadowCheck(nullptr),
      m_dropShadowKnockoutCheck(nullptr), m_dropShadowColor(nullptr), m_dropShadowAngle(nullptr),
      m_dropShadowDistance(nullptr), m_dropShadowStrength(nullptr), m_bevelCheck(nullptr),
      m_bevelTypeChoice(nullptr), m_bevelShadowColor(nullptr), m_bevelHighlightColor(nullptr),
      m_bevelAngle(nullptr), m_bevelDistance(nullptr), m_bevelStrength(nullptr), m_glowCheck(nullptr),
      m_glowInnerCheck(nullptr), m_glowKnockoutCheck(nullptr), m_glowColor(nullptr), m_glowAlpha(nullptr),
      m_glowHBlur(nullptr), m_glowVBlur(nullptr), m_glowStrength(nullptr), m_blurCheck(nullptr),
      m_blurHBlur(nullptr), m_blurVBlur(nullptr), m_previewTimer(nullptr), m_refreshFrozen(false), m_fontRowInUse(wxNOT_FOUND),
      m_fontListCache(new FontListCache)
{
    // The close box is kept: without a system menu it is the only way to close from the
    // title bar.
    Create(parent, ID_GLYPHARAMAINFRAME, title, wxDefaultPosition, size,
           wxCAPTION | wxRESIZE_BORDER | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxMAXIMIZE_BOX | wxCLOSE_BOX |
               wxCLIP_CHILDREN);
    CreateControls();
    CreateRecentProjects();
    Centre(wxBOTH);
}

GlypharaMainFrame::~GlypharaMainFrame()
{
    if (g_registeredFrame == this)
    {
        g_registeredFrame = nullptr;
        CGlypharaCore::GetInstance()->SetInterfaceCallbacks(&g_goneFrameContext, &NoControlsUpdate,
                                                            &NoPreviewUpdate);
    }
    delete m_previewTimer;
}

void GlypharaMainFrame::RegisterWithCore()
{
    if (CGlypharaCore::GetInstance()->SetInterfaceCallbacks(this, &GlypharaMainFrame::UpdateControlsCB,
                                                            &GlypharaMainFrame::UpdateFlashCB) == RC_OK)
        g_registeredFrame = this;
}

int GlypharaMainFrame::UpdateControlsCB(void* context)
{
    TS_LOG_AS("GlypharaMainFrame::UpdateControlsCB", TS_VERBOSE, wxS("Control updating callback"));
    static_cast<GlypharaMainFrame*>(context)->UpdateControls();
    return 0;
}

int GlypharaMainFrame::UpdateFlashCB(void* context, int delay)
{
    static_cast<GlypharaMainFrame*>(context)->UpdateFlash(delay);
    return 0;
}

void GlypharaMainFrame::UpdateFlash(int delay)
{
    if (m_previewTimer)
        m_previewTimer->StartOnce(delay);
}

bool GlypharaMainFrame::IsPreviewPending() const
{
    return m_previewTimer && m_previewTimer->IsRunning();
}

void GlypharaMainFrame::StoreGeometry()
{
    // An iconised window reports no useful place; the last real geometry stays stored.
    if (IsIconized())
        return;
    const wxSize display = wxGetDisplaySize();
    const wxPoint position = GetPosition();
    const wxSize size = GetSize();
    WindowGeometry::Write(*wxConfigBase::Get(),
                          WindowGeometry::StoredFor(position.x, position.y, size.x, size.y, display.x,
                                                    display.y));
}

void GlypharaMainFrame::OnSize(wxSizeEvent& event)
{
    StoreGeometry();
    event.Skip();
}

void GlypharaMainFrame::OnMenuitemRefreshfontlistClick(wxCommandEvent&)
{
    // The core refreshes the window through its callback.
    CGlypharaCore::GetInstance()->UpdateFontList(false);
}
