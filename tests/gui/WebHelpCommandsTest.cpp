// The web, help and tip commands of the main window: previews in the default browser,
// Get Code, the manual through the desktop's programs, tips and About. The browser and
// other programs are the recorder's.
#include "CommandTestSupport.h"

#include "Interface/CommandTexts.h"
#include "Interface/addsifrtohtmldialog.h"
#include "Interface/dailytipdialog.h"
#include "Interface/glypharamainframe.h"
#include "Interface/glypharasplash.h"

#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

namespace
{
const wxString kManual = wxS("/Manuals/Glyphara Manual W.pdf");
const wxString kManualCopy = wxS("/Manuals/Glyphara Manual W.html");

template <typename T>
std::vector<T*> ChildrenOfKind(wxWindow* parent)
{
    std::vector<T*> found;
    for (wxWindow* child : parent->GetChildren())
        if (T* window = dynamic_cast<T*>(child))
            found.push_back(window);
    return found;
}
}

TEST(CommandTextsTest, TheManualIsFoundBelowTheFolderAndItsFolderHasNoDoubledSeparators)
{
    EXPECT_EQ(wxS("/opt/glyphara/Manuals/Glyphara Manual W.pdf"), HelpManualPath(wxS("/opt/glyphara")));
    EXPECT_EQ(wxS("/opt/glyphara/Manuals/Glyphara Manual W.html"),
              HelpManualHtmlPath(HelpManualPath(wxS("/opt/glyphara"))));
    // The working directory "/" gives a doubled separator.
    EXPECT_EQ(wxS("//Manuals/Glyphara Manual W.pdf"), HelpManualPath(wxS("/")));
    EXPECT_EQ(wxS("/Manuals"), HelpManualFolder(HelpManualPath(wxS("/"))));
    EXPECT_EQ(wxS("/a/b/Manuals"), HelpManualFolder(wxS("/a//b///Manuals/Glyphara Manual W.pdf")));
}

class WebHelpCommandsTest : public CommandTest
{
};

TEST_F(WebHelpCommandsTest, PreviewsGoToTheDefaultBrowserOrSayWhyNotAndGetCodeOpensTheProjectsFolder)
{
    if (!UseBuiltRuntime())
        GTEST_SKIP() << "needs the built runtime scripts";
    OpenFrame();
    Command(Frame(), ID_MENU_PREVIEWCURRENTPROJECT);
    Command(Frame(), ID_TOOL_PREVIEW);
    ASSERT_EQ(2u, openedUrls.size());
    EXPECT_TRUE(openedUrls[0].StartsWith(wxS("http://127.0.0.1:"))) << openedUrls[0];
    EXPECT_TRUE(openedUrls[0].EndsWith(wxS(".html"))) << openedUrls[0];
    EXPECT_TRUE(LogContains(wxS("User requests to have a web browser preview")));

    const wxString site = Home() + wxS("/site");
    MakeEmptyFile(site + wxS("/index.html"));
    ShownChooser asked;
    wxTEST_DIALOG(Command(Frame(), ID_MENU_PREVIEWMYWEB), ChooseFile(site + wxS("/index.html"), &asked));
    EXPECT_EQ(wxS("Select your web page to preview it"), asked.message);
    EXPECT_EQ(wxS("HTML files (*.html)|*.html|HTM files (*.htm)|*.htm|All files (*.*)|*.*"), asked.wildcard);
    EXPECT_TRUE(asked.style & wxFD_FILE_MUST_EXIST);
    EXPECT_FALSE(asked.style & wxFD_MULTIPLE);
    ASSERT_EQ(3u, openedUrls.size());
    EXPECT_TRUE(openedUrls[2].StartsWith(wxS("http://127.0.0.1:"))) << openedUrls[2];
    EXPECT_TRUE(openedUrls[2].EndsWith(wxS("/index.html"))) << openedUrls[2];
    wxTEST_DIALOG(Command(Frame(), ID_MENU_PREVIEWMYWEB), ChooseFile(wxEmptyString));
    EXPECT_TRUE(LogContains(wxS("Preview has been cancelled")));

    // Never saved: no name, no folder to open.
    wxTEST_DIALOG(Command(Frame(), ID_MENU_ADDTOMYWEB), GetCode(wxS("foo"), true));
    EXPECT_EQ(3u, openedUrls.size());
    const wxString folder = Home() + wxS("/work");
    wxFileName::Mkdir(folder, 0777, wxPATH_MKDIR_FULL);
    ASSERT_EQ(RC_OK, Core()->SaveProject(folder + wxS("/Shop 50%.xml"), true, false));
    wxTEST_DIALOG(Command(Frame(), ID_TOOL_GETCODE), GetCode(wxS("Shop 50%"), true));
    ASSERT_EQ(4u, openedUrls.size());
    EXPECT_EQ(folder, openedUrls[3]);

    // A preview that cannot be made says so instead of doing nothing.
    ASSERT_TRUE(wxRemoveFile(ProgramDir() + wxS("/sIFR/sifr.js")));
    wxTEST_DIALOG(Command(Frame(), ID_TOOL_PREVIEW),
                  Box(wxS("Error"),
                      wxS("Unable to preview the project in your web browser.\n\n"
                          "The pages of the preview could not be written."),
                      wxOK | wxICON_ERROR, wxID_OK));
    EXPECT_EQ(4u, openedUrls.size());
}

TEST_F(WebHelpCommandsTest, TheManualOpensWithThePdfProgramTheBrowserOrAsItsFolder)
{
    OpenFrame();
    // Missing.
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_HELP),
                  Box(wxS("Error"), wxS("Unable to locate the help file."), wxOK | wxICON_ERROR, wxID_OK));
    EXPECT_TRUE(LogContains(wxS("The help file does not exist")));
    EXPECT_TRUE(ranCommands.empty());
    EXPECT_TRUE(openedUrls.empty());

    const wxString manual = ProgramDir() + kManual;
    MakeEmptyFile(manual);
    openCommands[wxS("pdf")] = wxS("reader '%s'");
    openCommands[wxS("html")] = wxS("browser '%s'");
    Command(Frame(), ID_MENUITEM_HELP);
    ASSERT_EQ(1u, ranCommands.size());
    EXPECT_EQ(wxS("reader '") + manual + wxS("'"), ranCommands[0]);
    EXPECT_TRUE(LogContains(wxS("reader '") + manual + wxS("' is the used command.")));

    // No PDF program: the browser, with the web copy when there is one.
    openCommands.erase(wxS("pdf"));
    Command(Frame(), ID_MENUITEM_HELP);
    ASSERT_EQ(2u, ranCommands.size());
    EXPECT_EQ(wxS("browser '") + manual + wxS("'"), ranCommands[1]);
    EXPECT_TRUE(LogContains(wxS("The command to launch PDF is empty")));
    MakeEmptyFile(ProgramDir() + kManualCopy);
    Command(Frame(), ID_MENUITEM_HELP);
    ASSERT_EQ(3u, ranCommands.size());
    EXPECT_EQ(wxS("browser '") + ProgramDir() + kManualCopy + wxS("'"), ranCommands[2]);

    // Neither: the manual's folder in the default browser.
    openCommands.clear();
    Command(Frame(), ID_MENUITEM_HELP);
    EXPECT_EQ(3u, ranCommands.size());
    ASSERT_EQ(1u, openedUrls.size());
    EXPECT_EQ(ProgramDir() + wxS("/Manuals"), openedUrls[0]);
    EXPECT_TRUE(LogContains(wxS("Unable to get a command to open the help pdf.")));

    // The working directory of the moment decides, not the one at start.
    const wxString elsewhere = Home() + wxS("/elsewhere");
    MakeEmptyFile(elsewhere + kManual);
    const wxString before = wxGetCwd();
    wxSetWorkingDirectory(elsewhere);
    openCommands[wxS("pdf")] = wxS("reader '%s'");
    Command(Frame(), ID_MENUITEM_HELP);
    wxSetWorkingDirectory(before);
    ASSERT_EQ(4u, ranCommands.size());
    EXPECT_EQ(wxS("reader '") + elsewhere + kManual + wxS("'"), ranCommands[3]);
}

TEST_F(WebHelpCommandsTest, EveryTipCommandOpensAnotherTipWindowClosingEndsItAndAboutShowsTheSplash)
{
    UseBuiltPictures();
    OpenFrame();
    Command(Frame(), ID_MENUITEM_SHOWDAILYTIPS);
    Command(Frame(), ID_MENUITEM_SHOWDAILYTIPS);
    Command(Frame(), wxID_ABOUT);
    RunPendingEvents(100);
    const std::vector<CDailytipDialog*> tips = ChildrenOfKind<CDailytipDialog>(Frame());
    ASSERT_EQ(2u, tips.size());
    for (CDailytipDialog* tip : tips)
        EXPECT_TRUE(tip->IsShown() && !tip->IsModal() && tip->GetTitle() == wxS("Daily tip"));
    // Closed by their button or their close box, they are gone: tips asked for all day
    // do not pile up.
    PressButton(tips[0], CDailytipDialog::ID_CLOSE);
    tips[1]->Close();
    RunPendingEvents(100);
    EXPECT_TRUE(ChildrenOfKind<CDailytipDialog>(Frame()).empty());
    const std::vector<CGlypharaSplash*> about = ChildrenOfKind<CGlypharaSplash>(Frame());
    ASSERT_EQ(1u, about.size());
    EXPECT_TRUE(about[0]->IsShown());
    EXPECT_TRUE(LogContains(wxS("User requests About dialog")));
    // It has no close box: the keyboard goes to it, so Escape closes it.
    wxWeakRef<CGlypharaSplash> shown(about[0]);
    wxUIActionSimulator keyboard;
    keyboard.Char(WXK_ESCAPE);
    WaitFor([&] { return !shown; }, 2000);
    EXPECT_FALSE(shown);
}
