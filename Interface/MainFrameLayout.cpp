// How the main window is built: menus, tool bar, the client area and everything that
// CreateControls finishes with.
#include "Interface/glypharamainframe.h"

#include "Interface/ControlIds.h"
#include "Interface/FieldControls.h"
#include "Interface/FontListCtrl.h"
#include "Interface/ProgramIcon.h"
#include "Interface/WindowGeometry.h"
#include "Library/Accessibility/Accessibility.h"
#include "Library/Accessibility/Contrast.h"
#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "Library/CustomControls/TextSlider.h"
#include "browser/EmbeddedBrowser.h"
#include "trace/TraceSystem.h"
#include "wxIncludes/wxIncludes.h"

#include <wx/artprov.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/display.h>
#include <wx/dcmemory.h>
#include <wx/filefn.h>
#include <wx/gbsizer.h>
#include <wx/iconbndl.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/toolbar.h>

#include <algorithm>
#include <functional>
#include <utility>

namespace
{
const wxSize kToolBitmapSize(39, 42);
const wxSize kTagButtonBitmapSize(24, 24);
const wxSize kFontButtonBitmapSize(16, 16);
const wxSize kSmallButtonSize(24, 24);
const wxSize kPickerSize(90, 10);
const int kEditingFontPoints = 8;
const int kTagListFontPoints = 10;
const int kFilterSwitchFontPoints = 9;
const wxSize kMinimumFrameSize(780, 720);
const int kFrameSidesAllowance = 16;
const int kFirstPreviewDelay = 2000;

// The image shown until the archive's picture is loaded. The tools and buttons that had
// a built-in picture get a plain framed tile; any other name gives an empty image.
wxBitmap Placeholder(const char* name, const wxSize& size)
{
    static const char* const kBuiltIn[] = {"New",        "Open",        "Save",          "AddTag",       "DeleteTag",
                                           "Preview",    "AddTagDown",  "DeleteTagDown", "RenameTagDown"};
    wxImage image(size.x, size.y);
    image.InitAlpha();
    unsigned char* alpha = image.GetAlpha();
    std::fill(alpha, alpha + size.x * size.y, 0);
    bool builtIn = false;
    for (const char* known : kBuiltIn)
        builtIn = builtIn || wxString(name) == known;
    if (builtIn)
    {
        const int inset = size.x / 6;
        for (int y = inset; y < size.y - inset; ++y)
            for (int x = inset; x < size.x - inset; ++x)
            {
                const bool edge = y == inset || y == size.y - inset - 1 || x == inset || x == size.x - inset - 1;
                image.SetRGB(x, y, edge ? 120 : 225, edge ? 120 : 225, edge ? 120 : 225);
                image.SetAlpha(x, y, 255);
            }
    }
    return wxBitmap(image);
}

// A 24 x 24 button, or as much more as the theme's button frame needs around its picture
// (a button squeezed to 24 x 24 would cut the picture off), added to a row of them.
wxBitmapButton* AddSmallButton(wxBoxSizer* row, wxWindow* parent, int id, const char* picture,
                               const wxSize& pictureSize, const wxString& tooltip, long style = 0)
{
    wxBitmapButton* button = new wxBitmapButton(parent, id, Placeholder(picture, pictureSize), wxDefaultPosition,
                                                wxDefaultSize, style);
    wxSize size = button->GetBestSize();
    size.IncTo(kSmallButtonSize);
    button->SetMinSize(size);
    button->SetToolTip(tooltip);
    if (!row->IsEmpty())
        row->Add(2, 5);
    row->Add(button, 0, wxALIGN_CENTER_VERTICAL);
    return button;
}

wxMenuItem* AddItem(wxMenu* menu, int id, const wxString& label, const wxString& help)
{
    return menu->Append(id, label, help, wxITEM_NORMAL);
}

// Right-aligned, vertically centred label for the grids.
wxStaticText* GridLabel(wxWindow* parent, const wxString& text, int width = wxDefaultCoord)
{
    return new wxStaticText(parent, wxID_STATIC, text, wxDefaultPosition, wxSize(width, wxDefaultCoord),
                            wxALIGN_RIGHT);
}

const int kLabelFlags = wxALIGN_RIGHT | wxALIGN_CENTER_VERTICAL;
const int kFieldFlags = wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL | wxLEFT;
const int kFilterLabelWidth = 90;

// A right-aligned label and its field on one row of a grid.
void AddGridRow(wxGridBagSizer* grid, int row, wxWindow* label, wxWindow* field, int fieldFlags = kFieldFlags,
                int border = 5)
{
    grid->Add(label, wxGBPosition(row, 0), wxDefaultSpan, kLabelFlags);
    grid->Add(field, wxGBPosition(row, 1), wxDefaultSpan, fieldFlags, border);
}
}

void GlypharaMainFrame::CreateControls()
{
    CreateMenus();
    CreateTools();
    CreateClientArea();
    BindRunTimeEvents();
    BindEditGroups();
    SetFrameIcon();
    LoadArchiveImages();
    ApplyFonts();
    SetTextSliderRanges();
    MakeAccessible();

    TS_LOG_AS("GlypharaMainFrame::CreateControls", TS_MESSAGE, wxS("Controls created. Updating controls..."));
    RegisterWithCore();
    FillSizeBox();
    m_previewTimer = new wxTimer(this, ID_PREVIEW_TIMER);
    UpdateControls();
    UpdateEditMenu();
    UpdateFlash(kFirstPreviewDelay);

    // Typing replaces the sample at once.
    m_userText->SetFocus();
    m_userText->SetInsertionPointEnd();
    m_userText->SelectAll();
    if (m_fontList->GetCount() > 0)
        m_fontList->ScrollToRow(static_cast<int>(m_fontList->GetCount()) - 1);
    FitToContent();
    TS_LOG_AS("GlypharaMainFrame::CreateControls", TS_MESSAGE, wxS("...controls updated!"));
}

void GlypharaMainFrame::CreateMenus()
{
    wxMenuBar* menuBar = new wxMenuBar;

    wxMenu* file = new wxMenu;
    AddItem(file, ID_MENUITEM_NEW, _("&New\tCtrl+N"), _("Create new empty project"));
    AddItem(file, ID_MENUITEM_OPEN, _("&Open\tCtrl+O"), _("Open existing project"));
    AddItem(file, ID_MENUITEM_SAVE, _("&Save\tCtrl+S"), _("Save project"));
    AddItem(file, ID_MENUITEM_SAVEAS, _("Save as..."), _("Save project as..."));
    file->AppendSeparator();
    AddItem(file, ID_MENUITEM_EXIT, _("Exit"), wxEmptyString);
    menuBar->Append(file, _("&File"));
    CreateEditMenu(menuBar);

    wxMenu* tags = new wxMenu;
    AddItem(tags, ID_MENUITEM_ADDTAG, _("&Add tag\tAlt+Shift+A"), _("Add new tag"));
    AddItem(tags, ID_MENUITEM_DELETETAG, _("&Delete tag\tAlt+Shift+D"), _("Delete selected tag"));
    AddItem(tags, ID_MENUITEM_RENAMETAG, _("&Rename tag\tAlt+Shift+R"), _("Rename selected tag"));
    menuBar->Append(tags, _("&Tags"));

    wxMenu* effects = new wxMenu;
    AddItem(effects, ID_MENUITEM_SAVEEFFECT, _("&Save effect\tCtrl+Shift+S"), _("Save current effect"));
    AddItem(effects, ID_MENUITEM_DELETEEFFECT, _("&Delete effect\tCtrl+Shift+D"), _("Delete selected effect"));
    effects->AppendSeparator();
    AddItem(effects, ID_MENUITEM_IMPORTEFFECTS, _("&Import effects...\tCtrl+Shift+I"),
            _("Import some effects to my list"));
    AddItem(effects, ID_MENUITEM_EXPORTEFFECT, _("&Export effect...\tCtrl+Shift+E"), _("Export selected effect"));
    menuBar->Append(effects, _("&Effects"));

    wxMenu* fonts = new wxMenu;
    AddItem(fonts, ID_MENUITEM_IMPORTFONTS, _("&Import fonts\tCtrl+Shift+F"), wxEmptyString);
    AddItem(fonts, ID_MENUITEM_REFRESHFONTLIST, _("&Refresh font list\tCtrl+R"), wxEmptyString);
    AddItem(fonts, ID_MENUITEM_MOLDWRIGHT, _("&Tallowby Moldwright...\tCtrl+Shift+M"), wxEmptyString);
    menuBar->Append(fonts, _("F&onts"));

    wxMenu* web = new wxMenu;
    AddItem(web, ID_MENU_PREVIEWCURRENTPROJECT, _("&Preview all the tags\tCtrl+Shift+P"), wxEmptyString);
    web->AppendSeparator();
    AddItem(web, ID_MENU_ADDTOMYWEB, _("&Get Code"), _("How to add these fonts to my web"));
    web->AppendSeparator();
    AddItem(web, ID_MENU_PREVIEWMYWEB, _("P&review my Webpage"), _("Preview my existing web page"));
    menuBar->Append(web, _("My &Webpage"));

    wxMenu* help = new wxMenu;
    AddItem(help, ID_MENUITEM_HELP, _("Help (PDF)\tF1"), wxEmptyString);
    AddItem(help, ID_MENUITEM_SHOWDAILYTIPS, _("Get a tip!"), wxEmptyString);
    help->AppendSeparator();
    AddItem(help, wxID_ABOUT, _("About Glyphara"), wxEmptyString);
    menuBar->Append(help, _("&Help"));

    SetMenuBar(menuBar);
}

void GlypharaMainFrame::CreateTools()
{
    m_toolBar = wxFrame::CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT | wxTB_TEXT | wxBORDER_NONE, ID_TOOLBAR,
                                       wxS("toolbar"));
    m_toolBar->SetToolBitmapSize(kToolBitmapSize);
    struct Tool
    {
        int id;
        const char* placeholder;
        wxString label;
        wxString tooltip;
        bool separatorAfter;
    };
    const Tool tools[] = {
        {ID_TOOL_NEW, "New", _("New"), _("Create new project"), false},
        {ID_TOOL_OPEN, "Open", _("Open"), _("Open existing project"), false},
        {ID_TOOL_SAVE, "Save", _("Save"), _("Save current project"), true},
        {ID_TOOL_ADDTAG, "AddTag", _("Add tag"), _("Create new tag"), false},
        {ID_TOOL_DELETETAG, "DeleteTag", _("Delete tag"), _("Delete selected tag"), true},
        {ID_TOOL_IMPORTEFFECTS, "Import", _("Import"), _("Import effects"), false},
        {ID_TOOL_EXPORTEFFECT, "Export", _("Export"), _("Export effect"), true},
        {ID_TOOL_IMPORTFONTS, "ImportFont", _("Import fonts"), wxEmptyString, true},
        {ID_TOOL_PREVIEW, "Preview", _("Preview"), _("Web browser preview"), false},
        {ID_TOOL_GETCODE, "AddToMyWeb", _("Get Code"), _("Add to my Webpage"), false},
    };
    for (const Tool& tool : tools)
    {
        m_toolBar->AddTool(tool.id, tool.label, Placeholder(tool.placeholder, kToolBitmapSize), wxNullBitmap,
                           wxITEM_NORMAL, tool.tooltip, wxEmptyString);
        if (tool.separatorAfter)
            m_toolBar->AddSeparator();
    }
    m_toolBar->Realize();
    SetToolBar(m_toolBar);
}

void GlypharaMainFrame::CreateClientArea()
{
    m_mainPanel = new wxPanel(this, ID_MAIN_PANEL, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxBORDER_NONE);
    m_mainSizer = new wxBoxSizer(wxHORIZONTAL);
    m_mainPanel->SetSizer(m_mainSizer);

    wxBoxSizer* editingColumn = new wxBoxSizer(wxVERTICAL);
    m_mainSizer->Add(editingColumn, 1, wxEXPAND);
    wxBoxSizer* previewBlock = new wxBoxSizer(wxVERTICAL);
    editingColumn->Add(previewBlock, 1, wxEXPAND);

    m_previewPanel = new wxPanel(m_mainPanel, ID_PREVIEW_PANEL, wxDefaultPosition, wxDefaultSize,
                                 wxTAB_TRAVERSAL | wxBORDER_NONE);
    previewBlock->Add(m_previewPanel, 2, wxEXPAND | wxALL, 5);
    wxStaticBoxSizer* previewBox = new wxStaticBoxSizer(wxVERTICAL, m_previewPanel, _("Preview"));
    m_previewPanel->SetSizer(previewBox);
    m_browser = new CEmbeddedBrowser(m_previewPanel, ID_BROWSER, wxSize(100, 100));
    previewBox->Add(m_browser, 1, wxEXPAND);

    // Under the preview: the characters of the sample that the tag's font lacks. Cut off
    // at the end rather than widen the window; the tooltip holds the whole line.
    // Its warning sign is looked up in the icon theme only when the line first shows.
    m_missingCharactersRow = new wxBoxSizer(wxHORIZONTAL);
    m_missingCharactersIcon = new wxStaticBitmap(m_previewPanel, wxID_STATIC, wxNullBitmap);
    m_missingCharactersRow->Add(m_missingCharactersIcon, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    m_missingCharacters = new wxStaticText(m_previewPanel, ID_MISSING_CHARACTERS, wxEmptyString, wxDefaultPosition,
                                           wxDefaultSize, wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
    m_missingCharacters->SetMinSize(wxSize(1, wxDefaultCoord));
    m_missingCharactersRow->Add(m_missingCharacters, 1, wxALIGN_CENTER_VERTICAL);
    previewBox->Add(m_missingCharactersRow, 0, wxEXPAND | wxTOP, 3);
    previewBox->Hide(m_missingCharactersRow);

    m_textPanel = new wxPanel(m_mainPanel, ID_TEXT_PANEL, wxDefaultPosition, wxDefaultSize,
                              wxTAB_TRAVERSAL | wxBORDER_NONE);
    previewBlock->Add(m_textPanel, 0, wxEXPAND | wxALL, 5);
    wxStaticBoxSizer* textBox = new wxStaticBoxSizer(wxVERTICAL, m_textPanel, _("Enter text"));
    m_textPanel->SetSizer(textBox);
    m_userText = new wxTextCtrl(m_textPanel, ID_USER_TEXT, wxEmptyString, wxDefaultPosition,
                                wxSize(wxDefaultCoord, 75), wxTE_MULTILINE | wxTE_NO_VSCROLL | wxBORDER_STATIC,
                                wxDefaultValidator, wxS("text"));
    textBox->Add(m_userText, 0, wxEXPAND);

    m_tagFontPanel = new wxPanel(m_mainPanel, ID_TAGFONT_PANEL, wxDefaultPosition, wxDefaultSize,
                                 wxTAB_TRAVERSAL | wxBORDER_NONE);
    m_tagFontPanel->SetMinSize(wxSize(wxDefaultCoord, 350));
    editingColumn->Add(m_tagFontPanel, 0, wxEXPAND | wxALL, 5);
    wxBoxSizer* tagFont = new wxBoxSizer(wxHORIZONTAL);
    m_tagFontPanel->SetSizer(tagFont);
    tagFont->Add(CreateTagBox(m_tagFontPanel), 0, wxEXPAND | wxRIGHT, 5);
    tagFont->Add(CreateFontBox(m_tagFontPanel), 3, wxEXPAND | wxLEFT, 5);

    m_effectsPanel = new wxPanel(m_mainPanel, ID_EFFECTS_PANEL, wxDefaultPosition, wxSize(240, wxDefaultCoord),
                                 wxTAB_TRAVERSAL | wxBORDER_NONE);
    m_mainSizer->Add(m_effectsPanel, 0, wxEXPAND | wxALL, 5);
    m_effectsColumnSizer = new wxBoxSizer(wxVERTICAL);
    m_effectsPanel->SetSizer(m_effectsColumnSizer);
    m_effectsColumnSizer->Add(CreateEffectsColumn(m_effectsPanel), 1, wxEXPAND);
}

wxSizer* GlypharaMainFrame::CreateTagBox(wxWindow* parent)
{
    wxStaticBoxSizer* box = new wxStaticBoxSizer(wxVERTICAL, parent, _("Tag"));
    m_tagList = new wxListBox(parent, ID_TAG_LISTBOX, wxDefaultPosition, wxSize(150, wxDefaultCoord), 0, nullptr,
                              wxLB_SINGLE | wxLB_SORT | wxLB_NEEDED_SB | wxBORDER_STATIC, wxDefaultValidator,
                              wxS("listBox"));
    box->Add(m_tagList, 1, wxEXPAND);

    wxBoxSizer* buttons = new wxBoxSizer(wxHORIZONTAL);
    box->Add(buttons, 0, wxTOP, 1);
    m_addTagButton = AddSmallButton(buttons, parent, ID_ADDTAG_BUTTON, "AddTagDown", kTagButtonBitmapSize,
                                    _("Add new tag"), wxBU_AUTODRAW);
    m_deleteTagButton = AddSmallButton(buttons, parent, ID_DELETETAG_BUTTON, "DeleteTagDown", kTagButtonBitmapSize,
                                       _("Delete selected tag"));
    m_renameTagButton = AddSmallButton(buttons, parent, ID_RENAMETAG_BUTTON, "RenameTagDown", kTagButtonBitmapSize,
                                       _("Rename selected tag"));
    return box;
}

wxSizer* GlypharaMainFrame::CreateFontBox(wxWindow* parent)
{
    wxStaticBoxSizer* box = new wxStaticBoxSizer(wxHORIZONTAL, parent, _("Font"));

    wxBoxSizer* left = new wxBoxSizer(wxVERTICAL);
    box->Add(left, 1, wxEXPAND);
    m_fontList = new CFontListCtrl(parent, ID_FONT_LISTBOX, wxS("simpleHtmlListBox"));
    left->Add(m_fontList, 1, wxEXPAND);
    wxBoxSizer* buttons = new wxBoxSizer(wxHORIZONTAL);
    left->Add(buttons, 0, wxTOP, 1);
    m_importFontsButton = AddSmallButton(buttons, parent, ID_IMPORTFONTS_BUTTON, "ImportFont", kFontButtonBitmapSize,
                                         _("Import fonts"));
    m_moldwrightButton = AddSmallButton(buttons, parent, ID_MOLDWRIGHT_BUTTON, "Moldwright", kFontButtonBitmapSize,
                                        _("Moldwright"));

    wxBoxSizer* right = new wxBoxSizer(wxVERTICAL);
    box->Add(right, 0, wxEXPAND);
    right->Add(CreatePropertiesGrid(parent), 0, wxALIGN_RIGHT | wxLEFT, 5);
    right->Add(new wxStaticLine(parent, wxID_STATIC, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL), 0,
               wxEXPAND | wxALL, 15);

    wxGridBagSizer* background = new wxGridBagSizer(0, 5);
    background->SetEmptyCellSize(wxSize(5, 25));
    m_backgroundLabel = GridLabel(parent, _("Background:"));
    m_backgroundColor = new CTextColorPickerCtrl(parent, ID_BACKGROUND_COLOR, kPickerSize);
    AddGridRow(background, 0, m_backgroundLabel, m_backgroundColor);
    right->Add(background, 0, wxALIGN_CENTER_HORIZONTAL | wxLEFT, 5);
    return box;
}

wxSizer* GlypharaMainFrame::CreatePropertiesGrid(wxWindow* parent)
{
    wxGridBagSizer* grid = new wxGridBagSizer(0, 5);
    grid->SetEmptyCellSize(wxSize(5, 25));

    wxStaticText* label = GridLabel(parent, _("Size:"));
    m_fontSizeBox = new wxComboBox(parent, ID_FONTSIZE_COMBOBOX, wxS("20"), wxDefaultPosition,
                                   wxSize(87, wxDefaultCoord), 0, nullptr, wxCB_DROPDOWN, wxDefaultValidator,
                                   wxS("comboBox"));
    for (int size = 10; size <= 40; ++size)
        m_fontSizeBox->Append(wxString::Format(wxS("%d"), size));
    AddGridRow(grid, 0, label, m_fontSizeBox, wxALIGN_CENTER_VERTICAL | wxALL);

    auto colourRow = [&](int row, const wxString& text, int id) {
        wxStaticText* rowLabel = GridLabel(parent, text);
        CTextColorPickerCtrl* picker = new CTextColorPickerCtrl(parent, id, kPickerSize);
        AddGridRow(grid, row, rowLabel, picker);
        return picker;
    };
    m_fontColor = colourRow(1, _("Color:"), ID_FONT_COLOR);
    m_linkColor = colourRow(2, _("Link:"), ID_LINK_COLOR);
    m_hoverColor = colourRow(3, _("Hover:"), ID_HOVER_COLOR);

    label = GridLabel(parent, _("Alignment:"));
    const wxString alignments[] = {_("Left"), _("Center"), _("Right"), _("Justify")};
    m_alignmentChoice = new wxChoice(parent, ID_FONT_ALIGNMENT_CHOICE, wxDefaultPosition, wxSize(87, wxDefaultCoord),
                                     WXSIZEOF(alignments), alignments);
    m_alignmentChoice->SetSelection(0);
    AddGridRow(grid, 4, label, m_alignmentChoice);

    auto checkRow = [&](int row, const wxString& text, int id, int extraFlags) {
        wxCheckBox* box = new wxCheckBox(parent, id, text);
        grid->Add(box, wxGBPosition(row, 1), wxDefaultSpan,
                  wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL | wxTOP | wxBOTTOM | extraFlags, 5);
        return box;
    };
    m_boldCheck = checkRow(5, _("Bold"), ID_FONT_BOLD_CHECKBOX, 0);
    m_italicCheck = checkRow(6, _("Italic"), ID_FONT_ITALIC_CHECKBOX, wxRIGHT);
    m_underlineCheck = checkRow(7, _("Underline"), ID_FONT_UNDERLINE_CHECKBOX, 0);

    // Created for the record's opacity field, which the window does not offer.
    m_opacityLabel = GridLabel(parent, _("Opacity:"));
    m_opacitySlider = new wxSlider(parent, ID_OPACITY_SLIDER, 100, 0, 100, wxDefaultPosition,
                                   wxSize(85, wxDefaultCoord), wxSL_HORIZONTAL);
    AddGridRow(grid, 8, m_opacityLabel, m_opacitySlider, wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL, 0);
    m_opacityLabel->Hide();
    m_opacitySlider->Hide();
    return grid;
}

wxSizer* GlypharaMainFrame::CreateEffectsColumn(wxWindow* parent)
{
    wxStaticBoxSizer* effectBox = new wxStaticBoxSizer(wxVERTICAL, parent, _("Effect"));
    effectBox->Add(5, 5);
    m_effectsScrolled = new wxScrolledWindow(parent, ID_EFFECTS_SCROLLEDWINDOW, wxDefaultPosition, wxDefaultSize,
                                             wxVSCROLL, wxS("panel"));
    m_effectsScrolled->SetScrollRate(1, 1);
    effectBox->Add(m_effectsScrolled, 1, wxEXPAND);
    wxWindow* list = m_effectsScrolled;
    m_effectsListSizer = new wxBoxSizer(wxVERTICAL);
    list->SetSizer(m_effectsListSizer);

    // Predefined effect
    m_effectsListSizer->Add(0, 2);
    wxStaticBoxSizer* predefined = new wxStaticBoxSizer(wxVERTICAL, list, _("Predefined effect"));
    m_effectsListSizer->Add(predefined, 0, wxEXPAND | wxBOTTOM, 5);
    m_effectChoice = new wxChoice(list, ID_EFFECT_CHOICE);
    predefined->Add(m_effectChoice, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 5);
    wxBoxSizer* effectButtons = new wxBoxSizer(wxHORIZONTAL);
    predefined->Add(effectButtons, 0, wxEXPAND);
    m_saveEffectButton = new wxButton(list, ID_SAVE_EFFECT_BUTTON, _("Save"));
    effectButtons->Add(m_saveEffectButton, 0, wxALIGN_CENTER_VERTICAL);
    effectButtons->Add(5, 5, 1);
    m_deleteEffectButton = new wxButton(list, ID_DELETE_EFFECT_BUTTON, _("Delete"));
    effectButtons->Add(m_deleteEffectButton, 0, wxALIGN_CENTER_VERTICAL);

    auto section = [&](wxCheckBox*& filterSwitch, int id, const wxString& label, wxBoxSizer*& switchRow) {
        wxStaticBoxSizer* box = new wxStaticBoxSizer(wxVERTICAL, list, wxEmptyString);
        m_effectsListSizer->Add(box, 0, wxEXPAND | wxBOTTOM, 5);
        switchRow = new wxBoxSizer(wxHORIZONTAL);
        box->Add(switchRow, 0, wxEXPAND);
        filterSwitch = new wxCheckBox(list, id, label);
        switchRow->Add(filterSwitch, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 5);
        wxGridBagSizer* grid = new wxGridBagSizer(0, 5);
        grid->SetEmptyCellSize(wxSize(5, 20));
        box->Add(grid, 0, wxEXPAND);
        return std::make_pair(box, grid);
    };
    auto slider = [&](int id) { return new CTextSlider(list, id, kPickerSize); };
    auto picker = [&](int id) { return new CTextColorPickerCtrl(list, id, kPickerSize); };
    auto row = [&](wxGridBagSizer* grid, int r, const wxString& label, wxWindow* field, bool fixedWidth) {
        AddGridRow(grid, r, GridLabel(list, label, fixedWidth ? kFilterLabelWidth : wxDefaultCoord), field,
                   wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL, 0);
    };
    wxBoxSizer* switchRow = nullptr;

    auto dropShadow = section(m_dropShadowCheck, ID_DROPSHADOW_CHECKBOX, _("Drop shadow"), switchRow);
    m_dropShadowKnockoutCheck = new wxCheckBox(list, ID_DROPSHADOW_KNOCKOUT_CHECKBOX, _("Knockout"));
    switchRow->Add(m_dropShadowKnockoutCheck, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 5);
    row(dropShadow.second, 0, _("Color:"), m_dropShadowColor = picker(ID_DROPSHADOW_COLOR), true);
    row(dropShadow.second, 1, _("Angle:"), m_dropShadowAngle = slider(ID_DROPSHADOW_ANGLE), false);
    row(dropShadow.second, 2, _("Distance:"), m_dropShadowDistance = slider(ID_DROPSHADOW_DISTANCE), false);
    row(dropShadow.second, 3, _("Strength:"), m_dropShadowStrength = slider(ID_DROPSHADOW_STRENGTH), false);

    auto bevel = section(m_bevelCheck, ID_BEVEL_CHECKBOX, _("Bevel"), switchRow);
    const wxString types[] = {_("Inner"), _("Outer"), _("Full")};
    m_bevelTypeChoice = new wxChoice(list, ID_BEVEL_TYPE_CHOICE, wxDefaultPosition, wxSize(87, wxDefaultCoord),
                                     WXSIZEOF(types), types);
    m_bevelTypeChoice->SetSelection(1);
    row(bevel.second, 0, _("Type:"), m_bevelTypeChoice, true);
    row(bevel.second, 1, _("Shadow:"), m_bevelShadowColor = picker(ID_BEVEL_SHADOW_COLOR), false);
    row(bevel.second, 2, _("Highlight:"), m_bevelHighlightColor = picker(ID_BEVEL_HIGHLIGHT_COLOR), false);
    row(bevel.second, 3, _("Angle:"), m_bevelAngle = slider(ID_BEVEL_ANGLE), false);
    row(bevel.second, 4, _("Distance:"), m_bevelDistance = slider(ID_BEVEL_DISTANCE), false);
    row(bevel.second, 5, _("Strength:"), m_bevelStrength = slider(ID_BEVEL_STRENGTH), false);

    auto glow = section(m_glowCheck, ID_GLOW_CHECKBOX, _("Glow"), switchRow);
    m_glowInnerCheck = new wxCheckBox(list, ID_GLOW_INNER_CHECKBOX, _("Inner"));
    switchRow->Add(m_glowInnerCheck, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 5);
    m_glowKnockoutCheck = new wxCheckBox(list, ID_GLOW_KNOCKOUT_CHECKBOX, _("Knockout"));
    switchRow->Add(m_glowKnockoutCheck, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 5);
    row(glow.second, 0, _("Color:"), m_glowColor = picker(ID_GLOW_COLOR), true);
    row(glow.second, 1, _("Alpha:"), m_glowAlpha = slider(ID_GLOW_ALPHA), false);
    row(glow.second, 2, _("H blur:"), m_glowHBlur = slider(ID_GLOW_HBLUR), false);
    row(glow.second, 3, _("V blur:"), m_glowVBlur = slider(ID_GLOW_VBLUR), false);
    row(glow.second, 4, _("Strength:"), m_glowStrength = slider(ID_GLOW_STRENGTH), false);

    auto blur = section(m_blurCheck, ID_BLUR_CHECKBOX, _("Blur"), switchRow);
    m_blurGroupSizer = blur.first;
    m_blurHBlur = new wxSlider(list, ID_BLUR_HBLUR_SLIDER, 5, 0, 31, wxDefaultPosition, wxSize(75, wxDefaultCoord),
                               wxSL_HORIZONTAL);
    row(blur.second, 0, _("H blur:"), m_blurHBlur, false);
    m_blurVBlur = new wxSlider(list, ID_BLUR_VBLUR_SLIDER, 5, 0, 31, wxDefaultPosition, wxSize(75, wxDefaultCoord),
                               wxSL_HORIZONTAL);
    row(blur.second, 1, _("V blur:"), m_blurVBlur, false);

    m_effectsScrolled->FitInside();
    return effectBox;
}

void GlypharaMainFrame::BindRunTimeEvents()
{
    m_browser->Bind(wxEVT_SIZE, &GlypharaMainFrame::OnFlashPlayerSize, this);
    m_browser->Bind(wxEVT_ERASE_BACKGROUND, &GlypharaMainFrame::OnBrowserEraseBackground, this);
    m_tagList->Bind(wxEVT_KEY_DOWN, &GlypharaMainFrame::OnTagListboxKeyDown, this);
    m_tagList->Bind(wxEVT_RIGHT_UP, &GlypharaMainFrame::OnTagListboxRightUp, this);
    m_tagList->Bind(wxEVT_CONTEXT_MENU, &GlypharaMainFrame::OnTagListboxContextMenu, this);
    m_fontList->Bind(wxEVT_LEFT_UP, &GlypharaMainFrame::OnFontListboxLeftUp, this);
    m_fontList->Bind(wxEVT_RIGHT_UP, &GlypharaMainFrame::OnFontListboxRightUp, this);
    m_fontSizeBox->Bind(wxEVT_KILL_FOCUS, &GlypharaMainFrame::OnFontsizecomboboxKillFocus, this);
}

void GlypharaMainFrame::SetFrameIcon()
{
    // The program's own icon: the copies in the program folder, else the icon theme's;
    // a missing icon is no error.
    wxIconBundle icons = LoadProgramIcon();
    if (icons.IsEmpty())
    {
        for (const int size : {48, 128})
        {
            const wxIcon themed = wxArtProvider::GetIcon(wxS("glyphara"), wxART_FRAME_ICON, wxSize(size, size));
            if (themed.IsOk())
                icons.AddIcon(themed);
        }
    }
    if (!icons.IsEmpty())
        SetIcons(icons);
}

void GlypharaMainFrame::LoadArchiveImages()
{
    const wxString archive = wxS(GLYPHARA_RESOURCE_ARCHIVE);
    // Dark outlines vanish on a dark theme: the archive has light-lined copies for it.
    const bool dark = IsDark(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    const struct
    {
        int id;
        const char* entry;
    } tools[] = {{ID_TOOL_NEW, "39x42New.png"},
                 {ID_TOOL_OPEN, "39x42Open.png"},
                 {ID_TOOL_SAVE, "39x42Save.png"},
                 {ID_TOOL_ADDTAG, "39x42AddTag.png"},
                 {ID_TOOL_DELETETAG, "39x42DeleteTag.png"},
                 {ID_TOOL_IMPORTEFFECTS, "39x42Import.png"},
                 {ID_TOOL_EXPORTEFFECT, "39x42Export.png"},
                 {ID_TOOL_IMPORTFONTS, "39x42ImportFont.png"},
                 {ID_TOOL_PREVIEW, "39x42Preview.png"},
                 {ID_TOOL_GETCODE, "39x42AddToMyWeb.png"}};
    for (const auto& tool : tools)
    {
        wxBitmapBundle bundle;
        if (GetBitmapBundleFromZip(wxString(tool.entry), archive, dark, bundle) >= 0)
            m_toolBar->SetToolNormalBitmap(tool.id, bundle);
    }

    const struct
    {
        wxBitmapButton* button;
        const char* entry;
    } buttons[] = {{m_addTagButton, "AddTagDown.png"},
                   {m_deleteTagButton, "DeleteTagDown.png"},
                   {m_renameTagButton, "RenameTagDown.png"},
                   {m_importFontsButton, "16x16ImportFont.png"},
                   {m_moldwrightButton, "16x16Moldwright.png"}};
    for (const auto& button : buttons)
    {
        wxBitmapBundle bundle;
        if (GetBitmapBundleFromZip(wxString(button.entry), archive, dark, bundle) >= 0)
            button.button->SetBitmapLabel(bundle);
    }
}

void GlypharaMainFrame::ApplyFonts()
{
    const wxFont editing(kEditingFontPoints, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL);
    // Every plain control of the two columns; the compound controls keep the fonts of
    // their own inner fields.
    std::function<void(wxWindow*)> apply = [&](wxWindow* window) {
        for (wxWindow* child : window->GetChildren())
        {
            if (dynamic_cast<CTextSlider*>(child) || dynamic_cast<CTextColorPickerCtrl*>(child) ||
                dynamic_cast<CEmbeddedBrowser*>(child))
                continue;
            child->SetFont(editing);
            apply(child);
        }
    };
    apply(m_mainPanel);

    m_tagList->SetFont(wxFont(kTagListFontPoints, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
    const wxFont filterSwitch(kFilterSwitchFontPoints, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL);
    for (wxCheckBox* box : {m_dropShadowCheck, m_bevelCheck, m_glowCheck, m_blurCheck})
        box->SetFont(filterSwitch);
    const int guiPoints = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).GetPointSize();
    m_backgroundLabel->SetFont(wxFont(guiPoints, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
    const wxFont small(guiPoints * 9 / 10, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL);
    for (wxCheckBox* box : {m_dropShadowKnockoutCheck, m_glowInnerCheck, m_glowKnockoutCheck})
        box->SetFont(small);
}

void GlypharaMainFrame::SetTextSliderRanges()
{
    for (size_t i = 0; i < kFieldControlCount; ++i)
    {
        if (kFieldControls[i].kind == FieldControlKind::kTextSlider)
            static_cast<CTextSlider*>(FieldControlWindow(i))->SetRange(kFieldControls[i].maximum);
    }
}

void GlypharaMainFrame::FillSizeBox()
{
    // 8 to 200, each step a tenth larger than the last.
    wxArrayString sizes;
    for (int size = 8; size <= 200; size += size / 10 + 1)
        sizes.Add(wxString::Format(wxS("%d"), size));
    m_fontSizeBox->Set(sizes);
}

void GlypharaMainFrame::MakeAccessible()
{
    LabelControls();
    // Picture buttons are called what their tooltips say.
    for (wxWindow* button : std::initializer_list<wxWindow*>{m_addTagButton, m_deleteTagButton, m_renameTagButton,
                                                             m_importFontsButton, m_moldwrightButton})
        Accessibility::SetName(button, button->GetToolTipText());
    // The native text field and the preview draw no focus of their own.
    Accessibility::ShowFocusRing(m_userText);
    Accessibility::ShowFocusRing(m_browser);
    Accessibility::KeepFocusInView(m_effectsScrolled);
}

void GlypharaMainFrame::LabelControls()
{
    // The toolkit takes the window made after a text for the control that text labels;
    // here every label is set on purpose instead.
    Accessibility::ForgetGuessedLabels(this);
    auto nameAndLabel = [](wxWindow* label, wxWindow* control) {
        const wxString name = Accessibility::NameFromLabel(label->GetLabel());
        Accessibility::SetLabel(label, control);
        if (CTextSlider* slider = dynamic_cast<CTextSlider*>(control))
            slider->SetAccessibleName(name);
        else if (CTextColorPickerCtrl* picker = dynamic_cast<CTextColorPickerCtrl*>(control))
            picker->SetAccessibleName(name);
        else
            Accessibility::SetName(control, name);
    };
    // Grids: the label in the first column is the one of the field beside it. Boxes: a
    // titled box labels the one control it holds first; an untitled filter box is named
    // after its switch.
    std::function<wxWindow*(wxSizer*)> firstWindow = [&](wxSizer* sizer) -> wxWindow* {
        for (wxSizerItem* item : sizer->GetChildren())
        {
            if (item->IsWindow())
                return item->GetWindow();
            if (item->IsSizer())
                if (wxWindow* window = firstWindow(item->GetSizer()))
                    return window;
        }
        return nullptr;
    };
    std::function<void(wxSizer*)> walk = [&](wxSizer* sizer) {
        if (wxGridBagSizer* grid = dynamic_cast<wxGridBagSizer*>(sizer))
        {
            for (wxSizerItem* item : grid->GetChildren())
            {
                wxGBSizerItem* cell = static_cast<wxGBSizerItem*>(item);
                wxStaticText* label = dynamic_cast<wxStaticText*>(cell->GetWindow());
                wxGBSizerItem* field = grid->FindItemAtPosition(wxGBPosition(cell->GetPos().GetRow(), 1));
                if (label && cell->GetPos().GetCol() == 0 && field && field->IsWindow())
                    nameAndLabel(label, field->GetWindow());
            }
        }
        if (wxStaticBoxSizer* boxed = dynamic_cast<wxStaticBoxSizer*>(sizer))
        {
            wxStaticBox* box = boxed->GetStaticBox();
            wxWindow* first = firstWindow(boxed);
            if (box->GetLabel().empty())
            {
                if (wxCheckBox* filterSwitch = dynamic_cast<wxCheckBox*>(first))
                    Accessibility::SetName(box, filterSwitch->GetLabel());
            }
            else if (first && !first->GetChildren().GetCount())
                nameAndLabel(box, first);
            else if (first)
                Accessibility::SetName(first, Accessibility::NameFromLabel(box->GetLabel()));
        }
        for (wxSizerItem* item : sizer->GetChildren())
        {
            if (item->IsSizer())
                walk(item->GetSizer());
            else if (item->IsWindow() && item->GetWindow()->GetSizer())
                walk(item->GetWindow()->GetSizer());
        }
    };
    walk(m_mainPanel->GetSizer());
    // The preview's panel passes the keyboard on to the page, and is announced on the way.
    wxStaticBox* previewBox = static_cast<wxStaticBoxSizer*>(m_previewPanel->GetSizer())->GetStaticBox();
    nameAndLabel(previewBox, m_browser);
    Accessibility::SetName(m_previewPanel, Accessibility::NameFromLabel(previewBox->GetLabel()));
}

wxSize GlypharaMainFrame::GetFittingSize() const
{
    // The window manager's frame is known only once the window is up; until then an
    // allowance stands in for its sides.
    wxSize frame = GetSize() - GetClientSize();
    frame.IncTo(wxSize(kFrameSidesAllowance, 0));
    wxSize size(WindowGeometry::kDefaultWidth, WindowGeometry::kDefaultHeight);
    // The tools with their texts, none of them in the overflow menu.
    if (m_toolBar)
        size.IncTo(wxSize(m_toolBar->GetBestSize().x + frame.x, 0));
    size.IncTo(GetMinSize());
    size.DecTo(wxDisplay(this).GetClientArea().GetSize());
    return size;
}

void GlypharaMainFrame::FitToContent()
{
    // The effect column widens when its rows need more at the user's text size.
    const int scrollBar = wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, m_effectsScrolled);
    const int frame = m_effectsColumnSizer->CalcMin().x - m_effectsScrolled->GetEffectiveMinSize().x;
    const int needed = m_effectsListSizer->CalcMin().x + std::max(scrollBar, 0) + frame;
    if (needed > m_effectsPanel->GetMinSize().x)
        m_effectsPanel->SetMinSize(wxSize(needed, m_effectsPanel->GetMinSize().y));

    // Never so small that a column runs past its panel.
    wxSize minimum = kMinimumFrameSize;
    minimum.IncTo(ClientToWindowSize(m_mainSizer->CalcMin()));
    SetMinSize(minimum);
    m_mainPanel->Layout();
}
