#include "DialogTestSupport.h"

#include "Interface/addsifrtohtmldialog.h"
#include "Interface/getnewtagdialog.h"

#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/generic/stattextg.h>
#include <wx/stattext.h>
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

TEST_F(DialogTest, TheTagDialogHandsBackTheNameOnOkAndNothingOnCancel)
{
    wxArrayString unused;
    unused.Add(wxS("h2"));
    unused.Add(wxS("h3"));

    // OK takes the preselected suggestion.
    wxString result = wxS("stale");
    {
        CGetNewTagDialog dialog(nullptr, wxS("Add a new tag"));
        EXPECT_EQ(0, dialog.SetTags(unused, &result, wxEmptyString, false));
        EXPECT_EQ(wxS("Add a new tag"), dialog.GetTitle());
        EXPECT_EQ(wxS("Choose a name for the new tag:"), LabelOf(&dialog, CGetNewTagDialog::ID_PROMPT));
        wxComboBox* box = dynamic_cast<wxComboBox*>(dialog.FindWindow(CGetNewTagDialog::ID_NAME_BOX));
        ASSERT_NE(nullptr, box);
        EXPECT_EQ(2u, box->GetCount());
        wxTEST_DIALOG(dialog.ShowModal(),
                      ExpectDialog<CGetNewTagDialog>([](CGetNewTagDialog* d) { PressButton(d, wxID_OK); }, wxID_OK));
    }
    EXPECT_EQ(wxS("h2"), result);

    // A typed name; OK with the box emptied; Cancel; the close box.
    struct Case
    {
        const char* typed;
        int button;
        const char* expected;
    };
    for (const Case& c : {Case{"blockquote", wxID_OK, "blockquote"}, Case{"", wxID_OK, ""},
                          Case{"em", wxID_CANCEL, ""}, Case{"em", wxID_NONE, ""}})
    {
        result = wxS("stale");
        CGetNewTagDialog dialog(nullptr, wxS("Add a new tag"));
        dialog.SetTags(unused, &result, wxEmptyString, false);
        wxTEST_DIALOG(dialog.ShowModal(), ExpectDialog<CGetNewTagDialog>(
                                              [&c](CGetNewTagDialog* d) {
                                                  dynamic_cast<wxComboBox*>(d->FindWindow(CGetNewTagDialog::ID_NAME_BOX))
                                                      ->SetValue(wxString(c.typed));
                                                  if (c.button == wxID_NONE)
                                                      d->Close();
                                                  else
                                                      PressButton(d, c.button);
                                              },
                                              wxID_OK));
        EXPECT_EQ(wxString(c.expected), result) << c.typed << " " << c.button;
        EXPECT_FALSE(dialog.IsShown());
    }
}

TEST_F(DialogTest, TheRenameDialogNamesTheTagAndOffersTheFirstStandardTagTheProjectLacks)
{
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    ASSERT_EQ(0, core->Init());
    wxString h2 = wxS("h2");
    ASSERT_EQ(0, core->AddNewTag(h2, true));
    wxArrayString unused;
    ASSERT_EQ(0, core->GetUnusedTagList(unused));
    ASSERT_FALSE(unused.IsEmpty());

    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, wxS("Glyphara"));
    wxString result;
    {
        CGetNewTagDialog dialog(frame, wxS("Add a new tag"));
        dialog.SetTags(unused, &result, wxS("h2"), true);
        EXPECT_EQ(wxS("Rename current tag"), dialog.GetTitle());
        EXPECT_EQ(wxS("Choose a new name for h2 tag:"), LabelOf(&dialog, CGetNewTagDialog::ID_PROMPT));
        wxComboBox* box = dynamic_cast<wxComboBox*>(dialog.FindWindow(CGetNewTagDialog::ID_NAME_BOX));
        ASSERT_NE(nullptr, box);
        EXPECT_EQ(wxS("<h3>"), box->GetValue());
        EXPECT_EQ(unused[0], box->GetValue());

        // A name that looks like a format is written as it stands.
        result.clear();
        CGetNewTagDialog odd(frame, wxS("Add a new tag"));
        odd.SetTags(unused, &result, wxS("%s%d%n"), true);
        EXPECT_EQ(wxS("Choose a new name for %s%d%n tag:"), LabelOf(&odd, CGetNewTagDialog::ID_PROMPT));
    }
    frame->Destroy();
    RunPendingEvents(50);
}

TEST_F(DialogTest, GetCodeForAProjectNeverSavedShowsFooAndNoFolderLink)
{
    CAddSIFRToHTMLDialog dialog(nullptr, wxString(kGetCodeCaption), wxSize(400, 300));
    EXPECT_EQ(0, dialog.SetCodeSnippet(wxS("<!--TALLOWBY GLYPHARA CODE BEGIN-->\n<script></script>\n")));
    EXPECT_EQ(0, dialog.SetProjectName(wxEmptyString));
    EXPECT_EQ(0, dialog.SetProjectPath(wxEmptyString));

    EXPECT_EQ(wxS("1. Save your Glyphara project as desired (e.g. as \"foo\")."),
              LabelOf(&dialog, CAddSIFRToHTMLDialog::ID_STEP1));
    EXPECT_EQ(wxS("2. Copy the \"glypharadata\" folder from \"foo files\" folder"),
              LabelOf(&dialog, CAddSIFRToHTMLDialog::ID_STEP2));
    EXPECT_EQ(wxEmptyString, LabelOf(&dialog, CAddSIFRToHTMLDialog::ID_FOLDER_LINK));
    EXPECT_EQ(wxS(" to your Website folder."), LabelOf(&dialog, CAddSIFRToHTMLDialog::ID_AFTER_LINK));

    wxTextCtrl* snippet = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(CAddSIFRToHTMLDialog::ID_SNIPPET));
    ASSERT_NE(nullptr, snippet);
    EXPECT_EQ(wxS("<!--TALLOWBY GLYPHARA CODE BEGIN-->\n<script></script>\n"), snippet->GetValue());
    EXPECT_FALSE(snippet->IsEditable());
    // All of it selected, ready to copy.
    long from = -1, to = -1;
    snippet->GetSelection(&from, &to);
    EXPECT_EQ(0, from);
    EXPECT_EQ(snippet->GetLastPosition(), to);

    ReleaseOver(dialog.FindWindow(CAddSIFRToHTMLDialog::ID_FOLDER_LINK), wxEVT_LEFT_UP);
    EXPECT_TRUE(m_opened.empty());
    EXPECT_TRUE(LogContains(wxS(" has been set as project name.")));
}

TEST_F(DialogTest, GetCodeNamesTheProjectAndItsLinkOpensTheProjectsFolder)
{
    const wxString name = wxS("Sale 50% %s off");
    CAddSIFRToHTMLDialog dialog(nullptr, wxString(kGetCodeCaption), wxSize(400, 300));
    dialog.SetCodeSnippet(wxS("snippet"));
    dialog.SetProjectName(name);
    dialog.SetProjectPath(wxS("/home/ann//sites//") + name + wxS(".xml"));

    EXPECT_EQ(wxS("1. Save your Glyphara project as desired (e.g. as \"Sale 50% %s off\")."),
              LabelOf(&dialog, CAddSIFRToHTMLDialog::ID_STEP1));
    EXPECT_EQ(wxS("2. Copy the \"glypharadata\" folder from \"Sale 50% %s off files\" folder"),
              LabelOf(&dialog, CAddSIFRToHTMLDialog::ID_STEP2));
    EXPECT_EQ(wxS(" (open it)"), LabelOf(&dialog, CAddSIFRToHTMLDialog::ID_FOLDER_LINK));
    EXPECT_TRUE(LogContains(name + wxS(" has been set as project name.")));
    EXPECT_TRUE(LogContains(wxS("/home/ann//sites//Sale 50% %s off.xml has been set as project path.")));
    // The longer step 2 row still fits.
    wxWindow* after = dialog.FindWindow(CAddSIFRToHTMLDialog::ID_AFTER_LINK);
    EXPECT_LE(after->GetRect().GetRight(), dialog.GetClientSize().x);

    wxWindow* link = dialog.FindWindow(CAddSIFRToHTMLDialog::ID_FOLDER_LINK);
    ReleaseOver(link, wxEVT_LEFT_UP);
    ReleaseOver(link, wxEVT_RIGHT_UP);
    ReleaseOver(link, wxEVT_LEFT_DOWN);
    ASSERT_EQ(2u, m_opened.size());
    EXPECT_EQ(wxS("/home/ann/sites"), m_opened[0]);
    EXPECT_EQ(wxS("/home/ann/sites"), m_opened[1]);
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
        EXPECT_FALSE(dialog.IsShown());
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
}
