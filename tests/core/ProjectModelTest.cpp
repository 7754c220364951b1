#include "TestSupport.h"

#include "core/GlypharaCore.h"

#include <functional>
#include <string>
#include <vector>

namespace
{
typedef std::vector<wxString> Names;
typedef std::vector<std::string> Calls;

// Stands in for the main window and records the callbacks in order.
struct CallbackRecorder
{
    Calls calls;
    static int Controls(void* self)
    {
        static_cast<CallbackRecorder*>(self)->calls.push_back("controls");
        return 0;
    }
    static int Flash(void* self, int delay)
    {
        static_cast<CallbackRecorder*>(self)->calls.push_back("flash " + std::to_string(delay));
        return 0;
    }
};

class ProjectModelTest : public CoreTest
{
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        ASSERT_EQ(RC_OK, InitCore());
    }

    Names Tags(wxString* selected = nullptr)
    {
        wxArrayString list;
        wxString shown;
        EXPECT_EQ(RC_OK, Core()->GetTagList(list, shown));
        if (selected)
            *selected = shown;
        return Names(list.begin(), list.end());
    }

    int Add(const wxString& name, bool select = false)
    {
        wxString copy = name;
        return Core()->AddNewTag(copy, select);
    }

    FontProperties Selected()
    {
        FontProperties record;
        EXPECT_EQ(RC_OK, Core()->GetSelectedFontProperties(record));
        return record;
    }

    FontProperties StoreStyles(const wxString& font, bool bold, bool italic)
    {
        FontProperties record = Selected();
        record.font = font;
        record.bold = bold;
        record.italic = italic;
        EXPECT_EQ(RC_OK, Core()->SetCurrentFontProperties(record));
        return Selected();
    }
};
}

TEST_F(ProjectModelTest, NewProjectHasOnlyH1AndOffersTheOtherStandardTags)
{
    wxString selected, text;
    EXPECT_EQ(Names{wxS("<h1>")}, Tags(&selected));
    EXPECT_EQ(wxS("<h1>"), selected);
    Core()->GetUserText(text);
    EXPECT_EQ(wxS("Sample Text"), text);
    EXPECT_FALSE(Core()->IsProjectSaved());

    wxArrayString unused;
    EXPECT_EQ(RC_OK, Core()->GetUnusedTagList(unused));
    EXPECT_EQ((Names{wxS("<h2>"), wxS("<h3>"), wxS("<h4>"), wxS("<h5>"), wxS("<h6>")}),
              Names(unused.begin(), unused.end()));
    Add(wxS("h3"));
    Core()->GetUnusedTagList(unused);
    EXPECT_EQ((Names{wxS("<h2>"), wxS("<h4>"), wxS("<h5>"), wxS("<h6>")}), Names(unused.begin(), unused.end()));
}

TEST_F(ProjectModelTest, AddNewTagCleansTheNameAndRefusesDuplicatesAndEmptyNames)
{
    EXPECT_EQ(wxS("my"), Core()->CleanTag(wxS("<My Tag2>")));
    EXPECT_EQ(wxS("col"), Core()->CleanTag(wxS("2col")));

    wxString name = wxS("<P>");
    EXPECT_EQ(RC_NONSTANDARD_TAG, Core()->AddNewTag(name, false));
    EXPECT_EQ(wxS("p"), name);
    EXPECT_EQ(RC_OK, Add(wxS(" <H3> ")));
    EXPECT_EQ(RC_NONSTANDARD_TAG, Add(wxS("Sub Title")));
    EXPECT_EQ(RC_TAG_EXISTS, Add(wxS("SUB"), true));
    name = wxS("<123>");
    EXPECT_EQ(RC_INVALID_TAG_NAME, Core()->AddNewTag(name, true));
    EXPECT_TRUE(name.empty());
    EXPECT_EQ(RC_NONSTANDARD_TAG, Add(wxS("h10")));

    wxString selected;
    EXPECT_EQ((Names{wxS("<h1>"), wxS("<h10>"), wxS("<h3>"), wxS("<p>"), wxS("<sub>")}), Tags(&selected));
    EXPECT_EQ(wxS("<h1>"), selected);
}

TEST_F(ProjectModelTest, NewTagTakesOnlyTheFontOfTheSelectedTag)
{
    FontProperties record = Selected();
    record.font = wxS("Big Sans");
    record.foundry = wxS("Type Co");
    record.size = 12;
    ASSERT_EQ(RC_OK, Core()->SetCurrentFontProperties(record));
    ASSERT_EQ(RC_OK, Add(wxS("h2"), true));
    const FontProperties added = Selected();
    EXPECT_EQ(wxS("Big Sans"), added.font);
    EXPECT_EQ(wxS("Type Co"), added.foundry);
    EXPECT_EQ(40, added.size);
}

TEST_F(ProjectModelTest, RemoveKeepsTheLastTagAndMovesTheSelection)
{
    EXPECT_EQ(RC_DELETE_FAILED, Core()->RemoveTag(wxS("h1")));
    Add(wxS("h2"));
    EXPECT_EQ(RC_OK, Core()->RemoveTag(wxS("<H1>")));
    wxString selected;
    EXPECT_EQ(Names{wxS("<h2>")}, Tags(&selected));
    EXPECT_EQ(wxS("<h2>"), selected);
}

TEST_F(ProjectModelTest, RenameMovesTheRecordAndKeepsTheSelection)
{
    Add(wxS("h2"), true);
    FontProperties record = Selected();
    record.size = 31;
    Core()->SetCurrentFontProperties(record);

    EXPECT_EQ(RC_TAG_EXISTS, Core()->RenameTag(wxS("h2"), wxS("h2")));
    EXPECT_EQ(RC_TAG_EXISTS, Core()->RenameTag(wxS("h2"), wxS("H1")));
    EXPECT_EQ(RC_OK, Core()->RenameTag(wxS("<h2>"), wxS("Intro")));
    wxString selected;
    EXPECT_EQ((Names{wxS("<h1>"), wxS("<intro>")}), Tags(&selected));
    EXPECT_EQ(wxS("<intro>"), selected);
    EXPECT_EQ(31, Selected().size);

    EXPECT_EQ(RC_OK, Core()->RenameTag(wxS("h1"), wxS("title")));
    EXPECT_EQ((Names{wxS("<intro>"), wxS("<title>")}), Tags(&selected));
    EXPECT_EQ(wxS("<intro>"), selected);
}

TEST_F(ProjectModelTest, OnlyATagOfTheProjectCanBeSelected)
{
    FontProperties record = Selected();
    record.size = 12;
    Core()->SetCurrentFontProperties(record);
    // A name that is no tag of the project adds nothing, whatever its case.
    for (const wxChar* name : {wxS("<h9>"), wxS("h9"), wxS("<123>")})
    {
        EXPECT_EQ(RC_NOT_FOUND, Core()->SetSelectedTag(name)) << name;
        wxString selected;
        EXPECT_EQ((Names{wxS("<h1>")}), Tags(&selected)) << name;
        EXPECT_EQ(wxS("<h1>"), selected) << name;
    }
    EXPECT_EQ(RC_OK, Core()->SetSelectedTag(wxS("<H1>")));
    EXPECT_EQ(12, Selected().size);
}

TEST_F(ProjectModelTest, StylesAreReducedToWhatTheFontOffers)
{
    FontProperties stored = StoreStyles(wxS("Big Sans [bold] [italic]"), true, true);
    EXPECT_TRUE(stored.bold && !stored.italic);
    stored = StoreStyles(wxS("Big Sans"), true, true);
    EXPECT_TRUE(stored.bold && !stored.italic);
    stored = StoreStyles(wxS("Big Sans [regular] [italic]"), true, true);
    EXPECT_TRUE(!stored.bold && stored.italic);
    stored = StoreStyles(wxS("Big Sans [bold]"), false, false);
    EXPECT_TRUE(stored.bold && !stored.italic) << "no regular style: the font's bold is used";
    stored = StoreStyles(wxS("Big Sans [bolditalic]"), false, false);
    EXPECT_TRUE(stored.bold && stored.italic);
}

TEST_F(ProjectModelTest, CallbacksFollowTheOperationsThatChangeWhatIsShown)
{
    CallbackRecorder window;
    ASSERT_EQ(RC_OK, Core()->SetInterfaceCallbacks(&window, &CallbackRecorder::Controls, &CallbackRecorder::Flash));
    const Calls both{"controls", "flash 500"};

    Core()->SetCurrentFontProperties(Selected());
    EXPECT_EQ(both, window.calls);
    window.calls.clear();
    Add(wxS("h3"), true);
    EXPECT_EQ(both, window.calls);
    window.calls.clear();
    Core()->RemoveTag(wxS("h3"));
    EXPECT_EQ(both, window.calls) << "removing the selected tag selects another";

    window.calls.clear();
    Core()->SetUserText(wxEmptyString);
    Core()->SetFlashPlayerSize(640, 120);
    EXPECT_EQ((Calls{"flash 500", "flash 500"}), window.calls);
    wxString text;
    Core()->GetUserText(text);
    EXPECT_EQ(wxS(" "), text) << "an empty sample text becomes a space";
    EXPECT_EQ(640, Core()->GetFlashPlayerWidth());

    window.calls.clear();
    Add(wxS("h2"));
    Add(wxS("h2"), true);
    Add(wxS("?"), true);
    Core()->RemoveTag(wxS("h2"));
    EXPECT_TRUE(window.calls.empty());

    ASSERT_EQ(RC_OK, Core()->NewProject());
    ASSERT_GE(window.calls.size(), 2u);
    EXPECT_EQ(both, Calls(window.calls.end() - 2, window.calls.end()));
}

class EffectMatchingTest : public CoreTest
{
protected:
    static std::string EffectFile(const std::string& name, const std::string& filters)
    {
        return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<GlypharaEffect appname=\"Glyphara\" appversion=\"4.1\" "
               "appbuild=\"1\">\n <effect effectname=\"" + name + "\">\n  " + filters + "\n </effect>\n"
               "</GlypharaEffect>\n";
    }

    void SetUp() override
    {
        CoreTest::SetUp();
        const std::string glow = "<glow enabled=\"1\" strength=\"3\" color=\"#00FF00\"/>";
        WriteTextFile(SystemEffectDir() + wxS("glow.xml"), EffectFile("Glow", glow));
        WriteTextFile(SystemEffectDir() + wxS("glow2.xml"), EffectFile("Also Glow", glow));
        WriteTextFile(SystemEffectDir() + wxS("blur.xml"), EffectFile("Blur", "<blur enabled=\"1\"/>"));
        ASSERT_EQ(RC_OK, InitCore());
    }

    wxString Apply(const FontProperties& record)
    {
        EXPECT_EQ(RC_OK, Core()->SetCurrentFontProperties(record));
        wxString name;
        Core()->GetSelectedEffect(name);
        return name;
    }
};

TEST_F(EffectMatchingTest, FiltersSelectTheMatchingEffectOrUserDefined)
{
    FontProperties record;
    Core()->GetSelectedFontProperties(record);
    record.glow.enabled = true;
    record.glow.strength = 3;
    record.glow.color = RgbColour(0, 255, 0);
    EXPECT_EQ(wxS("Also Glow"), Apply(record)) << "two effects match: the smaller key wins";
    ASSERT_EQ(RC_OK, Core()->SetSelectedEffect(wxS("Glow")));
    record.size = 13;
    EXPECT_EQ(wxS("Glow"), Apply(record)) << "unless the selection matches too";

    record.glow.strength = 4;
    EXPECT_EQ(wxS("User defined"), Apply(record));
    EXPECT_EQ(4, Core()->GetEffectFilters().at(wxS("User defined")).glow.strength);
    record.glow.enabled = false;
    EXPECT_EQ(wxS("None"), Apply(record));
}

class NewProjectFontTest : public CoreTest
{
};

TEST_F(NewProjectFontTest, NewProjectGivesH1TheFirstInstalledFontEvenWhenItIsTheOnlyOne)
{
    WriteTextFile(SystemFontDir() + wxS("Type_Co/Beta.swf"), "FWS");
    ASSERT_EQ(RC_OK, InitCore());
    FontProperties record;
    Core()->GetSelectedFontProperties(record);
    EXPECT_EQ(wxS("Beta"), record.font);
    EXPECT_EQ(wxS("Type Co"), record.foundry);

    WriteTextFile(SystemFontDir() + wxS("Type_Co/Alpha.swf"), "FWS");
    WriteTextFile(SystemFontDir() + wxS("Loose.swf"), "FWS");
    ASSERT_EQ(RC_OK, Core()->BuildFontLists());
    ASSERT_EQ(RC_OK, Core()->NewProject());
    Core()->GetSelectedFontProperties(record);
    EXPECT_EQ(wxS("Alpha"), record.font);
    EXPECT_EQ(wxS("Type Co"), record.foundry);
}

// Closing a new project nobody changed loses nothing, so the window need not ask.
TEST_F(ProjectModelTest, ANewProjectIsUnchangedUntilItsTagsOrTextChange)
{
    WriteSupportFiles(ProgramDir());
    const struct
    {
        const char* step;
        std::function<void()> change;
        bool unchanged;
    } steps[] = {
        {"started", [] {}, true},
        {"tag selected again", [this] { Core()->SetSelectedTag(wxS("h1")); }, true},
        {"size changed", [this] { FontProperties r = Selected(); r.size = 12; Core()->SetCurrentFontProperties(r); }, false},
        {"size changed back", [this] { Core()->Undo(); }, true},
        {"text changed", [this] { Core()->SetUserText(wxS("Other")); }, false},
        {"new project", [this] { Core()->NewProject(); }, true},
        {"tag added", [this] { Add(wxS("h2")); }, false},
        {"tag removed", [this] { Core()->RemoveTag(wxS("h2")); }, true},
        {"saved", [this] { Core()->SaveProject(ProgramDir() + wxS("/p"), true, false); }, false},
    };
    for (const auto& step : steps)
    {
        step.change();
        EXPECT_EQ(step.unchanged, Core()->IsUnchangedNewProject()) << step.step;
        EXPECT_FALSE(step.unchanged && Core()->IsProjectSaved()) << step.step;
    }
}
