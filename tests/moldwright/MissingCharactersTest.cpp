// Characters the font lacks, asked of the core about movies that Tallowby Moldwright made.
#include "ExportTestSupport.h"
#include "TestSupport.h"

#include "core/GlypharaCore.h"

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
const char* const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const kPolishAndVietnamese = "Zażółć gęślą jaźń. Tiếng Việt có dấu.";
}

class MadeFontMissingCharacters : public CoreTest
{
protected:
    // Makes DejaVu Sans with the given character set into the system font folder.
    void MakeDejaVuSans(const std::string& chars)
    {
        const ProgramRun run = RunProgram(
            MOLDWRIGHT_EXE, {"--chars", chars, "--foundry", "Test Foundry", "-o", SystemFontDir().utf8_string(), kDejaVuSans},
            {}, {}, ".");
        ASSERT_EQ(run.status, 0) << run.err;
    }
    wxString MoviePath() const { return SystemFontDir() + wxS("Test_Foundry/DejaVu_Sans.swf"); }

    void Select(const wxString& foundry, const wxString& font)
    {
        if (!Core()->IsInitialized())
        {
            ASSERT_EQ(InitCore(), 0);
        }
        SetFont(wxS("h1"), foundry, font);
        FontProperties record;
        Core()->GetSelectedFontProperties(record);
        ASSERT_EQ(record.font, font);
    }

    wxString Line(const char* sample)
    {
        Core()->SetUserText(wxString::FromUTF8(sample));
        wxString text = wxS("stale");
        EXPECT_EQ(Core()->GetMissingCharactersText(text), 0);
        return text;
    }
};

TEST_F(MadeFontMissingCharacters, LatinFontLacksPolishAndVietnameseLettersFullFontNone)
{
    MakeDejaVuSans("latin");
    Select(wxS("Test Foundry"), wxS("DejaVu Sans"));
    // "ó" is Western European; the other Polish letters and the Vietnamese ones are not.
    EXPECT_EQ(Line(kPolishAndVietnamese), wxString::FromUTF8("Not in DejaVu Sans: ż ł ć ę ś ą ź ń ế ệ ấ"));
    EXPECT_EQ(Line("Smörgåsbord, naïve café — “quoted” 5 €"), wxString());

    // Made again with every character of the face: read again, nothing lacks. A character
    // beyond U+FFFF never fits a code table.
    MakeDejaVuSans("all");
    EXPECT_EQ(Line(kPolishAndVietnamese), wxString());
    EXPECT_EQ(Line("Ł \xF0\x9D\x90\x80"), wxString::FromUTF8("Not in DejaVu Sans: \xF0\x9D\x90\x80"));
}

TEST_F(MadeFontMissingCharacters, BundledLobsterTwo)
{
    const fs::path source =
        fs::path(GLYPHARA_PROGRAM_DIR) / "Fonts" / "Impallari_Type" / "Lobster_Two_[regular][italic][bold][bolditalic].swf";
    ASSERT_TRUE(fs::exists(source)) << source;
    fs::create_directories(fs::path(SystemFontDir().utf8_string()) / "Impallari_Type");
    fs::copy_file(source, fs::path(SystemFontDir().utf8_string()) / "Impallari_Type" / source.filename());
    Select(wxS("Impallari Type"), wxS("Lobster Two [regular][italic][bold][bolditalic]"));
    EXPECT_EQ(Line("Zł ő"), wxString::FromUTF8("Not in Lobster Two: ł ő"));

    // Each style is drawn with its own face; each was made with the same characters.
    for (const bool bold : {false, true})
        for (const bool italic : {false, true})
        {
            FontProperties record;
            Core()->GetSelectedFontProperties(record);
            record.bold = bold;
            record.italic = italic;
            Core()->SetCurrentFontProperties(record);
            EXPECT_EQ(Line("Zł ő"), wxString::FromUTF8("Not in Lobster Two: ł ő")) << bold << italic;
        }
}
