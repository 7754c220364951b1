#include "EffectTestSupport.h"

#include "trace/TraceSystem.h"

#include <wx/filefn.h>
#include <wx/filename.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <fstream>

using namespace effecttest;

namespace
{
const wxString kFixtures = wxS(GLYPHARA_SOURCE_DIR "/tests/core/fixtures/effects/");

class EffectFileTest : public CoreTest
{
protected:
    long Build() const { return TraceSystem::GetInstance()->GetBuildNumber(); }

    bool InLibrary(const wxString& name)
    {
        wxArrayString names;
        Core()->GetEffectList(names);
        return names.Index(name, true) != wxNOT_FOUND;
    }

    wxString FileOf(const wxString& name)
    {
        const EffectFileMap& files = Core()->GetEffectFiles();
        EffectFileMap::const_iterator it = files.find(name);
        return it == files.end() ? wxString() : it->second;
    }
};

bool Contains(const std::vector<wxString>& names, const wxString& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}
}

TEST_F(EffectFileTest, SavedFileIsByteForByteThePublishedFormat)
{
    ASSERT_EQ(RC_OK, InitCore());
    FontProperties filters;
    filters.glow.enabled = true;
    filters.glow.strength = 5;
    filters.glow.quality = 2;
    filters.glow.color = wxColour(0x12, 0xAB, 0x9F);
    filters.dropshadow.knockout = true; // values of a disabled filter are written as they are
    filters.font = wxS("Not Written");
    filters.size = 12;
    wxString name = wxString::FromUTF8("Gl\xC3\xBChen & \"Gold\" <1>");
    ASSERT_EQ(RC_OK, Core()->SaveEffectAs(filters, name));

    const std::string golden =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<GlypharaEffect appname=\"Glyphara\" appversion=\"4.1\" appbuild=\"" + std::to_string(Build()) + "\">\n"
        " <effect effectname=\"Gl\xC3\xBChen &amp; &quot;Gold&quot; &lt;1&gt;\">\n"
        "  <bevel enabled=\"0\" angle=\"45\" distance=\"4.000000\" strength=\"1\" quality=\"2\" "
        "highlightcolor=\"#0000FF\" shadowcolor=\"#FF0000\" type=\"1\"/>\n"
        "  <glow enabled=\"1\" strength=\"5\" blurx=\"6.000000\" blury=\"6.000000\" knockout=\"0\" inner=\"0\" "
        "quality=\"2\" alpha=\"0.250000\" color=\"#12AB9F\"/>\n"
        "  <dropshadow enabled=\"0\" quality=\"2\" angle=\"45\" knockout=\"1\" distance=\"4.000000\" "
        "color=\"#000000\" strength=\"1.000000\"/>\n"
        "  <blur enabled=\"0\" quality=\"2\" blurx=\"5\" blury=\"5\"/>\n"
        " </effect>\n"
        "</GlypharaEffect>\n";
    // The file name is made safe; the typed name stays the effect's name.
    const wxString path = UserEffectDir() + wxString::FromUTF8("Gl\xC3\xBChen & _Gold_ _1_.xml");
    EXPECT_EQ(path, FileOf(name));
    EXPECT_EQ(golden, ReadTextFile(path));
    EXPECT_EQ(golden, EffectFileText(name, filters, Build())) << "the test's own formatter drifted";

    // Read back through the library: the same filters under the same name, and the
    // library's "User defined" reset by the rebuild.
    ASSERT_TRUE(InLibrary(name));
    EXPECT_EQ(FilterLines(filters), FilterLines(Core()->GetEffectFilters().at(name)));
    EXPECT_FALSE(Core()->GetEffectFilters().at(wxS("User defined")).glow.enabled);
}

TEST_F(EffectFileTest, ReaderFollowsTheReadingRules)
{
    ASSERT_EQ(RC_OK, InitCore());
    FontProperties filters;
    wxString name;

    // Another first child name, comments, unknown and nested elements, a repeated filter.
    ASSERT_EQ(RC_OK, Core()->LoadEffect(kFixtures + wxS("other-child-name.xml"), filters, name));
    EXPECT_EQ(wxS("Hand Made"), name);
    EXPECT_TRUE(filters.glow.enabled);
    EXPECT_EQ(6, filters.glow.strength);
    EXPECT_EQ(4.0f, filters.glow.blury);
    EXPECT_TRUE(filters.glow.knockout);
    EXPECT_EQ(wxColour(0, 255, 0), filters.glow.color);
    EXPECT_FALSE(filters.blur.enabled) << "a filter below another element is not the effect's";

    // Numbers that do not parse follow the record rules instead of failing the file.
    filters = FontProperties();
    ASSERT_EQ(RC_OK, Core()->LoadEffect(kFixtures + wxS("bad-numbers.xml"), filters, name));
    EXPECT_EQ(wxS("Bad Numbers"), name);
    EXPECT_FALSE(filters.bevel.enabled);
    EXPECT_EQ(0, filters.bevel.angle);
    EXPECT_EQ(0.0f, filters.bevel.distance);
    EXPECT_EQ(3, filters.bevel.strength);
    EXPECT_EQ(-1, filters.bevel.type);
    EXPECT_EQ(wxColour(0, 0, 255), filters.bevel.highlightcolor);
    EXPECT_EQ(wxColour(255, 0, 0), filters.bevel.shadowcolor);
    EXPECT_EQ(12, filters.glow.strength);
    EXPECT_TRUE(std::isinf(filters.glow.blurx));
    EXPECT_EQ(7.5f, filters.glow.blury);
    EXPECT_EQ(INT_MAX, filters.glow.quality);
    EXPECT_EQ(wxColour(1, 2, 3), filters.glow.color);
    EXPECT_EQ(-2, filters.blur.quality);
    EXPECT_EQ(4, filters.blur.blurx);
    EXPECT_EQ(9, filters.blur.blury);

    filters = FontProperties();
    ASSERT_EQ(RC_OK, Core()->LoadEffect(kFixtures + wxS("deeply-nested.xml"), filters, name));
    EXPECT_EQ(wxS("Deeply Nested"), name);
    EXPECT_TRUE(filters.blur.enabled);
    EXPECT_EQ(3, filters.blur.blurx);
}

TEST_F(EffectFileTest, BadFilesAreRefusedWithTheirCodeAndTheRestOfTheLibraryLoads)
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
        {"missing.xml", RC_LOAD_FAILED, "Unable to create the XML object"},
    };
    MakeFolders(SystemEffectDir());
    for (const auto& c : cases)
    {
        const wxString source = kFixtures + wxString::FromUTF8(c.file);
        if (wxFileExists(source))
            wxCopyFile(source, SystemEffectDir() + wxString::FromUTF8(c.file));
    }
    for (const char* good : {"bad-numbers.xml", "deeply-nested.xml", "other-child-name.xml"})
        wxCopyFile(kFixtures + wxString::FromUTF8(good), SystemEffectDir() + wxString::FromUTF8(good));
    WriteEffectFile(UserEffectDir() + wxS("Glow.xml"), wxS("Glow"), GlowFilters());

    ASSERT_EQ(RC_OK, InitCore());
    wxArrayString names;
    ASSERT_EQ(RC_OK, Core()->GetEffectList(names));
    const wxString expected[] = {wxS("None"), wxS("User defined"), wxS("Bad Numbers"), wxS("Deeply Nested"),
                                 wxS("Glow"), wxS("Hand Made")};
    ASSERT_EQ(WXSIZEOF(expected), names.size());
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(expected[i], names[i]);
    EXPECT_TRUE(log->Contains(wxS("4 effects have been loaded")));
    EXPECT_TRUE(log->Contains(wxS("Unable to load effect to member")));

    for (const auto& c : cases)
    {
        log->Clear();
        FontProperties filters = GlowFilters();
        wxString name = wxS("kept");
        EXPECT_EQ(c.result, Core()->LoadEffect(SystemEffectDir() + wxString::FromUTF8(c.file), filters, name))
            << c.file;
        EXPECT_TRUE(log->Contains(wxString::FromUTF8(c.message))) << c.file;
        EXPECT_EQ(wxS("kept"), name) << c.file;
        EXPECT_TRUE(filters.glow.enabled) << c.file;
    }
}

TEST_F(EffectFileTest, HostileFilesNeitherCrashNorStall)
{
    ASSERT_EQ(RC_OK, InitCore());
    const wxString folder = ProgramDir() + wxS("/hostile/");
    MakeFolders(folder);
    const std::string head = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<GlypharaEffect><effect effectname=\"Big\">";
    const std::string tail = "<glow enabled=\"1\" strength=\"7\"/></effect></GlypharaEffect>\n";

    // A million levels: freeing such a tree recursively overflows the stack.
    std::string deep = head;
    for (int i = 0; i < 1000000; ++i)
        deep += "<n>";
    WriteTextFile(folder + wxS("deep-truncated.xml"), deep);
    for (int i = 0; i < 1000000; ++i)
        deep += "</n>";
    WriteTextFile(folder + wxS("deep.xml"), deep + tail);

    // Several MB in one attribute value, and as a hundred thousand attributes on a filter.
    WriteTextFile(folder + wxS("long-value.xml"),
                  "<?xml version=\"1.0\"?><GlypharaEffect><effect effectname=\"" + std::string(6000000, 'x') +
                      "\">" + tail);
    std::string many = head + "<glow";
    for (int i = 0; i < 100000; ++i)
        many += " a" + std::to_string(i) + "=\"123456789012345678901234567890\"";
    WriteTextFile(folder + wxS("many-attributes.xml"), many + " enabled=\"1\" strength=\"9\"/></effect></GlypharaEffect>");

    FontProperties filters;
    wxString name;
    EXPECT_EQ(RC_LOAD_FAILED, Core()->LoadEffect(folder + wxS("deep-truncated.xml"), filters, name));
    ASSERT_EQ(RC_OK, Core()->LoadEffect(folder + wxS("deep.xml"), filters, name));
    EXPECT_EQ(7, filters.glow.strength);

    filters = FontProperties();
    ASSERT_EQ(RC_OK, Core()->LoadEffect(folder + wxS("long-value.xml"), filters, name));
    EXPECT_EQ(6000000u, name.length());
    EXPECT_EQ(7, filters.glow.strength);

    filters = FontProperties();
    ASSERT_EQ(RC_OK, Core()->LoadEffect(folder + wxS("many-attributes.xml"), filters, name));
    EXPECT_EQ(9, filters.glow.strength);
}

TEST_F(EffectFileTest, SaveAsNeverReplacesAnEffectAndCountsFromTheWantedName)
{
    WriteEffectFile(SystemEffectDir() + wxS("Shadow.xml"), wxS("Shadow"), ShadowFilters());
    WriteEffectFile(UserEffectDir() + wxS("Glow.xml"), wxS("Glow"), GlowFilters());
    ASSERT_EQ(RC_OK, InitCore());
    const std::string glowBefore = ReadTextFile(UserEffectDir() + wxS("Glow.xml"));

    // Taken as a file in the user folder.
    wxString name = wxS("Glow");
    ASSERT_EQ(RC_OK, Core()->SaveEffectAs(ShadowFilters(), name));
    EXPECT_EQ(wxS("Glow(1)"), name);
    EXPECT_EQ(UserEffectDir() + wxS("Glow(1).xml"), FileOf(wxS("Glow(1)")));
    EXPECT_EQ(glowBefore, ReadTextFile(UserEffectDir() + wxS("Glow.xml")));

    name = wxS("Glow");
    ASSERT_EQ(RC_OK, Core()->SaveEffectAs(ShadowFilters(), name));
    EXPECT_EQ(wxS("Glow(2)"), name);
    name = wxS("Glow(1)");
    ASSERT_EQ(RC_OK, Core()->SaveEffectAs(ShadowFilters(), name));
    EXPECT_EQ(wxS("Glow(1)(1)"), name);

    // Taken only as a name in the library (the system folder's effect); the new file
    // goes to the user folder.
    name = wxS("Shadow");
    ASSERT_EQ(RC_OK, Core()->SaveEffectAs(GlowFilters(), name));
    EXPECT_EQ(wxS("Shadow(1)"), name);
    EXPECT_EQ(UserEffectDir() + wxS("Shadow(1).xml"), FileOf(wxS("Shadow(1)")));
    EXPECT_FALSE(wxFileExists(UserEffectDir() + wxS("Shadow.xml")));

    // The pseudo-effects are names in the library too.
    name = wxS("None");
    ASSERT_EQ(RC_OK, Core()->SaveEffectAs(GlowFilters(), name));
    EXPECT_EQ(wxS("None(1)"), name);
}

TEST_F(EffectFileTest, TypedNamesNeverWriteOutsideTheEffectFolder)
{
    ASSERT_EQ(RC_OK, InitCore());
    const wxString parent = UserDataDir();
    const std::vector<wxString> before = FolderEntries(parent);

    const struct
    {
        const char* typed;
        const char* file;
    } cases[] = {
        {"../Glow", "___Glow.xml"},       {"a/b", "a_b.xml"},     {"a_b", "a_b(1).xml"},
        {"..", "__.xml"},                 {".hidden", "_hidden.xml"}, {"x\\y:z", "x_y_z.xml"},
        {"/etc/passwd", "_etc_passwd.xml"}, {"Tab\there", "Tab_here.xml"},
    };
    for (const auto& c : cases)
    {
        wxString name = wxString::FromUTF8(c.typed);
        ASSERT_EQ(RC_OK, Core()->SaveEffectAs(GlowFilters(), name)) << c.typed;
        const wxString expectedName = wxString::FromUTF8(c.typed) + (wxString(c.file).Contains("(1)") ? wxS("(1)") : wxS(""));
        EXPECT_EQ(expectedName, name) << c.typed;
        EXPECT_EQ(UserEffectDir() + wxString::FromUTF8(c.file), FileOf(name)) << c.typed;
        EXPECT_TRUE(InLibrary(name)) << c.typed;
    }
    EXPECT_EQ(before, FolderEntries(parent)) << "something was written beside the effect folder";
    EXPECT_FALSE(wxFileExists(wxS("/etc/passwd.xml")));

    // A very long name still gives a file, and the counter survives the shortening.
    wxString longName = wxString(wxS('e'), 400);
    ASSERT_EQ(RC_OK, Core()->SaveEffectAs(GlowFilters(), longName));
    wxString again = wxString(wxS('e'), 400);
    ASSERT_EQ(RC_OK, Core()->SaveEffectAs(GlowFilters(), again));
    EXPECT_EQ(wxString(wxS('e'), 400) + wxS("(1)"), again);
    EXPECT_NE(FileOf(longName), FileOf(again));

    // Names that cannot be an effect name are refused and write nothing.
    const size_t entries = FolderEntries(UserEffectDir()).size();
    for (const wxString& bad : {wxString(), wxString(wxS("bell\a"))})
    {
        wxString name = bad;
        EXPECT_EQ(RC_INVALID_ARGUMENT, Core()->SaveEffectAs(GlowFilters(), name));
    }
    EXPECT_EQ(entries, FolderEntries(UserEffectDir()).size());
}

TEST_F(EffectFileTest, SaveNeedsAnEffectFolder)
{
    ASSERT_EQ(RC_OK, InitCore());
    wxFileName::Rmdir(UserEffectDir(), wxPATH_RMDIR_RECURSIVE);
    wxString name = wxS("Glow");
    EXPECT_EQ(RC_DIRECTORY_MISSING, Core()->SaveEffectAs(GlowFilters(), name));
    EXPECT_TRUE(log->Contains(wxS("Effect saving directory does not exist")));

    // Without the user folder, the system folder takes the effect.
    MakeFolders(SystemEffectDir());
    ASSERT_EQ(RC_OK, Core()->SaveEffectAs(GlowFilters(), name));
    EXPECT_EQ(SystemEffectDir() + wxS("Glow.xml"), FileOf(wxS("Glow")));
}

TEST_F(EffectFileTest, SavingUserDefinedSelectsTheNewEffectAndKeepsTheTagsFilters)
{
    WriteEffectFile(SystemEffectDir() + wxS("Glow.xml"), wxS("Glow"), GlowFilters());
    ASSERT_EQ(RC_OK, InitCore());
    FontProperties record;
    Core()->GetSelectedFontProperties(record);
    record.blur.enabled = true;
    record.blur.blurx = 9;
    ASSERT_EQ(RC_OK, Core()->SetCurrentFontProperties(record));
    wxString selected;
    Core()->GetSelectedEffect(selected);
    ASSERT_EQ(wxS("User defined"), selected);

    wxString name = wxS("Glow");
    ASSERT_EQ(RC_OK, Core()->SaveUserDefinedEffectAs(name));
    EXPECT_EQ(wxS("Glow(1)"), name);
    Core()->GetSelectedEffect(selected);
    EXPECT_EQ(wxS("Glow(1)"), selected);
    FontProperties after;
    Core()->GetSelectedFontProperties(after);
    EXPECT_EQ(FilterLines(record), FilterLines(after));
    EXPECT_EQ(FilterLines(record), FilterLines(Core()->GetEffectFilters().at(wxS("Glow(1)"))));
}

TEST_F(EffectFileTest, ImportAddsAFreshCopyUnderAFreeName)
{
    WriteEffectFile(SystemEffectDir() + wxS("Glow.xml"), wxS("Glow"), GlowFilters());
    ASSERT_EQ(RC_OK, InitCore());
    int refreshes = 0;
    Core()->SetInterfaceCallbacks(&refreshes, [](void* context) { return ++*static_cast<int*>(context); },
                                  [](void*, int) { return 0; });

    // An old file from elsewhere, with the same effect name as the installed one.
    const wxString source = Home() + wxS("/Downloads/glow-from-a-friend.xml");
    const std::string old = "<?xml version=\"1.0\"?>\n<GlypharaEffect appname=\"Glyphara\" appversion=\"3.0\" "
                            "appbuild=\"20070101\"><effect effectname=\"Glow\"><glow enabled=\"1\" "
                            "strength=\"4\"/></effect></GlypharaEffect>";
    WriteTextFile(source, old);

    wxString name;
    ASSERT_EQ(RC_OK, Core()->ImportEffect(source, name));
    EXPECT_EQ(wxS("Glow(1)"), name);
    EXPECT_GE(refreshes, 1);
    EXPECT_EQ(old, ReadTextFile(source));
    FontProperties expected;
    expected.glow.enabled = true;
    expected.glow.strength = 4;
    EXPECT_EQ(EffectFileText(wxS("Glow(1)"), expected, Build()), ReadTextFile(UserEffectDir() + wxS("Glow(1).xml")));
    EXPECT_EQ(FilterLines(GlowFilters()), FilterLines(Core()->GetEffectFilters().at(wxS("Glow"))));

    // A broken file imports nothing.
    const size_t count = Core()->GetEffectFilters().size();
    EXPECT_EQ(RC_LOAD_FAILED, Core()->ImportEffect(kFixtures + wxS("wrong-root.xml"), name));
    EXPECT_EQ(count, Core()->GetEffectFilters().size());
}

TEST_F(EffectFileTest, ExportCopiesTheFileAndOverwritesOnlyWhenAsked)
{
    WriteEffectFile(UserEffectDir() + wxS("Glow.xml"), wxS("Glow"), GlowFilters());
    ASSERT_EQ(RC_OK, InitCore());
    const std::string glow = ReadTextFile(UserEffectDir() + wxS("Glow.xml"));
    const wxString target = Home() + wxS("/export");
    MakeFolders(target);

    wxString folder = target;
    ASSERT_EQ(RC_OK, Core()->ExportEffect(folder, wxS("Glow"), false));
    EXPECT_EQ(target + wxS("/Glow.xml"), folder);
    EXPECT_EQ(glow, ReadTextFile(folder));

    WriteTextFile(target + wxS("/Glow.xml"), "the user's own copy");
    folder = target + wxS("/");
    EXPECT_EQ(RC_FILE_EXISTS, Core()->ExportEffect(folder, wxS("Glow"), false));
    EXPECT_EQ("the user's own copy", ReadTextFile(target + wxS("/Glow.xml")));
    folder = target + wxS("/");
    ASSERT_EQ(RC_OK, Core()->ExportEffect(folder, wxS("Glow"), true));
    EXPECT_EQ(target + wxS("/Glow.xml"), folder);
    EXPECT_EQ(glow, ReadTextFile(folder));

    // A copy that cannot be made leaves the file in the way as it was, and no leftovers.
    WriteTextFile(target + wxS("/Glow.xml"), "the user's own copy");
    wxRemoveFile(UserEffectDir() + wxS("Glow.xml"));
    folder = target;
    EXPECT_EQ(RC_WRITE_FAILED, Core()->ExportEffect(folder, wxS("Glow"), true));
    EXPECT_EQ("the user's own copy", ReadTextFile(target + wxS("/Glow.xml")));
    EXPECT_EQ(std::vector<wxString>{wxS("Glow.xml")}, FolderEntries(target));

    const struct
    {
        const char* effect;
        const wxString folder;
        int result;
    } refused[] = {
        {"User defined", target, RC_USER_DEFINED_EFFECT},
        {"None", target, RC_NONE_EFFECT},
        {"Nothing Like This", target, RC_NOT_FOUND},
        {"Glow", Home() + wxS("/no such folder"), RC_DIRECTORY_MISSING},
        {"Glow", wxString(), RC_DIRECTORY_MISSING},
    };
    for (const auto& r : refused)
    {
        folder = r.folder;
        EXPECT_EQ(r.result, Core()->ExportEffect(folder, wxString::FromUTF8(r.effect), false)) << r.effect;
    }
}

TEST_F(EffectFileTest, ExportWithoutANameTakesTheSelectedEffect)
{
    WriteEffectFile(UserEffectDir() + wxS("Glow.xml"), wxS("Glow"), GlowFilters());
    ASSERT_EQ(RC_OK, InitCore());
    wxString folder = Home();
    EXPECT_EQ(RC_NONE_EFFECT, Core()->ExportEffect(folder, wxEmptyString, false));

    ASSERT_EQ(RC_OK, Core()->SetSelectedEffect(wxS("Glow")));
    folder = Home();
    ASSERT_EQ(RC_OK, Core()->ExportEffect(folder, wxEmptyString, false));
    EXPECT_EQ(Home() + wxS("/Glow.xml"), folder);
    EXPECT_TRUE(Contains(FolderEntries(Home()), wxS("Glow.xml")));
}
