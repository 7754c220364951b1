// The program's only top-level window: menus, tool bar, the live preview and every
// editing control. It keeps no property value of its own: each control writes through
// the core, and the core's callbacks refresh every control and schedule the preview.
#ifndef GLYPHARA_INTERFACE_GLYPHARAMAINFRAME_H
#define GLYPHARA_INTERFACE_GLYPHARAMAINFRAME_H

#include <wx/arrstr.h>
#include <wx/frame.h>
#include <wx/string.h>

#include <cstddef>
#include <memory>
#include <vector>

struct FontProperties;
class CFontListCtrl;
class FontListCache;
class CEmbeddedBrowser;
class CTextColorPickerCtrl;
class CTextSlider;
class wxBitmapButton;
class wxBoxSizer;
class wxButton;
class wxCheckBox;
class wxChoice;
class wxColourPickerEvent;
class wxComboBox;
class wxContextMenuEvent;
class wxFileHistory;
class wxIdleEvent;
class wxListBox;
class wxMenuBar;
class wxPanel;
class wxScrollEvent;
class wxScrolledWindow;
class wxSizer;
class wxSlider;
class wxStaticBitmap;
class wxStaticText;
class wxTextCtrl;
class wxTimer;
class wxTimerEvent;
class wxToolBar;

class GlypharaMainFrame : public wxFrame
{
public:
    // Builds the frame and all its controls; returns with the window hidden.
    GlypharaMainFrame(wxWindow* parent, const wxString& title, const wxSize& size);
    ~GlypharaMainFrame() override;

    // Loads every control from the core's model.
    void UpdateControls();
    // (Re)starts the one-shot preview timer.
    void UpdateFlash(int delay);
    // True while a preview waits for the timer's delay.
    bool IsPreviewPending() const;

    // The callbacks registered with the core; context is the window.
    static int UpdateControlsCB(void* context);
    static int UpdateFlashCB(void* context, int delay);

    // The size that shows every tool and control at the user's text size, at least the
    // usual default and at most the display; the size to open with when none is stored.
    wxSize GetFittingSize() const;

    // Writes position (in thousandths of the display) and size to the settings store.
    void StoreGeometry();

    // Asks what needs asking, saves through the core; 0 when the caller may go on,
    // RC_CANCELLED or RC_WRITE_FAILED otherwise.
    int SaveProject(bool saveAs, bool askFirst, bool overwrite);
    // Loads a project file as the Open command does once a file is chosen, telling the
    // user what went wrong; returns the core's result.
    int OpenProjectFile(const wxString& path);
    // Opens a project given when the program was started, once the window is up.
    void OpenProjectAtStartup(const wxString& path);

private:
    // Construction (glypharamainframe.cpp, MainFrameLayout.cpp)
    void CreateControls();
    void CreateMenus();
    void CreateTools();
    void CreateClientArea();
    wxSizer* CreateTagBox(wxWindow* parent);
    wxSizer* CreateFontBox(wxWindow* parent);
    wxSizer* CreatePropertiesGrid(wxWindow* parent);
    wxSizer* CreateEffectsColumn(wxWindow* parent);
    void BindRunTimeEvents();
    void SetFrameIcon();
    void LoadArchiveImages();
    void ApplyFonts();
    void SetTextSliderRanges();
    // Names and labels as screen readers give them, focus shown where the toolkit shows
    // none, and the window no smaller than its tools and controls need at the user's text size.
    void MakeAccessible();
    // Names and labels every control; again once the window is up, when the toolkit has
    // guessed at labels once more.
    void LabelControls();
    void FitToContent();
    void FillSizeBox();
    void RegisterWithCore();

    // Frame-level events
    void OnSize(wxSizeEvent& event);
    void OnMenuitemRefreshfontlistClick(wxCommandEvent& event);

    // Property editing and live preview (MainFrameEditing.cpp)
    void OnFontColorColourPicker(wxColourPickerEvent& event);
    void OnLinkColorColourPicker(wxColourPickerEvent& event);
    void OnHoverColorColourPicker(wxColourPickerEvent& event);
    void OnBackgroundColorColourPicker(wxColourPickerEvent& event);
    void OnOpacitySliderUpdated(wxCommandEvent& event);
    void OnFontAlignmentChoiceSelected(wxCommandEvent& event);
    void OnFontBoldCheckbox(wxCommandEvent& event);
    void OnFontItalicCheckbox(wxCommandEvent& event);
    void OnFontUnderlineCheckbox(wxCommandEvent& event);
    void OnBlurEnabledCheckbox(wxCommandEvent& event);
    void OnBlurHBlur(wxCommandEvent& event);
    void OnBlurVBlur(wxCommandEvent& event);
    void OnDropShadowEnabledCheckbox(wxCommandEvent& event);
    void OnDropShadowKnockoutCheckbox(wxCommandEvent& event);
    void OnDropShadowColor(wxColourPickerEvent& event);
    void OnDropShadowAngle(wxCommandEvent& event);
    void OnDropShadowDistance(wxCommandEvent& event);
    void OnDropShadowStrength(wxCommandEvent& event);
    void OnGlowFilterEnabledCheckbox(wxCommandEvent& event);
    void OnGlowFilterInnerCheckbox(wxCommandEvent& event);
    void OnGlowFilterKnockoutCheckbox(wxCommandEvent& event);
    void OnGlowFilterColor(wxColourPickerEvent& event);
    void OnGlowAlpha(wxCommandEvent& event);
    void OnGlowHBlur(wxCommandEvent& event);
    void OnGlowVBlur(wxCommandEvent& event);
    void OnGlowStrength(wxCommandEvent& event);
    void OnBevelFilterEnabledCheckbox(wxCommandEvent& event);
    void OnBevelFilterTypeChoice(wxCommandEvent& event);
    void OnBevelShadowColor(wxColourPickerEvent& event);
    void OnBevelHighlightColor(wxColourPickerEvent& event);
    void OnBevelAngle(wxCommandEvent& event);
    void OnBevelDistance(wxCommandEvent& event);
    void OnBevelStrength(wxCommandEvent& event);
    // What the handlers above share: the field table's row for the event's control
    // writes the control's value into the selected tag's record. The trace line names
    // the handler and its line.
    void EditField(wxCommandEvent& event, const char* handler, int line);
    // The control of the table's row index.
    wxWindow* FieldControlWindow(size_t index);

    void OnFontsizecomboboxSelected(wxCommandEvent& event);
    void OnFontsizecomboboxUpdated(wxCommandEvent& event);
    void OnFontsizecomboboxKillFocus(wxFocusEvent& event);
    void ApplySizeBoxText();
    void OnUserText(wxCommandEvent& event);
    void OnTagListboxSelected(wxCommandEvent& event);
    void OnTagListboxKeyDown(wxKeyEvent& event);
    void OnFontListboxSelected(wxCommandEvent& event);
    // Either button released over the list puts the highlight back on the font in use.
    void OnFontListboxLeftUp(wxMouseEvent& event);
    void OnFontListboxRightUp(wxMouseEvent& event);

    void OnPreviewTimer(wxTimerEvent& event);
    void OnFlashPlayerSize(wxSizeEvent& event);
    void OnBrowserEraseBackground(wxEraseEvent& event);

    // Pieces of UpdateControls
    void BeforeChange();
    void UpdateTitle();
    void UpdateTagList();
    void UpdateEffectChoice();
    void UpdateStyleAvailability(const FontProperties& record);
    void UpdateFontList(const FontProperties* record);
    void UpdateUserText();
    // The line under the preview that names the characters of the sample which the
    // selected tag's font lacks; hidden, taking no room, while it lacks none.
    void UpdateMissingCharacters();

    // Undo and redo (MainFrameHistory.cpp)
    void CreateEditMenu(wxMenuBar* menuBar);
    void BindEditGroups();
    void OnUndo(wxCommandEvent& event);
    void OnRedo(wxCommandEvent& event);
    void OnIdle(wxIdleEvent& event);
    // Names and enables Undo and Redo after the history.
    void UpdateEditMenu();
    void OnSliderDragStart(wxScrollEvent& event);
    void OnSliderDragEnd(wxScrollEvent& event);

    // Project commands (MainFrameProjectCommands.cpp)
    void OnMenuitemNew(wxCommandEvent& event);
    void OpenProject(wxCommandEvent& event);
    void OnMenuitemSave(wxCommandEvent& event);
    void OnSaveToolClick(wxCommandEvent& event);
    void OnMenuitemSaveAs(wxCommandEvent& event);
    void OnMenuitemExit(wxCommandEvent& event);
    void OnCloseWindow(wxCloseEvent& event);
    void OnRecentProject(wxCommandEvent& event);
    // The Get Code dialog for the open project, as after a first save; the Get Code
    // command shows the same.
    void ShowGetCodeDialog();
    void CreateRecentProjects();
    void RememberRecentProject(const wxString& path);
    void StoreRecentProjects();

    // Tag commands (MainFrameTagCommands.cpp)
    void OnMenuitemAddtagClick(wxCommandEvent& event);
    void OnMenuitemDeletetagClick(wxCommandEvent& event);
    void OnMenuitemRenametagClick(wxCommandEvent& event);
    void OnTagListboxRightUp(wxMouseEvent& event);
    // The menu key and Shift+F10 open the tag list's menu, as a right click does.
    void OnTagListboxContextMenu(wxContextMenuEvent& event);
    void ShowTagMenu(const wxPoint& at);

    // Effect and font commands (MainFrameEffectFontCommands.cpp)
    void OnEffectChoiceSelected(wxCommandEvent& event);
    void OnSaveEffectButtonClick(wxCommandEvent& event);
    void OnMenuitemDeleteeffectClick(wxCommandEvent& event);
    void OnMenuitemImporteffectsClick(wxCommandEvent& event);
    void OnMenuitemExporteffectClick(wxCommandEvent& event);
    void OnMenuitemImportfontsClick(wxCommandEvent& event);
    void OnMenuitemMoldwrightClick(wxCommandEvent& event);

    // Web, help and tip commands (MainFrameWebHelpCommands.cpp)
    void OnMenuPreviewcurrentprojectClick(wxCommandEvent& event);
    void OnMenuPreviewmywebClick(wxCommandEvent& event);
    // Tells the user why a preview in the web browser failed; nothing on success.
    void ShowPreviewResult(int result, const wxString& page);
    void OnMenuAddtomywebClick(wxCommandEvent& event);
    void OnMenuitemHelpClick(wxCommandEvent& event);
    void OnMenuitemShowdailytipsClick(wxCommandEvent& event);
    void OnAboutClick(wxCommandEvent& event);

    // Sizers kept for the refresh
    wxBoxSizer* m_mainSizer;
    wxBoxSizer* m_effectsColumnSizer;
    wxBoxSizer* m_effectsListSizer;
    wxSizer* m_blurGroupSizer;

    // Controls, owned by their parent windows
    wxToolBar* m_toolBar;
    wxPanel* m_mainPanel;
    wxPanel* m_previewPanel;
    CEmbeddedBrowser* m_browser;
    wxPanel* m_textPanel;
    wxTextCtrl* m_userText;
    wxPanel* m_tagFontPanel;
    wxListBox* m_tagList;
    wxBitmapButton* m_addTagButton;
    wxBitmapButton* m_deleteTagButton;
    wxBitmapButton* m_renameTagButton;
    CFontListCtrl* m_fontList;
    wxBitmapButton* m_importFontsButton;
    wxBitmapButton* m_moldwrightButton;
    wxComboBox* m_fontSizeBox;
    CTextColorPickerCtrl* m_fontColor;
    CTextColorPickerCtrl* m_linkColor;
    CTextColorPickerCtrl* m_hoverColor;
    wxChoice* m_alignmentChoice;
    wxCheckBox* m_boldCheck;
    wxCheckBox* m_italicCheck;
    wxCheckBox* m_underlineCheck;
    wxStaticText* m_opacityLabel;
    wxSlider* m_opacitySlider;
    wxStaticText* m_backgroundLabel;
    CTextColorPickerCtrl* m_backgroundColor;
    wxPanel* m_effectsPanel;
    wxScrolledWindow* m_effectsScrolled;
    wxChoice* m_effectChoice;
    wxButton* m_saveEffectButton;
    wxButton* m_deleteEffectButton;
    wxCheckBox* m_dropShadowCheck;
    wxCheckBox* m_dropShadowKnockoutCheck;
    CTextColorPickerCtrl* m_dropShadowColor;
    CTextSlider* m_dropShadowAngle;
    CTextSlider* m_dropShadowDistance;
    CTextSlider* m_dropShadowStrength;
    wxCheckBox* m_bevelCheck;
    wxChoice* m_bevelTypeChoice;
    CTextColorPickerCtrl* m_bevelShadowColor;
    CTextColorPickerCtrl* m_bevelHighlightColor;
    CTextSlider* m_bevelAngle;
    CTextSlider* m_bevelDistance;
    CTextSlider* m_bevelStrength;
    wxCheckBox* m_glowCheck;
    wxCheckBox* m_glowInnerCheck;
    wxCheckBox* m_glowKnockoutCheck;
    CTextColorPickerCtrl* m_glowColor;
    CTextSlider* m_glowAlpha;
    CTextSlider* m_glowHBlur;
    CTextSlider* m_glowVBlur;
    CTextSlider* m_glowStrength;
    wxCheckBox* m_blurCheck;
    wxSlider* m_blurHBlur;
    wxSlider* m_blurVBlur;

    wxSizer* m_missingCharactersRow = nullptr;
    wxStaticBitmap* m_missingCharactersIcon = nullptr;
    wxStaticText* m_missingCharacters = nullptr;

    wxTimer* m_previewTimer;
    // Whether the running refresh has frozen the window's painting.
    bool m_refreshFrozen;
    // The address last loaded into the browser; the same address is reloaded instead.
    wxString m_lastPreviewUrl;
    // The rows last put into the font list and the one of the font in use, so that an
    // unchanged library is neither asked for nor refilled.
    wxArrayString m_fontRows;
    int m_fontRowInUse;
    std::unique_ptr<FontListCache> m_fontListCache;
    // The controls of the field table's rows, found by their ids on first use.
    std::vector<wxWindow*> m_fieldControls;
    // Projects opened or saved lately, listed in the File menu and kept in the settings.
    std::unique_ptr<wxFileHistory> m_recentProjects;

    wxDECLARE_EVENT_TABLE();
};

#endif
