// The program run as a build script runs it: "glyphara --export", with no display, and
// a fresh user whose settings must stay as they are.
#include "ExportTestSupport.h"
#include "TestSupport.h"

#include "Interface/CommandRunner.h"
#include "core/GlypharaCore.h"

#include <wx/filefn.h>
#include <wx/filename.h>

#include <algorithm>

namespace
{
const std::string kProgram = GLYPHARA_EXECUTABLE;

class ExportCommandTest : public CoreTest
{
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        sites = ProgramDir() + wxS("/Sites");
        MakeFolders(sites);
        WriteTextFile(user / wxS("Tallowby Software/Glyphara/glyphara.cfg"), "windowsizew=800\n");
        userBefore = Snapshot(user.Path());
    }

    // Saves a project of two tags with two installed fonts, with the program folder of
    // the built program, as the window program would.
    void SaveProjectWithTheBuiltProgramFolder(const wxString& path)
    {
        wxSetWorkingDirectory(wxS(GLYPHARA_PROGRAM_DIR));
        ASSERT_EQ(RC_OK, InitCore());
        std::vector<std::pair<wxString, wxString>> fonts;
        for (const auto& foundry : Core()->GetFontTable())
            for (const auto& font : foundry.second)
                if (fonts.size() < 2)
                    fonts.push_back({foundry.first, font.first});
        ASSERT_EQ(2u, fonts.size()) << "build the program's fonts first";
        SetFont(wxS("h1"), fonts[0].first, fonts[0].second);
        wxString h2 = wxS("h2");
        Core()->AddNewTag(h2, false);
        SetFont(wxS("h2"), fonts[1].first, fonts[1].second);
        ASSERT_EQ(RC_OK, Core()->SaveProject(path, false, false));
        Core()->Release();
    }

    // The program with no display at all, as the other user.
    ProgramRun Run(const std::vector<std::string>& args)
    {
        const std::string home(user.Path().fn_str());
        return RunProgram(kProgram, args,
                          {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config",
                           "TMPDIR=" + std::string(userTmp.Path().fn_str())},
                          {"DISPLAY", "WAYLAND_DISPLAY"}, std::string(sites.fn_str()));
    }

    void ExpectUserUntouched()
    {
        EXPECT_EQ(userBefore, Snapshot(user.Path()));
        EXPECT_TRUE(Snapshot(userTmp.Path()).empty());
    }

    TempDir user, userTmp;
    std::map<std::string, EntryState> userBefore;
    wxString sites;
};
}

TEST_F(ExportCommandTest, WithoutADisplayTheProgramExportsWhatSavingWrites)
{
    SaveProjectWithTheBuiltProgramFolder(sites + wxS("/mysite.xml"));
    const auto stored = Snapshot(sites + wxS("/mysite files"));
    const auto projectBefore = Snapshot(sites).at("mysite.xml");
    wxFileName::Rmdir(sites + wxS("/mysite files"), wxPATH_RMDIR_RECURSIVE);

    const ProgramRun run = Run({"--export", "mysite.xml"});
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ("", run.err);
    EXPECT_EQ("", run.out);

    const auto exported = Snapshot(sites + wxS("/mysite files"));
    ASSERT_EQ(PathsOf(stored), PathsOf(exported));
    // The web fonts too, byte for byte; what their compressor reports stays out of the output.
    EXPECT_EQ(1u, exported.count("glypharadata/webfonts.css"));
    EXPECT_TRUE(std::any_of(exported.begin(), exported.end(), [](const auto& e) {
        return e.first.size() > 6 && e.first.compare(e.first.size() - 6, 6, ".woff2") == 0;
    }));
    for (const auto& entry : stored)
        EXPECT_EQ(WithoutLinesContaining(entry.second.content, "Brewed on"),
                  WithoutLinesContaining(exported.at(entry.first).content, "Brewed on"))
            << entry.first;
    EXPECT_EQ(projectBefore, Snapshot(sites).at("mysite.xml"));
    ExpectUserUntouched();

    // Into a folder of the build's own choosing.
    const ProgramRun to = Run({"--export=" + std::string((sites + wxS("/mysite.xml")).fn_str()), "--to", "public"});
    EXPECT_EQ(0, to.status) << to.err;
    EXPECT_EQ(1u, Snapshot(sites + wxS("/public")).count("glypharadata/all.css"));
}

TEST_F(ExportCommandTest, TheExitStatusTellsTheBuildScriptWhatHappened)
{
    const ProgramRun help = Run({"--help"});
    EXPECT_EQ(0, help.status);
    EXPECT_NE(std::string::npos, help.out.find("glyphara --export PROJECT.xml [--to FOLDER]"));

    // A wrong command line is answered before any display would be needed.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--frobnicate"}, std::vector<std::string>{"--export", "a.xml", "extra"}})
    {
        const ProgramRun usage = Run(args);
        EXPECT_EQ(2, usage.status) << usage.err;
        EXPECT_EQ(0u, usage.err.find("glyphara: ")) << usage.err;
        EXPECT_NE(std::string::npos, usage.err.find("\nTry 'glyphara --help' for more information.\n")) << usage.err;
    }

    SaveProjectWithTheBuiltProgramFolder(sites + wxS("/mysite.xml"));
    WriteTextFile(sites + wxS("/mysite files/glypharadata/all.css"), "stale");
    const auto before = Snapshot(sites);

    WriteTextFile(sites + wxS("/notes.xml"), "<?xml version=\"1.0\"?>\n<notes/>\n");
    const ProgramRun bad = Run({"--export", "notes.xml", "--to", "mysite files"});
    EXPECT_EQ(3, bad.status);
    EXPECT_EQ("glyphara: " + std::string((sites + wxS("/notes.xml")).fn_str()) + ": not a Glyphara project\n", bad.err);
    const ProgramRun missing = Run({"--export", "gone.xml"});
    EXPECT_EQ(3, missing.status);
    wxRemoveFile(sites + wxS("/notes.xml"));
    EXPECT_EQ(before, Snapshot(sites));

    // A file where the fonts folder must go: nothing is replaced, not even the stale style sheet.
    wxFileName::Rmdir(sites + wxS("/mysite files/glypharadata/fonts"), wxPATH_RMDIR_RECURSIVE);
    WriteTextFile(sites + wxS("/mysite files/glypharadata/fonts"), "in the way");
    const auto blocked = Snapshot(sites);
    const ProgramRun unwritable = Run({"--export", "mysite.xml"});
    EXPECT_EQ(4, unwritable.status);
    EXPECT_NE(std::string::npos, unwritable.err.find("glypharadata/fonts is in the way")) << unwritable.err;
    EXPECT_EQ(1, std::count(unwritable.err.begin(), unwritable.err.end(), '\n')) << unwritable.err;
    EXPECT_EQ(blocked, Snapshot(sites));
    ExpectUserUntouched();
}

TEST_F(ExportCommandTest, AProjectToOpenIsHandedToTheWindowProgram)
{
    // Without a display the window program itself must be what reports it: the command
    // line with a project was accepted and passed on.
    const ProgramRun run = Run({"mysite.xml", "--class", "Glyphara"});
    EXPECT_NE(0, run.status);
    EXPECT_NE(2, run.status) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("DISPLAY")) << run.err;
    const std::string settings = "Tallowby Software/Glyphara/glyphara.cfg";
    EXPECT_EQ(userBefore.at(settings), Snapshot(user.Path()).at(settings));
}

// The command line's export runs on a core of its own; one that cannot be set up for it
// stops the export with a message, before anything is read or written.
TEST_F(ExportCommandTest, AnExportOnACoreThatCannotStartWritesNothing)
{
    SaveProjectWithTheBuiltProgramFolder(sites + wxS("/mysite.xml"));
    wxFileName::Rmdir(sites + wxS("/mysite files"), wxPATH_RMDIR_RECURSIVE);
    const auto before = Snapshot(sites);
    // Already set up for the window: a second set-up is refused.
    ASSERT_EQ(RC_OK, InitCore());
    CommandLine command;
    command.mode = CommandLine::Export;
    command.project = sites + wxS("/mysite.xml");
    wxString message;
    EXPECT_EQ(kExitFailure, ExportProjectWithCore(*Core(), command, message));
    EXPECT_EQ(wxS("the program could not start (-14998)"), message);
    EXPECT_EQ(before, Snapshot(sites));
    EXPECT_TRUE(Core()->IsInitialized());
}

// The command line program loads no window library, so it starts without a display.
TEST_F(ExportCommandTest, TheProgramLinksNoWindowLibrary)
{
    const ProgramRun run = RunProgram("/usr/bin/ldd", {kProgram}, {}, {}, std::string(sites.fn_str()));
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_NE(std::string::npos, run.out.find("libwx_baseu")) << run.out;
    for (const char* library : {"libgtk", "libgdk", "wx_gtk", "libwebkit"})
        EXPECT_EQ(std::string::npos, run.out.find(library)) << library << " in\n" << run.out;
}
