#include "EffectTestSupport.h"

#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

#include <wx/dir.h>
#include <wx/filefn.h>

#include <sys/stat.h>

namespace
{
const wxString kFixtures = wxS(GLYPHARA_SOURCE_DIR "/tests/core/fixtures/effects/");

size_t EntriesIn(const wxString& folder)
{
    wxArrayString files;
    return wxDir::GetAllFiles(folder, &files, wxEmptyString, wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN);
}
}

TEST_F(EffectTest, SavedFileIsByteForByteThePublishedFormat)
{
    ASSERT_EQ(RC_OK, InitCore());
    FontProperties filters;
    filters.glow.enabled = true;
    filters.glow.strength = 5;
    filters.glow.color = RgbColour(0x12, 0xAB, 0x9F);
    filters.dropshadow.knockout = true; // a disabled filter keeps its values in the file
    filters.font = wxS("Not Written");
    wxString name = wxString::FromUTF8("Gl\xC3\xBChen & \"Gold\" <1>");
    ASSERT_EQ(RC_OK, Core()->SaveEffectAs(filters, name));

    const std::string golden =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<GlypharaEffect appname=\"Glyphara\" appversion=\"4.1\" appbuild=\"" +
        std::to_string(TraceSystem::GetInstance()->GetBuildNumber()) + "\">\n"
        " <effect effectname=\"Gl\xC3\xBChen &amp; &quot;Gold&quot; &lt;1&gt;\">\n"
        "  <bevel enabled=\"0\" angle=\"45\" distance=\"4.000000\" strength=\"1\" quality=\"2\" "
        "highlightcolor=\"#0000FF\" shadowcolor=\"#FF0000\" type=\"1\"/>\n"
        "  <glow enabled=\"1\" strength=\"5\" blurx=\"6.000000\" blury=\"6.000000\" knockout=\"0\" inner=\"0\" "
        "quality=\"1\" alpha=\"0.250000\" color=\"#12AB9F\"/>\n"
        "  <dropshadow enabled=\"0\" quality=\"2\" angle=\"45\" knockout=\"1\" distance=\"4.000000\" "
        "color=\"#000000\" strength=\"1.000000\"/>\n"
        "  <blur enabled=\"0\" quality=\"2\" blurx=\"5\" blury=\"5\"/>\n"
        " </effect>\n"
        "</GlypharaEffect>\n";
    // Characters other systems refuse leave the file name; the effect keeps its name.
    const wxString path = UserEffectDir() + wxString::FromUTF8("Gl\xC3\xBChen & _Gold_ _1_.xml");
    EXPECT_EQ(path, FileOf(name));
    EXPECT_EQ(golden, ReadTextFile(path));
    EXPECT_TRUE(FiltersEqual(filters, Effect(name)));
}

TEST_F(EffectTest, BadFilesAreRefusedAndTheRestOfTheLibraryLoads)
{
    const struct
    {
        const char* file;
        int result;
        const char* message;
    } cases[] = {
        {"empty.xml", RC_LOAD_FAILED, "Unable to create the XML object"},
        {"not-xml.xml", RC_LOAD_FAILED, "Unable to create the XML object"},
        {"truncated.xml", RC_LOAD_FAILED, "Unable to create the XML object"},
        {"wrong-root.xml", RC_BAD_FORMAT, "This is not a Glyphara effect"},
        {"no-effectname.xml", RC_BAD_FORMAT, "No effects in this file"},
        {"empty-root.xml", RC_BAD_FORMAT, "No effects in this file"},
        {"deeply-nested.xml", RC_OK, ""},
        {"other-child-name.xml", RC_OK, ""},
        {"bad-numbers.xml", RC_OK, ""},
        {"pipe.xml", RC_LOAD_FAILED, "Unable to create the XML object"},
    };
    MakeFolders(SystemEffectDir());
    for (const auto& c : cases)
        if (wxFileExists(kFixtures + c.file))
            wxCopyFile(kFixtures + c.file, SystemEffectDir() + c.file);
    // Reading a pipe would wait for a writer for ever.
    ASSERT_EQ(0, mkfifo((SystemEffectDir() + wxS("pipe.xml")).fn_str(), 0666));
    Install(UserEffectDir() + wxS("Glow.xml"), "Glow", kGlowXml);
    ASSERT_EQ(RC_OK, InitCore());
    EXPECT_EQ((std::vector<wxString>{wxS("None"), wxS("User defined"), wxS("Bad Numbers"), wxS("Deeply Nested"),
                                     wxS("Glow"), wxS("Hand Made")}),
              List());
    // Read with the record rules: another child name, a repeated filter read over the
    // first, a filter nested too deep ignored, numbers that do not parse as far as they do.
    EXPECT_EQ(6, Effect(wxS("Hand Made")).glow.strength);
    EXPECT_EQ(4.0f, Effect(wxS("Hand Made")).glow.blury);
    EXPECT_FALSE(Effect(wxS("Hand Made")).blur.enabled);
    EXPECT_EQ(12, Effect(wxS("Bad Numbers")).glow.strength);
    EXPECT_EQ(RgbColour(0, 0, 255), Effect(wxS("Bad Numbers")).bevel.highlightcolor);
    EXPECT_EQ(RgbColour(1, 2, 3), Effect(wxS("Bad Numbers")).glow.color);

    for (const auto& c : cases)
    {
        FontProperties filters;
        filters.bevel.enabled = true;
        wxString name = wxS("kept");
        log->Clear();
        EXPECT_EQ(c.result, Core()->LoadEffect(SystemEffectDir() + c.file, filters, name)) << c.file;
        if (c.result == RC_OK)
            continue;
        EXPECT_TRUE(log->Contains(c.message)) << c.file;
        EXPECT_EQ(wxS("kept"), name) << c.file;
        EXPECT_TRUE(filters.bevel.enabled) << c.file;
    }
}

TEST_F(EffectTest, HostileFilesNeitherCrashNorStall)
{
    ASSERT_EQ(RC_OK, InitCore());
    const std::string head = "<GlypharaEffect><effect effectname=\"Big\">";
    const std::string tail = "<glow strength=\"7\"/></effect></GlypharaEffect>";
    // Freeing a tree a million levels deep recursively overflows the stack.
    std::string deep = head;
    for (int i = 0; i < 1000000; ++i)
        deep += "<n>";
    WriteTextFile(Home() + wxS("/deep-truncated.xml"), deep);
    for (int i = 0; i < 1000000; ++i)
        deep += "</n>";
    WriteTextFile(Home() + wxS("/deep.xml"), deep + tail);
    // A tag of several MB is re-scanned per read chunk by a naive loader.
    WriteTextFile(Home() + wxS("/long.xml"), "<GlypharaEffect><effect effectname=\"" + std::string(6000000, 'x') + "\">" + tail);

    FontProperties filters;
    wxString name;
    EXPECT_EQ(RC_LOAD_FAILED, Core()->LoadEffect(Home() + wxS("/deep-truncated.xml"), filters, name));
    for (const wxString file : {wxS("/deep.xml"), wxS("/long.xml")})
    {
        filters = FontProperties();
        ASSERT_EQ(RC_OK, Core()->LoadEffect(Home() + file, filters, name)) << file;
        EXPECT_EQ(7, filters.glow.strength) << file;
    }
}

TEST_F(EffectTest, SaveAsPicksAFreeNameAndASafeFileInsideTheFolder)
{
    Install(SystemEffectDir() + wxS("Shadow.xml"), "Shadow", kShadowXml);
    Install(UserEffectDir() + wxS("Glow.xml"), "Glow", kGlowXml);
    ASSERT_EQ(RC_OK, InitCore());
    const std::string glow = ReadTextFile(UserEffectDir() + wxS("Glow.xml"));
    const size_t beside = EntriesIn(UserDataDir()) - EntriesIn(UserEffectDir());

    // The counter extends the wanted name; a name taken only as a file or only in the
    // library counts as taken; the typed name is kept, the file name made safe.
    const struct
    {
        const char* wanted;
        const char* file;
    } cases[] = {{"Glow", "Glow(1).xml"},     {"Glow", "Glow(2).xml"},  {"Glow(1)", "Glow(1)(1).xml"},
                 {"Shadow", "Shadow(1).xml"}, {"None", "None(1).xml"},  {"../Glow", "___Glow.xml"},
                 {"a/b", "a_b.xml"},          {"a_b", "a_b(1).xml"},    {"..", "__.xml"},
                 {".hidden", "_hidden.xml"},  {"/etc/passwd", "_etc_passwd.xml"}};
    for (const auto& c : cases)
    {
        wxString name = c.wanted;
        ASSERT_EQ(RC_OK, Core()->SaveEffectAs(Effect(wxS("Shadow")), name)) << c.wanted;
        EXPECT_EQ(UserEffectDir() + c.file, FileOf(name)) << c.wanted;
    }
    EXPECT_EQ(glow, ReadTextFile(UserEffectDir() + wxS("Glow.xml")));
    EXPECT_EQ(beside, EntriesIn(UserDataDir()) - EntriesIn(UserEffectDir()));

    wxString longName(wxS('e'), 400), again(wxS('e'), 400);
    ASSERT_EQ(RC_OK, Core()->SaveEffectAs(FontProperties(), longName));
    ASSERT_EQ(RC_OK, Core()->SaveEffectAs(FontProperties(), again));
    EXPECT_NE(FileOf(longName), FileOf(again));

    const size_t saved = EntriesIn(UserEffectDir());
    for (wxString bad : {wxString(), wxString(wxS("bell\a"))})
        EXPECT_EQ(RC_INVALID_ARGUMENT, Core()->SaveEffectAs(FontProperties(), bad));
    EXPECT_EQ(saved, EntriesIn(UserEffectDir()));
}

TEST_F(EffectTest, ImportAddsAFreshCopyUnderAFreeName)
{
    Install(SystemEffectDir() + wxS("Glow.xml"), "Glow", kGlowXml);
    ASSERT_EQ(RC_OK, InitCore());
    const wxString source = Home() + wxS("/old-glow.xml");
    const std::string old = "<GlypharaEffect appversion=\"3.0\" appbuild=\"1\"><effect effectname=\"Glow\">"
                            "<blur enabled=\"1\"/></effect></GlypharaEffect>";
    WriteTextFile(source, old);

    wxString name;
    ASSERT_EQ(RC_OK, Core()->ImportEffect(source, name));
    EXPECT_EQ(wxS("Glow(1)"), name);
    EXPECT_EQ(old, ReadTextFile(source));
    EXPECT_TRUE(Effect(name).blur.enabled);
    const std::string copy = ReadTextFile(UserEffectDir() + wxS("Glow(1).xml"));
    EXPECT_NE(std::string::npos, copy.find("appversion=\"4.1\" appbuild=\"" +
                                           std::to_string(TraceSystem::GetInstance()->GetBuildNumber()) + "\""));

    const size_t count = Core()->GetEffectFilters().size();
    EXPECT_EQ(RC_LOAD_FAILED, Core()->ImportEffect(kFixtures + wxS("wrong-root.xml"), name));
    EXPECT_EQ(count, Core()->GetEffectFilters().size());
}

TEST_F(EffectTest, ExportCopiesTheFileAndOverwritesOnlyWhenAsked)
{
    Install(UserEffectDir() + wxS("Glow.xml"), "Glow", kGlowXml);
    ASSERT_EQ(RC_OK, InitCore());
    const std::string glow = ReadTextFile(UserEffectDir() + wxS("Glow.xml"));
    const wxString target = Home() + wxS("/export");
    MakeFolders(target);

    wxString folder = target;
    EXPECT_EQ(RC_NONE_EFFECT, Core()->ExportEffect(folder, wxEmptyString, false)) << "None is selected";
    ASSERT_EQ(RC_OK, Core()->SetSelectedEffect(wxS("Glow")));
    ASSERT_EQ(RC_OK, Core()->ExportEffect(folder, wxEmptyString, false));
    EXPECT_EQ(target + wxS("/Glow.xml"), folder);
    EXPECT_EQ(glow, ReadTextFile(folder));

    WriteTextFile(target + wxS("/Glow.xml"), "the user's own copy");
    folder = target + wxS("/");
    EXPECT_EQ(RC_FILE_EXISTS, Core()->ExportEffect(folder, wxS("Glow"), false));
    EXPECT_EQ("the user's own copy", ReadTextFile(target + wxS("/Glow.xml")));
    folder = target;
    ASSERT_EQ(RC_OK, Core()->ExportEffect(folder, wxS("Glow"), true));
    EXPECT_EQ(glow, ReadTextFile(target + wxS("/Glow.xml")));

    // A copy that cannot be made leaves the file in the way as it was, and no leftovers.
    WriteTextFile(target + wxS("/Glow.xml"), "the user's own copy");
    wxRemoveFile(UserEffectDir() + wxS("Glow.xml"));
    folder = target;
    EXPECT_EQ(RC_WRITE_FAILED, Core()->ExportEffect(folder, wxS("Glow"), true));
    EXPECT_EQ("the user's own copy", ReadTextFile(target + wxS("/Glow.xml")));
    EXPECT_EQ(1u, EntriesIn(target));

    folder = wxString();
    EXPECT_EQ(RC_DIRECTORY_MISSING, Core()->ExportEffect(folder, wxS("Glow"), false)) << "not the root folder";
    folder = Home() + wxS("/missing");
    EXPECT_EQ(RC_DIRECTORY_MISSING, Core()->ExportEffect(folder, wxS("Glow"), false));
    EXPECT_EQ(RC_USER_DEFINED_EFFECT, Core()->ExportEffect(folder, wxS("User defined"), false));
    EXPECT_EQ(RC_NOT_FOUND, Core()->ExportEffect(folder, wxS("Nothing Like This"), false));
}
