#include "EffectTestSupport.h"

#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include <algorithm>
#include <cmath>

TEST_F(EffectTest, EmptyFoldersGiveOnlyThePseudoEffects)
{
    ASSERT_EQ(RC_OK, InitCore());
    EXPECT_EQ((std::vector<wxString>{wxS("None"), wxS("User defined")}), List());
    EXPECT_TRUE(log->Contains(wxS("No effect is installed")));
    EXPECT_EQ(wxS("None"), Selected());

    // With no folder left the build fails, but the pseudo-effects still work.
    wxFileName::Rmdir(UserEffectDir(), wxPATH_RMDIR_RECURSIVE);
    EXPECT_EQ(RC_DIRECTORY_MISSING, Core()->BuildEffectList());
    EXPECT_EQ(RC_OK, Core()->SetSelectedEffect(wxS("None")));
    EXPECT_EQ((std::vector<wxString>{wxS("None"), wxS("User defined")}), List());
}

TEST_F(EffectTest, ListIsOrdinalAndLaterFilesOverrideEarlierOnes)
{
    Install(SystemEffectDir() + wxS("Glow.xml"), "Glow", kShadowXml);
    Install(UserEffectDir() + wxS("My Glow.xml"), "Glow", kGlowXml);
    for (const char* name : {"zeta", "Glowing", "Glow(1)", "Zeta"})
        Install(SystemEffectDir() + name + wxS(".xml"), name, "<blur enabled=\"1\"/>");
    // Within a folder, the later file name wins.
    Install(UserEffectDir() + wxS("a.xml"), "Twin", kShadowXml);
    Install(UserEffectDir() + wxS("b.xml"), "Twin", kGlowXml);
    // Neither a pseudo-effect's name nor other files and folders add an entry.
    Install(UserEffectDir() + wxS("None.xml"), "None", kGlowXml);
    Install(UserEffectDir() + wxS("notes.txt"), "Text", kGlowXml);
    Install(UserEffectDir() + wxS("deeper/Deep.xml"), "Deep", kGlowXml);
    ASSERT_EQ(RC_OK, InitCore());

    EXPECT_EQ((std::vector<wxString>{wxS("None"), wxS("User defined"), wxS("Glow"), wxS("Glow(1)"), wxS("Glowing"),
                                     wxS("Twin"), wxS("Zeta"), wxS("zeta")}),
              List());
    EXPECT_EQ(UserEffectDir() + wxS("My Glow.xml"), FileOf(wxS("Glow")));
    EXPECT_TRUE(Effect(wxS("Glow")).glow.enabled);
    EXPECT_EQ(UserEffectDir() + wxS("b.xml"), FileOf(wxS("Twin")));
    EXPECT_FALSE(Effect(wxS("None")).glow.enabled);
    EXPECT_EQ(wxString(), FileOf(wxS("None")));
    EXPECT_TRUE(log->Contains(wxS("7 effects have been loaded")));
}

TEST_F(EffectTest, ChoosingEffectsChangesOnlyTheFiltersAndFollowsEdits)
{
    Install(SystemEffectDir() + wxS("Glow.xml"), "Glow", kGlowXml);
    ASSERT_EQ(RC_OK, InitCore());
    FontProperties record = Tag();
    record.font = wxS("Big Sans");
    record.bold = true;
    record.dropshadow.enabled = true;
    ASSERT_EQ(RC_OK, Core()->SetCurrentFontProperties(record));

    ASSERT_EQ(RC_OK, Core()->SetSelectedEffect(wxS("Glow")));
    FontProperties glowed = Tag();
    EXPECT_EQ(wxS("Glow"), Selected());
    EXPECT_TRUE(FiltersEqual(Effect(wxS("Glow")), glowed));
    EXPECT_FALSE(glowed.dropshadow.enabled);
    EXPECT_EQ(5, glowed.glow.strength);
    EXPECT_EQ(wxS("Big Sans"), glowed.font);
    EXPECT_TRUE(glowed.bold);

    glowed.blur.enabled = true;
    ASSERT_EQ(RC_OK, Core()->SetCurrentFontProperties(glowed));
    EXPECT_EQ(wxS("User defined"), Selected());
    ASSERT_EQ(RC_OK, Core()->SetSelectedEffect(wxS("Glow")));
    EXPECT_EQ(wxS("Glow"), Selected());
    EXPECT_FALSE(Tag().blur.enabled);
    ASSERT_EQ(RC_OK, Core()->SetSelectedEffect(wxS("User defined")));
    EXPECT_EQ(wxS("User defined"), Selected());
    EXPECT_TRUE(FiltersEqual(glowed, Tag()));

    // An unknown name changes nothing and adds no entry.
    const size_t entries = Core()->GetEffectFilters().size();
    EXPECT_EQ(RC_NOT_FOUND, Core()->SetSelectedEffect(wxS("glow")));
    EXPECT_EQ(wxS("User defined"), Selected());
    EXPECT_TRUE(FiltersEqual(glowed, Tag()));
    EXPECT_EQ(entries, Core()->GetEffectFilters().size());

    // Saving the combination under a taken name gets a counter and selects the new effect.
    wxString name = wxS("Glow");
    ASSERT_EQ(RC_OK, Core()->SaveUserDefinedEffectAs(name));
    EXPECT_EQ(wxS("Glow(1)"), name);
    EXPECT_EQ(wxS("Glow(1)"), Selected());
    EXPECT_TRUE(FiltersEqual(glowed, Tag()));
    EXPECT_TRUE(FiltersEqual(glowed, Effect(name)));
}

// A value that reads as NaN still matches itself, so the effect stays the tag's.
TEST_F(EffectTest, AnEffectHoldingNaNStaysSelectedOnceApplied)
{
    Install(SystemEffectDir() + wxS("Odd.xml"), "Odd", "<glow enabled=\"1\" alpha=\"nan\"/>");
    ASSERT_EQ(RC_OK, InitCore());
    ASSERT_TRUE(std::isnan(Effect(wxS("Odd")).glow.alpha));
    ASSERT_EQ(RC_OK, Core()->SetSelectedEffect(wxS("Odd")));
    EXPECT_EQ(wxS("Odd"), Selected());
    FontProperties record = Tag();
    record.size = 12;
    ASSERT_EQ(RC_OK, Core()->SetCurrentFontProperties(record));
    EXPECT_EQ(wxS("Odd"), Selected());
}

TEST_F(EffectTest, DeletingRemovesTheFileAndProtectsSystemEffects)
{
    Install(SystemEffectDir() + wxS("Glow.xml"), "Glow", kGlowXml);
    Install(UserEffectDir() + wxS("Shadow.xml"), "Shadow", kShadowXml);
    Install(UserEffectDir() + wxS("Other.xml"), "Other", "<blur enabled=\"1\"/>");
    ASSERT_EQ(RC_OK, InitCore());
    int refreshes = 0;
    Core()->SetInterfaceCallbacks(&refreshes, [](void* count) { return ++*static_cast<int*>(count); },
                                  [](void*, int) { return 0; });

    ASSERT_EQ(RC_OK, Core()->SetSelectedEffect(wxS("Shadow")));
    log->Clear();
    ASSERT_EQ(RC_OK, Core()->DeleteEffect(wxEmptyString, false));
    EXPECT_TRUE(log->Contains(wxS("Trying to delete effect: Shadow")));
    EXPECT_EQ(1, std::count_if(log->lines.begin(), log->lines.end(), [](const CapturingLog::Line& line) {
                  return line.text.EndsWith(wxS(": Effect successfully removed: "));
              }));
    EXPECT_FALSE(wxFileExists(UserEffectDir() + wxS("Shadow.xml")));
    EXPECT_EQ(wxS("None"), Selected());
    EXPECT_FALSE(Tag().dropshadow.enabled);
    EXPECT_EQ((std::vector<wxString>{wxS("None"), wxS("User defined"), wxS("Glow"), wxS("Other")}), List());

    EXPECT_EQ(RC_SYSTEM_ITEM, Core()->DeleteEffect(wxS("Glow"), false));
    EXPECT_TRUE(wxFileExists(SystemEffectDir() + wxS("Glow.xml")));
    refreshes = 0;
    ASSERT_EQ(RC_OK, Core()->DeleteEffect(wxS("Glow"), true));
    EXPECT_FALSE(wxFileExists(SystemEffectDir() + wxS("Glow.xml")));
    EXPECT_EQ(1, refreshes);

    EXPECT_EQ(RC_NOT_FOUND, Core()->DeleteEffect(wxS("None"), true));
    EXPECT_EQ(RC_NOT_FOUND, Core()->DeleteEffect(wxS("Glow"), true));
    wxRemoveFile(UserEffectDir() + wxS("Other.xml"));
    EXPECT_EQ(RC_FILE_NOT_FOUND, Core()->DeleteEffect(wxS("Other"), true));
}

TEST_F(EffectTest, BundledSystemEffectsLoadAndAreInTheFileFormat)
{
    const wxString bundled = wxS(GLYPHARA_SOURCE_DIR "/data/effects/");
    wxArrayString files;
    wxDir::GetAllFiles(bundled, &files, wxS("*.xml"), wxDIR_FILES);
    ASSERT_GE(files.size(), 8u);
    MakeFolders(SystemEffectDir());
    for (const wxString& file : files)
        ASSERT_TRUE(wxCopyFile(file, SystemEffectDir() + file.AfterLast('/')));
    ASSERT_EQ(RC_OK, InitCore());
    ASSERT_EQ(files.size() + 2, Core()->GetEffectFilters().size());

    const wxString build = wxString::Format(wxS("appbuild=\"%ld\""), TraceSystem::GetInstance()->GetBuildNumber());
    std::vector<wxString> names;
    for (const wxString& file : files)
    {
        // Written again by the program, each file comes out the same but for its build.
        wxString name = file.AfterLast('/').BeforeLast('.');
        names.push_back(name);
        const FontProperties filters = Effect(name);
        EXPECT_FALSE(FiltersEqual(filters, FontProperties())) << name << " does nothing";
        ASSERT_EQ(RC_OK, Core()->SaveEffectAs(filters, name));
        wxString rewritten = wxString::FromUTF8(ReadTextFile(FileOf(name)));
        rewritten.Replace(build, wxS("appbuild=\"20081220\""));
        rewritten.Replace(wxS("effectname=\"") + name, wxS("effectname=\"") + name.BeforeLast('('));
        EXPECT_EQ(wxString::FromUTF8(ReadTextFile(file)), rewritten) << name;
    }
    // Each look is reachable: no two effects share a filter set.
    for (size_t i = 0; i < names.size(); ++i)
    {
        for (size_t j = i + 1; j < names.size(); ++j)
            EXPECT_FALSE(FiltersEqual(Effect(names[i]), Effect(names[j]))) << names[i] << " / " << names[j];
    }
}
