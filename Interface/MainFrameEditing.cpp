// The window's half of the editing loop: each property control writes the selected tag's
// record through the core; the core calls back to refresh every control and to schedule
// the preview, which the one-shot timer then loads into the browser.
#include "Interface/glypharamainframe.h"

#include "Interface/ControlIds.h"
#include "Interface/FontListCache.h"
#include "Interface/FontListCtrl.h"
#include "Interface/PreviewUpdate.h"
#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "Library/CustomControls/TextSlider.h"
#include "browser/EmbeddedBrowser.h"
#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/clrpicker.h>
#include <wx/combobox.h>
#include <wx/listbox.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace
{
// The browser area is this much wider and taller than the movie it shows.
const int kFlashPlayerMargin = 40;

// Copies the selected tag's record out of the core, changes one field and hands the
// whole record back. The core's results are not examined: a refusal leaves the
// controls as the user set them until the next refresh.
template <typename Change>
void EditSelectedRecord(Change change)
{
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    FontProperties record;
    core->GetSelectedFontProperties(record);
    change(record);
    core->SetCurrentFontProperties(record);
}

wxString Html(const wxColour& colour)
{
    return colour.GetAsString(wxC2S_HTML_SYNTAX);
}

// What an integer field shows for a stored floating-point value: truncated toward zero.
// The small allowance keeps a value such as 0.29 x 100, stored as 28.99999..., at 29.
int Shown(double value)
{
    const double allowance = value < 0 ? -1e-4 : 1e-4;
    return static_cast<int>(std::trunc(value + allowance));
}

// A control is set only when it shows something else, so an unchanged control raises
// no event, keeps its caret and is not repainted. Changing() runs before any change.
template <typename Changing>
void EnableAs(const Changing& changing, wxWindow* window, bool enabled)
{
    if (window->IsThisEnabled() != enabled)
    {
        changing();
        window->Enable(enabled);
    }
}

template <typename Changing>
void HideFor(const Changing& changing, wxWindow* window)
{
    if (window->IsShown())
    {
        changing();
        window->Hide();
    }
}

template <typename Changing>
void ShowValue(const Changing& changing, CTextSlider* slider, int value, bool enabled)
{
    if (slider->GetValue() != value)
    {
        changing();
        slider->SetValue(value, false);
    }
    EnableAs(changing, slider, enabled);
}

template <typename Changing>
void ShowValue(const Changing& changing, CTextColorPickerCtrl* picker, const wxColour& colour, bool enabled)
{
    // wxColour's equality covers red, green, blue, alpha and validity.
    if (picker->GetColour() != colour)
    {
        changing();
        picker->SetColour(colour, false);
    }
    EnableAs(changing, picker, enabled);
}

template <typename Changing>
void ShowValue(const Changing& changing, wxCheckBox* box, bool checked, bool enabled)
{
    if (box->GetValue() != checked)
    {
        changing();
        box->SetValue(checked);
    }
    EnableAs(changing, box, enabled);
}

template <typename Changing>
void ShowValue(const Changing& changing, wxSlider* slider, int value, bool enabled)
{
    if (slider->GetValue() != value)
    {
        changing();
        slider->SetValue(value);
    }
    EnableAs(changing, slider, enabled);
}

template <typename Changing>
void ShowValue(const Changing& changing, wxChoice* choice, int index, bool enabled)
{
    // An index from a hand-edited project file may lie outside the items.
    const int wanted = index >= 0 && index < static_cast<int>(choice->GetCount()) ? index : wxNOT_FOUND;
    if (choice->GetSelection() != wanted)
    {
        changing();
        choice->SetSelection(wanted);
    }
    EnableAs(changing, choice, enabled);
}

bool SameItems(const wxArrayString& a, const wxArrayString& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return false;
    return true;
}
}

// Property handlers

void GlypharaMainFrame::OnFontColorColourPicker(wxColourPickerEvent& event)
{
    const wxColour colour = event.GetColour();
    TS_LOG_AS("GlypharaMainFrame::OnFontColorColourPicker", TS_MESSAGE,
              wxString::Format(wxS("Font color changed to: %s"), Html(colour)));
    EditSelectedRecord([&](FontProperties& record) { record.color = colour; });
    event.Skip();
}

void GlypharaMainFrame::OnLinkColorColourPicker(wxColourPickerEvent& event)
{
    const wxColour colour = event.GetColour();
    TS_LOG_AS("GlypharaMainFrame::OnLinkColorColourPicker", TS_MESSAGE,
              wxString::Format(wxS("Link color changed to: %s"), Html(colour)));
    EditSelectedRecord([&](FontProperties& record) { record.linkcolor = colour; });
    event.Skip();
}

void GlypharaMainFrame::OnHoverColorColourPicker(wxColourPickerEvent& event)
{
    const wxColour colour = event.GetColour();
    TS_LOG_AS("GlypharaMainFrame::OnHoverColorColourPicker", TS_MESSAGE,
              wxString::Format(wxS("Hover color changed to: %s"), Html(colour)));
    EditSelectedRecord([&](FontProperties& record) { record.hovercolor = colour; });
    event.Skip();
}

void GlypharaMainFrame::OnBackgroundColorColourPicker(wxColourPickerEvent& event)
{
    const wxColour colour = event.GetColour();
    TS_LOG_AS("GlypharaMainFrame::OnBackgroundColorColourPicker", TS_MESSAGE,
              wxString::Format(wxS("Background color changed to: %s"), Html(colour)));
    EditSelectedRecord([&](FontProperties& record) { record.backgroundcolor = colour; });
    event.Skip();
}

void GlypharaMainFrame::OnOpacitySliderUpdated(wxCommandEvent& event)
{
    const int value = m_opacitySlider->GetValue();
    TS_LOG_AS("GlypharaMainFrame::OnOpacitySliderUpdated", TS_MESSAGE,
              wxString::Format(wxS("Opacity slider changed to: %d"), value));
    EditSelectedRecord([&](FontProperties& record) { record.opacity = value; });
    event.Skip();
}

void GlypharaMainFrame::OnFontAlignmentChoiceSelected(wxCommandEvent& event)
{
    const int value = m_alignmentChoice->GetSelection();
    TS_LOG_AS("GlypharaMainFrame::OnFontAlignmentChoiceSelected", TS_MESSAGE,
              wxString::Format(wxS("Font alignment changed to: %d"), value));
    EditSelectedRecord([&](FontProperties& record) { record.align = value; });
    event.Skip();
}

void GlypharaMainFrame::OnFontBoldCheckbox(wxCommandEvent& event)
{
    const bool value = event.IsChecked();
    TS_LOG_AS("GlypharaMainFrame::OnFontBoldCheckbox", TS_MESSAGE,
              wxString::Format(wxS("Font bold checkbox changed to: %d"), int(value)));
    EditSelectedRecord([&](FontProperties& record) { record.bold = value; });
    event.Skip();
}

void GlypharaMainFrame::OnFontItalicCheckbox(wxCommandEvent& event)
{
    const bool value = event.IsChecked();
    TS_LOG_AS("GlypharaMainFrame::OnFontItalicCheckbox", TS_MESSAGE,
              wxString::Format(wxS("Font italic checkbox changed to: %d"), int(value)));
    EditSelectedRecord([&](FontProperties& record) { record.italic = value; });
    event.Skip();
}

void GlypharaMainFrame::OnFontUnderlineCheckbox(wxCommandEvent& event)
{
    const bool value = event.IsChecked();
    TS_LOG_AS("GlypharaMainFrame::OnFontUnderlineCheckbox", TS_MESSAGE,
              wxString::Format(wxS("Font underline checkbox changed to: %d"), int(value)));
    EditSelectedRecord([&](FontProperties& record) { record.understroked = value; });
    event.Skip();
}

void GlypharaMainFrame::OnBlurEnabledCheckbox(wxCommandEvent& event)
{
    const bool value = event.IsChecked();
    TS_LOG_AS("GlypharaMainFrame::OnBlurEnabledCheckbox", TS_MESSAGE,
              wxString::Format(wxS("Blur filter switched to: %d"), int(value)));
    EditSelectedRecord([&](FontProperties& record) { record.blur.enabled = value; });
    event.Skip();
}

void GlypharaMainFrame::OnBlurHBlur(wxCommandEvent& event)
{
    const int value = m_blurHBlur->GetValue();
    TS_LOG_AS("GlypharaMainFrame::OnBlurHBlur", TS_MESSAGE,
              wxString::Format(wxS("Blur filter H blur set to: %d"), value));
    EditSelectedRecord([&](FontProperties& record) { record.blur.blurx = value; });
    event.Skip();
}

void GlypharaMainFrame::OnBlurVBlur(wxCommandEvent& event)
{
    const int value = m_blurVBlur->GetValue();
    TS_LOG_AS("GlypharaMainFrame::OnBlurVBlur", TS_MESSAGE,
              wxString::Format(wxS("Blur filter V blur set to: %d"), value));
    EditSelectedRecord([&](FontProperties& record) { record.blur.blury = value; });
    event.Skip();
}

void GlypharaMainFrame::OnDropShadowEnabledCheckbox(wxCommandEvent& event)
{
    const bool value = event.IsChecked();
    TS_LOG_AS("GlypharaMainFrame::OnDropShadowEnabledCheckbox", TS_MESSAGE,
              wxString::Format(wxS("Drop shadow filter switched to: %d"), int(value)));
    EditSelectedRecord([&](FontProperties& record) { record.dropshadow.enabled = value; });
    event.Skip();
}

void GlypharaMainFrame::OnDropShadowKnockoutCheckbox(wxCommandEvent& event)
{
    const bool value = event.IsChecked();
    TS_LOG_AS("GlypharaMainFrame::OnDropShadowKnockoutCheckbox", TS_MESSAGE,
              wxString::Format(wxS("Drop shadow filter knockout checkbox switched to: %d"), int(value)));
    EditSelectedRecord([&](FontProperties& record) { record.dropshadow.knockout = value; });
    event.Skip();
}

void GlypharaMainFrame::OnDropShadowColor(wxColourPickerEvent& event)
{
    const wxColour colour = event.GetColour();
    TS_LOG_AS("GlypharaMainFrame::OnDropShadowColor", TS_MESSAGE,
              wxString::Format(wxS("Drop shadow color changed to: %s"), Html(colour)));
    EditSelectedRecord([&](FontProperties& record) { record.dropshadow.color = colour; });
    event.Skip();
}

void GlypharaMainFrame::OnDropShadowAngle(wxCommandEvent& event)
{
    const int value = m_dropShadowAngle->GetValue();
    TS_LOG_AS("GlypharaMainFrame::OnDropShadowAngle", TS_MESSAGE,
              wxString::Format(wxS("Drop shadow filter angle set to: %d"), value));
    EditSelectedRecord([&](FontProperties& record) { record.dropshadow.angle = value; });
    event.Skip();
}

void GlypharaMainFrame::OnDropShadowDistance(wxCommandEvent& event)
{
    const int value = m_dropShadowDistance->GetValue();
    TS_LOG_AS("GlypharaMainFrame::OnDropShadowDistance", TS_MESSAGE,
              wxString::Format(wxS("Drop shadow filter distance set to: %d"), value));
    EditSelectedRecord([&](FontProperties& record) { record.dropshadow.distance = static_cast<float>(value); });
    event.Skip();
}

void GlypharaMainFrame::OnDropShadowStrength(wxCommandEvent& event)
{
    const int value = m_dropShadowStrength->GetValue();
    TS_LOG_AS("GlypharaMainFrame::OnDropShadowStrength", TS_MESSAGE,
              wxString::Format(wxS("Drop shadow filter strength set to: %d"), value));
    EditSelectedRecord([&](FontProperties& record) { record.dropshadow.strength = static_cast<float>(value); });
    event.Skip();
}

void GlypharaMainFrame::OnGlowFilterEnabledCheckbox(wxCommandEvent& event)
{
    const bool value = event.IsChecked();
    TS_LOG_AS("GlypharaMainFrame::OnGlowFilterEnabledCheckbox", TS_MESSAGE,
              wxString::Format(wxS("Glow filter switched to: %d"), int(value)));
    EditSelectedRecord([&](FontProperties& record) { record.glow.enabled = value; });
    event.Skip();
}

void GlypharaMainFrame::OnGlowFilterInnerCheckbox(wxCommandEvent& event)
{
    const bool value = event.IsChecked();
    TS_LOG_AS("GlypharaMainFrame::OnGlowFilterInnerCheckbox", TS_MESSAGE,
              wxString::Format(wxS("Glow filter inner checkbox switched to: %d"), int(value)));
    EditSelectedRecord([&](FontProperties& record) { record.glow.inner = value; });
    event.Skip();
}

void GlypharaMainFrame::OnGlowFilterKnockoutCheckbox(wxCommandEvent& event)
{
    const bool value = event.IsChecked();
    TS_LOG_AS("GlypharaMainFrame::OnGlowFilterKnockoutCheckbox", TS_MESSAGE,
              wxString::Format(wxS("Glow filter knockout checkbox switched to: %d"), int(value)));
    EditSelectedRecord([&](FontProperties& record) { record.glow.knockout = value; });
    event.Skip();
}

void GlypharaMainFrame::OnGlowFilterColor(wxColourPickerEvent& event)
{
    const wxColour colour = event.GetColour();
    TS_LOG_AS("GlypharaMainFrame::OnGlowFilterColor", TS_MESSAGE,
              wxString::Format(wxS("Glow filter color changed to: %s"), Html(colour)));
    EditSelectedRecord([&](FontProperties& record) { record.glow.color = colour; });
    event.Skip();
}

void GlypharaMainFrame::OnGlowAlpha(wxCommandEvent& event)
{
    const double value = m_glowAlpha->GetValue() / 100.0;
    TS_LOG_AS("GlypharaMainFrame::OnGlowAlpha", TS_MESSAGE,
              wxString::Format(wxS("Glow filter alpha set to: %f"), value));
    EditSelectedRecord([&](FontProperties& record) { record.glow.alpha = static_cast<float>(value); });
    event.Skip();
}

void GlypharaMainFrame::OnGlowHBlur(wxCommandEvent& event)
{
    const int value = m_glowHBlur->GetValue();
    TS_LOG_AS("GlypharaMainFrame::OnGlowHBlur", TS_MESSAGE,
              wxString::Format(wxS("Glow filter H blur set to: %d"), value));
    EditSelectedRecord([&](FontProperties& record) { record.glow.blurx = static_cast<float>(value); });
    event.Skip();
}

void GlypharaMainFrame::OnGlowVBlur(wxCommandEvent& event)
{
    const int value = m_glowVBlur->GetValue();
    TS_LOG_AS("GlypharaMainFrame::OnGlowVBlur", TS_MESSAGE,
              wxString::Format(wxS("Glow filter V blur set to: %d"), value));
    EditSelectedRecord([&](FontProperties& record) { record.glow.blury = static_cast<float>(value); });
    event.Skip();
}

void GlypharaMainFrame::OnGlowStrength(wxCommandEvent& event)
{
    const int value = m_glowStrength->GetValue();
    TS_LOG_AS("GlypharaMainFrame::OnGlowStrength", TS_MESSAGE,
              wxString::Format(wxS("Glow filter strength set to: %d"), value));
    EditSelectedRecord([&](FontProperties& record) { record.glow.strength = value; });
    event.Skip();
}

void GlypharaMainFrame::OnBevelFilterEnabledCheckbox(wxCommandEvent& event)
{
    const bool value = event.IsChecked();
    TS_LOG_AS("GlypharaMainFrame::OnBevelFilterEnabledCheckbox", TS_MESSAGE,
              wxString::Format(wxS("Bevel filter switched to: %d"), int(value)));
    EditSelectedRecord([&](FontProperties& record) { record.bevel.enabled = value; });
    event.Skip();
}

void GlypharaMainFrame::OnBevelFilterTypeChoice(wxCommandEvent& event)
{
    const int value = m_bevelTypeChoice->GetSelection();
    TS_LOG_AS("GlypharaMainFrame::OnBevelFilterTypeChoice", TS_MESSAGE,
              wxString::Format(wxS("Bevel filter type set to: %d"), value));
    EditSelectedRecord([&](FontProperties& record) { record.bevel.type = value; });
    event.Skip();
}

void GlypharaMainFrame::OnBevelShadowColor(wxColourPickerEvent& event)
{
    const wxColour colour = event.GetColour();
    TS_LOG_AS("GlypharaMainFrame::OnBevelShadowColor", TS_MESSAGE,
              wxString::Format(wxS("Bevel filter shadow color changed to: %s"), Html(colour)));
    EditSelectedRecord([&](FontProperties& record) { record.bevel.shadowcolor = colour; });
    event.Skip();
}

void GlypharaMainFrame::OnBevelHighlightColor(wxColourPickerEvent& event)
{
    const wxColour colour = event.GetColour();
    TS_LOG_AS("GlypharaMainFrame::OnBevelHighlightColor", TS_MESSAGE,
              wxString::Format(wxS("Bevel filter highlight color changed to: %s"), Html(colour)));
    EditSelectedRecord([&](FontProperties& record) { record.bevel.highlightcolor = colour; });
    event.Skip();
}

void GlypharaMainFrame::OnBevelAngle(wxCommandEvent& event)
{
    const int value = m_bevelAngle->GetValue();
    TS_LOG_AS("GlypharaMainFrame::OnBevelAngle", TS_MESSAGE,
              wxString::Format(wxS("Bevel filter angle set to: %d"), value));
    EditSelectedRecord([&](FontProperties& record) { record.bevel.angle = value; });
    event.Skip();
}

void GlypharaMainFrame::OnBevelDistance(wxCommandEvent& event)
{
    const int value = m_bevelDistance->GetValue();
    TS_LOG_AS("GlypharaMainFrame::OnBevelDistance", TS_MESSAGE,
              wxString::Format(wxS("Bevel filter distance set to: %d"), value));
    EditSelectedRecord([&](FontProperties& record) { record.bevel.distance = static_cast<float>(value); });
    event.Skip();
}

void GlypharaMainFrame::OnBevelStrength(wxCommandEvent& event)
{
    const int value = m_bevelStrength->GetValue();
    TS_LOG_AS("GlypharaMainFrame::OnBevelStrength", TS_MESSAGE,
              wxString::Format(wxS("Bevel filter strength set to: %d"), value));
    EditSelectedRecord([&](FontProperties& record) { record.bevel.strength = value; });
    event.Skip();
}

// Size box, sample text, tag list, font list

void GlypharaMainFrame::OnFontsizecomboboxSelected(wxCommandEvent& event)
{
    ApplySizeBoxText();
    event.Skip();
}

void GlypharaMainFrame::OnFontsizecomboboxUpdated(wxCommandEvent& event)
{
    ApplySizeBoxText();
    event.Skip();
}

void GlypharaMainFrame::ApplySizeBoxText()
{
    TS_LOG_AS("GlypharaMainFrame::ApplySizeBoxText", TS_MESSAGE,
              wxS("Font size control changed to: ") + m_fontSizeBox->GetValue());
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    FontProperties record;
    core->GetSelectedFontProperties(record);
    // Only a whole decimal number that fits the field is a size; anything else waits
    // for the user to finish or is put right when the box loses the focus.
    long size = 0;
    if (m_fontSizeBox->GetValue().ToLong(&size, 10) && size >= INT_MIN && size <= INT_MAX)
    {
        record.size = static_cast<int>(size);
        core->SetCurrentFontProperties(record);
    }
}

void GlypharaMainFrame::OnFontsizecomboboxKillFocus(wxFocusEvent& event)
{
    FontProperties record;
    if (CGlypharaCore::GetInstance()->GetSelectedFontProperties(record) == RC_OK)
    {
        const wxString stored = wxString::Format(wxS("%d"), record.size);
        if (m_fontSizeBox->GetValue() != stored)
            m_fontSizeBox->ChangeValue(stored);
    }
    event.Skip();
}

void GlypharaMainFrame::OnUserText(wxCommandEvent& event)
{
    const wxString text = m_userText->GetValue();
    TS_LOG_AS("GlypharaMainFrame::OnUserText", TS_MESSAGE,
              wxString::Format(wxS("User input text control changed to: %s"), text));
    CGlypharaCore::GetInstance()->SetUserText(text);
    // The core asks only for a new preview when the text changes, not for a refresh.
    UpdateMissingCharacters();
    event.Skip();
}

void GlypharaMainFrame::OnTagListboxSelected(wxCommandEvent& event)
{
    const int selection = m_tagList->GetSelection();
    const wxString tag = selection != wxNOT_FOUND ? m_tagList->GetString(selection) : wxString();
    TS_LOG_AS("GlypharaMainFrame::OnTagListboxSelected", TS_MESSAGE, wxString::Format(wxS("Tag selected: %s"), tag));
    // A list left without a selection names no tag; the core would take the empty name
    // for a tag of its own, so the highlight goes back to the selected tag instead. The
    // keyboard arriving by Tab selects the row it lands on again: the tag already
    // selected is no change to the project.
    wxArrayString tags;
    wxString current;
    CGlypharaCore::GetInstance()->GetTagList(tags, current);
    if (tag.empty())
        UpdateControls();
    else if (tag != current)
        CGlypharaCore::GetInstance()->SetSelectedTag(tag);
    event.Skip();
}

void GlypharaMainFrame::OnTagListboxKeyDown(wxKeyEvent& event)
{
    // The toolkit's list takes Ctrl+N as "next row" before the menu sees it; here it is
    // New, as everywhere else in the window.
    if (event.GetModifiers() == wxMOD_CONTROL && event.GetKeyCode() == 'N')
    {
        wxCommandEvent command(wxEVT_MENU, ID_MENUITEM_NEW);
        command.SetEventObject(this);
        ProcessWindowEvent(command);
        return;
    }
    event.Skip();
}

void GlypharaMainFrame::OnTagListboxLeftUp(wxMouseEvent& event)
{
    event.Skip();
}

void GlypharaMainFrame::OnFontListboxSelected(wxCommandEvent& event)
{
    const int selection = m_fontList->GetSelection();
    const wxString row = selection != wxNOT_FOUND ? m_fontList->GetString(selection) : wxString();
    const wxString shown = event.GetString().empty() ? row : event.GetString();
    TS_LOG_AS("GlypharaMainFrame::OnFontListboxSelected", TS_MESSAGE,
              wxString::Format(wxS("New font list selection: %s"), shown));
    if (selection != wxNOT_FOUND)
    {
        // The press being handled counts as held even when the user has let go of it
        // before the window got round to it. A row chosen from the keyboard (Return or
        // Space on it) is chosen as a click chooses it: a header gives its first font,
        // an add-more row opens the shop.
        const CFontListCtrl::Change& change = m_fontList->CurrentChange();
        const wxMouseState mouse = wxGetMouseState();
        const bool chosen = change.key == WXK_RETURN || change.key == WXK_SPACE;
        const bool byMouse = change.byMouse || chosen || mouse.LeftIsDown() || mouse.RightIsDown();
        const bool keyUp = change.key == WXK_UP || wxGetKeyState(WXK_UP);
        const bool keyDown = change.key == WXK_DOWN || wxGetKeyState(WXK_DOWN);
        CGlypharaCore::GetInstance()->SelectInstalledFont(row, byMouse, keyUp, keyDown);
    }
    event.Skip();
}

void GlypharaMainFrame::OnFontListboxLeftUp(wxMouseEvent& event)
{
    TS_LOG_AS("GlypharaMainFrame::OnFontListboxLeftUp", TS_MESSAGE,
              wxS("Font list click. Selecting previous selection"));
    // The refresh that followed the click has set the row of the font in use.
    if (m_fontRowInUse != wxNOT_FOUND && m_fontList->GetSelection() != m_fontRowInUse)
        m_fontList->SetSelection(m_fontRowInUse);
    event.Skip();
}

// Refresh

void GlypharaMainFrame::UpdateControls()
{
    TS_FUNCTION("GlypharaMainFrame::UpdateControls");
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    const auto changing = [this] { BeforeChange(); };

    UpdateTitle();
    UpdateTagList();
    UpdateEffectChoice();

    FontProperties record;
    const bool haveRecord = core->GetSelectedFontProperties(record) == RC_OK;
    if (haveRecord)
    {
        const wxString size = wxString::Format(wxS("%d"), record.size);
        if (m_fontSizeBox->GetValue() != size)
        {
            changing();
            m_fontSizeBox->ChangeValue(size);
        }

        ShowValue(changing, m_fontColor, record.color, true);
        ShowValue(changing, m_linkColor, record.linkcolor, true);
        ShowValue(changing, m_hoverColor, record.hovercolor, true);
        ShowValue(changing, m_backgroundColor, record.backgroundcolor, true);

        ShowValue(changing, m_opacitySlider, record.opacity, m_opacitySlider->IsThisEnabled());
        ShowValue(changing, m_alignmentChoice, record.align, true);

        if (m_italicCheck->GetValue() != record.italic)
            ShowValue(changing, m_italicCheck, record.italic, true);
        if (m_boldCheck->GetValue() != record.bold)
            ShowValue(changing, m_boldCheck, record.bold, true);
        UpdateStyleAvailability(record);

        ShowValue(changing, m_underlineCheck, record.understroked, m_underlineCheck->IsThisEnabled());

        const BlurProperties& blur = record.blur;
        ShowValue(changing, m_blurCheck, blur.enabled, true);
        ShowValue(changing, m_blurHBlur, blur.blurx, blur.enabled);
        ShowValue(changing, m_blurVBlur, blur.blury, blur.enabled);

        const DropShadowProperties& shadow = record.dropshadow;
        ShowValue(changing, m_dropShadowCheck, shadow.enabled, true);
        ShowValue(changing, m_dropShadowAngle, shadow.angle, shadow.enabled);
        ShowValue(changing, m_dropShadowKnockoutCheck, shadow.knockout, shadow.enabled);
        ShowValue(changing, m_dropShadowDistance, Shown(shadow.distance), shadow.enabled);
        ShowValue(changing, m_dropShadowColor, shadow.color, shadow.enabled);
        ShowValue(changing, m_dropShadowStrength, Shown(shadow.strength), shadow.enabled);

        const GlowProperties& glow = record.glow;
        ShowValue(changing, m_glowCheck, glow.enabled, true);
        ShowValue(changing, m_glowStrength, glow.strength, glow.enabled);
        ShowValue(changing, m_glowHBlur, Shown(glow.blurx), glow.enabled);
        ShowValue(changing, m_glowVBlur, Shown(glow.blury), glow.enabled);
        ShowValue(changing, m_glowKnockoutCheck, glow.knockout, glow.enabled);
        ShowValue(changing, m_glowInnerCheck, glow.inner, glow.enabled);
        ShowValue(changing, m_glowAlpha, Shown(glow.alpha * 100.0), glow.enabled);
        ShowValue(changing, m_glowColor, glow.color, glow.enabled);

        const BevelProperties& bevel = record.bevel;
        ShowValue(changing, m_bevelCheck, bevel.enabled, true);
        ShowValue(changing, m_bevelAngle, bevel.angle, bevel.enabled);
        ShowValue(changing, m_bevelDistance, Shown(bevel.distance), bevel.enabled);
        ShowValue(changing, m_bevelStrength, bevel.strength, bevel.enabled);
        ShowValue(changing, m_bevelHighlightColor, bevel.highlightcolor, bevel.enabled);
        ShowValue(changing, m_bevelShadowColor, bevel.shadowcolor, bevel.enabled);
        ShowValue(changing, m_bevelTypeChoice, bevel.type, bevel.enabled);
    }
    // Filters the preview cannot draw stay out of sight.
    if (m_effectsListSizer->IsShown(m_blurGroupSizer))
    {
        changing();
        m_effectsListSizer->Hide(m_blurGroupSizer);
    }
    HideFor(changing, m_dropShadowKnockoutCheck);
    HideFor(changing, m_glowKnockoutCheck);
    HideFor(changing, m_glowInnerCheck);

    UpdateFontList(haveRecord ? &record : nullptr);
    UpdateUserText();
    UpdateMissingCharacters();

    m_effectsListSizer->Layout();
    m_effectsScrolled->FitInside();
    if (m_refreshFrozen)
    {
        m_refreshFrozen = false;
        Thaw();
    }
    TS_RETURN_VOID_MSG(wxEmptyString);
}

void GlypharaMainFrame::BeforeChange()
{
    // The window's painting is frozen at the first change only: thawing repaints every
    // control, which would make a refresh that changes nothing as costly as one that
    // changes everything.
    if (!m_refreshFrozen)
    {
        m_refreshFrozen = true;
        Freeze();
    }
}

void GlypharaMainFrame::UpdateTitle()
{
    const CGlypharaCore* core = CGlypharaCore::GetInstance();
    wxString title = _("Glyphara") + wxS(" ");
    if (!core->GetProjectName().empty())
        title << wxS(" - ") << core->GetProjectName();
    if (!core->IsProjectSaved())
        title << _(" (not saved)");
    if (GetTitle() != title)
        SetTitle(title);
}

void GlypharaMainFrame::UpdateTagList()
{
    wxArrayString tags;
    wxString selected;
    if (CGlypharaCore::GetInstance()->GetTagList(tags, selected) < 0)
        return;
    // The list sorts its items itself (by the toolkit's collation), so it matches the
    // tags when both hold the same names.
    wxArrayString shown = m_tagList->GetStrings();
    wxArrayString wanted = tags;
    shown.Sort();
    wanted.Sort();
    if (!SameItems(shown, wanted))
    {
        BeforeChange();
        m_tagList->Set(tags);
    }
    const int current = m_tagList->GetSelection();
    if (current == wxNOT_FOUND || m_tagList->GetString(current) != selected)
    {
        BeforeChange();
        m_tagList->SetStringSelection(selected);
    }
}

void GlypharaMainFrame::UpdateEffectChoice()
{
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    wxArrayString names;
    wxString selected;
    if (core->GetEffectList(names) < 0 || core->GetSelectedEffect(selected) < 0)
        return;
    const auto changing = [this] { BeforeChange(); };
    if (!SameItems(m_effectChoice->GetStrings(), names))
    {
        changing();
        m_effectChoice->Clear();
        m_effectChoice->Append(names);
    }
    if (m_effectChoice->GetStringSelection() != selected)
    {
        changing();
        m_effectChoice->SetStringSelection(selected);
    }
    const bool userDefined = selected == kUserDefinedEffect;
    EnableAs(changing, m_saveEffectButton, userDefined);
    EnableAs(changing, m_deleteEffectButton, !userDefined && selected != kNoneEffect);
}

void GlypharaMainFrame::UpdateStyleAvailability(const FontProperties& record)
{
    bool regular = false, italic = false, bold = false, boldItalic = false;
    if (CGlypharaCore::GetInstance()->GetFontSupportedStyles(record.font, regular, italic, bold, boldItalic) < 0)
        return;
    bool italicEnabled = italic;
    bool boldEnabled = bold;
    if (boldItalic)
        italicEnabled = boldEnabled = true;
    else if (record.bold)
        italicEnabled = false;
    else if (record.italic)
        boldEnabled = false;
    if (int(regular) + int(italic) + int(bold) + int(boldItalic) <= 1)
        italicEnabled = boldEnabled = false;
    const auto changing = [this] { BeforeChange(); };
    EnableAs(changing, m_italicCheck, italicEnabled);
    EnableAs(changing, m_boldCheck, boldEnabled);
}

void GlypharaMainFrame::UpdateFontList(const FontProperties* record)
{
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    if (!record || !m_fontListCache->IsCurrent(core->GetFontTable(), record->foundry, record->font))
    {
        wxArrayString rows;
        wxString selected;
        if (core->GetInstalledFontList(rows, selected) < 0)
            return;
        if (!SameItems(rows, m_fontRows))
        {
            BeforeChange();
            m_fontList->SetRows(core->GetInstalledFontModel().Rows());
            m_fontRows.swap(rows);
        }
        // A font that is not in the list leaves the highlight where it is.
        m_fontRowInUse = selected.empty() ? wxNOT_FOUND : m_fontRows.Index(selected);
        if (record)
            m_fontListCache->Remember(core->GetFontTable(), record->foundry, record->font);
        else
            m_fontListCache->Forget();
    }
    if (m_fontRowInUse != wxNOT_FOUND && m_fontList->GetSelection() != m_fontRowInUse)
    {
        BeforeChange();
        m_fontList->SetSelection(m_fontRowInUse);
    }
}

void GlypharaMainFrame::UpdateUserText()
{
    wxString text;
    if (CGlypharaCore::GetInstance()->GetUserText(text) < 0)
        return;
    // Setting the text reaches OnUserText, which hands the same text back to the core.
    if (m_userText->GetValue() != text)
    {
        BeforeChange();
        m_userText->SetValue(text);
    }
}

void GlypharaMainFrame::UpdateMissingCharacters()
{
    if (!m_missingCharacters)
        return;
    wxString text;
    if (CGlypharaCore::GetInstance()->GetMissingCharactersText(text) < 0)
        text.clear();
    wxSizer* previewBox = m_previewPanel->GetSizer();
    const bool show = !text.empty();
    if (previewBox->IsShown(m_missingCharactersRow) == show && m_missingCharacters->GetLabelText() == text)
        return;
    m_missingCharacters->SetLabelText(text);
    if (show && !m_missingCharactersIcon->GetBitmap().IsOk())
        m_missingCharactersIcon->SetBitmap(wxArtProvider::GetBitmap(wxART_WARNING, wxART_MENU));
    if (show)
        m_missingCharacters->SetToolTip(text);
    else
        m_missingCharacters->UnsetToolTip();
    previewBox->Show(m_missingCharactersRow, show);
    // The browser gives up the line's height, or takes it back.
    m_previewPanel->Layout();
}

// Preview

void GlypharaMainFrame::OnPreviewTimer(wxTimerEvent&)
{
    TS_LOG_AS("GlypharaMainFrame::OnPreviewTimer", TS_VERBOSE, wxS("Preview timer entered"));
    const wxString url = CGlypharaCore::GetInstance()->GetEmbeddedPreviewUrl();
    TS_LOG_AS("GlypharaMainFrame::OnPreviewTimer", TS_VERBOSE, wxS("URL to preview: ") + url);
    if (!m_browser)
        return;
    m_browser->Freeze();
    // A browser whose page is gone (its web process ended) needs a fresh load, which
    // also brings the web process back.
    if (url == m_lastPreviewUrl && m_browser->HasBrowser())
    {
        // The shown page draws the change itself. A full reload for every change left
        // the whole previous page, its runtime compiled anew and its font movie read
        // anew, to the web process's collector, which seldom got round to it: the
        // process grew with every change. A page that cannot update itself is reloaded.
        // Nothing is stopped first: a stop leaves the shown page unable to load anything
        // more, its web fonts for new characters included.
        CEmbeddedBrowser* browser = m_browser;
        m_browser->RunScript(PreviewUpdateScript(), [browser](bool ran, const wxString& value) {
            if (!ran || value != wxS("true"))
                browser->ReloadCompletely();
        });
    }
    else
    {
        m_browser->StopLoading();
        m_lastPreviewUrl = url;
        m_browser->LoadUrl(url);
    }
    m_browser->Thaw();
}

void GlypharaMainFrame::OnFlashPlayerSize(wxSizeEvent& event)
{
    // A browser area under the margin gives an empty movie, never a negative one.
    const int width = std::max(0, event.GetSize().x - kFlashPlayerMargin);
    const int height = std::max(0, event.GetSize().y - kFlashPlayerMargin);
    TS_LOG_AS("GlypharaMainFrame::OnFlashPlayerSize", TS_MESSAGE,
              wxString::Format(wxS("IECtrl size changed to: %dx%d"), width, height));
    CGlypharaCore::GetInstance()->SetFlashPlayerSize(width, height);
    event.Skip();
}

void GlypharaMainFrame::OnFlashPlayerEraseBackground(wxEraseEvent&)
{
}
