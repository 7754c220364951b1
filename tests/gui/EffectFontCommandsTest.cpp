// The effect and font commands of the main window, driven through its buttons and menu
// items with every dialog answered as a user would: what they ask, what they change in
// the libraries, and what they report.
#include "CommandTestSupport.h"

#include "Interface/glypharamainframe.h"
#include "core/TextUtil.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/filename.h>

namespace
{
const long kInfo = wxOK | wxICON_INFORMATION;
const long kError = wxOK | wxICON_ERROR;

// An effect file whose glow strength tells it from the others.
void WriteEffect(const wxString& path, const wxString& name, int glowStrength)
{
    wxFFile file(path, wxS("w"));
    ASSERT_TRUE(file.IsOpened()) << path;
    file.Write(wxString::Format(wxS("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                    "<GlypharaEffect appname=\"Glyphara\" appversion=\"4.1\" appbuild=\"1\">\n"
                                    " <effect effectname=\"%s\">\n"
                                    "  <glow enabled=\"1\" strength=\"%d\" blurx=\"6.000000\" blury=\"6.000000\" "
                                    "knockout=\"0\" inner=\"0\" quality=\"1\" alpha=\"0.500000\" color=\"#FF0000\"/>\n"
                                    " </effect>\n"
                                    "</GlypharaEffect>\n"),
                                name, glowStrength),
               wxConvUTF8);
}

// A folder holding the given files, each with its text.
wxString Folder(const wxString& path, const std::vector<std::pair<const char*, const char*>>& files = {})
{
    wxFileName::Mkdir(path, 0777, wxPATH_MKDIR_FULL);
    for (const auto& file : files)
        wxFFile(path + wxS("/") + file.first, wxS("w")).Write(wxString(file.second));
    return path;
}
}

class EffectFontCommandsTest : public CommandTest
{
protected:
    wxString SystemEffects() const { return ProgramDir() + wxS("/Effects"); }
    wxString UserEffects() const { return StripTrailingSeparators(Core()->GetUserEffectDir()); }

    wxString Selected() const
    {
        wxString name;
        Core()->GetSelectedEffect(name);
        return name;
    }

    void ChooseEffect(const wxString& name)
    {
        wxChoice* choice = Find<wxChoice>(ID_EFFECT_CHOICE);
        ASSERT_NE(wxNOT_FOUND, choice->FindString(name)) << name;
        Choose(choice, choice->FindString(name));
        ASSERT_EQ(name, Selected());
    }
};

TEST_F(EffectFontCommandsTest, SavingAsksForANameKeepsTheTagsFiltersAndReportsAFailure)
{
    WriteEffect(SystemEffects() + wxS("/Glow.xml"), wxS("Glow"), 7);
    OpenFrame();
    // A filter of the user's own makes the selection "User defined".
    ChangeRecord([](FontProperties& record) {
        record.dropshadow.enabled = true;
        record.dropshadow.angle = 123;
    });
    ASSERT_EQ(wxS("User defined"), Selected());
    ASSERT_TRUE(Find<wxButton>(ID_SAVE_EFFECT_BUTTON)->IsEnabled());
    std::vector<wxString> asked;
    wxTEST_DIALOG(PressButton(Frame(), ID_SAVE_EFFECT_BUTTON), TypeAnswer(wxEmptyString, wxID_OK, &asked));
    EXPECT_EQ((std::vector<wxString>{wxS("Effect name"), wxS("Name for the effect:"), wxS("User defined")}), asked);
    wxTEST_DIALOG(PressButton(Frame(), ID_SAVE_EFFECT_BUTTON), TypeAnswer(wxS("Dusk"), wxID_CANCEL));
    EXPECT_FALSE(wxDir(UserEffects()).HasFiles());
    EXPECT_EQ(wxS("User defined"), Selected());

    wxTEST_DIALOG(PressButton(Frame(), ID_SAVE_EFFECT_BUTTON), TypeAnswer(wxS("Dusk 100% %s"), wxID_OK));
    EXPECT_EQ(wxS("Dusk 100% %s"), Find<wxChoice>(ID_EFFECT_CHOICE)->GetStringSelection());
    EXPECT_TRUE(ReadAll(UserEffects() + wxS("/Dusk 100% %s.xml")).Contains(wxS("effectname=\"Dusk 100% %s\"")));
    EXPECT_EQ(123, Record().dropshadow.angle);
    EXPECT_FALSE(Find<wxButton>(ID_SAVE_EFFECT_BUTTON)->IsEnabled());

    // A combination of the user's own, then a stored effect chosen: what the tag shows is saved.
    ChangeRecord([](FontProperties& record) { record.bevel.enabled = true; });
    ChooseEffect(wxS("Glow"));
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_SAVEEFFECT), TypeAnswer(wxS("Warm"), wxID_OK));
    EXPECT_EQ(wxS("Warm"), Selected());
    EXPECT_TRUE(Record().glow.enabled);
    EXPECT_EQ(7, Record().glow.strength);
    EXPECT_FALSE(Record().bevel.enabled);
    EXPECT_TRUE(ReadAll(UserEffects() + wxS("/Warm.xml")).Contains(wxS("strength=\"7\"")));

    // Nowhere to write.
    ChangeRecord([](FontProperties& record) { record.glow.strength = 9; });
    ASSERT_TRUE(wxFileName::Rmdir(UserEffects(), wxPATH_RMDIR_RECURSIVE));
    ASSERT_TRUE(wxFileName::Rmdir(SystemEffects(), wxPATH_RMDIR_RECURSIVE));
    wxTEST_DIALOG(PressButton(Frame(), ID_SAVE_EFFECT_BUTTON), TypeAnswer(wxS("Lost"), wxID_OK),
                  Box(wxS("Unable to save"), wxS("Unable to save the effect"), kError, wxID_OK));
    EXPECT_EQ(9, Record().glow.strength);
}

TEST_F(EffectFontCommandsTest, EffectAndFontImportsReportWhatWasImportedAndWhatWasNot)
{
    OpenFrame();
    const wxString one = Folder(Home() + wxS("/one"));
    WriteEffect(one + wxS("/a.xml"), wxS("Ember 50%"), 4);
    ShownChooser asked;
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_IMPORTEFFECTS), ChooseAllFilesIn(one, 1, &asked),
                  Box(wxS("Effects imported"), wxS("1 effect has been imported:\n - Ember 50%"), kInfo, wxID_OK));
    EXPECT_EQ(wxS("Choose effect files to import"), asked.message);
    EXPECT_EQ(wxS("*.xml"), asked.wildcard);
    EXPECT_TRUE(asked.style & wxFD_MULTIPLE);
    EXPECT_NE(wxNOT_FOUND, Find<wxChoice>(ID_EFFECT_CHOICE)->FindString(wxS("Ember 50%")));

    // Two good files, one of them a name already taken, and a broken one; the tool.
    const wxString mixed = Folder(Home() + wxS("/mixed"), {{"b %s broken.xml", "<GlypharaEffect><effect"}});
    WriteEffect(mixed + wxS("/a.xml"), wxS("Ember 50%"), 5);
    WriteEffect(mixed + wxS("/c.xml"), wxS("Frost %d"), 6);
    wxTEST_DIALOG(Command(Frame(), ID_TOOL_IMPORTEFFECTS), ChooseAllFilesIn(mixed, 3),
                  Box(wxS("Unable to import"),
                      wxS("2 effects have been imported:\n - Ember 50%(1)\n - Frost %d\n\n"
                          "These effect files could not be imported:\n - ") +
                          mixed + wxS("/b %s broken.xml"),
                      kError, wxID_OK));

    const wxString bad = Folder(Home() + wxS("/bad"), {{"x.xml", "<other/>"}});
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_IMPORTEFFECTS), ChooseAllFilesIn(bad, 1),
                  Box(wxS("Unable to import"),
                      wxS("0 effects have been imported\n\nThese effect files could not be imported:\n - ") + bad +
                          wxS("/x.xml"),
                      kError, wxID_OK));

    // Cancelled: nothing is shown.
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_IMPORTEFFECTS), ChooseAllFilesIn(wxEmptyString, 0));

    // Fonts: movies and pictures, placed by their foundry prefix (the library's tests have the rest).
    const wxString userFonts = StripTrailingSeparators(Core()->GetUserFontDir());
    const wxString built = wxS(GLYPHARA_PROGRAM_DIR "/Fonts/Red_Hat/Liberation_Sans_[regular][italic][bold][bolditalic]");
    const wxString good = Folder(Home() + wxS("/good"));
    ASSERT_TRUE(wxCopyFile(built + wxS(".swf"), good + wxS("/Type Co___Big Sans.swf")));
    ASSERT_TRUE(wxCopyFile(built + wxS(".png"), good + wxS("/Type Co___Big Sans.png")));
    wxTEST_DIALOG(PressButton(Frame(), ID_IMPORTFONTS_BUTTON), ChooseAllFilesIn(good, 2, &asked),
                  Box(wxS("All fonts imported"), wxS("All the fonts have been successfully imported."), kInfo, wxID_OK));
    EXPECT_EQ(wxS("Choose font files to import"), asked.message);
    EXPECT_EQ(wxS("Font files (*.swf;*.png)|*.swf;*.png"), asked.wildcard);
    EXPECT_TRUE(asked.style & wxFD_MULTIPLE);
    EXPECT_TRUE(wxFileExists(userFonts + wxS("/Type_Co/Big_Sans.png")));

    // One good, one without a font name, one that only has the name of a font movie.
    const wxString some = Folder(Home() + wxS("/some"), {{"Type Co___.swf", ""}, {"Picture.swf", "not a movie"}});
    ASSERT_TRUE(wxCopyFile(built + wxS(".swf"), some + wxS("/Other.swf")));
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_IMPORTFONTS), ChooseAllFilesIn(some, 3),
                  Box(wxS("Some fonts imported"), wxS("These files could not be imported:\n\n - ") + some +
                      wxS("/Picture.swf\n - ") + some + wxS("/Type Co___.swf"), kInfo, wxID_OK));

    // Nothing made it: a failure, not a partial success.
    const wxString none = Folder(Home() + wxS("/none"), {{"A___.png", ""}});
    wxTEST_DIALOG(Command(Frame(), ID_TOOL_IMPORTFONTS), ChooseAllFilesIn(none, 1),
                  Box(wxS("Unable to import"), wxS("These files could not be imported:\n\n - ") + none +
                      wxS("/A___.png"), kError, wxID_OK));

    // The user's font folder has gone.
    ASSERT_TRUE(wxFileName::Rmdir(userFonts, wxPATH_RMDIR_RECURSIVE));
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_IMPORTFONTS), ChooseAllFilesIn(good, 2),
                  Box(wxS("Unable to import"), wxS("No font has been imported: the folder for your fonts is missing."),
                      kError, wxID_OK));

    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_IMPORTFONTS), ChooseAllFilesIn(wxEmptyString, 0));
    EXPECT_EQ(2, LogCount(wxS("No files have been choosen")));
}

TEST_F(EffectFontCommandsTest, ExportAsksBeforeOverwritingAndDeletingASystemEffectAsksTwice)
{
    const wxString glow = SystemEffects() + wxS("/Glow.xml");
    WriteEffect(glow, wxS("100% Glow %s"), 7);
    OpenFrame();
    // "None" or "User defined": no folder is asked for.
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_EXPORTEFFECT),
                  Box(wxS("Error"), wxS("No effect is selected."), kError, wxID_OK));
    ChangeRecord([](FontProperties& record) { record.bevel.enabled = true; });
    wxTEST_DIALOG(Command(Frame(), ID_TOOL_EXPORTEFFECT),
                  Box(wxS("Error"), wxS("You must save your effect before exporting it."), kError, wxID_OK));

    ChooseEffect(wxS("100% Glow %s"));
    const wxString out = Folder(Home() + wxS("/out"));
    const wxString copy = out + wxS("/Glow.xml");
    const auto saved = Box(wxS("Information"), wxS("Your effect has been saved as:\n") + copy, kInfo, wxID_OK);
    ShownChooser asked;
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_EXPORTEFFECT), ChooseFolder(out, &asked), saved);
    EXPECT_EQ(wxS("Choose a folder for \"100% Glow %s\" effect:"), asked.message);
    EXPECT_EQ(ReadAll(glow), ReadAll(copy));

    wxFFile(copy, wxS("w")).Write(wxS("mine"));
    auto overwrite = [](int answer) {
        return Box(wxS("Warning"), wxS("A file with the same name already exists.\nDo you want to overwrite it?"),
                   wxYES_NO | wxICON_WARNING, answer);
    };
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_EXPORTEFFECT), ChooseFolder(out), overwrite(wxID_NO));
    EXPECT_EQ(wxS("mine"), ReadAll(copy));
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_EXPORTEFFECT), ChooseFolder(out), overwrite(wxID_YES), saved);
    EXPECT_EQ(ReadAll(glow), ReadAll(copy));
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_EXPORTEFFECT), ChooseFolder(Home() + wxS("/nowhere")),
                  Box(wxS("Error"), wxS("Invalid directory."), kInfo, wxID_OK));
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_EXPORTEFFECT), ChooseFolder(wxEmptyString));

    auto confirm = [](int answer) {
        return Box(wxS("Confirm"), wxS("Are you sure you want to delete this effect?"), wxYES_NO | wxICON_QUESTION,
                   answer);
    };
    auto warn = [](int answer) {
        return Box(wxS("Warning"), wxS("Selected effect is a system effect. Do you really want to delete it?"),
                   wxYES_NO | wxICON_WARNING, answer);
    };
    wxTEST_DIALOG(PressButton(Frame(), ID_DELETE_EFFECT_BUTTON), confirm(wxID_NO));
    wxTEST_DIALOG(PressButton(Frame(), ID_DELETE_EFFECT_BUTTON), confirm(wxID_YES), warn(wxID_NO));
    EXPECT_TRUE(wxFileExists(glow));
    EXPECT_EQ(wxS("100% Glow %s"), Selected());
    // Yes twice: gone, and the tag is left without filters.
    wxTEST_DIALOG(Command(Frame(), ID_MENUITEM_DELETEEFFECT), confirm(wxID_YES), warn(wxID_YES));
    EXPECT_FALSE(wxFileExists(glow));
    EXPECT_EQ(wxS("None"), Selected());
    EXPECT_FALSE(Record().glow.enabled);
    EXPECT_EQ(wxNOT_FOUND, Find<wxChoice>(ID_EFFECT_CHOICE)->FindString(wxS("100% Glow %s")));
    EXPECT_FALSE(Find<wxButton>(ID_DELETE_EFFECT_BUTTON)->IsEnabled());
}
