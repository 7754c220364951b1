#include "Interface/addsifrtohtmldialog.h"

#include "Library/Accessibility/Accessibility.h"
#include "Library/Accessibility/Contrast.h"
#include "core/GlypharaCore.h"
#include "core/PlatformLauncher.h"
#include "core/ProjectPaths.h"
#include "trace/TraceSystem.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/config.h>
#include <wx/dcclient.h>
#include <wx/font.h>
#include <wx/intl.h>
#include <wx/renderer.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
// After the native label, which it would otherwise keep out.
#include <wx/generic/stattextg.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace
{
const wxColour kLinkColour(0, 0, 255);

wxFont SmallFont()
{
    return wxFont(8, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL);
}

// The folder link: a text that takes the keyboard and shows when it has it, and a link to
// screen readers.
class FolderLink : public wxGenericStaticText
{
public:
    FolderLink(wxWindow* parent, wxWindowID id, const wxString& label) : wxGenericStaticText(parent, id, label)
    {
        Accessibility::MakeFocusable(this);
        Accessibility::SetRole(this, Accessibility::Role::Link);
        Accessibility::SetDescription(this, _("Opens the folder of the project in the file manager"));
        Bind(wxEVT_PAINT, &FolderLink::OnPaint, this);
        Bind(wxEVT_SET_FOCUS, &FolderLink::OnFocusChange, this);
        Bind(wxEVT_KILL_FOCUS, &FolderLink::OnFocusChange, this);
    }

    bool AcceptsFocus() const override { return IsShown() && !GetLabel().empty(); }
    bool AcceptsFocusFromKeyboard() const override { return AcceptsFocus(); }

    bool SetLabelAndName(const wxString& label)
    {
        SetLabel(label);
        Accessibility::SetName(this, Accessibility::NameFromLabel(label));
        return Show(!label.empty());
    }

private:
    void OnPaint(wxPaintEvent&)
    {
        wxPaintDC dc(this);
        dc.SetFont(GetFont());
        dc.SetTextForeground(GetForegroundColour());
        dc.DrawText(GetLabel(), 0, 0);
        if (HasFocus())
            wxRendererNative::Get().DrawFocusRect(this, dc, GetClientRect());
    }
    void OnFocusChange(wxFocusEvent& event)
    {
        Refresh();
        event.Skip();
    }
};

// Fills the one "%s" of a translated template; the name is never read as a template.
wxString Fill(const wxString& pattern, const wxString& name)
{
    wxString text = pattern;
    text.Replace(wxS("%s"), name, false);
    return text;
}
}

wxBEGIN_EVENT_TABLE(CAddSIFRToHTMLDialog, wxDialog)
    EVT_CHECKBOX(CAddSIFRToHTMLDialog::ID_SHOW_AFTER_SAVE, CAddSIFRToHTMLDialog::OnShowAfterSave)
    EVT_BUTTON(CAddSIFRToHTMLDialog::ID_OK, CAddSIFRToHTMLDialog::OnOk)
wxEND_EVENT_TABLE()

CAddSIFRToHTMLDialog::CAddSIFRToHTMLDialog(wxWindow* parent, const wxString& caption, const wxSize& size)
    : wxDialog(parent, ID_DIALOG, caption, wxDefaultPosition, size,
               wxRESIZE_BORDER | wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxTAB_TRAVERSAL, wxS("dialog"))
{
    TS_FUNCTION("CAddSIFRToHTMLDialog::CAddSIFRToHTMLDialog");
    CreateControls();
    GetSizer()->Fit(this);
    GetSizer()->SetSizeHints(this);
    Centre();
    TS_RETURN_VOID_MSG(wxEmptyString);
}

void CAddSIFRToHTMLDialog::CreateControls()
{
    wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);
    SetSizer(column);

    m_step1 = new wxStaticText(this, ID_STEP1, _("1. Save your Glyphara project as desired (e.g. as \"foo\")."));
    column->Add(m_step1, 0, wxALIGN_LEFT | wxALL, 5);

    wxBoxSizer* step2Row = new wxBoxSizer(wxHORIZONTAL);
    column->Add(step2Row, 0, wxALIGN_LEFT | wxALL, 5);
    m_step2 = new wxStaticText(this, ID_STEP2, _("2. Copy the \"glypharadata\" folder from \"foo files\" folder"));
    step2Row->Add(m_step2, 0, wxALIGN_CENTER_VERTICAL);
    // A window of its own, so that it receives the mouse (a native label does not).
    FolderLink* link = new FolderLink(this, ID_FOLDER_LINK, _(" (open it) "));
    m_folderLink = link;
    link->SetLabelAndName(_(" (open it) "));
    // Blue as links are, unless the theme's background is too dark for it.
    m_folderLink->SetForegroundColour(
        Readable(kLinkColour, GetBackgroundColour(), wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT)));
    m_folderLink->SetCursor(wxCursor(wxCURSOR_HAND));
    m_folderLink->Bind(wxEVT_LEFT_UP, &CAddSIFRToHTMLDialog::OnFolderLink, this);
    m_folderLink->Bind(wxEVT_RIGHT_UP, &CAddSIFRToHTMLDialog::OnFolderLink, this);
    m_folderLink->Bind(wxEVT_KEY_DOWN, &CAddSIFRToHTMLDialog::OnFolderLinkKey, this);
    step2Row->Add(m_folderLink, 0, wxALIGN_CENTER_VERTICAL);
    m_afterLink = new wxStaticText(this, ID_AFTER_LINK, _("to your Website folder."));
    step2Row->Add(m_afterLink, 0, wxALIGN_CENTER_VERTICAL);

    wxStaticText* step3 = new wxStaticText(
        this, wxID_STATIC,
        _("3. Copy the code snippet below at the end of your Website header (just before </head>):"));
    column->Add(step3, 0, wxALIGN_LEFT | wxALL, 5);

    m_snippet = new wxTextCtrl(this, ID_SNIPPET, wxEmptyString, wxDefaultPosition, wxSize(400, 300),
                               wxTE_MULTILINE | wxTE_READONLY, wxDefaultValidator, wxS("text"));
    column->Add(m_snippet, 1, wxEXPAND | wxALL, 5);
    Accessibility::SetLabel(step3, m_snippet);
    Accessibility::SetName(m_snippet, _("Code snippet"));

    column->Add(new wxStaticText(this, wxID_STATIC,
                                 _("4. Upload your modified Website (with the new \"glypharadata\" folder) to your Web "
                                   "server.")),
                0, wxALIGN_LEFT | wxALL, 5);
    column->Add(new wxStaticText(this, wxID_STATIC, _("5. Enjoy!")), 0, wxALIGN_LEFT | wxALL, 5);

    m_showAfterSave = new wxCheckBox(this, ID_SHOW_AFTER_SAVE, _("Show this window after saving a project."),
                                     wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, wxS("check"));
    m_showAfterSave->SetFont(SmallFont());
    m_showAfterSave->SetValue(wxConfigBase::Get()->ReadBool(kShowGetCodeSetting, true));
    column->Add(m_showAfterSave, 0, wxALIGN_RIGHT | wxALL, 5);

    column->Add(new wxButton(this, ID_OK, _("&OK!"), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                             wxS("button")),
                0, wxALIGN_CENTER_HORIZONTAL | wxALL, 5);
    // The dialog has no Cancel button for Escape to find.
    SetEscapeId(ID_OK);
}

int CAddSIFRToHTMLDialog::SetCodeSnippet(const wxString& snippet)
{
    TS_FUNCTION("CAddSIFRToHTMLDialog::SetCodeSnippet");
    m_snippet->Clear();
    m_snippet->SetFont(SmallFont());
    m_snippet->AppendText(snippet);
    m_snippet->SetSelection(-1, -1);
    TS_RETURN(0, wxEmptyString);
}

int CAddSIFRToHTMLDialog::SetProjectName(const wxString& name)
{
    TS_FUNCTION("CAddSIFRToHTMLDialog::SetProjectName");
    TS_LOG(TS_MESSAGE, name + wxS(" has been set as project name."));
    const wxString shown = name.empty() ? wxString(wxS("foo")) : name;
    m_step1->SetLabel(Fill(_("1. Save your Glyphara project as desired (e.g. as \"%s\")."), shown));
    m_step2->SetLabel(Fill(_("2. Copy the \"glypharadata\" folder from \"%s files\" folder"), shown));
    // A project never saved has no folder to open.
    static_cast<FolderLink*>(m_folderLink)->SetLabelAndName(name.empty() ? wxString() : _(" (open it)"));
    m_afterLink->SetLabel(_(" to your Website folder."));
    FitLabels();
    TS_RETURN(0, wxEmptyString);
}

int CAddSIFRToHTMLDialog::SetProjectPath(const wxString& path)
{
    TS_FUNCTION("CAddSIFRToHTMLDialog::SetProjectPath");
    TS_LOG(TS_MESSAGE, path + wxS(" has been set as project path."));
    m_projectPath = path;
    TS_RETURN(0, wxEmptyString);
}

void CAddSIFRToHTMLDialog::FitLabels()
{
    Layout();
    const wxSize needed = GetSizer()->ComputeFittingWindowSize(this);
    SetMinSize(needed);
    const wxSize now = GetSize();
    if (needed.x > now.x || needed.y > now.y)
        SetSize(wxSize(std::max(needed.x, now.x), std::max(needed.y, now.y)));
    Layout();
}

void CAddSIFRToHTMLDialog::OnFolderLink(wxMouseEvent& event)
{
    event.Skip();
    OpenFolder();
}

void CAddSIFRToHTMLDialog::OnFolderLinkKey(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    if (event.HasAnyModifiers() || (key != WXK_RETURN && key != WXK_NUMPAD_ENTER && key != WXK_SPACE))
    {
        event.Skip();
        return;
    }
    OpenFolder();
}

void CAddSIFRToHTMLDialog::OpenFolder()
{
    // The folder that holds the project file and its folder of web files.
    const wxString folder = ProjectPaths::CollapseSlashes(m_projectPath).BeforeLast(wxS('/'));
    if (!folder.empty())
        CGlypharaCore::GetInstance()->Launcher().OpenUrl(folder);
}

void CAddSIFRToHTMLDialog::OnShowAfterSave(wxCommandEvent& event)
{
    wxConfigBase::Get()->Write(kShowGetCodeSetting, m_showAfterSave->GetValue());
    event.Skip();
}

void CAddSIFRToHTMLDialog::OnOk(wxCommandEvent&)
{
    wxConfigBase* settings = wxConfigBase::Get();
    settings->Write(kShowGetCodeSetting, m_showAfterSave->GetValue());
    settings->Flush();
    EndDialog(wxID_OK);
}
