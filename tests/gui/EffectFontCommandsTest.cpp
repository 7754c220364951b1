// The effect and font commands of the main window, driven through its buttons and menu
// items with every dialog answered as a user would: what they ask, what they change in
// the libraries, and what they report.
#include "CommandTestSupport.h"

#include "Interface/glypharamainframe.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/ffile.h>
#include <wx/filename.h>

namespace
{
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

wxString ReadFile(const wxString& path)
{
    wxFFile file(path, wxS("r"));
    wxString text;
    if (file.IsOpened())
        file.ReadAll(&text, wxConvUTF8);
    return text;
}

wxString Selected(CGlypharaCore* core)
{
    wxString name;
    core->GetSelectedEffect(name);
    return name;
}

wxString MakeFolder(const wxString& path)
{
    wxFileName::Mkdir(path, 0777, wxPATH_MKDIR_FULL);
    return path;
}
}

class EffectFontCommandsTest : public MainFrameTest
{
protected:
    wxString SystemEffects() const { return ProgramDir() + wxS("/Effects"); }
    wxString UserEffects() const { return StripTrailingSeparators(Core()->GetUserEffectDir()); }

    void ChooseEffect(const wxString& name)
    {
        wxChoice* choice = Find<wxChoice>(ID_EFFECT_CHOICE);
        ASSERT_NE(wxNOT_FOUND, choice->FindString(name)) << name;
        choice->SetStringSelection(name);
        wxCommandEvent event(wxEVT_CHOICE, ID_EFFECT_CHOICE);
        event.SetEventObject(choice);
        event.SetString(name);
        event.SetInt(choice->GetSelection());
        choice->HandleWindowEvent(event);
        ASSERT_EQ(name, Selected(Core()));
    }

    std::vector<ShownBox> boxes;
};

TEST_F(EffectFontCommandsTest, SavingAsksForANameAndAClearedNameSavesNothing)
{
    OpenFrame();
    // A filter of the user's own makes the selection "User defined".
    ChangeRecord([](FontProperties& record) {
        record.dropshadow.enabled = true;
        record.dropshadow.angle = 123;
    });
    ASSERT_EQ(wxS("User defined"), Selected(Core()));
    wxButton* save = Find<wxButton>(ID_SAVE_EFFECT_BUTTON);
    ASSERT_TRUE(save->IsEnabled());

    ShownEntry asked;
    wxTEST_DIALOG(ClickButton(save), TypeAnswer(wxEmptyString, wxID_OK, &asked));
    EXPECT_EQ(wxS("Effect name"), asked.caption);
    EXPECT_EQ(wxS("Name for the effect:"), asked.prompt);
    EXPECT_EQ(wxS("User defined"), asked.initial);
    EXPECT_TRUE(LogContains(wxS("User requests to save current effect as: ")));
    wxArrayString files;
    wxDir::GetAllFiles(UserEffects(), &files);
    EXPECT_TRUE(files.empty());
    EXPECT_EQ(wxS("User defined"), Selected(Core()));

    // Cancelled: the same.
    wxTEST_DIALOG(ClickButton(save), TypeAnswer(wxS("Dusk"), wxID_CANCEL));
    wxDir::GetAllFiles(UserEffects(), &files);
    EXPECT_TRUE(files.empty());

    // A name that looks like a format is a name like any other.
    wxTEST_DIALOG(ClickButton(save), TypeAnswer(wxS("Dusk 100% %s"), wxID_OK));
    EXPECT_EQ(wxS("Dusk 100% %s"), Selected(Core()));
    EXPECT_TRUE(ReadFile(UserEffects() + wxS("/Dusk 100% %s.xml")).Contains(wxS("effectname=\"Dusk 100% %s\"")));
    EXPECT_EQ(wxS("Dusk 100% %s"), Find<wxChoice>(ID_EFFECT_CHOICE)->GetStringSelection());
    EXPECT_EQ(123, Record().dropshadow.angle);
    EXPECT_FALSE(save->IsEnabled());
}

TEST_F(EffectFontCommandsTest, SavingWithAStoredEffectSelectedKeepsTheTagsFiltersAndAFailureIsShown)
{
    WriteEffect(SystemEffects() + wxS("/Glow.xml"), wxS("Glow"), 7);
    OpenFrame();
    // A combination of the user's own is remembered as "User defined"...
    ChangeRecord([](FontProperties& record) { record.bevel.enabled = true; });
    // ...then a stored effect is chosen; the menu command saves what the tag shows.
    ChooseEffect(wxS("Glow"));
    wxTEST_DIALOG(SendCommand(Frame(), ID_MENUITEM_SAVEEFFECT), TypeAnswer(wxS("Warm"), wxID_OK));
    EXPECT_EQ(wxS("Warm"), Selected(Core()));
    EXPECT_TRUE(Record().glow.enabled);
    EXPECT_EQ(7, Record().glow.strength);
    EXPECT_FALSE(Record().bevel.enabled);
    EXPECT_TRUE(ReadFile(UserEffects() + wxS("/Warm.xml")).Contains(wxS("strength=\"7\"")));

    // Nowhere to write.
    ChangeRecord([](FontProperties& record) { record.glow.strength = 9; });
    ASSERT_TRUE(wxFileName::Rmdir(UserEffects(), wxPATH_RMDIR_RECURSIVE));
    ASSERT_TRUE(wxFileName::Rmdir(SystemEffects(), wxPATH_RMDIR_RECURSIVE));
    wxTEST_DIALOG(ClickButton(Find<wxButton>(ID_SAVE_EFFECT_BUTTON)), TypeAnswer(wxS("Lost"), wxID_OK),
                  AnswerBox(wxID_OK, &boxes));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(wxS("Unable to save"), boxes[0].caption);
    EXPECT_EQ(wxS("Unable to save the effect"), boxes[0].message);
    EXPECT_EQ(wxICON_ERROR, boxes[0].icon);
    EXPECT_EQ(9, Record().glow.strength);
}

TEST_F(EffectFontCommandsTest, DeletingASystemEffectAsksTwiceAndNoLeavesItInPlace)
{
    const wxString glow = SystemEffects() + wxS("/Glow.xml");
    WriteEffect(glow, wxS("Glow"), 7);
    OpenFrame();
    ChooseEffect(wxS("Glow"));
    wxButton* remove = Find<wxButton>(ID_DELETE_EFFECT_BUTTON);

    // No to the first question: nothing more is asked.
    wxTEST_DIALOG(ClickButton(remove), AnswerBox(wxID_NO, &boxes));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(wxS("Confirm"), boxes[0].caption);
    EXPECT_EQ(wxS("Are you sure you want to delete this effect?"), boxes[0].message);
    EXPECT_EQ(wxICON_QUESTION, boxes[0].icon);
    EXPECT_TRUE(boxes[0].yesNo);
    EXPECT_TRUE(wxFileExists(glow));

    // Yes, then No to the system-effect warning.
    boxes.clear();
    wxTEST_DIALOG(ClickButton(remove), AnswerBox(wxID_YES, &boxes), AnswerBox(wxID_NO, &boxes));
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(wxS("Warning"), boxes[1].caption);
    EXPECT_EQ(wxS("Selected effect is a system effect. Do you really want to delete it?"), boxes[1].message);
    EXPECT_EQ(wxICON_WARNING, boxes[1].icon);
    EXPECT_TRUE(boxes[1].yesNo);
    EXPECT_TRUE(wxFileExists(glow));
    EXPECT_EQ(wxS("Glow"), Selected(Core()));

    // Yes twice: gone, and the tag is left without filters.
    wxTEST_DIALOG(SendCommand(Frame(), ID_MENUITEM_DELETEEFFECT), AnswerBox(wxID_YES, &boxes),
                  AnswerBox(wxID_YES, &boxes));
    EXPECT_FALSE(wxFileExists(glow));
    EXPECT_EQ(wxS("None"), Selected(Core()));
    EXPECT_FALSE(Record().glow.enabled);
    EXPECT_EQ(wxNOT_FOUND, Find<wxChoice>(ID_EFFECT_CHOICE)->FindString(wxS("Glow")));
    EXPECT_FALSE(remove->IsEnabled());
}

TEST_F(EffectFontCommandsTest, ImportReportsWhatWasImportedAndWhatWasNot)
{
    OpenFrame();
    const wxString one = MakeFolder(Home() + wxS("/one"));
    WriteEffect(one + wxS("/a.xml"), wxS("Ember 50%"), 4);

    ShownChooser asked;
    wxTEST_DIALOG(SendCommand(Frame(), ID_MENUITEM_IMPORTEFFECTS), ChooseAllFilesIn(one, 1, &asked),
                  AnswerBox(wxID_OK, &boxes));
    EXPECT_EQ(wxS("Choose effect files to import"), asked.message);
    EXPECT_EQ(wxS("*.xml"), asked.wildcard);
    EXPECT_EQ(wxEmptyString, asked.folder);
    EXPECT_TRUE(asked.style & wxFD_MULTIPLE);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(wxS("Effects imported"), boxes[0].caption);
    EXPECT_EQ(wxS("1 effect has been imported:\n - Ember 50%"), boxes[0].message);
    EXPECT_EQ(wxICON_INFORMATION, boxes[0].icon);
    EXPECT_NE(wxNOT_FOUND, Find<wxChoice>(ID_EFFECT_CHOICE)->FindString(wxS("Ember 50%")));

    // Two good files, one of them a name already taken, and a broken one; the tool.
    const wxString mixed = MakeFolder(Home() + wxS("/mixed"));
    WriteEffect(mixed + wxS("/a.xml"), wxS("Ember 50%"), 5);
    {
        wxFFile broken(mixed + wxS("/b %s broken.xml"), wxS("w"));
        broken.Write(wxS("<GlypharaEffect><effect"));
    }
    WriteEffect(mixed + wxS("/c.xml"), wxS("Frost %d"), 6);
    boxes.clear();
    wxTEST_DIALOG(SendCommand(Frame(), ID_TOOL_IMPORTEFFECTS), ChooseAllFilesIn(mixed, 3), AnswerBox(wxID_OK, &boxes));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(wxS("Unable to import"), boxes[0].caption);
    EXPECT_EQ(wxS("2 effects have been imported:\n - Ember 50%(1)\n - Frost %d\n\n"
                  "These effect files could not be imported:\n - ") +
                  mixed + wxS("/b %s broken.xml"),
              boxes[0].message);
    EXPECT_EQ(wxICON_ERROR, boxes[0].icon);

    // Only broken files.
    const wxString bad = MakeFolder(Home() + wxS("/bad"));
    {
        wxFFile broken(bad + wxS("/x.xml"), wxS("w"));
        broken.Write(wxS("<other/>"));
    }
    boxes.clear();
    wxTEST_DIALOG(SendCommand(Frame(), ID_MENUITEM_IMPORTEFFECTS), ChooseAllFilesIn(bad, 1),
                  AnswerBox(wxID_OK, &boxes));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(wxS("Unable to import"), boxes[0].caption);
    EXPECT_EQ(wxS("0 effects have been imported\n\nThese effect files could not be imported:\n - ") + bad +
                  wxS("/x.xml"),
              boxes[0].message);

    // Cancelled: nothing is shown.
    wxTEST_DIALOG(SendCommand(Frame(), ID_MENUITEM_IMPORTEFFECTS), ChooseAllFilesIn(wxEmptyString, 0));
    EXPECT_TRUE(LogContains(wxS("No files have been choosen")));
}

TEST_F(EffectFontCommandsTest, ExportNeedsAStoredEffectAndAsksBeforeOverwriting)
{
    WriteEffect(SystemEffects() + wxS("/Glow.xml"), wxS("100% Glow %s"), 7);
    OpenFrame();

    // "None": no folder is asked for.
    wxTEST_DIALOG(SendCommand(Frame(), ID_MENUITEM_EXPORTEFFECT), AnswerBox(wxID_OK, &boxes));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(wxS("Error"), boxes[0].caption);
    EXPECT_EQ(wxS("No effect is selected."), boxes[0].message);
    EXPECT_EQ(wxICON_ERROR, boxes[0].icon);

    ChangeRecord([](FontProperties& record) { record.bevel.enabled = true; });
    boxes.clear();
    wxTEST_DIALOG(SendCommand(Frame(), ID_TOOL_EXPORTEFFECT), AnswerBox(wxID_OK, &boxes));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(wxS("You must save your effect before exporting it."), boxes[0].message);

    ChooseEffect(wxS("100% Glow %s"));
    const wxString out = MakeFolder(Home() + wxS("/out"));
    ShownChooser asked;
    boxes.clear();
    wxTEST_DIALOG(SendCommand(Frame(), ID_MENUITEM_EXPORTEFFECT), ChooseFolder(out, &asked),
                  AnswerBox(wxID_OK, &boxes));
    EXPECT_EQ(wxS("Choose a folder for \"100% Glow %s\" effect:"), asked.message);
    EXPECT_EQ(wxEmptyString, asked.folder);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(wxS("Information"), boxes[0].caption);
    EXPECT_EQ(wxS("Your effect has been saved as:\n") + out + wxS("/Glow.xml"), boxes[0].message);
    EXPECT_EQ(wxICON_INFORMATION, boxes[0].icon);
    EXPECT_EQ(ReadFile(SystemEffects() + wxS("/Glow.xml")), ReadFile(out + wxS("/Glow.xml")));

    // Onto the existing copy: No leaves it, Yes replaces it.
    {
        wxFFile mine(out + wxS("/Glow.xml"), wxS("w"));
        mine.Write(wxS("mine"));
    }
    boxes.clear();
    wxTEST_DIALOG(SendCommand(Frame(), ID_MENUITEM_EXPORTEFFECT), ChooseFolder(out), AnswerBox(wxID_NO, &boxes));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(wxS("Warning"), boxes[0].caption);
    EXPECT_EQ(wxS("A file with the same name already exists.\nDo you want to overwrite it?"), boxes[0].message);
    EXPECT_EQ(wxICON_WARNING, boxes[0].icon);
    EXPECT_TRUE(boxes[0].yesNo);
    EXPECT_EQ(wxS("mine"), ReadFile(out + wxS("/Glow.xml")));

    boxes.clear();
    wxTEST_DIALOG(SendCommand(Frame(), ID_MENUITEM_EXPORTEFFECT), ChooseFolder(out), AnswerBox(wxID_YES, &boxes),
                  AnswerBox(wxID_OK, &boxes));
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(wxS("Your effect has been saved as:\n") + out + wxS("/Glow.xml"), boxes[1].message);
    EXPECT_EQ(ReadFile(SystemEffects() + wxS("/Glow.xml")), ReadFile(out + wxS("/Glow.xml")));

    // A folder that is not there; a cancelled chooser.
    boxes.clear();
    wxTEST_DIALOG(SendCommand(Frame(), ID_MENUITEM_EXPORTEFFECT), ChooseFolder(Home() + wxS("/nowhere")),
                  AnswerBox(wxID_OK, &boxes));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(wxS("Error"), boxes[0].caption);
    EXPECT_EQ(wxS("Invalid directory."), boxes[0].message);
    EXPECT_EQ(wxICON_INFORMATION, boxes[0].icon);
    wxTEST_DIALOG(SendCommand(Frame(), ID_MENUITEM_EXPORTEFFECT), ChooseFolder(wxEmptyString));
}

TEST_F(EffectFontCommandsTest, FontImportOffersMoviesAndPicturesAndReportsEachOutcome)
{
    OpenFrame();
    const wxString userFonts = StripTrailingSeparators(Core()->GetUserFontDir());
    ASSERT_FALSE(userFonts.empty());

    const wxString good = MakeFolder(Home() + wxS("/good"));
    MakeFontFile(good + wxS("/Type Co___Big Sans.swf"));
    MakeFontFile(good + wxS("/Type Co___Big Sans.png"));
    ShownChooser asked;
    wxTEST_DIALOG(ClickButton(Find<wxWindow>(ID_IMPORTFONTS_BUTTON)), ChooseAllFilesIn(good, 2, &asked),
                  AnswerBox(wxID_OK, &boxes));
    EXPECT_EQ(wxS("Choose font files to import"), asked.message);
    EXPECT_EQ(wxS("Font files (*.swf;*.png)|*.swf;*.png"), asked.wildcard);
    EXPECT_TRUE(asked.style & wxFD_MULTIPLE);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(wxS("All fonts imported"), boxes[0].caption);
    EXPECT_EQ(wxS("All the fonts have been successfully imported."), boxes[0].message);
    EXPECT_EQ(wxICON_INFORMATION, boxes[0].icon);
    EXPECT_TRUE(wxFileExists(userFonts + wxS("/Type_Co/Big_Sans.swf")));
    EXPECT_TRUE(wxFileExists(userFonts + wxS("/Type_Co/Big_Sans.png")));

    // One good, one without a font name.
    const wxString some = MakeFolder(Home() + wxS("/some"));
    MakeFontFile(some + wxS("/Other.swf"));
    MakeFontFile(some + wxS("/Type Co___.swf"));
    boxes.clear();
    wxTEST_DIALOG(SendCommand(Frame(), ID_MENUITEM_IMPORTFONTS), ChooseAllFilesIn(some, 2), AnswerBox(wxID_OK, &boxes));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(wxS("Some fonts imported"), boxes[0].caption);
    EXPECT_EQ(wxS("These files could not be imported:\n\n - ") + some + wxS("/Type Co___.swf"), boxes[0].message);
    EXPECT_EQ(wxICON_INFORMATION, boxes[0].icon);
    EXPECT_TRUE(wxFileExists(userFonts + wxS("/Other.swf")));

    // Nothing made it: a failure, not a partial success.
    const wxString none = MakeFolder(Home() + wxS("/none"));
    MakeFontFile(none + wxS("/A___.png"));
    boxes.clear();
    wxTEST_DIALOG(SendCommand(Frame(), ID_TOOL_IMPORTFONTS), ChooseAllFilesIn(none, 1), AnswerBox(wxID_OK, &boxes));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(wxS("Unable to import"), boxes[0].caption);
    EXPECT_EQ(wxS("These files could not be imported:\n\n - ") + none + wxS("/A___.png"), boxes[0].message);
    EXPECT_EQ(wxICON_ERROR, boxes[0].icon);

    // The user's font folder has gone.
    ASSERT_TRUE(wxFileName::Rmdir(userFonts, wxPATH_RMDIR_RECURSIVE));
    boxes.clear();
    wxTEST_DIALOG(SendCommand(Frame(), ID_MENUITEM_IMPORTFONTS), ChooseAllFilesIn(good, 2), AnswerBox(wxID_OK, &boxes));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(wxS("Unable to import"), boxes[0].caption);
    EXPECT_EQ(wxS("No font has been imported: the folder for your fonts is missing."), boxes[0].message);
    EXPECT_EQ(wxICON_ERROR, boxes[0].icon);

    wxTEST_DIALOG(SendCommand(Frame(), ID_MENUITEM_IMPORTFONTS), ChooseAllFilesIn(wxEmptyString, 0));
    EXPECT_EQ(1, LogCount(wxS("No files have been choosen")));
}
