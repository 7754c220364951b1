// The core's answer to which characters of the sample text and the sample page the
// selected tag's font movie lacks.
#include "MovieBuilder.h"
#include "TestSupport.h"

#include "core/GlypharaCore.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace
{
std::vector<uint16_t> Ascii()
{
    std::vector<uint16_t> codes;
    for (uint16_t c = 0x21; c < 0x7F; ++c)
        codes.push_back(c);
    return codes;
}

void SetModified(const wxString& path, time_t seconds)
{
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.fn_str(), times, 0), 0);
}

wxString Utf8(const char* text)
{
    return wxString::FromUTF8(text);
}
}

class MissingCharacters : public CoreTest
{
protected:
    // Installs a movie as the system font (Test Foundry, Big Sans [regular][bold]) and
    // gives it to h1.
    void InstallAndSelect(const std::vector<uint8_t>& movie)
    {
        MakeFolders(SystemFontDir() + wxS("Test_Foundry"));
        WriteBytes(MoviePath(), movie);
        ASSERT_EQ(InitCore(), 0);
        SetFont(wxS("h1"), wxS("Test Foundry"), kFont);
    }
    wxString MoviePath() const { return SystemFontDir() + wxS("Test_Foundry/Big_Sans_[regular][bold].swf"); }

    wxArrayString Missing(wxString* fontName = nullptr)
    {
        wxString name;
        wxArrayString characters;
        EXPECT_EQ(Core()->GetMissingCharacters(name, characters), 0);
        if (fontName)
            *fontName = name;
        return characters;
    }
    wxString Line()
    {
        wxString text = wxS("stale");
        EXPECT_EQ(Core()->GetMissingCharactersText(text), 0);
        return text;
    }
    void SetStyle(bool bold)
    {
        FontProperties record;
        Core()->GetSelectedFontProperties(record);
        record.bold = bold;
        Core()->SetCurrentFontProperties(record);
    }

    const wxString kFont = wxS("Big Sans [regular][bold]");
};

TEST_F(MissingCharacters, SelectedFontAndStyleDecideWhatIsMissing)
{
    std::vector<uint16_t> regular = Ascii();
    regular.push_back(0x00F3);  // ó
    std::vector<uint16_t> bold = regular;
    for (uint16_t c : CodesOf(Utf8("żłćęśąźń")))
        bold.push_back(c);
    InstallAndSelect(MovieFile({Face(regular), Face(bold, true)}, true));

    Core()->SetUserText(Utf8("Zażółć gęślą jaźń"));
    wxString fontName;
    EXPECT_EQ(wxJoin(Missing(&fontName), ' ', 0), Utf8("ż ł ć ę ś ą ź ń"));
    EXPECT_EQ(fontName, wxS("Big Sans"));
    EXPECT_EQ(Line(), Utf8("Not in Big Sans: ż ł ć ę ś ą ź ń"));

    // The bold face holds them.
    SetStyle(true);
    EXPECT_TRUE(Missing().empty());
    EXPECT_EQ(Line(), wxString());
    SetStyle(false);

    // Nothing missing: no line; white space and line breaks never count.
    Core()->SetUserText(Utf8("Zaó \t\n\u00A0lo"));
    EXPECT_TRUE(Missing().empty());
    EXPECT_EQ(Line(), wxString());

    // A tag whose font is nowhere to be found lacks nothing that could be told, but the
    // line says that the font itself is missing.
    wxString tag = wxS("h2");
    ASSERT_GE(Core()->AddNewTag(tag, true), 0);
    FontProperties record;
    Core()->GetSelectedFontProperties(record);
    record.font = wxS("Not Installed [bold]");
    Core()->SetCurrentFontProperties(record);
    Core()->SetUserText(Utf8("ł"));
    EXPECT_TRUE(Missing().empty());
    EXPECT_EQ(wxS("Font missing: Not Installed is neither installed nor in the project's folder"), Line());
}

TEST_F(MissingCharacters, SampleTextThenTheTagsSentenceOnTheSamplePage)
{
    // The font holds exactly the characters of the sample text but its last one.
    const wxString sample = Utf8("Sample Text ¿");
    std::vector<uint16_t> codes = CodesOf(sample);
    codes.pop_back();
    InstallAndSelect(MovieFile({Face(codes)}, true));
    wxString tag = wxS("p");
    ASSERT_GE(Core()->AddNewTag(tag, true), 0);
    Core()->SetUserText(sample);

    // What a reader sees in the tag's block of the sample page, markup taken out.
    wxString page;
    ASSERT_EQ(Core()->GetHTMLSampleCodeForBrowser(page, false), 0);
    const int open = page.Find(wxS("\t\t<p>"));
    ASSERT_NE(open, wxNOT_FOUND);
    wxString block = page.Mid(open + 5).BeforeFirst('\n');
    block = block.Left(block.rfind(wxS("</p>")));
    wxString seen;
    bool inMarkup = false;
    for (wxUniChar c : block)
        if (c == '<' || c == '>')
            inMarkup = c == '<';
        else if (!inMarkup)
            seen << c;
    ASSERT_TRUE(seen.StartsWith(wxS("Your p tag"))) << seen;

    // The sample text's own missing character first, then the sentence's.
    wxArrayString expected;
    expected.Add(Utf8("¿"));
    for (wxUniChar c : seen)
        if (c != ' ' && sample.Find(c) == wxNOT_FOUND && expected.Index(wxString(c)) == wxNOT_FOUND)
            expected.Add(wxString(c));
    EXPECT_EQ(wxJoin(Missing(), ' ', 0), wxJoin(expected, ' ', 0));
    EXPECT_EQ(Line(), wxS("Not in Big Sans: ") + wxJoin(expected, ' ', 0));
}

TEST_F(MissingCharacters, MovieIsReadOnceAndAgainWhenItChanges)
{
    // Two movies of the same size: one lacks "ł", the other "q" instead.
    std::vector<uint16_t> withoutL = Ascii();
    withoutL.push_back(0x0107);
    std::vector<uint16_t> withL = Ascii();
    withL.push_back(0x0142);
    withL.erase(std::find(withL.begin(), withL.end(), 'q'));
    withL.push_back(0x0107);
    const std::vector<uint8_t> first = MovieFile({Face(withoutL)}, false);
    const std::vector<uint8_t> second = MovieFile({Face(withL)}, false);
    ASSERT_EQ(first.size(), second.size());

    InstallAndSelect(first);
    SetModified(MoviePath(), 1500000000);
    Core()->SetUserText(Utf8("łąq"));
    const wxString reading = wxS("Reading the code table of");
    log->Clear();
    EXPECT_EQ(Line(), Utf8("Not in Big Sans: ł ą"));
    EXPECT_EQ(Line(), Utf8("Not in Big Sans: ł ą"));
    Missing();
    EXPECT_EQ(log->Count(reading), 1);

    // Rewritten in place, same size, another time.
    struct stat before;
    ASSERT_EQ(stat(MoviePath().fn_str(), &before), 0);
    WriteBytes(MoviePath(), second);
    SetModified(MoviePath(), 1500000005);
    struct stat after;
    ASSERT_EQ(stat(MoviePath().fn_str(), &after), 0);
    ASSERT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(Line(), Utf8("Not in Big Sans: ą q"));
    EXPECT_EQ(log->Count(reading), 2);

    // Replaced by a file renamed into place with the old time and size, as the font maker
    // writes its movies.
    const wxString replacement = SystemFontDir() + wxS("Test_Foundry/.replacement");
    WriteBytes(replacement, first);
    SetModified(replacement, 1500000005);
    ASSERT_EQ(rename(replacement.fn_str(), MoviePath().fn_str()), 0);
    EXPECT_EQ(Line(), Utf8("Not in Big Sans: ł ą"));
    EXPECT_EQ(log->Count(reading), 3);

    // Gone: nothing to tell, and no stale answer when it comes back changed.
    ASSERT_EQ(remove(MoviePath().fn_str()), 0);
    EXPECT_EQ(Line(), wxString());
    WriteBytes(MoviePath(), second);
    EXPECT_EQ(Line(), Utf8("Not in Big Sans: ą q"));
}

TEST_F(MissingCharacters, DamagedMovieGivesNoLine)
{
    const std::vector<uint8_t> movie = MovieFile({Face(Ascii())}, true);
    InstallAndSelect(std::vector<uint8_t>(movie.begin(), movie.begin() + movie.size() / 2));
    Core()->SetUserText(Utf8("ł"));
    log->Clear();
    wxString fontName;
    EXPECT_TRUE(Missing(&fontName).empty());
    EXPECT_EQ(fontName, wxS("Big Sans"));
    EXPECT_EQ(Line(), wxString());
    // Traced once for the file, not at every look.
    EXPECT_EQ(log->Count(wxS("Font movie unreadable")), 1);

    // Mended, it is read again.
    WriteBytes(MoviePath(), movie);
    SetModified(MoviePath(), 1600000000);
    EXPECT_EQ(Line(), Utf8("Not in Big Sans: ł"));
}
