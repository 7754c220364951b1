#include "DialogTestSupport.h"

#include "Interface/addsifrtohtmldialog.h"
#include "Interface/getnewtagdialog.h"

#include <wx/combobox.h>
#include <wx/textctrl.h>

namespace
{
wxString LabelOf(wxWindow* dialog, int id)
{
    wxWindow* control = dialog->FindWindow(id);
    return control ? control->GetLabel() : wxString(wxS("<missing>"));
}

// The link reacts to the release of a mouse button over it.
void ReleaseOver(wxWindow* control, wxEventType type)
{
    wxMouseEvent event(type);
    event.SetEventObject(control);
    event.SetPosition(wxPoint(2, 2));
    control->GetEventHandler()->ProcessEvent(event);
}

const char* const kGetCodeCaption = "How to add your cool fonts to an existing Website";
}

// The commands' own tests cover OK, Cancel and the suggestions.
TEST_F(DialogTest, TheTagDialogHandsBackNothingWhenClosedAndShowsANameAsItStands)
{
    wxArrayString unused;
    unused.Add(wxS("h3"));
    wxString result = wxS("stale");
    {
        CGetNewTagDialog dialog(nullptr, wxS("Add a new tag"));
        dialog.SetTags(unused, &result, wxEmptyString, false);
        wxTEST_DIALOG(dialog.ShowModal(), ExpectDialog<CGetNewTagDialog>(
                                              [](CGetNewTagDialog* d) {
                                                  dynamic_cast<wxComboBox*>(d->FindWindow(CGetNewTagDialog::ID_NAME_BOX))
                                                      ->SetValue(wxS("em"));
                                                  d->Close();
                                              },
                                              wxID_OK));
        EXPECT_TRUE(result.empty()) << result;
        EXPECT_FALSE(dialog.IsShown());
    }
    CGetNewTagDialog odd(nullptr, wxS("Add a new tag"));
    odd.SetTags(unused, &result, wxS("%s%d%n"), true);
    EXPECT_EQ(wxS("Choose a new name for %s%d%n tag:"), LabelOf(&odd, CGetNewTagDialog::ID_PROMPT));
}

TEST_F(DialogTest, GetCodeNamesTheProjectOrFooAndItsLinkOpensTheProjectsFolder)
{
    CAddSIFRToHTMLDialog dialog(nullptr, wxString(kGetCodeCaption), wxSize(400, 300));
    dialog.SetCodeSnippet(wxS("<!--TALLOWBY GLYPHARA CODE BEGIN-->\n<script></script>\n"));
    dialog.SetProjectName(wxEmptyString);
    dialog.SetProjectPath(wxEmptyString);
    EXPECT_EQ(wxS("2. Copy the \"glypharadata\" folder from \"foo files\" folder"),
              LabelOf(&dialog, CAddSIFRToHTMLDialog::ID_STEP2));
    EXPECT_EQ(wxEmptyString, LabelOf(&dialog, CAddSIFRToHTMLDialog::ID_FOLDER_LINK));
    EXPECT_EQ(wxS(" to your Website folder."), LabelOf(&dialog, CAddSIFRToHTMLDialog::ID_AFTER_LINK));
    wxTextCtrl* snippet = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(CAddSIFRToHTMLDialog::ID_SNIPPET));
    ASSERT_NE(nullptr, snippet);
    EXPECT_FALSE(snippet->IsEditable());
    // All of it selected, ready to copy.
    long from = -1, to = -1;
    snippet->GetSelection(&from, &to);
    EXPECT_EQ(0, from);
    EXPECT_EQ(snippet->GetLastPosition(), to);

    const wxString name = wxS("Sale 50% %s off");
    dialog.SetProjectName(name);
    dialog.SetProjectPath(wxS("/home/ann//sites//") + name + wxS(".xml"));
    EXPECT_EQ(wxS("1. Save your Glyphara project as desired (e.g. as \"Sale 50% %s off\")."),
              LabelOf(&dialog, CAddSIFRToHTMLDialog::ID_STEP1));
    EXPECT_EQ(wxS("2. Copy the \"glypharadata\" folder from \"Sale 50% %s off files\" folder"),
              LabelOf(&dialog, CAddSIFRToHTMLDialog::ID_STEP2));
    EXPECT_EQ(wxS(" (open it)"), LabelOf(&dialog, CAddSIFRToHTMLDialog::ID_FOLDER_LINK));
    EXPECT_TRUE(LogContains(wxS("/home/ann//sites//Sale 50% %s off.xml has been set as project path.")));
    // The longer step 2 row still fits.
    wxWindow* after = dialog.FindWindow(CAddSIFRToHTMLDialog::ID_AFTER_LINK);
    EXPECT_LE(after->GetRect().GetRight(), dialog.GetClientSize().x);

    wxWindow* link = dialog.FindWindow(CAddSIFRToHTMLDialog::ID_FOLDER_LINK);
    for (wxEventType type : {wxEVT_LEFT_UP, wxEVT_RIGHT_UP, wxEVT_LEFT_DOWN})
        ReleaseOver(link, type);
    EXPECT_EQ((std::vector<wxString>{wxS("/home/ann/sites"), wxS("/home/ann/sites")}), m_opened);
}

TEST_F(DialogTest, GetCodeKeepsTheUntickedBoxWhenClosedByTheTitleBar)
{
    {
        CAddSIFRToHTMLDialog dialog(nullptr, wxString(kGetCodeCaption), wxSize(400, 300));
        EXPECT_TRUE(dynamic_cast<wxCheckBox*>(dialog.FindWindow(CAddSIFRToHTMLDialog::ID_SHOW_AFTER_SAVE))->GetValue());
        wxTEST_DIALOG(dialog.ShowModal(), ExpectDialog<CAddSIFRToHTMLDialog>(
                                              [](CAddSIFRToHTMLDialog* d) {
                                                  Tick(d, CAddSIFRToHTMLDialog::ID_SHOW_AFTER_SAVE, false);
                                                  d->Close();
                                              },
                                              wxID_CANCEL));
    }
    EXPECT_FALSE(wxConfigBase::Get()->ReadBool(kShowGetCodeSetting, true));

    // The next one starts unticked; its OK! writes the settings file at once.
    CAddSIFRToHTMLDialog next(nullptr, wxString(kGetCodeCaption), wxSize(400, 300));
    EXPECT_FALSE(dynamic_cast<wxCheckBox*>(next.FindWindow(CAddSIFRToHTMLDialog::ID_SHOW_AFTER_SAVE))->GetValue());
    EXPECT_FALSE(SettingsOnDisk().Contains(wxS("showhowtoaddaftersave")));
    wxTEST_DIALOG(next.ShowModal(), ExpectDialog<CAddSIFRToHTMLDialog>(
                                        [](CAddSIFRToHTMLDialog* d) { PressButton(d, CAddSIFRToHTMLDialog::ID_OK); }, wxID_OK));
    EXPECT_FALSE(next.IsShown());
    EXPECT_TRUE(SettingsOnDisk().Contains(wxS("showhowtoaddaftersave=0"))) << SettingsOnDisk();

    // Escape closes it as OK! does, settings written.
    CAddSIFRToHTMLDialog third(nullptr, wxString(kGetCodeCaption), wxSize(400, 300));
    wxTEST_DIALOG(third.ShowModal(), ExpectDialog<CAddSIFRToHTMLDialog>(
                                         [](CAddSIFRToHTMLDialog* d) {
                                             Tick(d, CAddSIFRToHTMLDialog::ID_SHOW_AFTER_SAVE, true);
                                             PressEscape(d);
                                         },
                                         wxID_OK));
    EXPECT_TRUE(SettingsOnDisk().Contains(wxS("showhowtoaddaftersave=1"))) << SettingsOnDisk();
}

TEST_F(DialogTest, TheFolderLinkTakesTheKeyboardAndOpensWithReturnOrSpace)
{
    CAddSIFRToHTMLDialog dialog(nullptr, wxString(kGetCodeCaption), wxSize(400, 300));
    wxWindow* link = dialog.FindWindow(CAddSIFRToHTMLDialog::ID_FOLDER_LINK);
    dialog.SetProjectName(wxEmptyString);
    EXPECT_FALSE(link->IsShown() && link->AcceptsFocusFromKeyboard()) << "a project never saved has no link";
    dialog.SetProjectName(wxS("bakery"));
    dialog.SetProjectPath(wxS("/home/ann/sites/bakery.xml"));
    EXPECT_TRUE(link->IsShown() && link->AcceptsFocusFromKeyboard());
    for (int key : {int(WXK_RETURN), int(WXK_SPACE), int('o'), int(WXK_NUMPAD_ENTER)})
    {
        wxKeyEvent event(wxEVT_KEY_DOWN);
        event.m_keyCode = key;
        event.SetEventObject(link);
        link->GetEventHandler()->ProcessEvent(event);
    }
    EXPECT_EQ(std::vector<wxString>(3, wxS("/home/ann/sites")), m_opened);
}
