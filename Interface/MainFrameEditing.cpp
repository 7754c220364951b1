// The window's half of the editing loop: each property control writes the selected tag's
// record through the core; the core calls back to refresh every control and to schedule
// the preview, which the one-shot timer then loads into the browser.
#include "Interface/glypharamainframe.h"

#include "Interface/ControlIds.h"
#include "Interface/FieldControls.h"
#include "Interface/FontListCache.h"
#include "Interface/FontListCtrl.h"
#include "Interface/PreviewUpdate.h"
#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "Library/CustomControls/TextSlider.h"
#include "browser/EmbeddedBrowser.h"
#include "core/CoreNames.h"
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

namespace
{
// The browser area is this much wider and taller than the movie it shows.
const int kPreviewMargin = 40;

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

// Loads the field into its control and enables the control as the row says.
template <typename Changing>
void ShowField(const Changing& changing, const FieldControl& row, wxWindow* control, const FontProperties& record)
{
    const FieldValue value = row.get(record, row.scale);
    const auto show = [&changing](bool differs, const auto& set) {
        if (differs)
        {
            changing();
            set();
        }
    };
    switch (row.kind)
    {
    case FieldControlKind::kCheckBox:
    {
        wxCheckBox* box = static_cast<wxCheckBox*>(control);
        const bool checked = value.number != 0;
        show(box->GetValue() != checked, [&] { box->SetValue(checked); });
        break;
    }
    case FieldControlKind::kSlider:
    {
        wxSlider* slider = static_cast<wxSlider*>(control);
        show(slider->GetValue() != value.number, [&] { slider->SetValue(value.number); });
        break;
    }
    case FieldControlKind::kTextSlider:
    {
        CTextSlider* slider = static_cast<CTextSlider*>(control);
        show(slider->GetValue() != value.number, [&] { slider->SetValue(value.number, false); });
        break;
    }
    case FieldControlKind::kChoice:
    {
        // An index from a hand-edited project file may lie outside the items.
        wxChoice* choice = static_cast<wxChoice*>(control);
        const int count = static_cast<int>(choice->GetCount());
        const int wanted = value.number >= 0 && value.number < count ? value.number : wxNOT_FOUND;
        show(choice->GetSelection() != wanted, [&] { choice->SetSelection(wanted); });
        break;
    }
    case FieldControlKind::kColour:
    {
        // wxColour's equality covers red, green, blue, alpha and validity.
        CTextColorPickerCtrl* picker = static_cast<CTextColorPickerCtrl*>(control);
        const wxColour colour = value.colour;
        show(picker->GetColour() != colour, [&] { picker->SetColour(colour, false); });
        break;
    }
    }
    if (row.enabling == FieldEnabling::kAlways)
        EnableAs(changing, control, true);
    else if (row.enabling == FieldEnabling::kWithFilter)
        EnableAs(changing, control, row.filterOn(record));
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

// Property handlers: the event table names one per control; each hands its event to the
// field table, and its trace line carries the handler's own name and place.

void GlypharaMainFrame::OnFontColorColourPicker(wxColourPickerEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnLinkColorColourPicker(wxColourPickerEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnHoverColorColourPicker(wxColourPickerEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnBackgroundColorColourPicker(wxColourPickerEvent& event)
{
    EditField(event, __func__, __LINE__);
}
void GlypharaMainFrame::OnOpacitySliderUpdated(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnFontAlignmentChoiceSelected(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnFontBoldCheckbox(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnFontItalicCheckbox(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnFontUnderlineCheckbox(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnBlurEnabledCheckbox(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnBlurHBlur(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnBlurVBlur(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnDropShadowEnabledCheckbox(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnDropShadowKnockoutCheckbox(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnDropShadowColor(wxColourPickerEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnDropShadowAngle(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnDropShadowDistance(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnDropShadowStrength(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnGlowFilterEnabledCheckbox(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnGlowFilterInnerCheckbox(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnGlowFilterKnockoutCheckbox(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnGlowFilterColor(wxColourPickerEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnGlowAlpha(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnGlowHBlur(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnGlowVBlur(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnGlowStrength(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnBevelFilterEnabledCheckbox(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnBevelFilterTypeChoice(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnBevelShadowColor(wxColourPickerEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnBevelHighlightColor(wxColourPickerEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnBevelAngle(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnBevelDistance(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }
void GlypharaMainFrame::OnBevelStrength(wxCommandEvent& event) { EditField(event, __func__, __LINE__); }

void GlypharaMainFrame::EditField(wxCommandEvent& event, const char* handler, int line)
{
    const size_t index = FindFieldControl(event.GetId());
    if (index == kFieldControlCount)
    {
        event.Skip();
        return;
    }
    const FieldControl& row = kFieldControls[index];
    wxWindow* control = FieldControlWindow(index);
    FieldValue value;
    wxString traced;
    switch (row.kind)
    {
    case FieldControlKind::kColour:
    {
        const wxColour colour = static_cast<wxColourPickerEvent&>(event).GetColour();
        value.colour = colour;
        traced = wxString::Format(row.trace, Html(colour));
        break;
    }
    case FieldControlKind::kCheckBox:
        value.number = event.IsChecked();
        break;
    case FieldControlKind::kSlider:
        value.number = static_cast<wxSlider*>(control)->GetValue();
        break;
    case FieldControlKind::kTextSlider:
        value.number = static_cast<CTextSlider*>(control)->GetValue();
        break;
    case FieldControlKind::kChoice:
        value.number = static_cast<wxChoice*>(control)->GetSelection();
        break;
    }
    if (row.kind != FieldControlKind::kColour)
        traced = row.scale == 1 ? wxString::Format(row.trace, value.number)
                                : wxString::Format(row.trace, value.number / static_cast<double>(row.scale));
    const wxString function = wxString(wxS("GlypharaMainFrame::")) + handler;
    TraceSystem::GetInstance()->Trace(TraceSystem::CurrentThreadId(), __FILE__, function, line, TS_MESSAGE, traced);
    EditSelectedRecord([&](FontProperties& record) { row.set(record, value, row.scale); });
    event.Skip();
}

wxWindow* GlypharaMainFrame::FieldControlWindow(size_t index)
{
    if (m_fieldControls.empty())
    {
        for (size_t i = 0; i < kFieldControlCount; ++i)
            m_fieldControls.push_back(FindWindow(kFieldControls[i].id));
    }
    return m_fieldControls[index];
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

void GlypharaMainFrame::OnFontListboxRightUp(wxMouseEvent& event)
{
    OnFontListboxLeftUp(event);
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

        for (size_t i = 0; i < kFieldControlCount; ++i)
            ShowField(changing, kFieldControls[i], FieldControlWindow(i), record);
        UpdateStyleAvailability(record);
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
    if (!record || !m_fontListCache->IsCurrent(core->GetFontTableRevision(), record->foundry, record->font))
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
            m_fontListCache->Remember(core->GetFontTableRevision(), core->GetFontTable(), record->foundry,
                                      record->font);
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
    const int width = std::max(0, event.GetSize().x - kPreviewMargin);
    const int height = std::max(0, event.GetSize().y - kPreviewMargin);
    TS_LOG_AS("GlypharaMainFrame::OnFlashPlayerSize", TS_MESSAGE,
              wxString::Format(wxS("IECtrl size changed to: %dx%d"), width, height));
    CGlypharaCore::GetInstance()->SetFlashPlayerSize(width, height);
    event.Skip();
}

// Left undone, so the background is never painted over behind the browser.
void GlypharaMainFrame::OnBrowserEraseBackground(wxEraseEvent&)
{
}
