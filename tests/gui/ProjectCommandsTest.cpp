// The project commands as a user meets them: what each one asks, what it writes, and
// that a cancelled question or chooser leaves the project and the disk as they were.
#include "CommandTestSupport.h"

#include "Interface/glypharamainframe.h"
#include "core/TextUtil.h"

#include <wx/config.h>
#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/stdpaths.h>
#include <wx/toplevel.h>

namespace
{
const long kQuestion = wxYES_NO | wxCANCEL | wxICON_WARNING;
const long kError = wxOK | wxICON_ERROR;

ExpectDialog<wxMessageDialog> NotSaved(int answer)
{
    return Box(wxS("Project is not saved"), wxS("Current project is not saved. Do you want to save it?"), kQuestion,
               answer);
}

ExpectDialog<wxMessageDialog> Replace(const wxString& name, int answer)
{
    return Box(wxS("Confirm"), name + wxS(" already exists. Do you want to replace it?"), wxYES_NO | wxICON_WARNING,
               answer);
}

// Everything below a folder, as relative paths, sorted.
wxArrayString Listing(const wxString& folder)
{
    wxArrayString files;
    if (wxDirExists(folder))
        wxDir::GetAllFiles(folder, &files, wxEmptyString, wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN);
    for (wxString& file : files)
        file = file.Mid(folder.length());
    files.Sort();
    return files;
}

void WriteText(const wxString& path, const char* text)
{
    wxFileName::Mkdir(wxFileName(path).GetPath(), 0777, wxPATH_MKDIR_FULL);
    EXPECT_TRUE(wxFFile(path, wxS("wb")).Write(wxString::FromUTF8(text), wxConvUTF8)) << path;
}
}

class ProjectCommandsTest : public CommandTest
{
protected:
    void SetUp() override
    {
        CommandTest::SetUp();
        InstallLibrary();
        OpenFrame();
        m_site = Home() + wxS("/site/");
        wxMkdir(m_site);
        SetShowGetCode(false);
    }

    void SetShowGetCode(bool show)
    {
        wxConfigBase::Get()->Write(wxString::FromAscii(kShowGetCodeSetting), show);
    }

    // Saves the open project under a new name without the Get Code dialog.
    void SaveAs(const wxString& path)
    {
        SetShowGetCode(false);
        int rc = 0;
        wxTEST_DIALOG(rc = Frame()->SaveProject(true, false, false), SaveChooser(path));
        ASSERT_EQ(RC_OK, rc);
    }

    // The program ends and starts again: settings to disk, a new core and window.
    void Restart()
    {
        CloseFrame();
        Core()->Release();
        CGlypharaCore::DestroyInstance();
        delete wxConfigBase::Set(nullptr);
        OpenFrame();
    }

    void MakeUnsaved()
    {
        ChangeRecord([](FontProperties& record) { record.size += 2; });
        ASSERT_FALSE(Core()->IsProjectSaved());
    }

    void AddH2()
    {
        wxString h2 = wxS("h2");
        Core()->AddNewTag(h2, true);
    }

    int SaveAsAnswered(const wxString& path, const ExpectDialog<wxMessageDialog>& question)
    {
        int rc = 0;
        wxTEST_DIALOG(rc = Frame()->SaveProject(true, false, false), SaveChooser(path), question);
        return rc;
    }

    // The recent projects as the File menu lists them.
    wxArrayString RecentMenu() const
    {
        wxArrayString labels;
        wxMenuItem* item = Frame()->GetMenuBar()->FindItem(ID_MENUITEM_RECENTPROJECTS);
        if (item && item->GetSubMenu())
            for (const wxMenuItem* entry : item->GetSubMenu()->GetMenuItems())
                labels.Add(entry->GetItemLabelText());
        return labels;
    }

    wxString m_site;
};

TEST_F(ProjectCommandsTest, SavingANewProjectAsksForAFileShowsGetCodeAndASecondSaveAsksNothing)
{
    SetShowGetCode(true);
    ASSERT_TRUE(Frame()->GetTitle().Contains(wxS("(not saved)")));
    // A name without extension gets ".xml"; the chooser starts in the documents folder.
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_SAVE),
                  SaveChooser(m_site + wxS("mysite"), wxID_OK, wxStandardPaths::Get().GetDocumentsDir()),
                  GetCode(wxS("mysite")));
    EXPECT_TRUE(wxFileExists(m_site + wxS("mysite files/mysite.html")));
    EXPECT_TRUE(Core()->IsProjectSaved());
    EXPECT_EQ(m_site + wxS("mysite.xml"), Core()->GetProjectFilePath());
    EXPECT_FALSE(Frame()->GetTitle().Contains(wxS("(not saved)"))) << Frame()->GetTitle();
    EXPECT_TRUE(Frame()->GetTitle().Contains(wxS("mysite"))) << Frame()->GetTitle();

    // A change, then the tool: written over its own folder without any question.
    ChangeRecord([](FontProperties& record) { record.color = wxColour(0x12, 0x34, 0x56); });
    Command(Frame(), ID_TOOL_SAVE);
    EXPECT_TRUE(Core()->IsProjectSaved());
    EXPECT_TRUE(ReadAll(m_site + wxS("mysite.xml")).Contains(wxS("#123456")));
    EXPECT_TRUE(ReadAll(m_site + wxS("mysite files/glypharadata/all.css")).Upper().Contains(wxS("#123456")));
    EXPECT_EQ(RC_OK, Frame()->SaveProject(false, false, true));
    EXPECT_TRUE(LogContains(wxS("Project is already saved")));

    // With the dialog switched off Save as only asks for the file, from the project's folder.
    SetShowGetCode(false);
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_SAVEAS),
                  SaveChooser(m_site + wxS("copy.xml"), wxID_OK, StripTrailingSeparators(m_site)));
    EXPECT_EQ(m_site + wxS("copy.xml"), Core()->GetProjectFilePath());

    MakeUnsaved();
    int rc = 0;
    wxTEST_DIALOG(rc = Frame()->SaveProject(true, false, false), SaveChooser(wxEmptyString, wxID_CANCEL));
    EXPECT_EQ(RC_CANCELLED, rc);
    EXPECT_FALSE(Core()->IsProjectSaved());

    // A file where the folder should be: the failure is shown with the place and the
    // reason, and the project stays unsaved.
    WriteText(m_site + wxS("blocker"), "");
    wxTEST_DIALOG(rc = Frame()->SaveProject(true, false, false), SaveChooser(m_site + wxS("blocker/late.xml")),
                  Box(wxS("Unexpected error"),
                      wxS("Unable to save the project.\n\nUnable to create ") + m_site +
                          wxS("blocker/: Not a directory"),
                      kError, wxID_OK));
    EXPECT_EQ(RC_WRITE_FAILED, rc);
    EXPECT_FALSE(Core()->IsProjectSaved());
    EXPECT_TRUE(Frame()->GetTitle().Contains(wxS("(not saved)"))) << Frame()->GetTitle();
}

TEST_F(ProjectCommandsTest, SaveAsOntoAnExistingFilesFolderAsksAndNoLeavesTheDiskUntouched)
{
    WriteText(m_site + wxS("mysite files/index.html"), "<p>the designer's own page</p>");
    const wxArrayString before = Listing(m_site);
    auto filesExist = [](int answer) {
        return Box(wxS("Files exist"), wxS("Some files already exist. Overwrite them?"), kQuestion, answer);
    };
    for (int answer : {wxID_NO, wxID_CANCEL})
    {
        EXPECT_EQ(RC_CANCELLED, SaveAsAnswered(m_site + wxS("mysite.xml"), filesExist(answer)));
        EXPECT_EQ(before, Listing(m_site));
        EXPECT_FALSE(Core()->IsProjectSaved());
        EXPECT_TRUE(Core()->GetProjectFilePath().empty());
    }

    // Yes writes into the folder and keeps what else is there.
    EXPECT_EQ(RC_OK, SaveAsAnswered(m_site + wxS("mysite.xml"), filesExist(wxID_YES)));
    EXPECT_TRUE(wxFileExists(m_site + wxS("mysite.xml")));
    EXPECT_TRUE(wxFileExists(m_site + wxS("mysite files/index.html")));
}

TEST_F(ProjectCommandsTest, SaveAsOntoAnExistingProjectFileAsksOnceAndNoWritesNothing)
{
    SaveAs(m_site + wxS("first.xml"));
    const wxString first = ReadAll(m_site + wxS("first.xml"));
    ASSERT_FALSE(first.empty());
    Core()->NewProject();
    ChangeRecord([](FontProperties& record) { record.color = wxColour(0xAB, 0xCD, 0xEF); });
    const wxArrayString before = Listing(m_site);

    // Typed without extension: the question names the file that would go.
    EXPECT_EQ(RC_CANCELLED, SaveAsAnswered(m_site + wxS("first"), Replace(wxS("first.xml"), wxID_NO)));
    EXPECT_EQ(first, ReadAll(m_site + wxS("first.xml")));
    EXPECT_EQ(before, Listing(m_site));
    EXPECT_FALSE(Core()->IsProjectSaved());

    // Yes is the only question: the project's folder is replaced along with its file.
    EXPECT_EQ(RC_OK, SaveAsAnswered(m_site + wxS("first.xml"), Replace(wxS("first.xml"), wxID_YES)));
    EXPECT_TRUE(ReadAll(m_site + wxS("first.xml")).Contains(wxS("#ABCDEF")));

    SaveAs(m_site + wxS("100%s done.xml"));
    MakeUnsaved();
    EXPECT_EQ(RC_OK, SaveAsAnswered(m_site + wxS("100%s done.xml"), Replace(wxS("100%s done.xml"), wxID_YES)));
    EXPECT_TRUE(Frame()->GetTitle().Contains(wxS("100%s done"))) << Frame()->GetTitle();
}

TEST_F(ProjectCommandsTest, NewAndOpenOfferToSaveFirstAndACancelKeepsTheProject)
{
    AddH2();
    const std::vector<wxString> both{wxS("h1"), wxS("h2")};
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_OPEN), NotSaved(wxID_NO), OpenChooser(wxEmptyString, wxID_CANCEL));
    EXPECT_EQ(both, TagNames());
    EXPECT_EQ(2u, TagList()->GetCount());
    EXPECT_EQ(wxS("<h2>"), TagList()->GetStringSelection());
    wxTEST_DIALOG(Command(Frame(), ID_TOOL_OPEN), NotSaved(wxID_CANCEL));
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_NEW), NotSaved(wxID_CANCEL));
    wxTEST_DIALOG(Command(Frame(), ID_TOOL_NEW), NotSaved(wxID_YES), SaveChooser(wxEmptyString, wxID_CANCEL));
    EXPECT_EQ(both, TagNames());

    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_NEW), NotSaved(wxID_NO));
    EXPECT_EQ(std::vector<wxString>{wxS("h1")}, TagNames());
    EXPECT_EQ(1u, TagList()->GetCount());
    EXPECT_TRUE(LogContains(wxS("User requests new project")));

    // Yes saves, then starts afresh.
    MakeUnsaved();
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_NEW), NotSaved(wxID_YES), SaveChooser(m_site + wxS("kept.xml")));
    EXPECT_TRUE(wxFileExists(m_site + wxS("kept.xml")));
    EXPECT_TRUE(Core()->GetProjectFilePath().empty());
    EXPECT_FALSE(Core()->IsProjectSaved());

    // A new project nobody changed has nothing to lose: New and closing ask nothing.
    Command(Frame(), ID_MENUITEM_NEW);
    EXPECT_TRUE(Frame()->GetTitle().Contains(wxS("(not saved)"))) << Frame()->GetTitle();
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_OPEN), OpenChooser(wxEmptyString, wxID_CANCEL));
    GlypharaMainFrame* frame = Frame();
    frame->Close();
    EXPECT_TRUE(WaitFor([frame] { return !wxTopLevelWindows.Find(frame); }, 3000)) << "the window stayed open";
}

TEST_F(ProjectCommandsTest, OpenLoadsAProjectAndTellsWhatWentWrongWithOthers)
{
    AddH2();
    const wxString good = m_site + wxS("good.xml");
    SaveAs(good);
    // A saved project on screen: Open asks nothing before the chooser.
    Core()->NewProject();
    SaveAs(m_site + wxS("other.xml"));
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_OPEN), OpenChooser(good));
    EXPECT_EQ(good, Core()->GetProjectFilePath());
    EXPECT_TRUE(Core()->IsProjectSaved());
    EXPECT_EQ(2u, TagList()->GetCount());

    // Each message names the file and what is wrong with it; the open project stays.
    const struct
    {
        const char* name;
        const char* content;
        const char* text;
        const char* reason;
    } cases[] = {
        {"old.xml", "<?xml version=\"1.0\"?><tallowbyglyphara><project/></tallowbyglyphara>",
         "The project you are trying to open was saved with a previous version of Glyphara.\n\n"
         "Please contact Tallowby Software for support.",
         "it was saved by an old and incompatible version of Glyphara"},
        {"other-program.xml", "<?xml version=\"1.0\"?><svg/>", "Invalid file format",
         "it is not a Glyphara project (its root element is <svg>)"},
        {"broken.xml", "<?xml version=\"1.0\"?><GlypharaProject><project", "Unable to load the project.",
         "XML parsing error: 'unclosed token' at line 1"},
    };
    for (const auto& c : cases)
    {
        WriteText(m_site + c.name, c.content);
        int rc = 0;
        wxTEST_DIALOG(rc = Frame()->OpenProjectFile(m_site + c.name),
                      Box(wxS("Unable to open"),
                          wxString::FromUTF8(c.text) + wxS("\n\n") + m_site + wxString::FromUTF8(c.name) + wxS(": ") +
                              wxString::FromUTF8(c.reason),
                          kError, wxID_OK));
        EXPECT_LT(rc, 0) << c.name;
        EXPECT_EQ(2u, TagList()->GetCount()) << c.name;
        EXPECT_EQ(good, Core()->GetProjectFilePath()) << c.name;
        EXPECT_TRUE(Frame()->GetTitle().Contains(wxS("good"))) << Frame()->GetTitle();
    }

    // A listed file gone: loaded, with a warning that names it.
    ASSERT_TRUE(wxRemoveFile(m_site + wxS("good files/glypharadata/all.css")));
    int rc = 0;
    wxTEST_DIALOG(rc = Frame()->OpenProjectFile(good),
                  Box(wxS("Some warnings happened"),
                      wxS("The project has been loaded with some warnings (is any file missing?)\n\n"
                          "Files missing:\ngood files/glypharadata/all.css"),
                      wxOK | wxICON_WARNING, wxID_OK));
    EXPECT_EQ(RC_LOADED_WITH_WARNINGS, rc);
    EXPECT_EQ(2u, TagNames().size());

    // A font neither installed nor in the folder: loaded whole, with a notice naming it.
    wxString text = ReadAll(good);
    ASSERT_TRUE(text.Replace(wxS("Alpha"), wxS("Gone")));
    WriteText(m_site + wxS("gone.xml"), text.utf8_str());
    wxTEST_DIALOG(rc = Frame()->OpenProjectFile(m_site + wxS("gone.xml")),
                  Box(wxS("Some errors happened"),
                      wxS("The project has been loaded with some problems (is any font missing?)\n\n"
                          "Fonts neither installed nor in the project's folder:\nGone (<h1>, <h2>)\n\n"
                          "Files missing:\ngood files/glypharadata/all.css"),
                      wxOK | wxICON_WARNING, wxID_OK));
    EXPECT_EQ(RC_LOADED_WITH_ERRORS, rc);
    EXPECT_EQ(2u, TagList()->GetCount());
}

TEST_F(ProjectCommandsTest, AProjectGivenAtStartIsOpenOnceTheWindowIsUp)
{
    AddH2();
    SaveAs(m_site + wxS("start.xml"));
    Restart();
    ASSERT_EQ(std::vector<wxString>{wxS("h1")}, TagNames());
    Frame()->OpenProjectAtStartup(m_site + wxS("start.xml"));
    EXPECT_TRUE(WaitFor([this] { return Core()->GetTags().size() == 2; }, 3000));
    EXPECT_EQ(2u, TagList()->GetCount());
    EXPECT_TRUE(Frame()->GetTitle().Contains(wxS("start"))) << Frame()->GetTitle();

    // A missing or broken file gets the Open command's message and leaves the project.
    WriteText(m_site + wxS("broken.xml"), "<?xml version=\"1.0\"?><GlypharaProject><project");
    const struct
    {
        const char* name;
        const char* reason;
    } cases[] = {{"missing.xml", "Unable to open the file: No such file or directory"},
                 {"broken.xml", "XML parsing error: 'unclosed token' at line 1"}};
    for (const auto& c : cases)
    {
        wxTEST_DIALOG(
            {
                Frame()->OpenProjectAtStartup(m_site + c.name);
                RunPendingEvents(300);
            },
            Box(wxS("Unable to open"),
                wxS("Unable to load the project.\n\n") + m_site + wxString::FromUTF8(c.name) + wxS(": ") +
                    wxString::FromUTF8(c.reason),
                kError, wxID_OK));
        EXPECT_EQ(2u, TagNames().size()) << c.name;
        EXPECT_EQ(m_site + wxS("start.xml"), Core()->GetProjectFilePath()) << c.name;
    }
}

TEST_F(ProjectCommandsTest, ClosingAsksOnlyForAnUnsavedProjectAndStoresTheGeometry)
{
    MakeUnsaved();
    GlypharaMainFrame* frame = Frame();
    const wxString settings = Core()->GetConfigFilePath();
    ASSERT_FALSE(settings.empty());
    wxRemoveFile(settings);
    // Refused: the window stays, and the geometry is stored all the same.
    wxTEST_DIALOG(frame->Close(), NotSaved(wxID_CANCEL));
    RunPendingEvents(200);
    ASSERT_TRUE(wxTopLevelWindows.Find(frame));
    EXPECT_TRUE(frame->IsShown());
    EXPECT_TRUE(ReadAll(settings).Contains(wxS("windowsizew="))) << ReadAll(settings);

    SaveAs(m_site + wxS("closing.xml"));
    frame->SetSize(40, 60, 900, 740);
    RunPendingEvents(200);
    wxRemoveFile(settings);
    Command(frame, ID_MENUITEM_EXIT);
    EXPECT_TRUE(WaitFor([frame] { return !wxTopLevelWindows.Find(frame); }, 3000)) << "the window stayed open";
    const wxString stored = ReadAll(settings);
    EXPECT_TRUE(stored.Contains(wxS("windowsizew=900\nwindowsizeh=740\n"))) << stored;
    EXPECT_TRUE(stored.Contains(wxS("windowposx="))) << stored;
    EXPECT_TRUE(LogContains(wxS("User requests to exit on Windows")));
}

TEST_F(ProjectCommandsTest, RecentProjectsSurviveARestartAndAMissingOneIsDropped)
{
    EXPECT_FALSE(Frame()->GetMenuBar()->IsEnabled(ID_MENUITEM_RECENTPROJECTS));
    SaveAs(m_site + wxS("alpha.xml"));
    AddH2();
    SaveAs(m_site + wxS("beta.xml"));
    wxArrayString listed = RecentMenu();
    ASSERT_EQ(2u, listed.size());
    EXPECT_EQ(wxS("1 ") + m_site + wxS("beta.xml"), listed[0]);
    EXPECT_EQ(wxS("2 ") + m_site + wxS("alpha.xml"), listed[1]);
    EXPECT_TRUE(Frame()->GetMenuBar()->IsEnabled(ID_MENUITEM_RECENTPROJECTS));

    Restart();
    EXPECT_EQ(listed, RecentMenu());
    MakeUnsaved();
    wxTEST_DIALOG(Command(Frame(), wxID_FILE1), NotSaved(wxID_NO));
    EXPECT_EQ(m_site + wxS("beta.xml"), Core()->GetProjectFilePath());
    EXPECT_EQ(2u, TagNames().size());

    // A project that has gone: said so, dropped from the list and the settings, and the
    // open project is not touched.
    ASSERT_TRUE(wxRemoveFile(m_site + wxS("alpha.xml")));
    MakeUnsaved();
    wxTEST_DIALOG(Command(Frame(), wxID_FILE2),
                  Box(wxS("Unable to open"),
                      m_site + wxS("alpha.xml no longer exists. It has been removed from the recent projects."), kError,
                      wxID_OK));
    EXPECT_EQ(1u, RecentMenu().size());
    EXPECT_EQ(m_site + wxS("beta.xml"), Core()->GetProjectFilePath());
    EXPECT_FALSE(Core()->IsProjectSaved());
    EXPECT_FALSE(ReadAll(Core()->GetConfigFilePath()).Contains(wxS("alpha.xml")));

    // "&" in a folder name is shown as it is, not taken for a mnemonic.
    wxMkdir(m_site + wxS("R&D"));
    SaveAs(m_site + wxS("R&D/gamma.xml"));
    EXPECT_EQ(wxS("1 ") + m_site + wxS("R&D/gamma.xml"), RecentMenu()[0]);
}
