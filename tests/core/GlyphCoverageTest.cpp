// Reading code tables from font movies, and which characters of a text a face lacks.
#include "MovieBuilder.h"
#include "TestSupport.h"

#include "core/GlyphCoverage.h"

#include <sys/stat.h>

TEST(GlyphCoverage, ReadsWideAndNarrowCodeTablesPlainAndCompressed)
{
    TestFace wide = Face({0x0041, 0x0142, 0x1EBF, 0xFFFF, 0x0000});
    wide.kerningPairs = 3;
    TestFace narrow = Face({0x41, 0xE9}, true);
    narrow.tagCode = 48;
    narrow.wideCodes = false;
    TestFace wideOffsets = Face({0x0151}, false, true);
    wideOffsets.wideOffsets = true;
    wideOffsets.layout = false;

    for (const bool compressed : {false, true})
    {
        SCOPED_TRACE(compressed ? "CWS" : "FWS");
        const std::vector<uint8_t> file = MovieFile({wide, narrow, wideOffsets}, compressed);
        MovieCoverage coverage;
        ASSERT_TRUE(ReadMovieCoverage(file.data(), file.size(), coverage));
        ASSERT_EQ(coverage.faces.size(), 3u);

        const FaceCoverage& first = coverage.faces[0];
        EXPECT_FALSE(first.IsBold());
        EXPECT_FALSE(first.IsItalic());
        EXPECT_EQ(first.GlyphCount(), 5u);
        for (uint32_t code : {0x0041u, 0x0142u, 0x1EBFu, 0xFFFFu, 0x0000u})
            EXPECT_TRUE(first.Holds(code)) << code;
        for (uint32_t code : {0x0042u, 0x0143u, 0x1EBEu, 0xFFFEu, 0x10000u, 0x1FFFFu})
            EXPECT_FALSE(first.Holds(code)) << code;

        EXPECT_TRUE(coverage.faces[1].IsBold());
        EXPECT_TRUE(coverage.faces[1].Holds(0xE9));
        EXPECT_FALSE(coverage.faces[1].Holds(0x42));

        EXPECT_TRUE(coverage.faces[2].IsItalic());
        EXPECT_TRUE(coverage.faces[2].Holds(0x0151));
        EXPECT_FALSE(coverage.faces[2].Holds(0x41));
    }
}

TEST(GlyphCoverage, FaceIsPickedByStyleFirstThenWeight)
{
    // Each face holds one code that names it.
    const std::vector<uint8_t> all = MovieFile(
        {Face({1}), Face({2}, false, true), Face({3}, true, false), Face({4}, true, true)}, true);
    MovieCoverage coverage;
    ASSERT_TRUE(ReadMovieCoverage(all.data(), all.size(), coverage));
    auto picked = [&](bool bold, bool italic) -> int {
        const FaceCoverage* face = coverage.PickFace(bold, italic);
        for (int code = 1; face && code <= 5; ++code)
            if (face->Holds(static_cast<uint32_t>(code)))
                return code;
        return 0;
    };
    EXPECT_EQ(picked(false, false), 1);
    EXPECT_EQ(picked(false, true), 2);
    EXPECT_EQ(picked(true, false), 3);
    EXPECT_EQ(picked(true, true), 4);

    // Italic falls back to upright of the same weight; a missing weight to the first face
    // of the style. A face without glyphs is never picked.
    TestFace empty = Face({}, true, false);
    const std::vector<uint8_t> partial =
        MovieFile({empty, Face({1}), Face({2}, false, true), Face({5}, true, false)}, false);
    ASSERT_TRUE(ReadMovieCoverage(partial.data(), partial.size(), coverage));
    EXPECT_EQ(picked(true, true), 2);
    EXPECT_EQ(picked(false, true), 2);
    coverage.faces.erase(coverage.faces.begin() + 2);  // the italic face
    EXPECT_EQ(picked(true, true), 5);
    EXPECT_EQ(picked(false, true), 1);
    coverage.faces.erase(coverage.faces.begin() + 2);  // the bold face
    EXPECT_EQ(picked(true, false), 1);
}

TEST(GlyphCoverage, DamagedAndHostileMoviesAreRefused)
{
    std::vector<TestFace> faces = {Face(CodesOf(wxS("Glyphara"))), Face(CodesOf(wxS("Bold")), true)};
    faces[1].kerningPairs = 2;
    const std::vector<uint8_t> tags = FontTags(faces);
    MovieCoverage coverage;

    // Every truncation of a plain and of a compressed movie. The compressed one may lose
    // its zlib check value and its End tag without losing a byte of the movie itself.
    for (const bool compressed : {false, true})
    {
        const std::vector<uint8_t> file = MovieFile(tags, compressed);
        ASSERT_TRUE(ReadMovieCoverage(file.data(), file.size(), coverage));
        const size_t keep = compressed ? file.size() - 6 : file.size();
        for (size_t size = 0; size < keep; ++size)
        {
            EXPECT_FALSE(ReadMovieCoverage(file.data(), size, coverage)) << size << (compressed ? " CWS" : " FWS");
            EXPECT_TRUE(coverage.faces.empty());
        }
    }

    auto refused = [&](const std::vector<uint8_t>& file, const char* what) {
        coverage.faces.assign(1, FaceCoverage(false, false));
        EXPECT_FALSE(ReadMovieCoverage(file.data(), file.size(), coverage)) << what;
        EXPECT_TRUE(coverage.faces.empty()) << what;
    };

    std::vector<uint8_t> file = MovieFile(tags, false);
    file[0] = 'Z';
    refused(file, "LZMA signature");
    file[0] = 'X';
    refused(file, "not a movie");

    refused(MovieFile(tags, false, 32u * 1024 * 1024 + 1), "declared length beyond the limit");
    refused(MovieFile(tags, true, 7), "declared length shorter than the header");
    refused(MovieFile(tags, true, static_cast<uint32_t>(MovieFile(tags, false).size() + 1)),
            "compressed body shorter than declared");

    file = MovieFile(tags, true);
    for (size_t i = 12; i < file.size(); i += 3)
        file[i] ^= 0x5A;
    refused(file, "corrupt compressed data");

    refused(MovieFile(FontTags({}), false), "no font tag");
    refused(MovieFile(FontTags({Face({}), Face({}, true)}), true), "font tags without glyphs");

    // A font tag whose declared length runs past the movie.
    std::vector<uint8_t> longTag = FontTags(faces);
    // The long record header that follows the 6-byte FileAttributes tag.
    ASSERT_EQ((longTag[6] | (longTag[7] << 8)), (75 << 6) | 0x3F);
    longTag[8] = 0xFF;               // low bytes of its 32-bit length
    longTag[9] = 0xFF;
    refused(MovieFile(longTag, false), "tag running past the end");

    // Hand-made font tags of two glyphs without layout: offsets in order are read, the
    // same tag with two offsets swapped or with the code table beyond the tag is not.
    auto handMade = [](std::initializer_list<uint8_t> offsets) {
        std::vector<uint8_t> body = {1, 0, 0x04, 0, 0, 2, 0};
        body.insert(body.end(), offsets);
        body.insert(body.end(), {0x10, 0, 0x10, 0, 0x41, 0, 0x42, 0});
        std::vector<uint8_t> t;
        AppendTestTag(t, 75, body);
        AppendTestTag(t, 0, {});
        return MovieFile(t, false);
    };
    const std::vector<uint8_t> inOrder = handMade({6, 0, 8, 0, 10, 0});
    ASSERT_TRUE(ReadMovieCoverage(inOrder.data(), inOrder.size(), coverage));
    EXPECT_TRUE(coverage.faces[0].Holds(0x42));
    refused(handMade({8, 0, 6, 0, 10, 0}), "offsets out of order");
    refused(handMade({4, 0, 8, 0, 10, 0}), "offset inside the offset table");
    refused(handMade({6, 0, 8, 0, 40, 0}), "code table beyond the tag");

    refused(MovieFile(std::vector<TestFace>(65, Face({0x41})), true), "too many font tags");
    const std::vector<uint8_t> sixtyFour = MovieFile(std::vector<TestFace>(64, Face({0x41})), true);
    EXPECT_TRUE(ReadMovieCoverage(sixtyFour.data(), sixtyFour.size(), coverage));
}

TEST(GlyphCoverage, FilesThatAreNoMovies)
{
    TempDir dir;
    MovieCoverage coverage;
    const std::vector<uint8_t> movie = MovieFile({Face({0x41})}, true);
    WriteBytes(dir / wxS("Good.swf"), movie);
    EXPECT_TRUE(ReadMovieCoverageFile(dir / wxS("Good.swf"), coverage));
    EXPECT_TRUE(coverage.faces[0].Holds(0x41));

    EXPECT_FALSE(ReadMovieCoverageFile(dir / wxS("Absent.swf"), coverage));
    EXPECT_TRUE(coverage.faces.empty());
    EXPECT_FALSE(ReadMovieCoverageFile(dir.Path(), coverage));
    WriteBytes(dir / wxS("Empty.swf"), {});
    EXPECT_FALSE(ReadMovieCoverageFile(dir / wxS("Empty.swf"), coverage));
    WriteBytes(dir / wxS("Short.swf"), std::vector<uint8_t>(movie.begin(), movie.begin() + 20));
    EXPECT_FALSE(ReadMovieCoverageFile(dir / wxS("Short.swf"), coverage));

    // A pipe with no writer would block a plain open for good.
    const wxString pipe = dir / wxS("Pipe.swf");
    ASSERT_EQ(mkfifo(pipe.fn_str(), 0600), 0);
    EXPECT_FALSE(ReadMovieCoverageFile(pipe, coverage));
}

TEST(GlyphCoverage, MissingCharactersInOrderOfFirstAppearance)
{
    FaceCoverage face(false, false);
    for (uint16_t code : CodesOf(wxS("Zaólcgsjn Vite")))
        face.Add(code);
    auto missing = [&](const char* text) { return FindMissingCharacters(face, wxString::FromUTF8(text)); };

    const std::vector<uint32_t> expected = {0x017C, 0x0142, 0x0107, 0x0119, 0x015B, 0x0105, 0x017A, 0x0144};
    EXPECT_EQ(missing("Zażółć gęślą jaźń"), expected);
    // Repeating the text lists nothing twice.
    EXPECT_EQ(missing("Zażółć gęślą jaźń Zażółć gęślą jaźń"), expected);
    // Decomposed letters: the base letter is there, the combining marks are not.
    EXPECT_EQ(missing("Vie\xCC\xA3\xCC\x82t"), std::vector<uint32_t>({0x0323, 0x0302}));
    EXPECT_TRUE(missing("").empty());
}

TEST(GlyphCoverage, InvisibleCharactersAreNeverMissing)
{
    // A face without a single space, control or format character.
    FaceCoverage face(false, false);
    face.Add('a');
    const uint32_t invisible[] = {0x0020, 0x0009, 0x000A, 0x000D, 0x0000, 0x0007, 0x007F, 0x0085, 0x00A0,
                                  0x00AD, 0x2002, 0x200B, 0x200D, 0x200E, 0x2028, 0x202F, 0x205F, 0x2060,
                                  0x3000, 0xFE0F, 0xFEFF, 0xE0001, 0xE0100};
    wxString text = wxS("a");
    for (uint32_t code : invisible)
        text << wxUniChar(code) << wxS("a");
    EXPECT_TRUE(FindMissingCharacters(face, text).empty());

    // Visible neighbours of those ranges are characters like any other.
    const uint32_t visible[] = {0x0021, 0x007E, 0x00A1, 0x00AC, 0x00AE, 0x1680, 0x2010, 0x2030, 0x205E,
                                0x2070, 0x3001, 0xFE10, 0xFFFD, 0x1F600};
    text = wxS("a");
    for (uint32_t code : visible)
        text << wxUniChar(code);
    EXPECT_EQ(FindMissingCharacters(face, text), std::vector<uint32_t>(std::begin(visible), std::end(visible)));
}

TEST(GlyphCoverage, CharactersBeyondTheBasicPlane)
{
    // The face holds U+F600, which shares its low 16 bits with U+1F600.
    FaceCoverage face(false, false);
    face.Add(0xF600);
    face.Add('x');
    wxString text = wxS("x");
    text << wxUniChar(0x1F600) << wxUniChar(0xF600) << wxUniChar(0x1D538) << wxUniChar(0x1F600);
    EXPECT_EQ(FindMissingCharacters(face, text), std::vector<uint32_t>({0x1F600, 0x1D538}));

    // The same characters written as surrogate pairs count once each, as themselves;
    // surrogates without a partner are no characters.
    wxString pairs;
    pairs << wxUniChar(0xD83D) << wxUniChar(0xDE00);  // U+1F600
    pairs << wxUniChar(0xDC00) << wxS("x") << wxUniChar(0xD800) << wxS("x");
    pairs << wxUniChar(0xD835) << wxUniChar(0xDD38);  // U+1D538
    pairs << wxUniChar(0x1F600);
    EXPECT_EQ(FindMissingCharacters(face, pairs), std::vector<uint32_t>({0x1F600, 0x1D538}));
}

TEST(GlyphCoverage, LineNamesTheFontAndTheCharacters)
{
    // A combining mark is shown on a dotted circle.
    wxArrayString characters;
    characters.Add(wxString(wxUniChar(0x0323)));
    characters.Add(wxString(wxUniChar(0x1F600)));
    EXPECT_EQ(FormatMissingCharacters(wxS("Big Sans"), characters),
              wxS("Not in Big Sans: ") + wxString(wxUniChar(0x25CC)) + wxUniChar(0x0323) + wxS(" ") +
                  wxUniChar(0x1F600));

    EXPECT_EQ(FontShownName(wxS("Lobster Two [regular][italic][bold][bolditalic]")), wxS("Lobster Two"));
    EXPECT_EQ(FontShownName(wxS("[bold]")), wxS("[bold]"));
}
