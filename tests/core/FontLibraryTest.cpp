#include "MovieBuilder.h"
#include "TestSupport.h"

#include "core/CoreNames.h"
#include "core/FontListModel.h"
#include "core/GlypharaCore.h"

#include <wx/filefn.h>
#include <wx/filename.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <tuple>
#include <vector>

namespace
{
typedef std::vector<wxString> Rows;

// The rows of the font list, written out piece by piece.
wxString TextHeader(const wxString& name)
{
    return wxS("<TABLE BGCOLOR=\"") + wxString(wxS("#A6CE38")) +
           wxS("\" cellspacing=0 cellpadding=5 BORDER=0><tr><TD WIDTH=2500 VALIGN=BOTTOM><font size=3><b>") + name +
           wxS("</b></font></TD></tr></TABLE>");
}

wxString ImageHeader(const wxString& folder)
{
    return wxS("<TABLE BGCOLOR=\"") + wxString(wxS("#A6CE38")) +
           wxS("\" cellspacing=0 cellpadding=0 BORDER=5><tr><TD WIDTH=2500 VALIGN=MIDDLE><IMG SRC=\"") + folder +
           wxS("/") + wxS("foundry.png") + wxS("\"></TD></tr></TABLE>");
}

wxString FontRow(const wxString& path, const wxString& shown, const wxString& preview = wxString())
{
    wxString row = wxS("<TABLE ") + wxString(wxS("fontfullpath")) + wxS("=\"") + path +
                   wxS("\" cellspacing=0 cellpadding=0 BORDER=0><tr><td width=10></td><TD WIDTH=160 "
                       "VALIGN=MIDDLE><font size=2>") +
                   shown;
    if (!preview.empty())
        return row + wxS("</font></TD><TD VALIGN=MIDDLE><IMG SRC=\"") + preview + wxS("\"></TD></tr></TABLE>");
    return row + wxS("</font></TD><TD VALIGN=MIDDLE><font size=2 color=gray><i>") +
           wxS("Custom Font, Preview Not Available") + wxS("</i></font></TD></tr></TABLE>");
}

wxString AddMoreRow(const wxString& name)
{
    return wxS("<TABLE ") + wxString(wxS("addfontsfromweb")) + wxS("=\"") + name +
           wxS("\" cellspacing=0 cellpadding=0 BORDER=0><tr><td width=10></td><TD WIDTH=2500 VALIGN=TOP><a "
               "STYLE=\"text-decoration:none\" href=\"") +
           wxString(kMakerWebSite) + wxS("\"><font size=1 color=\"#606060\">Add more fonts from ") + name +
           wxS("...</font></a></TD></tr></TABLE>");
}

void Touch(const wxString& path, const std::string& content = std::string())
{
    WriteTextFile(path, content);
}

// What import accepts: a font movie with a font the runtime draws with, and a PNG picture.
std::string MovieText(const char* letters)
{
    const std::vector<uint8_t> bytes = MovieFile({Face(CodesOf(wxString::FromUTF8(letters)))}, false);
    return std::string(bytes.begin(), bytes.end());
}
const std::string kPngText = std::string("\x89PNG\r\n\x1a\n", 8) + "picture";

// Makes a folder look untouched for an hour, as font folders usually are.
void MakeOld(const wxString& folder)
{
    const timespec times[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    utimensat(AT_FDCWD, folder.fn_str(), times, 0);
}

class FontLibraryTest : public CoreTest
{
protected:
    static int CountControls(void* self)
    {
        ++static_cast<FontLibraryTest*>(self)->controlUpdates;
        return 0;
    }
    static int IgnoreFlash(void*, int) { return 0; }

    void InitWithCallbacks()
    {
        ASSERT_EQ(RC_OK, InitCore());
        ASSERT_EQ(RC_OK, Core()->SetInterfaceCallbacks(this, CountControls, IgnoreFlash));
        controlUpdates = 0;
    }

    Rows List(wxString* selected = nullptr)
    {
        wxArrayString rows;
        wxString row;
        EXPECT_EQ(RC_OK, Core()->GetInstalledFontList(rows, row));
        if (selected)
            *selected = row;
        return Rows(rows.begin(), rows.end());
    }

    FontProperties Selected()
    {
        FontProperties record;
        EXPECT_EQ(RC_OK, Core()->GetSelectedFontProperties(record));
        return record;
    }

    bool HasFont(const wxString& foundry, const wxString& font, wxString* path = nullptr)
    {
        const FontTable& table = Core()->GetFontTable();
        const auto inFoundry = table.find(foundry);
        if (inFoundry == table.end() || !inFoundry->second.count(font))
            return false;
        if (path)
            *path = inFoundry->second.at(font);
        return true;
    }

    int controlUpdates = 0;
};

TEST_F(FontLibraryTest, ScanNamesFontsAndSkipsInvalidHiddenAndDeepEntries)
{
    Touch(UserFontDir() + wxS("Big_Sans.swf"));
    Touch(UserFontDir() + wxS("Upper.SWF"));
    Touch(UserFontDir() + wxS("Big Sans.swf"));
    Touch(UserFontDir() + wxS("notes.txt"));
    Touch(UserFontDir() + wxS(".Hidden.swf"));
    Touch(UserFontDir() + wxS("Type Co/Alpha.swf"));
    Touch(UserFontDir() + wxS("Type Co/Beta_One.swf"));
    Touch(UserFontDir() + wxS("Type Co/Bad Name.swf"));
    Touch(UserFontDir() + wxS(".Secret/Gamma.swf"));
    Touch(UserFontDir() + wxS("Deep/Inner/Too_Deep.swf"));
    Touch(UserFontDir() + wxS("Real_Co/Delta [bold].swf"));
    Touch(UserFontDir() + wxS("Real_Co/Epsilon_[bold][italic].swf"));
    Touch(UserFontDir() + wxString::FromUTF8("Real_Co/Caf\xc3\xa9_Noir.swf"));
    ASSERT_EQ(RC_OK, InitCore());

    const FontTable& table = Core()->GetFontTable();
    ASSERT_EQ(2u, table.size());
    wxString path;
    EXPECT_TRUE(HasFont(wxEmptyString, wxS("Big Sans"), &path));
    EXPECT_EQ(UserFontDir() + wxS("Big_Sans.swf"), path);
    EXPECT_TRUE(HasFont(wxEmptyString, wxS("Upper")));
    EXPECT_EQ(2u, table.at(wxEmptyString).size());
    EXPECT_TRUE(HasFont(wxS("Real Co"), wxS("Epsilon [bold][italic]")));
    EXPECT_TRUE(HasFont(wxS("Real Co"), wxString::FromUTF8("Caf\xc3\xa9 Noir")));
    EXPECT_EQ(2u, table.at(wxS("Real Co")).size());

    EXPECT_EQ(1, log->Count(wxS("Invalid font file name: Big Sans")));
    EXPECT_EQ(1, log->Count(wxS("Invalid font file name: Bad Name")));
    EXPECT_EQ(1, log->Count(wxS("Invalid font file name: Delta [bold]")));
    // One line per otherwise valid file of the rejected foundry.
    EXPECT_EQ(2, log->Count(wxS("Invalid fondry folder name: Type Co")));
    EXPECT_TRUE(log->Contains(wxS("4 fonts found at ") + SystemFontDir()));
}

TEST_F(FontLibraryTest, StyleMarkersNameTheStylesAFontOffers)
{
    bool regular = false, italic = false, bold = false, boldItalic = true;
    EXPECT_EQ(RC_NOT_INITIALIZED, Core()->GetFontSupportedStyles(wxS("Big Sans"), regular, italic, bold, boldItalic));
    EXPECT_TRUE(!regular && !italic && !bold && boldItalic) << "flags left as they were";
    ASSERT_EQ(RC_OK, InitCore());

    const struct
    {
        const char* font;
        bool regular, italic, bold, boldItalic;
    } cases[] = {
        {"Big Sans", true, true, true, false},
        {"Big Sans [bold][italic]", false, true, true, false},
        {"Big Sans [bolditalic]", false, false, false, true},
        {"Big Sans [regular][bolditalic]", true, false, false, true},
        {"Big Sans [Bold]", true, true, true, false}, // markers are case-sensitive
    };
    for (const auto& c : cases)
    {
        ASSERT_EQ(RC_OK, Core()->GetFontSupportedStyles(wxString::FromUTF8(c.font), regular, italic, bold, boldItalic));
        EXPECT_EQ(c.regular, regular) << c.font;
        EXPECT_EQ(c.italic, italic) << c.font;
        EXPECT_EQ(c.bold, bold) << c.font;
        EXPECT_EQ(c.boldItalic, boldItalic) << c.font;
    }
}

TEST_F(FontLibraryTest, SameFontInBothFoldersKeepsTheSystemFileAndCountsBoth)
{
    Touch(UserFontDir() + wxS("Type_Co/Big_Sans.swf"));
    Touch(SystemFontDir() + wxS("Type_Co/Big_Sans.swf"));
    ASSERT_EQ(RC_OK, InitCore());
    wxString path;
    ASSERT_TRUE(HasFont(wxS("Type Co"), wxS("Big Sans"), &path));
    EXPECT_EQ(SystemFontDir() + wxS("Type_Co/Big_Sans.swf"), path);
    EXPECT_TRUE(log->Contains(wxS("2 fonts found at ") + SystemFontDir()));
}

TEST_F(FontLibraryTest, MissingFoldersAndUninitialisedCore)
{
    wxArrayString rows, failed;
    wxString row;
    EXPECT_EQ(RC_NOT_INITIALIZED, Core()->BuildFontLists());
    EXPECT_EQ(RC_NOT_INITIALIZED, Core()->UpdateFontList(false));
    EXPECT_EQ(RC_NOT_INITIALIZED, Core()->GetInstalledFontList(rows, row));
    EXPECT_EQ(RC_NOT_INITIALIZED, Core()->SelectInstalledFont(row, true, false, false));
    EXPECT_EQ(RC_NOT_INITIALIZED, Core()->ImportFonts(rows, failed));
    EXPECT_EQ(RC_NOT_INITIALIZED, Core()->LaunchMoldwright());

    Touch(SystemFontDir() + wxS("Type_Co/Alpha.swf"));
    ASSERT_EQ(RC_OK, InitCore());
    ASSERT_TRUE(wxFileName::Rmdir(UserFontDir(), wxPATH_RMDIR_RECURSIVE));
    EXPECT_EQ(RC_OK, Core()->BuildFontLists());
    EXPECT_TRUE(HasFont(wxS("Type Co"), wxS("Alpha")));

    ASSERT_TRUE(wxFileName::Rmdir(SystemFontDir(), wxPATH_RMDIR_RECURSIVE));
    EXPECT_EQ(RC_DIRECTORY_MISSING, Core()->BuildFontLists());
    EXPECT_TRUE(log->Contains(wxS("No font director exists")));
    EXPECT_TRUE(Core()->GetFontTable().empty());
    EXPECT_TRUE(List().empty());
}

TEST_F(FontLibraryTest, UpdateOnlyIfChangedSeesEveryFileBelowTheUserFolder)
{
    Touch(UserFontDir() + wxS("Type_Co/Alpha.swf"), "one");
    Touch(UserFontDir() + wxString::FromUTF8("Type_Co/\xc3\x9c" "ber.swf"));
    InitWithCallbacks();
    const unsigned long revision = Core()->GetFontTableRevision();

    EXPECT_EQ(RC_OK, Core()->UpdateFontList(true));
    EXPECT_EQ(0, controlUpdates);
    EXPECT_TRUE(log->Contains(wxS("No changes in user fonts directory")));
    EXPECT_EQ(revision, Core()->GetFontTableRevision());

    // Same path, other content: no change.
    Touch(UserFontDir() + wxS("Type_Co/Alpha.swf"), "other content");
    Core()->UpdateFontList(true);
    EXPECT_EQ(0, controlUpdates);

    // Too deep to be a font, but still a change; and so is its removal.
    Touch(UserFontDir() + wxS("Type_Co/Sub/Deeper.swf"));
    log->Clear();
    Core()->UpdateFontList(true);
    EXPECT_EQ(1, controlUpdates);
    EXPECT_TRUE(log->Contains(wxS("Changes found in user fonts directory")));
    EXPECT_NE(revision, Core()->GetFontTableRevision());
    EXPECT_EQ(1u, Core()->GetFontTable().size());
    Core()->UpdateFontList(true);
    EXPECT_EQ(1, controlUpdates);
    ASSERT_TRUE(wxRemoveFile(UserFontDir() + wxS("Type_Co/Sub/Deeper.swf")));
    Core()->UpdateFontList(true);
    EXPECT_EQ(2, controlUpdates);

    Touch(UserFontDir() + wxS(".hidden"));
    Touch(UserFontDir() + wxS("Beta.swf"));
    Core()->UpdateFontList(true);
    EXPECT_EQ(3, controlUpdates);
    EXPECT_TRUE(HasFont(wxEmptyString, wxS("Beta")));

    Core()->UpdateFontList(false);
    EXPECT_EQ(4, controlUpdates);
}

TEST_F(FontLibraryTest, RowsListFoundriesThenMyFontsWithPreviewsAndHeaders)
{
    Touch(UserFontDir() + wxS("Big_Sans_[bold].swf"));
    Touch(UserFontDir() + wxS("Type_Co/Alpha.swf"));
    Touch(UserFontDir() + wxS("Type_Co/Beta.swf"));
    Touch(UserFontDir() + wxS("Type_Co/Beta.png"));
    Touch(SystemFontDir() + wxS("Zed/Omega.swf"));
    Touch(SystemFontDir() + wxS("Zed/foundry.png"));
    ASSERT_EQ(RC_OK, InitCore());

    const wxString type = UserFontDir() + wxS("Type_Co/");
    wxString selected;
    const Rows expected = {
        TextHeader(wxS("Type Co")),
        FontRow(type + wxS("Alpha.swf"), wxS("Alpha")),
        FontRow(type + wxS("Beta.swf"), wxS("Beta"), type + wxS("Beta.png")),
        AddMoreRow(wxS("Type Co")),
        ImageHeader(SystemFontDir() + wxS("Zed")),
        FontRow(SystemFontDir() + wxS("Zed/Omega.swf"), wxS("Omega")),
        AddMoreRow(wxS("Zed")),
        TextHeader(wxS("My Fonts")),
        FontRow(UserFontDir() + wxS("Big_Sans_[bold].swf"), wxS("Big Sans ")),
    };
    EXPECT_EQ(expected, List(&selected));
    // A new project takes the first font of the list.
    EXPECT_EQ(expected[1], selected);
    EXPECT_EQ(wxS("Type Co"), Selected().foundry);
    EXPECT_EQ(wxS("Alpha"), Selected().font);
}

TEST_F(FontLibraryTest, PicturesAreLookedForWhenTheListIsBuilt)
{
    Touch(UserFontDir() + wxS("Type_Co/Alpha.swf"));
    Touch(SystemFontDir() + wxS("Type_Co/Beta.swf"));
    Touch(SystemFontDir() + wxS("Type_Co/foundry.png"));
    MakeOld(UserFontDir() + wxS("Type_Co"));
    MakeOld(SystemFontDir() + wxS("Type_Co"));
    ASSERT_EQ(RC_OK, InitCore());

    // The header picture counts only next to the foundry's first font.
    Rows rows = List();
    ASSERT_EQ(4u, rows.size());
    EXPECT_EQ(TextHeader(wxS("Type Co")), rows[0]);

    const wxString folder = UserFontDir() + wxS("Type_Co");
    Touch(folder + wxS("/foundry.png"));
    Touch(folder + wxS("/Alpha.png"));
    rows = List();
    EXPECT_EQ(ImageHeader(folder), rows[0]);
    EXPECT_EQ(FontRow(folder + wxS("/Alpha.swf"), wxS("Alpha"), folder + wxS("/Alpha.png")), rows[1]);

    ASSERT_TRUE(wxRemoveFile(folder + wxS("/Alpha.png")));
    EXPECT_EQ(FontRow(folder + wxS("/Alpha.swf"), wxS("Alpha")), List()[1]);
}

TEST_F(FontLibraryTest, MovesStepOverHeadersAndTurnAtBothEnds)
{
    Touch(UserFontDir() + wxS("A_Co/A1.swf"));
    Touch(UserFontDir() + wxS("B_Co/B1.swf"));
    Touch(UserFontDir() + wxS("B_Co/B2.swf"));
    InitWithCallbacks();
    const Rows rows = List();
    ASSERT_EQ(7u, rows.size()); // A header, A1, A more, B header, B1, B2, B more

    auto fontAfter = [&](const wxString& entry, bool byMouse, bool up, bool down) {
        EXPECT_EQ(RC_OK, Core()->SelectInstalledFont(entry, byMouse, up, down));
        return Selected().font;
    };
    EXPECT_EQ(wxS("B1"), fontAfter(rows[3], true, false, false));
    EXPECT_EQ(wxS("A1"), fontAfter(rows[0], false, true, false));
    EXPECT_EQ(wxS("B2"), fontAfter(rows[6], false, false, true));
    EXPECT_EQ(wxS("B1"), fontAfter(rows[2], false, false, true));
    EXPECT_EQ(wxS("A1"), fontAfter(rows[3], false, true, false));
    EXPECT_EQ(wxS("B2"), fontAfter(rows[5], false, false, false));
    EXPECT_EQ(wxS("B Co"), Selected().foundry);

    // A header without arrow keys or mouse only refreshes the window.
    controlUpdates = 0;
    EXPECT_EQ(RC_OK, Core()->SelectInstalledFont(rows[0], false, false, false));
    EXPECT_EQ(1, controlUpdates);
    EXPECT_EQ(wxS("B2"), Selected().font);
    EXPECT_TRUE(openedUrls.empty());
}

TEST_F(FontLibraryTest, AddMoreClickOpensTheShopPageOnceAndRefreshes)
{
    Touch(UserFontDir() + wxS("Type_Co/Alpha.swf"));
    Touch(UserFontDir() + wxS("Big_Sans.swf"));
    InitWithCallbacks();
    const Rows rows = List();
    ASSERT_EQ(5u, rows.size());
    ASSERT_EQ(AddMoreRow(wxS("Type Co")), rows[2]);

    EXPECT_EQ(RC_OK, Core()->SelectInstalledFont(rows[2], true, false, false));
    ASSERT_EQ(1u, openedUrls.size());
    EXPECT_TRUE(openedUrls[0].StartsWith(wxS("file://")));
    EXPECT_TRUE(openedUrls[0].EndsWith(wxS("/Manuals/fonts.html")));
    EXPECT_EQ(1, controlUpdates);
    EXPECT_TRUE(log->Contains(wxS("Launching default browser to add more fonts")));
    EXPECT_EQ(wxS("Alpha"), Selected().font);

    // Down from the add-more row reaches the next block's first font.
    EXPECT_EQ(RC_OK, Core()->SelectInstalledFont(rows[2], false, false, true));
    EXPECT_EQ(wxS("Big Sans"), Selected().font);
    EXPECT_EQ(wxEmptyString, Selected().foundry);
    EXPECT_EQ(1u, openedUrls.size());
}

TEST_F(FontLibraryTest, ShortListRefusesToMoveAndUnknownFontsKeepTheTagFont)
{
    Touch(UserFontDir() + wxS("Type_Co/Alpha.swf"));
    ASSERT_EQ(RC_OK, InitCore());
    const Rows rows = List();
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ(RC_FAILED, Core()->SelectInstalledFont(rows[0], true, false, false));
    EXPECT_EQ(RC_FAILED, Core()->SelectInstalledFont(rows[2], false, true, false));

    const wxString gone = FontRow(UserFontDir() + wxS("Gone_Co/Gone.swf"), wxS("Gone"));
    EXPECT_EQ(RC_OK, Core()->SelectInstalledFont(gone, true, false, false));
    EXPECT_TRUE(log->Contains(wxS("Selected font: Gone does not exist in the foundry: Gone Co")));
    EXPECT_EQ(wxS("Alpha"), Selected().font);
}

// Fonts without a name never come from a scan, but a project file can bring them along
// with its own copies; a move through such a list must still end.
TEST_F(FontLibraryTest, MoveThroughAListWithoutFontRowsEnds)
{
    ASSERT_EQ(RC_OK, InitCore());
    const wxString site = ProgramDir() + wxS("/site");
    WriteTextFile(site + wxS("/a.swf"), "FWS");
    WriteTextFile(site + wxS("/b.swf"), "FWS");
    WriteTextFile(site + wxS("/odd.xml"),
                  "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                  "<GlypharaProject appname=\"Glyphara\" version=\"4.1\" build=\"20081220\">\n"
                  " <project projectname=\"odd\">\n"
                  "  <tags><h1/></tags>\n"
                  "  <files>\n"
                  "   <fonts>\n"
                  "    <font filename=\"a.swf\" dir=\"\" fontname=\"\" foundryname=\"A\"/>\n"
                  "    <font filename=\"b.swf\" dir=\"\" fontname=\"\" foundryname=\"B\"/>\n"
                  "   </fonts>\n"
                  "  </files>\n"
                  " </project>\n"
                  "</GlypharaProject>\n");
    Core()->LoadXMLProject(site + wxS("/odd.xml"));
    ASSERT_TRUE(HasFont(wxS("A"), wxEmptyString));
    ASSERT_TRUE(HasFont(wxS("B"), wxEmptyString));

    const Rows rows = List();
    ASSERT_EQ(4u, rows.size());
    for (const wxString& row : rows)
        ASSERT_FALSE(row.Contains(wxS("fontfullpath")));
    EXPECT_EQ(RC_FAILED, Core()->SelectInstalledFont(rows[0], true, false, false));
    EXPECT_EQ(RC_FAILED, Core()->SelectInstalledFont(rows[3], false, false, true));
    EXPECT_EQ(RC_FAILED, Core()->SelectInstalledFont(rows[1], false, true, false));
}

// File names may hold what HTML gives a meaning: in a row they stand as character
// references, and choosing the row still gives the font.
TEST_F(FontLibraryTest, NamesWithMarkupCharactersAreEscapedInRowsAndStillSelect)
{
    const wxString rock = UserFontDir() + wxS("Rock&Roll");
    Touch(rock + wxS("/Say_\"Hi\"_<b>.swf"));
    Touch(rock + wxS("/Say_\"Hi\"_<b>.png"));
    Touch(rock + wxS("/Zed.swf"));
    Touch(UserFontDir() + wxS("Q<1>/foundry.png"));
    Touch(UserFontDir() + wxS("Q<1>/A&B.swf"));
    InitWithCallbacks();

    const wxString rockRef = UserFontDir() + wxS("Rock&amp;Roll");
    const wxString sayRef = wxS("Say_&quot;Hi&quot;_&lt;b&gt;");
    const Rows expected = {
        ImageHeader(UserFontDir() + wxS("Q&lt;1&gt;")),
        FontRow(UserFontDir() + wxS("Q&lt;1&gt;/A&amp;B.swf"), wxS("A&amp;B")),
        AddMoreRow(wxS("Q&lt;1&gt;")),
        TextHeader(wxS("Rock&amp;Roll")),
        FontRow(rockRef + wxS("/") + sayRef + wxS(".swf"), wxS("Say &quot;Hi&quot; &lt;b&gt;"),
                rockRef + wxS("/") + sayRef + wxS(".png")),
        FontRow(rockRef + wxS("/Zed.swf"), wxS("Zed")),
        AddMoreRow(wxS("Rock&amp;Roll")),
    };
    const Rows rows = List();
    EXPECT_EQ(expected, rows);

    EXPECT_EQ(RC_OK, Core()->SelectInstalledFont(rows[4], true, false, false));
    EXPECT_EQ(wxS("Rock&Roll"), Selected().foundry);
    EXPECT_EQ(wxS("Say \"Hi\" <b>"), Selected().font);
    EXPECT_TRUE(log->Contains(wxS("Parsed font full path: ") + rock + wxS("/Say_\"Hi\"_<b>.swf")));
    wxString selected;
    List(&selected);
    EXPECT_EQ(rows[4], selected);
    // Moves pass over the escaped rows like any others.
    EXPECT_EQ(RC_OK, Core()->SelectInstalledFont(rows[3], false, true, false));
    EXPECT_EQ(wxS("A&B"), Selected().font);
    EXPECT_EQ(wxS("Q<1>"), Selected().foundry);
    // A row of an earlier list, no longer in this one, is read with its references.
    const wxString earlier = FontRow(rockRef + wxS("/Gone_&amp;_Away.swf"), wxS("Gone &amp; Away"));
    EXPECT_EQ(RC_OK, Core()->SelectInstalledFont(earlier, true, false, false));
    EXPECT_TRUE(log->Contains(wxS("Selected font: Gone & Away does not exist in the foundry: Rock&Roll")));
}

// The main window compares the list's revision instead of thousands of row texts, and
// a rescan recomposes only the rows that changed.
TEST_F(FontLibraryTest, TheModelKeepsUnchangedRowsAndItsRevisionUntilSomethingChanges)
{
    Touch(UserFontDir() + wxS("Type_Co/Alpha.swf"));
    Touch(UserFontDir() + wxS("Type_Co/Beta.swf"));
    Touch(UserFontDir() + wxS("Big_Sans_[bold].swf"));
    MakeOld(UserFontDir() + wxS("Type_Co"));
    MakeOld(UserFontDir());
    ASSERT_EQ(RC_OK, InitCore());

    const FontListModel& model = Core()->GetInstalledFontModel();
    const std::vector<FontListRow>& rows = model.Rows();
    ASSERT_EQ(6u, rows.size());
    const wxString type = UserFontDir() + wxS("Type_Co/");
    EXPECT_EQ(type + wxS("Alpha.swf"), rows[1].path);
    EXPECT_TRUE(rows[4].inMyFonts && rows[5].inMyFonts && !rows[3].inMyFonts);
    EXPECT_EQ(List(), Rows({rows[0].html, rows[1].html, rows[2].html, rows[3].html, rows[4].html, rows[5].html}));
    EXPECT_EQ(5u, model.FindFont(wxEmptyString, wxS("Big Sans [bold]")));
    EXPECT_EQ(2u, model.Find(rows[2].html));

    const unsigned long revision = model.Revision();
    std::vector<const wxChar*> texts;
    for (const FontListRow& row : rows)
        texts.push_back(row.html.wx_str());
    Core()->GetInstalledFontModel();
    List();
    EXPECT_EQ(revision, model.Revision());

    // A picture for Beta and a new font in My Fonts: those two rows change, the rest
    // keep their very texts.
    Touch(type + wxS("Beta.png"));
    Touch(UserFontDir() + wxS("Cee.swf"));
    ASSERT_EQ(RC_OK, Core()->UpdateFontList(false));
    const std::vector<FontListRow>& after = Core()->GetInstalledFontModel().Rows();
    ASSERT_EQ(7u, after.size());
    EXPECT_NE(revision, model.Revision());
    EXPECT_EQ(type + wxS("Beta.png"), after[2].picture);
    EXPECT_EQ(FontRow(type + wxS("Beta.swf"), wxS("Beta"), type + wxS("Beta.png")), after[2].html);
    EXPECT_EQ(wxS("Cee"), after[6].font);
    for (size_t i : {0, 1, 3, 4, 5})
        EXPECT_EQ(texts[i], after[i].html.wx_str()) << i;
}

TEST(FontListTextTest, EscapingAndUnescapingGiveTheNameBack)
{
    for (const wxString name : {wxS(""), wxS("Plain Name"), wxS("a&b<c>d\"e"), wxS("&amp; stays &amp;"),
                                wxS("&&<<>>\"\""), wxS("&unknown; &lt")})
    {
        wxString escaped = wxS("x=");
        AppendHtmlEscaped(escaped, name);
        EXPECT_EQ(wxString::npos, escaped.find_first_of(wxS("<>\""))) << name;
        EXPECT_EQ(name, UnescapeHtml(escaped.Mid(2))) << name;
    }
}

TEST_F(FontLibraryTest, ImportPlacesFilesByTheirFoundryPrefix)
{
    TempDir source;
    const wxString fontFile = source / wxS("Type Co___Big Sans.swf");
    const wxString preview = source / wxS("Type Co___Big Sans.png");
    const wxString nested = source / wxS("A___B___C.swf");
    const wxString upper = source / wxS("BIG.SWF");
    const wxString mixed = source / wxS("Big.Png");
    const wxString noName = source / wxS("Type Co___.swf");
    const wxString text = source / wxS("Big Sans.txt");
    const wxString missing = source / wxS("Missing.swf");
    for (const wxString& file : {fontFile, nested, upper, noName})
        Touch(file, MovieText("new"));
    for (const wxString& file : {preview, mixed, text})
        Touch(file, kPngText);
    Touch(UserFontDir() + wxS("BIG.SWF"), MovieText("old"));
    InitWithCallbacks();

    wxArrayString files, failed;
    for (const wxString& file : {fontFile, preview, nested, noName, text, missing, upper, mixed})
        files.Add(file);
    EXPECT_EQ(RC_OK, Core()->ImportFonts(files, failed));

    const Rows expectedFailed = {noName, text, missing};
    EXPECT_EQ(expectedFailed, Rows(failed.begin(), failed.end()));
    EXPECT_TRUE(log->Contains(noName + wxS(" has a foundry name but not a font name")));
    EXPECT_TRUE(log->Contains(text + wxS(" is not valid")));
    EXPECT_TRUE(log->Contains(missing + wxS(" is not valid")));

    EXPECT_TRUE(wxFileExists(UserFontDir() + wxS("Type_Co/Big_Sans.swf")));
    EXPECT_TRUE(wxFileExists(UserFontDir() + wxS("A/B___C.swf")));
    EXPECT_TRUE(wxFileExists(UserFontDir() + wxS("Big.Png")));
    EXPECT_EQ(MovieText("new"), ReadTextFile(UserFontDir() + wxS("BIG.SWF")));
    EXPECT_EQ(1, controlUpdates);

    const wxString folder = UserFontDir() + wxS("Type_Co/");
    const Rows rows = List();
    EXPECT_NE(rows.end(), std::find(rows.begin(), rows.end(),
                                    FontRow(folder + wxS("Big_Sans.swf"), wxS("Big Sans"), folder + wxS("Big_Sans.png"))));
    EXPECT_TRUE(HasFont(wxS("A"), wxS("B   C")));
    EXPECT_TRUE(HasFont(wxEmptyString, wxS("BIG")));
}

TEST_F(FontLibraryTest, ImportRefusesFoundriesThatAreNoPlainFolderName)
{
    TempDir source;
    wxArrayString files, failed;
    for (const wxString name : {wxS("..___Big.swf"), wxS(".___Big.swf"), wxS(".hidden___Big.swf")})
    {
        Touch(source / name, MovieText("Big"));
        files.Add(source / name);
    }
    InitWithCallbacks();
    log->Clear();
    EXPECT_EQ(RC_OK, Core()->ImportFonts(files, failed));
    EXPECT_EQ(files, failed);
    EXPECT_EQ(3, log->Count(wxS(" is not valid")));
    EXPECT_FALSE(wxFileExists(UserDataDir() + wxS("Big.swf")));
    EXPECT_FALSE(wxFileExists(UserFontDir() + wxS("Big.swf")));
    EXPECT_FALSE(wxDirExists(UserFontDir() + wxS(".hidden")));
    // Nothing was imported, so nothing was rescanned.
    EXPECT_FALSE(log->Contains(wxS("fonts found at")));
    EXPECT_EQ(0, controlUpdates);
}

TEST_F(FontLibraryTest, ImportTakesOnlyFontMoviesAndPicturesWhateverTheirName)
{
    const std::vector<uint8_t> glyphless = MovieFile({Face({})}, false);
    // The file's name, its content, and why it is refused (null: imported).
    const std::tuple<const char*, std::string, const char*> cases[] = {
        {"Picture.swf", kPngText, " is not a font movie"},
        {"Empty.swf", std::string(), " is not a font movie"},
        {"Glyphless.swf", std::string(glyphless.begin(), glyphless.end()), " is not a font movie"},
        {"Movie.png", MovieText("abc"), " is not a PNG picture"},
        {"Real.swf", MovieText("Real"), nullptr},
        {"Real.png", kPngText, nullptr},
    };
    TempDir source;
    wxArrayString files, failed;
    for (const auto& c : cases)
    {
        files.Add(source / wxString::FromUTF8(std::get<0>(c)));
        Touch(files.Last(), std::get<1>(c));
    }
    InitWithCallbacks();
    EXPECT_EQ(RC_OK, Core()->ImportFonts(files, failed));
    for (const auto& c : cases)
    {
        const wxString name = wxString::FromUTF8(std::get<0>(c));
        const char* refusal = std::get<2>(c);
        EXPECT_EQ(refusal != nullptr, failed.Index(source / name) != wxNOT_FOUND) << name;
        EXPECT_EQ(refusal == nullptr, wxFileExists(UserFontDir() + name)) << name;
        EXPECT_TRUE(!refusal || log->Contains((source / name) + wxString::FromUTF8(refusal))) << name;
    }
    EXPECT_TRUE(HasFont(wxEmptyString, wxS("Real")));
}

TEST_F(FontLibraryTest, ImportFailuresAsAWholeLeaveFailedAlone)
{
    TempDir source;
    Touch(source / wxS("Big.swf"));
    ASSERT_EQ(RC_OK, InitCore());
    wxArrayString files, failed;
    failed.Add(wxS("kept"));
    EXPECT_EQ(RC_INVALID_ARGUMENT, Core()->ImportFonts(files, failed));
    files.Add(source / wxS("Big.swf"));
    ASSERT_TRUE(wxFileName::Rmdir(UserFontDir(), wxPATH_RMDIR_RECURSIVE));
    EXPECT_EQ(RC_DIRECTORY_MISSING, Core()->ImportFonts(files, failed));
    ASSERT_EQ(1u, failed.size());
    EXPECT_EQ(wxS("kept"), failed[0]);
}

TEST_F(FontLibraryTest, FailedCopyDoesNotPassAnOlderFontForTheImport)
{
    TempDir source;
    // Reading this file fails although it exists.
    const wxString unreadable = source / wxS("Big.swf");
    ASSERT_EQ(0, symlink("/proc/self/mem", unreadable.fn_str()));
    Touch(UserFontDir() + wxS("Big.swf"), "old");
    ASSERT_EQ(RC_OK, InitCore());
    wxArrayString files, failed;
    files.Add(unreadable);
    EXPECT_EQ(RC_OK, Core()->ImportFonts(files, failed));
    EXPECT_EQ(files, failed);
    EXPECT_EQ("old", ReadTextFile(UserFontDir() + wxS("Big.swf")));
}

TEST_F(FontLibraryTest, MoldwrightIsStartedFromEitherPlaceOrItsPageIsOpened)
{
    ASSERT_EQ(RC_OK, InitCore());
    const wxString program = ProgramDir() + wxS("/Glyphara");
    MakeFolders(program);
    ASSERT_TRUE(wxSetWorkingDirectory(program));

    log->Clear();
    EXPECT_EQ(RC_OK, Core()->LaunchMoldwright());
    EXPECT_EQ(2, log->Count(wxS("Moldwright not found at ")));
    EXPECT_TRUE(log->Contains(wxS("Moldwright has not been found. Launching web browser.")));
    ASSERT_EQ(1u, openedUrls.size());
    EXPECT_TRUE(openedUrls[0].StartsWith(wxS("file://")));
    EXPECT_TRUE(openedUrls[0].EndsWith(wxS("/Glyphara/Manuals/moldwright.html")));
    EXPECT_TRUE(startedProcesses.empty());

    const wxString sibling = ProgramDir() + wxS("/Tallowby Moldwright/Tallowby Moldwright");
    Touch(sibling);
    log->Clear();
    EXPECT_EQ(RC_OK, Core()->LaunchMoldwright());
    EXPECT_EQ(1, log->Count(wxS("Moldwright not found at ")));
    EXPECT_TRUE(log->Contains(wxS("Moldwright found at ") + sibling));
    const std::vector<wxString> first = {sibling};
    EXPECT_EQ(first, startedProcesses);

    Touch(program + wxS("/Tallowby Moldwright"));
    log->Clear();
    EXPECT_EQ(RC_OK, Core()->LaunchMoldwright());
    EXPECT_FALSE(log->Contains(wxS("Moldwright not found at ")));
    EXPECT_TRUE(log->Contains(wxS("Moldwright has been launched with no errors.")));
    ASSERT_EQ(2u, startedProcesses.size());
    EXPECT_EQ(program + wxS("/Tallowby Moldwright"), startedProcesses[1]);
    EXPECT_EQ(1u, openedUrls.size());
}
}
