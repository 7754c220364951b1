#include "Interface/CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
CommandLine Parse(std::vector<wxString> args)
{
    return ParseCommandLine(args, wxS("/home/ann/sites"));
}
}

TEST(CommandLineTest, AProjectOnTheCommandLineIsOpenedInTheWindowWithAnAbsolutePath)
{
    CommandLine none = Parse({});
    EXPECT_EQ(CommandLine::Window, none.mode);
    EXPECT_TRUE(none.project.empty());

    EXPECT_EQ(wxS("/home/ann/sites/my site.xml"), Parse({wxS("my site.xml")}).project);
    EXPECT_EQ(wxS("/home/ann/sites/web/a.xml"), Parse({wxS("./web/a.xml")}).project);
    EXPECT_EQ(wxS("/srv/a.xml"), Parse({wxS("/srv/a.xml")}).project);
    // A desktop may pass an address; a file name starting with "-" comes after "--".
    EXPECT_EQ(wxS("/srv/my site.xml"), Parse({wxS("file:///srv/my%20site.xml")}).project);
    const CommandLine dashed = Parse({wxS("--"), wxS("--odd.xml")});
    EXPECT_EQ(CommandLine::Window, dashed.mode);
    EXPECT_EQ(wxS("/home/ann/sites/--odd.xml"), dashed.project);
}

TEST(CommandLineTest, ToolkitOptionsLeaveTheWindowModeAlone)
{
    const CommandLine parsed = Parse({wxS("--display"), wxS(":1"), wxS("--class=Glyphara"), wxS("--g-fatal-warnings"),
                                      wxS("--gtk-module"), wxS("canberra-gtk-module"), wxS("a.xml"), wxS("--name"),
                                      wxS("glyphara")});
    EXPECT_EQ(CommandLine::Window, parsed.mode) << parsed.error;
    EXPECT_EQ(wxS("/home/ann/sites/a.xml"), parsed.project);
    // The value of a toolkit option is never taken for the project.
    EXPECT_TRUE(Parse({wxS("--display"), wxS("x.xml")}).project.empty());
    EXPECT_EQ(CommandLine::Error, Parse({wxS("--display")}).mode);
}

TEST(CommandLineTest, ExportTakesTheProjectAndAnOptionalFolderInEitherForm)
{
    CommandLine parsed = Parse({wxS("--export"), wxS("site.xml")});
    EXPECT_EQ(CommandLine::Export, parsed.mode);
    EXPECT_EQ(wxS("/home/ann/sites/site.xml"), parsed.project);
    EXPECT_TRUE(parsed.folder.empty());

    parsed = Parse({wxS("--to"), wxS("public/fonts"), wxS("--export=/p/site.xml")});
    EXPECT_EQ(CommandLine::Export, parsed.mode);
    EXPECT_EQ(wxS("/p/site.xml"), parsed.project);
    EXPECT_EQ(wxS("/home/ann/sites/public/fonts"), parsed.folder);

    parsed = Parse({wxS("--export"), wxS("site.xml"), wxS("--to=/var/www")});
    EXPECT_EQ(wxS("/var/www"), parsed.folder);
}

TEST(CommandLineTest, HelpWinsOverEverythingElse)
{
    EXPECT_EQ(CommandLine::Help, Parse({wxS("--help")}).mode);
    EXPECT_EQ(CommandLine::Help, Parse({wxS("-h"), wxS("a.xml")}).mode);
    EXPECT_EQ(CommandLine::Help, Parse({wxS("--export"), wxS("a.xml"), wxS("--help")}).mode);
    const wxString usage = CommandLineUsage();
    EXPECT_TRUE(usage.Contains(wxS("glyphara --export PROJECT.xml [--to FOLDER]")));
    for (const char* status : {"  0  ", "  2  ", "  3  ", "  4  "})
        EXPECT_TRUE(usage.Contains(wxString::FromAscii(status))) << status;
}

TEST(CommandLineTest, WrongCommandLinesGiveOneLineThatNamesTheProblem)
{
    struct Case
    {
        std::vector<wxString> args;
        const wxChar* fragment;
    };
    const Case cases[] = {
        {{wxS("--bogus")}, wxS("unknown option --bogus")},
        {{wxS("-x"), wxS("a.xml")}, wxS("unknown option -x")},
        {{wxS("--export")}, wxS("--export needs")},
        {{wxS("--export=")}, wxS("--export needs")},
        {{wxS("--export"), wxS("a.xml"), wxS("--to")}, wxS("--to needs")},
        {{wxS("--export"), wxS("a.xml"), wxS("--export"), wxS("b.xml")}, wxS("twice")},
        {{wxS("--export"), wxS("a.xml"), wxS("--to"), wxS("x"), wxS("--to"), wxS("y")}, wxS("twice")},
        {{wxS("--export"), wxS("a.xml"), wxS("out")}, wxS("unexpected argument out")},
        {{wxS("--to"), wxS("out"), wxS("a.xml")}, wxS("--to can only be used with --export")},
        {{wxS("a.xml"), wxS("b.xml")}, wxS("only one project")},
        {{wxS("--g-fatal-warnings=1")}, wxS("takes no value")},
    };
    for (const Case& c : cases)
    {
        const CommandLine parsed = Parse(c.args);
        EXPECT_EQ(CommandLine::Error, parsed.mode) << c.fragment;
        EXPECT_TRUE(parsed.error.Contains(c.fragment)) << parsed.error;
        EXPECT_FALSE(parsed.error.Contains(wxS("\n"))) << parsed.error;
    }
}

TEST(CommandLineTest, TheWindowProgramIsLookedForOnlyBesideTheProgram)
{
    const struct
    {
        const char* executable;
        const char* window;
    } cases[] = {
        {"/usr/lib/glyphara/glyphara", "/usr/lib/glyphara/glyphara-window"},
        {"/opt/my apps/glyphara (deleted)", "/opt/my apps/glyphara-window"},
        {"/glyphara", "/glyphara-window"},
        // The link could not be read, or names no folder: nothing from the current folder.
        {"", ""},
        {"glyphara", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::string(c.window), WindowProgramBeside(c.executable)) << c.executable;
}
