// Exporting a project's folder without a window: nothing of the user's own touched, and a
// folder left as it was whenever the export fails.
#include "ExportTestSupport.h"
#include "TestSupport.h"

#include "core/GlypharaCore.h"

#include <wx/config.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
// A project written the way the program writes one, naming two installed fonts and its copy of one.
const char* const kProjectText =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<GlypharaProject appname=\"Glyphara\" version=\"4.1\" build=\"20081220\">\n"
    " <project projectname=\"mysite\">\n"
    "  <tags>\n"
    "   <h2 font=\"Slim\" foundry=\"Type Co\" size=\"30\"/>\n"
    "   <h1 font=\"Big Sans\" foundry=\"My Foundry\" size=\"40\"/>\n"
    "  </tags>\n"
    "  <files><fonts><font filename=\"Type_Co___Slim.swf\" dir=\"mysite files/glypharadata/fonts/\" fontname=\"Slim\""
    " foundryname=\"Type Co\"/></fonts></files>\n"
    " </project>\n"
    "</GlypharaProject>\n";

class HeadlessExportTest : public CoreTest
{
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        InstallBigSansAndSlim();
        sites = ProgramDir() + wxS("/Sites");
        project = sites + wxS("/mysite.xml");
        data = sites + wxS("/mysite files");
    }

    // The project exported once into its own folder.
    void ExportOnce()
    {
        WriteTextFile(project, kProjectText);
        ASSERT_EQ(RC_OK, Core()->InitForExport());
        ASSERT_EQ(RC_OK, Core()->ExportProject(project, wxEmptyString, message)) << message;
    }

    wxString sites, project, data, message;
};
}

TEST_F(HeadlessExportTest, WithoutAWindowNothingOfTheUsersOwnIsReadOrWritten)
{
    const wxString settings = UserDataDir() + wxS("glyphara.cfg");
    WriteTextFile(settings, "[x]\nwindowsizew=800\n");
    WriteTextFile(project, kProjectText);
    const auto homeBefore = Snapshot(Home());
    const auto projectBefore = Snapshot(sites).at("mysite.xml");
    const wxString temporary = wxFileName::GetTempDir();

    ASSERT_EQ(RC_OK, Core()->InitForExport());
    EXPECT_TRUE(Core()->GetConfigFilePath().empty());
    // Settings in memory only: the user's file is not read, and nothing is written.
    ASSERT_NE(nullptr, wxConfigBase::Get(false));
    EXPECT_EQ(-1, wxConfigBase::Get(false)->ReadLong(wxS("/x/windowsizew"), -1));
    EXPECT_EQ(0u, Core()->GetWebServerCount());
    EXPECT_TRUE(Core()->GetEmbeddedPreviewPath().empty());
    // The user folders that exist are still read; missing ones are not made.
    EXPECT_TRUE(Core()->GetUserFontDir().empty());

    ASSERT_EQ(RC_OK, Core()->ExportProject(project, wxEmptyString, message)) << message;
    // The open project is the one loaded, not the place it was staged in.
    EXPECT_EQ(project, Core()->GetProjectFilePath());
    EXPECT_TRUE(Core()->IsProjectSaved());
    Core()->Release();

    EXPECT_EQ(homeBefore, Snapshot(Home()));
    EXPECT_EQ(projectBefore, Snapshot(sites).at("mysite.xml"));
    EXPECT_TRUE(Snapshot(temporary).empty()) << PathsOf(Snapshot(temporary)).front();
    EXPECT_EQ("FWS-slim", ReadTextFile(data + wxS("/glypharadata/fonts/Type_Co___Slim.swf")));

    // A font installed nowhere is taken from the project's own folder.
    wxRemoveFile(SystemFontDir() + wxS("Type_Co/Slim.swf"));
    ASSERT_EQ(RC_OK, Core()->InitForExport());
    ASSERT_EQ(RC_OK, Core()->ExportProject(project, sites + wxS("/copy"), message)) << message;
    EXPECT_EQ("FWS-slim", ReadTextFile(sites + wxS("/copy/glypharadata/fonts/Type_Co___Slim.swf")));
}

TEST_F(HeadlessExportTest, TheFolderGivenReceivesThePageAndTheDataAndKeepsItsOtherFiles)
{
    WriteTextFile(project, kProjectText);
    WriteTextFile(sites + wxS("/public/index.html"), "<p>home</p>");
    ASSERT_EQ(RC_OK, Core()->InitForExport());

    ASSERT_EQ(RC_OK, Core()->ExportProject(project, sites + wxS("/public/"), message)) << message;
    const auto site = Snapshot(sites + wxS("/public"));
    EXPECT_EQ("<p>home</p>", site.at("index.html").content);
    EXPECT_EQ(1u, site.count("mysite.html"));
    EXPECT_EQ("FWS-big-sans", site.at("glypharadata/fonts/My_Foundry___Big_Sans.swf").content);
    EXPECT_EQ("PNG-big-sans", site.at("glypharadata/fonts/My_Foundry___Big_Sans.png").content);
    EXPECT_EQ("// sifr.js\n", site.at("glypharadata/sifr.js").content);
    for (const std::string& path : PathsOf(site))
        EXPECT_NE(0u, path.find(".glyphara-export")) << "staging left behind: " << path;
    EXPECT_FALSE(wxDirExists(data));

    // Missing levels are made.
    ASSERT_EQ(RC_OK, Core()->ExportProject(project, sites + wxS("/build/out/fonts"), message)) << message;
    EXPECT_EQ(1u, Snapshot(sites + wxS("/build/out/fonts")).count("glypharadata/all.css"));
}

TEST_F(HeadlessExportTest, FilesThatAreUpToDateAreLeftUntouchedAndChangedOnesAreRewritten)
{
    ASSERT_NO_FATAL_FAILURE(ExportOnce());
    const auto first = Snapshot(data);
    WriteTextFile(data + wxS("/glypharadata/sifr.js"), "edited by hand");

    ASSERT_EQ(RC_OK, Core()->ExportProject(project, wxEmptyString, message));
    const auto second = Snapshot(data);
    ASSERT_EQ(PathsOf(first), PathsOf(second));
    for (const auto& entry : first)
    {
        if (entry.first == "mysite.html" || entry.first == "glypharadata/sifr.js")
            continue;
        EXPECT_EQ(entry.second, second.at(entry.first)) << entry.first << " was rewritten";
    }
    EXPECT_EQ("// sifr.js\n", second.at("glypharadata/sifr.js").content);
}

TEST_F(HeadlessExportTest, AProjectThatCannotBeUsedWritesNothing)
{
    ASSERT_NO_FATAL_FAILURE(ExportOnce());
    const auto before = Snapshot(sites);

    struct Case
    {
        std::string text;
        int result;
        const wxChar* fragment;
    };
    const Case cases[] = {
        {"<GlypharaProject><project", RC_LOAD_FAILED, wxS("at line 1")},
        {"<?xml version=\"1.0\"?><site/>", RC_BAD_FORMAT, wxS("not a Glyphara project")},
        // A tag whose font is neither installed nor in the folder would be missing from the site.
        {"<GlypharaProject><project projectname=\"x\"><tags><h3 font=\"Gone\" foundry=\"Nobody\"/>"
         "<h1 font=\"Slim\" foundry=\"Type Co\"/></tags><files/></project></GlypharaProject>",
         RC_LOAD_FAILED, wxS("the tag h3 cannot be used; its font Nobody / Gone")},
    };
    for (const Case& c : cases)
    {
        WriteTextFile(sites + wxS("/broken.xml"), c.text);
        EXPECT_EQ(c.result, Core()->ExportProject(sites + wxS("/broken.xml"), data, message)) << c.text;
        EXPECT_TRUE(message.Contains(c.fragment)) << message;
        EXPECT_TRUE(message.StartsWith(sites + wxS("/broken.xml: "))) << message;
        wxRemoveFile(sites + wxS("/broken.xml"));
        EXPECT_EQ(before, Snapshot(sites)) << c.text;
    }
    EXPECT_EQ(RC_LOAD_FAILED, Core()->ExportProject(sites + wxS("/none.xml"), wxEmptyString, message));
    EXPECT_TRUE(message.Contains(wxS("Unable to open"))) << message;
    EXPECT_FALSE(wxDirExists(sites + wxS("/none files")));
}

TEST_F(HeadlessExportTest, AnExportThatFailsHalfWayPutsBackEverythingItHadReplaced)
{
    ASSERT_NO_FATAL_FAILURE(ExportOnce());
    // Stale copies that an export replaces, and a file where it needs a folder.
    WriteTextFile(data + wxS("/glypharadata/all.css"), "old css");
    WriteTextFile(data + wxS("/mysite.html"), "old page");
    WriteTextFile(data + wxS("/glypharadata/sifr.js"), "old script");
    wxFileName::Rmdir(data + wxS("/glypharadata/fonts"), wxPATH_RMDIR_RECURSIVE);
    WriteTextFile(data + wxS("/glypharadata/fonts"), "not a folder");
    const auto before = Snapshot(sites);

    EXPECT_EQ(RC_WRITE_FAILED, Core()->ExportProject(project, wxEmptyString, message));
    EXPECT_TRUE(message.Contains(data + wxS("/glypharadata/fonts is in the way"))) << message;
    EXPECT_EQ(before, Snapshot(sites));

    // A folder given that is a file cannot be made.
    WriteTextFile(sites + wxS("/plain"), "x");
    EXPECT_EQ(RC_WRITE_FAILED, Core()->ExportProject(project, sites + wxS("/plain/out"), message));
    EXPECT_TRUE(message.Contains(sites + wxS("/plain/out cannot be created"))) << message;

    // A runtime file that cannot be read is found before anything is written.
    wxRemoveFile(ProgramDir() + wxS("/sIFR/sifr.js"));
    EXPECT_EQ(RC_WRITE_FAILED, Core()->ExportProject(project, sites + wxS("/fresh"), message));
    EXPECT_TRUE(message.Contains(wxS("/sIFR/sifr.js cannot be read"))) << message;
    EXPECT_FALSE(wxDirExists(sites + wxS("/fresh")));
}
