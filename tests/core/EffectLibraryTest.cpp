#include "EffectTestSupport.h"

#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>

using namespace effecttest;

namespace
{
class EffectLibraryTest : public CoreTest
{
protected:
    std::vector<wxString> EffectList()
    {
        wxArrayString names;
        EXPECT_EQ(RC_OK, Core()->GetEffectList(names));
        return std::vector<wxString>(names.begin(), names.end());
    }

    wxString Selected()
    {
        wxString name;
        EXPECT_EQ(RC_OK, Core()->GetSelectedEffect(name));
        return name;
    }

    FontProperties Tag()
    {
        FontProperties record;
        Core()->GetSelectedFontProperties(record);
        return record;
    }

    int refreshes = 0;
    void CountRefreshes()
    {
        Core()->SetInterfaceCallbacks(this,
                                      [](void* context) { return ++static_cast<EffectLibraryTest*>(context)->refreshes; },
                                      [](void*, int) { return 0; });
    }
};
}

TEST_F(EffectLibraryTest, EmptyFoldersGiveOnlyThePseudoEffects)
{
    ASSERT_EQ(RC_OK, InitCore());
    EXPECT_EQ((std::vector<wxString>{wxS("None"), wxS("User defined")}), EffectList());
    EXPECT_TRUE(log->Contains(wxS("No effect is installed")));
    EXPECT_EQ(wxS("None"), Selected());
    EXPECT_EQ(wxString(), Core()->GetEffectFiles().at(wxS("None")));
    EXPECT_EQ(wxString(), Core()->GetEffectFiles().at(wxS("User defined")));
}

TEST_F(EffectLibraryTest, ListIsOrdinalAndUserEffectsOverrideSystemEffects)
{
    FontProperties userGlow = GlowFilters();
    userGlow.glow.color = wxColour(0, 0, 255);
    WriteEffectFile(SystemEffectDir() + wxS("Glow.xml"), wxS("Glow"), GlowFilters());
    WriteEffectFile(UserEffectDir() + wxS("My Glow.xml"), wxS("Glow"), userGlow);
    WriteEffectFile(SystemEffectDir() + wxS("zeta.xml"), wxS("zeta"), ShadowFilters());
    WriteEffectFile(SystemEffectDir() + wxS("Glowing.xml"), wxS("Glowing"), ShadowFilters());
    WriteEffectFile(SystemEffectDir() + wxS("Glow(1).xml"), wxS("Glow(1)"), ShadowFilters());
    WriteEffectFile(SystemEffectDir() + wxS("Zeta.xml"), wxS("Zeta"), ShadowFilters());
    // Two files of one folder with the same effect name: the later file name wins.
    WriteEffectFile(UserEffectDir() + wxS("a.xml"), wxS("Twin"), ShadowFilters());
    WriteEffectFile(UserEffectDir() + wxS("b.xml"), wxS("Twin"), GlowFilters());
    // A file cannot replace a pseudo-effect; nor do other files or folders count.
    WriteEffectFile(UserEffectDir() + wxS("None.xml"), wxS("None"), GlowFilters());
    WriteEffectFile(UserEffectDir() + wxS("notes.txt"), wxS("Text"), GlowFilters());
    WriteEffectFile(UserEffectDir() + wxS("deeper/Deep.xml"), wxS("Deep"), GlowFilters());
    ASSERT_EQ(RC_OK, InitCore());

    EXPECT_EQ((std::vector<wxString>{wxS("None"), wxS("User defined"), wxS("Glow"), wxS("Glow(1)"), wxS("Glowing"),
                                     wxS("Twin"), wxS("Zeta"), wxS("zeta")}),
              EffectList());
    EXPECT_EQ(UserEffectDir() + wxS("My Glow.xml"), Core()->GetEffectFiles().at(wxS("Glow")));
    EXPECT_EQ(FilterLines(userGlow), FilterLines(Core()->GetEffectFilters().at(wxS("Glow"))));
    EXPECT_EQ(UserEffectDir() + wxS("b.xml"), Core()->GetEffectFiles().at(wxS("Twin")));
    EXPECT_EQ(FilterLines(FontProperties()), FilterLines(Core()->GetEffectFilters().at(wxS("None"))));
    EXPECT_EQ(wxString(), Core()->GetEffectFiles().at(wxS("None")));
    EXPECT_TRUE(log->Contains(wxS("7 effects have been loaded")));
}

TEST_F(EffectLibraryTest, MissingFoldersAreReported)
{
    ASSERT_EQ(RC_OK, InitCore());
    // Only the user folder exists after start-up; losing it too leaves nothing to list.
    wxFileName::Rmdir(UserEffectDir(), wxPATH_RMDIR_RECURSIVE);
    EXPECT_EQ(RC_DIRECTORY_MISSING, Core()->BuildEffectList());
    EXPECT_TRUE(log->Contains(wxS("No effect directory exists")));
    EXPECT_TRUE(Core()->GetEffectFilters().empty());

    // The pseudo-effects still work without a library.
    EXPECT_EQ(RC_OK, Core()->SetSelectedEffect(wxS("None")));
    EXPECT_EQ((std::vector<wxString>{wxS("None"), wxS("User defined")}), EffectList());
}

TEST_F(EffectLibraryTest, ChoosingEffectsChangesOnlyTheFiltersAndFollowsEdits)
{
    WriteEffectFile(SystemEffectDir() + wxS("Glow.xml"), wxS("Glow"), GlowFilters());
    ASSERT_EQ(RC_OK, InitCore());
    FontProperties record = Tag();
    record.font = wxS("Big Sans");
    record.foundry = wxS("Type Co");
    record.bold = true;
    record.size = 33;
    record.dropshadow = ShadowFilters().dropshadow;
    ASSERT_EQ(RC_OK, Core()->SetCurrentFontProperties(record));
    ASSERT_EQ(wxS("User defined"), Selected());

    ASSERT_EQ(RC_OK, Core()->SetSelectedEffect(wxS("Glow")));
    FontProperties glowed = Tag();
    EXPECT_EQ(wxS("Glow"), Selected());
    EXPECT_EQ(FilterLines(GlowFilters()), FilterLines(glowed)) << "exactly Glow's four filters";
    EXPECT_EQ(wxS("Big Sans"), glowed.font);
    EXPECT_EQ(wxS("Type Co"), glowed.foundry);
    EXPECT_TRUE(glowed.bold);
    EXPECT_EQ(33, glowed.size);

    // Editing a value leaves the stored effect: the combination becomes "User defined".
    glowed.blur.enabled = true;
    glowed.blur.blurx = 11;
    ASSERT_EQ(RC_OK, Core()->SetCurrentFontProperties(glowed));
    EXPECT_EQ(wxS("User defined"), Selected());

    ASSERT_EQ(RC_OK, Core()->SetSelectedEffect(wxS("Glow")));
    EXPECT_EQ(wxS("Glow"), Selected());
    EXPECT_EQ(FilterLines(GlowFilters()), FilterLines(Tag()));

    ASSERT_EQ(RC_OK, Core()->SetSelectedEffect(wxS("User defined")));
    EXPECT_EQ(wxS("User defined"), Selected());
    EXPECT_EQ(FilterLines(glowed), FilterLines(Tag()));

    ASSERT_EQ(RC_OK, Core()->SetSelectedEffect(wxS("None")));
    EXPECT_EQ(wxS("None"), Selected());
    EXPECT_EQ(FilterLines(FontProperties()), FilterLines(Tag()));
    EXPECT_TRUE(Tag().bold);
}

TEST_F(EffectLibraryTest, UnknownEffectNameIsRefusedAndChangesNothing)
{
    WriteEffectFile(SystemEffectDir() + wxS("Glow.xml"), wxS("Glow"), GlowFilters());
    ASSERT_EQ(RC_OK, InitCore());
    ASSERT_EQ(RC_OK, Core()->SetSelectedEffect(wxS("Glow")));
    const size_t entries = Core()->GetEffectFilters().size();

    EXPECT_EQ(RC_NOT_FOUND, Core()->SetSelectedEffect(wxS("glow")));
    EXPECT_EQ(RC_NOT_FOUND, Core()->SetSelectedEffect(wxEmptyString));
    EXPECT_EQ(wxS("Glow"), Selected());
    EXPECT_EQ(FilterLines(GlowFilters()), FilterLines(Tag()));
    EXPECT_EQ(entries, Core()->GetEffectFilters().size());
    EXPECT_EQ(entries, Core()->GetEffectFiles().size());
}

TEST_F(EffectLibraryTest, DeletingRemovesTheFileAndProtectsSystemEffects)
{
    WriteEffectFile(SystemEffectDir() + wxS("Glow.xml"), wxS("Glow"), GlowFilters());
    WriteEffectFile(UserEffectDir() + wxS("Shadow.xml"), wxS("Shadow"), ShadowFilters());
    FontProperties blur;
    blur.blur.enabled = true;
    WriteEffectFile(UserEffectDir() + wxS("Other.xml"), wxS("Other"), blur);
    ASSERT_EQ(RC_OK, InitCore());
    CountRefreshes();

    // The selected effect: the tag loses its filters and shows "None".
    ASSERT_EQ(RC_OK, Core()->SetSelectedEffect(wxS("Shadow")));
    ASSERT_EQ(RC_OK, Core()->DeleteEffect(wxEmptyString, false));
    EXPECT_FALSE(wxFileExists(UserEffectDir() + wxS("Shadow.xml")));
    EXPECT_EQ(wxS("None"), Selected());
    EXPECT_EQ(FilterLines(FontProperties()), FilterLines(Tag()));
    EXPECT_EQ((std::vector<wxString>{wxS("None"), wxS("User defined"), wxS("Glow"), wxS("Other")}), EffectList());

    // A system effect needs the caller's consent.
    EXPECT_EQ(RC_SYSTEM_ITEM, Core()->DeleteEffect(wxS("Glow"), false));
    EXPECT_TRUE(wxFileExists(SystemEffectDir() + wxS("Glow.xml")));
    EXPECT_EQ(1u, Core()->GetEffectFilters().count(wxS("Glow")));
    refreshes = 0;
    ASSERT_EQ(RC_OK, Core()->DeleteEffect(wxS("Glow"), true));
    EXPECT_FALSE(wxFileExists(SystemEffectDir() + wxS("Glow.xml")));
    EXPECT_EQ(1, refreshes) << "an effect that was not selected refreshes the window once";
    EXPECT_EQ(wxS("None"), Selected());

    EXPECT_EQ(RC_NOT_FOUND, Core()->DeleteEffect(wxS("None"), true));
    EXPECT_EQ(RC_NOT_FOUND, Core()->DeleteEffect(wxS("User defined"), true));
    EXPECT_EQ(RC_NOT_FOUND, Core()->DeleteEffect(wxS("Glow"), true));
    wxRemoveFile(UserEffectDir() + wxS("Other.xml"));
    EXPECT_EQ(RC_FILE_NOT_FOUND, Core()->DeleteEffect(wxS("Other"), true));
}

TEST_F(EffectLibraryTest, BundledSystemEffectsLoadAndAreWrittenInTheFileFormat)
{
    const wxString bundled = wxS(GLYPHARA_SOURCE_DIR "/data/effects");
    wxDir dir(bundled);
    ASSERT_TRUE(dir.IsOpened());
    std::vector<wxString> files;
    wxString file;
    for (bool more = dir.GetFirst(&file, wxS("*.xml"), wxDIR_FILES); more; more = dir.GetNext(&file))
    {
        files.push_back(file);
        MakeFolders(SystemEffectDir());
        ASSERT_TRUE(wxCopyFile(bundled + wxS("/") + file, SystemEffectDir() + file));
    }
    ASSERT_GE(files.size(), 8u);
    ASSERT_EQ(RC_OK, InitCore());

    const EffectFilterMap& effects = Core()->GetEffectFilters();
    EXPECT_EQ(files.size() + 2, effects.size());
    for (const wxString& name : files)
    {
        const wxString effect = name.BeforeLast('.');
        ASSERT_EQ(1u, effects.count(effect)) << effect << ": the file name is the effect name";
        const FontProperties& filters = effects.at(effect);
        EXPECT_EQ(EffectFileText(effect, filters, 20081220), ReadTextFile(SystemEffectDir() + name)) << effect;
        EXPECT_FALSE(FiltersEqual(filters, FontProperties())) << effect << " does nothing";
        for (const EffectFilterMap::value_type& other : effects)
        {
            if (other.first != effect && other.first != wxS("None") && other.first != wxS("User defined"))
            {
                EXPECT_FALSE(FiltersEqual(filters, other.second)) << effect << " looks like " << other.first;
            }
        }
    }
}
