// Web fonts built from font movies, read back by FreeType: the movie's outlines, advances,
// kerning and line metrics must come out as they went in.
#include "MovieBuilder.h"
#include "TestSupport.h"

#include "core/GlypharaCore.h"
#include "core/WebFont.h"
#include "tests/moldwright/SwfReader.h"

#include <wx/filefn.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

namespace
{
// One built font as FreeType reads it.
class FreeTypeFont
{
public:
    explicit FreeTypeFont(const std::vector<uint8_t>& data)
    {
        if (FT_Init_FreeType(&m_library) == 0 &&
            FT_New_Memory_Face(m_library, data.data(), static_cast<FT_Long>(data.size()), 0, &m_face) != 0)
            m_face = nullptr;
    }
    ~FreeTypeFont()
    {
        if (m_face)
            FT_Done_Face(m_face);
        FT_Done_FreeType(m_library);
    }
    FreeTypeFont(const FreeTypeFont&) = delete;
    FreeTypeFont& operator=(const FreeTypeFont&) = delete;

    FT_Face Face() const { return m_face; }
    FT_UInt Glyph(uint32_t code) const { return FT_Get_Char_Index(m_face, code); }

    // "M x y L x y Q cx cy x y ..." per contour in font units, contours separated by " | ".
    std::string Outline(uint32_t code, long* advance = nullptr) const
    {
        if (FT_Load_Glyph(m_face, Glyph(code), FT_LOAD_NO_SCALE) != 0)
            return "cannot load";
        if (advance)
            *advance = m_face->glyph->metrics.horiAdvance;
        std::ostringstream out;
        FT_Outline_Funcs funcs = {};
        funcs.move_to = [](const FT_Vector* to, void* user) {
            std::ostringstream& o = *static_cast<std::ostringstream*>(user);
            o << (o.tellp() > 0 ? " | " : "") << "M " << to->x << ' ' << to->y;
            return 0;
        };
        funcs.line_to = [](const FT_Vector* to, void* user) {
            *static_cast<std::ostringstream*>(user) << " L " << to->x << ' ' << to->y;
            return 0;
        };
        funcs.conic_to = [](const FT_Vector* c, const FT_Vector* to, void* user) {
            *static_cast<std::ostringstream*>(user) << " Q " << c->x << ' ' << c->y << ' ' << to->x << ' ' << to->y;
            return 0;
        };
        funcs.cubic_to = [](const FT_Vector*, const FT_Vector*, const FT_Vector*, void* user) {
            *static_cast<std::ostringstream*>(user) << " cubic!";
            return 0;
        };
        FT_Outline_Decompose(&m_face->glyph->outline, &funcs, &out);
        return out.str();
    }

    long Kerning(uint32_t left, uint32_t right) const
    {
        FT_Vector v{0, 0};
        FT_Get_Kerning(m_face, Glyph(left), Glyph(right), FT_KERNING_UNSCALED, &v);
        return v.x;
    }

private:
    FT_Library m_library = nullptr;
    FT_Face m_face = nullptr;
};

struct FontPoint
{
    long x, y;
    bool on;
    bool operator==(const FontPoint& o) const { return x == o.x && y == o.y; }
};

// What FreeType must decompose from a glyph of the movie: the contours in font units (y up),
// each closed by a straight edge unless it ends on its start; zero-length edges, controls
// that lie on an end of their curve and contours of fewer than three points draw nothing.
std::string ExpectedOutline(const swftest::Glyph& glyph, double scale)
{
    auto at = [scale](swftest::Point p, bool on) { return FontPoint{std::lround(p.x * scale), std::lround(-p.y * scale), on}; };
    std::ostringstream out;
    for (const swftest::Contour& contour : glyph.contours)
    {
        std::vector<FontPoint> points{at(contour.start, true)};
        for (const swftest::Edge& e : contour.edges)
        {
            const FontPoint to = at(e.to, true), control = at(e.control, false);
            if (e.curved && !(control == points.back()) && !(control == to))
                points.push_back(control);
            if (!(points.back().on && points.back() == to))
                points.push_back(to);
        }
        while (points.size() > 1 && points.back() == points.front())
            points.pop_back();
        if (points.size() < 3)
            continue;
        out << (out.tellp() > 0 ? " | " : "") << "M " << points[0].x << ' ' << points[0].y;
        for (size_t i = 1; i <= points.size(); ++i)
        {
            const FontPoint& p = points[i % points.size()];
            if (!p.on)
            {
                const FontPoint& end = points[(i + 1) % points.size()];
                out << " Q " << p.x << ' ' << p.y << ' ' << end.x << ' ' << end.y;
                ++i;
            }
            else
                out << " L " << p.x << ' ' << p.y;
        }
    }
    return out.str();
}

std::vector<uint8_t> ReadBytes(const wxString& path)
{
    return swftest::ReadFile(std::string(path.fn_str()));
}

WebFontSet Build(const std::vector<uint8_t>& movie)
{
    WebFontSet fonts;
    wxString error;
    EXPECT_TRUE(BuildTrueTypeFonts(movie.data(), movie.size(), wxS("Fallback"), fonts, error)) << error;
    return fonts;
}
}

TEST(WebFont, BundledMoviesKeepEveryOutlineAdvanceKerningPairAndLineMetric)
{
    struct Case
    {
        const char* movie;
        size_t faces;
        const char* generic;
    };
    // Quadratic outlines made from TrueType faces, and cubic ones approximated by the maker.
    const Case cases[] = {
        {"DejaVu/DejaVu_Sans_[regular][italic][bold][bolditalic].swf", 4, "sans-serif"},
        {"DejaVu/DejaVu_Sans_Mono_[regular][italic][bold][bolditalic].swf", 4, "monospace"},
        {"Red_Hat/Liberation_Serif_[regular][italic][bold][bolditalic].swf", 4, "serif"},
        {"URW/C059_[regular][italic][bold][bolditalic].swf", 4, "serif"},
        {"Yanone/Yanone_Kaffeesatz_[regular][bold].swf", 2, "sans-serif"},
        {"URW/Z003_[italic].swf", 1, "serif"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.movie);
        const wxString path = wxS(GLYPHARA_PROGRAM_DIR "/Fonts/") + wxString::FromUTF8(c.movie);
        const std::vector<uint8_t> file = ReadBytes(path);
        const swftest::Movie movie = swftest::ReadMovie(file);
        const WebFontSet fonts = Build(file);
        ASSERT_EQ(fonts.faces.size(), c.faces);
        EXPECT_EQ(fonts.genericFamily, wxString::FromUTF8(c.generic));

        for (size_t f = 0; f < c.faces; ++f)
        {
            const swftest::Font& tag = movie.fonts[f];
            const WebFontFace& face = fonts.faces[f];
            SCOPED_TRACE(tag.name + (tag.bold ? " bold" : "") + (tag.italic ? " italic" : ""));
            EXPECT_EQ(face.bold, tag.bold);
            EXPECT_EQ(face.italic, tag.italic);
            const FreeTypeFont font(face.data);
            ASSERT_NE(font.Face(), nullptr);
            const FT_Face ft = font.Face();
            ASSERT_EQ(ft->units_per_EM, 2048);
            const double scale = 2048.0 / 20480.0;
            EXPECT_EQ(std::string(ft->family_name), tag.name);
            EXPECT_EQ(std::string(ft->style_name),
                      tag.bold ? (tag.italic ? "Bold Italic" : "Bold") : (tag.italic ? "Italic" : "Regular"));
            EXPECT_EQ((ft->style_flags & FT_STYLE_FLAG_BOLD) != 0, tag.bold);
            EXPECT_EQ((ft->style_flags & FT_STYLE_FLAG_ITALIC) != 0, tag.italic);
            EXPECT_EQ(ft->ascender, std::lround(tag.ascent * scale));
            EXPECT_EQ(ft->descender, -std::lround(tag.descent * scale));
            EXPECT_EQ(ft->height, ft->ascender - ft->descender + std::max(0L, std::lround(tag.leading * scale)));

            for (size_t g = 0; g < tag.codes.size(); ++g)
            {
                const uint16_t code = tag.codes[g];
                long advance = -1;
                ASSERT_NE(font.Glyph(code), 0u) << code;
                EXPECT_EQ(font.Outline(code, &advance), ExpectedOutline(tag.glyphs[g], scale)) << "U+" << std::hex << code;
                EXPECT_EQ(advance, std::lround(static_cast<uint16_t>(tag.advances[g]) * scale)) << code;
            }
            // Every pair of the movie's characters: kerned as the movie says, or not at all.
            std::map<std::pair<uint16_t, uint16_t>, long> kerning;
            for (const swftest::Kerning& k : tag.kerning)
                kerning[{k.left, k.right}] = std::lround(k.adjustment * scale);
            size_t kerned = 0;
            for (uint16_t left : tag.codes)
                for (uint16_t right : tag.codes)
                {
                    const auto expected = kerning.find({left, right});
                    const long value = font.Kerning(left, right);
                    kerned += value != 0;
                    if (expected != kerning.end())
                    {
                        EXPECT_EQ(value, expected->second) << left << ' ' << right;
                    }
                }
            size_t expectedKerned = 0;
            for (const auto& k : kerning)
                expectedKerned += k.second != 0;
            EXPECT_EQ(kerned, expectedKerned);
        }
    }
}

TEST(WebFont, ShapesBecomeClosedContoursWithoutDegenerateParts)
{
    struct Case
    {
        const char* what;
        std::vector<ShapeStep> steps;
        const char* outline;  // FreeType's reading, y up
        size_t points;        // stored points, implied ones not counted
    };
    const std::string square = "M 0 0 L 100 0 L 100 100 L 0 100 L 0 0";
    const Case cases[] = {
        {"a closed square", {{'M', 0, 0}, {'L', 100, 0}, {'L', 0, -100}, {'L', -100, 0}, {'L', 0, 100}},
         square.c_str(), 4},
        {"an open contour is closed by a straight edge", {{'M', 0, 0}, {'L', 100, 0}, {'L', 0, -100}},
         "M 0 0 L 100 0 L 100 100 L 0 0", 3},
        {"edges before the first move start at the origin", {{'L', 100, 0}, {'L', 0, -100}},
         "M 0 0 L 100 0 L 100 100 L 0 0", 3},
        {"zero-length edges and a control on its curve's end draw straight",
         {{'M', 0, 0}, {'L', 0, 0}, {'L', 100, 0}, {'Q', 0, -100, 0, 0}, {'L', -100, 0}, {'L', 0, 100}},
         square.c_str(), 4},
        {"an on-curve point halfway between two controls is implied",
         {{'M', 0, 0}, {'Q', 100, 0, 0, -100}, {'Q', 0, -100, -100, 0}, {'L', 0, 200}},
         "M 0 0 Q 100 0 100 100 Q 100 200 0 200 L 0 0", 4},
        {"two contours", {{'M', 0, 0}, {'L', 10, 0}, {'L', 0, -10}, {'M', 20, 0}, {'L', 10, 0}, {'L', 0, -10}},
         "M 0 0 L 10 0 L 10 10 L 0 0 | M 20 0 L 30 0 L 30 10 L 20 0", 6},
        {"a move alone and a there-and-back edge enclose nothing",
         {{'M', 0, 0}, {'M', 50, 0}, {'L', 10, 0}, {'L', -10, 0}}, "", 0},
        {"an empty glyph", {}, "", 0},
    };
    TestFace face;
    face.tagCode = 48;  // 1024 units per em, as many as the font: the numbers stay as they are
    uint16_t code = 0x41;
    for (const Case& c : cases)
    {
        face.codes.push_back(code++);
        face.shapes.push_back(GlyphShape(c.steps));
    }
    const WebFontSet fonts = Build(MovieFile({face}, false));
    ASSERT_EQ(fonts.faces.size(), 1u);
    const FreeTypeFont font(fonts.faces[0].data);
    ASSERT_NE(font.Face(), nullptr);
    ASSERT_EQ(font.Face()->units_per_EM, 1024);
    code = 0x41;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        long advance = 0;
        EXPECT_EQ(font.Outline(code, &advance), c.outline);
        EXPECT_EQ(font.Face()->glyph->outline.n_points, static_cast<short>(c.points));
        EXPECT_EQ(advance, 500);
        ++code;
    }
}

TEST(WebFont, CodesAdvancesKerningAndMetricsFollowTheRuntime)
{
    const std::vector<uint8_t> box = GlyphShape({{'M', 0, 0}, {'L', 100, 0}, {'L', 0, -100}, {'L', -100, 0}});
    TestFace withLayout;
    withLayout.tagCode = 48;
    withLayout.name = "Cut & Paste";
    withLayout.codes = {'A', 'B', 'A', 0xFFFF, 0xD800, 'C'};
    withLayout.shapes = {box, box, GlyphShape({}), box, box, box};
    withLayout.advances = {600, 700, 900, 100, 100, 0};
    withLayout.ascent = 700;
    withLayout.descent = 300;
    withLayout.leading = -50;
    withLayout.kerning = {{'A', 'B', -30}, {'A', 'B', -40}, {'B', 'A', 0}, {'A', 'Z', -10}, {'C', 'A', 25}};
    withLayout.wideOffsets = true;

    TestFace withoutLayout = Face({'x', ' '}, true);
    withoutLayout.tagCode = 48;
    withoutLayout.layout = false;
    withoutLayout.name = "";
    withoutLayout.wideCodes = false;
    withoutLayout.shapes = {box, GlyphShape({})};

    const WebFontSet fonts = Build(MovieFile({withLayout, withoutLayout}, true));
    ASSERT_EQ(fonts.faces.size(), 2u);
    {
        SCOPED_TRACE("with a layout");
        const FreeTypeFont font(fonts.faces[0].data);
        ASSERT_NE(font.Face(), nullptr);
        EXPECT_EQ(std::string(font.Face()->family_name), "Cut & Paste");
        // The first glyph of a code wins; codes no text holds are left out.
        long advance = 0;
        EXPECT_NE(font.Outline('A', &advance), "");
        EXPECT_EQ(advance, 600);
        EXPECT_EQ(font.Glyph(0xFFFF), 0u);
        EXPECT_EQ(font.Glyph(0xD800), 0u);
        // A later pair overrides an earlier one; pairs of characters the face lacks go.
        EXPECT_EQ(font.Kerning('A', 'B'), -40);
        EXPECT_EQ(font.Kerning('B', 'A'), 0);
        EXPECT_EQ(font.Kerning('C', 'A'), 25);
        // A negative leading never makes a line shorter than ascent and descent.
        EXPECT_EQ(font.Face()->ascender, 700);
        EXPECT_EQ(font.Face()->descender, -300);
        EXPECT_EQ(font.Face()->height, 1000);
        // Without a space of its own, a quarter em spaces words, also unbreakable ones.
        font.Outline(' ', &advance);
        EXPECT_EQ(advance, 256);
        EXPECT_EQ(font.Glyph(0xA0), font.Glyph(' '));
    }
    {
        SCOPED_TRACE("without a layout");
        const FreeTypeFont font(fonts.faces[1].data);
        ASSERT_NE(font.Face(), nullptr);
        // A tag without a name takes the name it is given.
        EXPECT_EQ(std::string(font.Face()->family_name), "Fallback");
        EXPECT_STREQ(font.Face()->style_name, "Bold");
        // As wide as the ink plus 0.08 em; ascent and descent 0.8 and 0.2 em.
        long advance = 0;
        font.Outline('x', &advance);
        EXPECT_EQ(advance, 182);
        font.Outline(' ', &advance);
        EXPECT_EQ(advance, 82);
        EXPECT_EQ(font.Face()->ascender, 819);
        EXPECT_EQ(font.Face()->descender, -205);
        EXPECT_EQ(font.Glyph(0xA0), font.Glyph(' '));
    }
}

TEST(WebFont, LargeMoviesStillMakeFonts)
{
    // More kerning pairs than one kern subtable holds.
    TestFace many;
    for (uint16_t c = 0x100; c < 0x100 + 150; ++c)
        many.codes.push_back(c);
    for (uint16_t l : many.codes)
        for (uint16_t r : many.codes)
            many.kerning.push_back({l, r, -1 - (l * 7 + r) % 50});
    // Outlines beyond eight ems take fewer units per em.
    TestFace huge = Face({'W'}, true);
    huge.shapes = {GlyphShape({{'M', 300000, 0}, {'L', 20000, 0}, {'L', 0, -20000}})};

    const WebFontSet fonts = Build(MovieFile({many, huge}, true));
    ASSERT_EQ(fonts.faces.size(), 2u);
    {
        const FreeTypeFont font(fonts.faces[0].data);
        ASSERT_NE(font.Face(), nullptr);
        size_t right = 0;
        for (uint16_t l : many.codes)
            for (uint16_t r : many.codes)
                right += font.Kerning(l, r) == std::lround((-1 - (l * 7 + r) % 50) / 10.0);
        EXPECT_EQ(right, many.codes.size() * many.codes.size());
    }
    const FreeTypeFont font(fonts.faces[1].data);
    ASSERT_NE(font.Face(), nullptr);
    EXPECT_EQ(font.Face()->units_per_EM, 1024);
    EXPECT_EQ(font.Outline('W'), "M 15000 0 L 16000 0 L 16000 1000 L 15000 0");
}

TEST(WebFont, DamagedMoviesGiveTheirReasonAndNoFont)
{
    TestFace styled = Face({'A'});
    styled.shapes = {{0x10, 0x40, 0x00}};  // a style change that brings new styles
    TestFace overlong = Face({'A', 'B'});
    overlong.shapes = {GlyphShape({{'M', 0, 0}, {'L', 10, 0}}), GlyphShape({})};
    const std::vector<uint8_t> whole = MovieFile({overlong}, false);
    std::vector<uint8_t> brokenOffsets = whole;
    // The first glyph offset of the only font tag points back into the offset table.
    const size_t tag = std::string(whole.begin(), whole.end()).find("Test Face") + 9 + 2;
    brokenOffsets[tag] = 1;
    struct Case
    {
        const char* what;
        std::vector<uint8_t> movie;
        const char* reason;
    };
    const Case cases[] = {
        {"no movie", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}, "not a font movie"},
        {"a truncated movie", std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() / 2), "not a font movie"},
        {"a movie without glyphs", MovieFile({Face({})}, false), "it holds no glyphs"},
        {"a glyph with styles of its own", MovieFile({styled}, false), "glyph 1 of font tag 1 has a damaged shape"},
        {"glyph offsets out of order", brokenOffsets, "font tag 1 has a broken glyph offset table"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        WebFontSet fonts;
        fonts.faces.resize(1);
        wxString error;
        EXPECT_FALSE(BuildTrueTypeFonts(c.movie.data(), c.movie.size(), wxS("x"), fonts, error));
        EXPECT_TRUE(error.StartsWith(wxString::FromUTF8(c.reason))) << error;
        EXPECT_TRUE(fonts.faces.empty());
    }
}

// That the library's report of sizes stays quiet is checked where the program exports.
TEST(WebFont, CacheBuildsEachMovieOnceUntilItChanges)
{
    const TempDir dir;
    const wxString movie = dir / wxS("Big_Sans.swf");
    TestFace face = Face({'A'});
    face.shapes = {GlyphShape({{'M', 0, 0}, {'L', 1000, 0}, {'L', 0, -1000}})};
    WriteBytes(movie, MovieFile({face}, true));

    WebFontCache cache;
    wxString error;
    const std::shared_ptr<const WebFontSet> quick = cache.Woff2(movie, kWebFontQuick, error);
    ASSERT_TRUE(quick) << error;
    EXPECT_EQ(std::string(quick->faces.at(0).data.begin(), quick->faces[0].data.begin() + 4), "wOF2");
    EXPECT_EQ(cache.Woff2(movie, kWebFontQuick, error), quick);
    const std::shared_ptr<const WebFontSet> smallest = cache.Woff2(movie, kWebFontSmallest, error);
    EXPECT_NE(smallest, quick);
    EXPECT_EQ(cache.Woff2(movie, kWebFontSmallest, error), smallest);

    // A damaged movie is refused, and remembered as refused, until it is put right.
    WriteBytes(movie, {'F', 'W', 'S'});
    EXPECT_FALSE(cache.Woff2(movie, kWebFontQuick, error));
    EXPECT_TRUE(error.StartsWith(wxS("not a readable font movie"))) << error;
    error.clear();
    EXPECT_FALSE(cache.Fonts(movie, error));
    EXPECT_FALSE(error.empty());
    face.bold = true;
    WriteBytes(movie, MovieFile({face}, false));
    const std::shared_ptr<const WebFontSet> rebuilt = cache.Fonts(movie, error);
    ASSERT_TRUE(rebuilt) << error;
    EXPECT_TRUE(rebuilt->faces.at(0).bold);
}

// A note vouches for the bytes and the face it names and nothing else.
TEST(WebFont, AFileHoldsAWebFontOnlyWhileItsNoteNamesItsBytesFaceAndQuality)
{
    const TempDir dir;
    TestFace face = Face({'A'});
    face.shapes = {GlyphShape({{'M', 0, 0}, {'L', 1000, 0}, {'L', 0, -1000}})};
    WriteBytes(dir / wxS("Big_Sans.swf"), MovieFile({face}, true));
    WebFontSet fonts;
    wxString error;
    ASSERT_TRUE(BuildTrueTypeFontsOfFile(dir / wxS("Big_Sans.swf"), fonts, error)) << error;
    const std::vector<uint8_t> font = fonts.faces.at(0).data;
    std::vector<uint8_t> woff2;
    ASSERT_TRUE(CompressWoff2(font, kWebFontQuick, woff2, error)) << error;
    std::vector<uint8_t> edited = woff2, otherFont = font;
    edited.back() ^= 1;
    otherFont.back() ^= 1;

    struct Case
    {
        const char* what;
        const std::vector<uint8_t>& bytes;
        std::string note;
        const std::vector<uint8_t>& asked;
        int quality;
        bool holds;
    };
    const std::string note = WebFontNote(font, kWebFontQuick, woff2);
    const Case cases[] = {
        {"as written", woff2, note, font, kWebFontQuick, true},
        {"without a note", woff2, "", font, kWebFontQuick, false},
        {"edited after its note", edited, note, font, kWebFontQuick, false},
        {"asked at another quality", woff2, note, font, kWebFontSmallest, false},
        {"asked for another face", woff2, note, otherFont, kWebFontQuick, false},
        {"a note of other bytes", woff2, WebFontNote(font, kWebFontQuick, edited), font, kWebFontQuick, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const wxString file = dir / wxString::FromUTF8(c.what);
        WriteBytes(file, c.bytes);
        if (!c.note.empty() && !NoteWebFont(file, c.note))
            GTEST_SKIP() << "the file system keeps no extended attributes";
        EXPECT_EQ(c.holds, HoldsWebFont(file, c.asked, c.quality));
    }
}

namespace
{
// A project whose h1 has a real movie of two faces and whose p has a damaged one.
class WebFontExportTest : public CoreTest
{
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        MakeFolders(SystemFontDir() + wxS("My_Foundry"));
        WriteMovie({false, true});
        WriteTextFile(SystemFontDir() + wxS("Type_Co/Slim.swf"), "FWS-slim");
        WriteSupportFiles(ProgramDir());
        ASSERT_EQ(RC_OK, InitCore());
        wxString p = wxS("p");
        Core()->AddNewTag(p, false);
        SetFont(wxS("p"), wxS("Type Co"), wxS("Slim"));
        SetFont(wxS("h1"), wxS("My Foundry"), wxS("Big Sans"));
    }

    // Big Sans with a face per entry: upright or italic.
    void WriteMovie(const std::vector<bool>& italics)
    {
        std::vector<TestFace> faces;
        for (bool italic : italics)
        {
            faces.push_back(Face({'A'}, false, italic));
            faces.back().shapes = {GlyphShape({{'M', 0, 0}, {'L', 1000, 0}, {'L', 0, -1000}})};
        }
        WriteBytes(SystemFontDir() + wxS("My_Foundry/Big_Sans.swf"), MovieFile(faces, true));
    }

    static FileStamp Stamp(const wxString& path)
    {
        FileStamp stamp;
        EXPECT_TRUE(StampOf(path, stamp)) << path;
        return stamp;
    }
};

const char* const kWebFontLink = "\t<link rel=\"stylesheet\" href=\"glypharadata/webfonts.css\" type=\"text/css\" media=\"all\" />\n";
}

TEST_F(WebFontExportTest, SavingAndBothPreviewsWriteAWebFontPerFaceBesideTheMovie)
{
    struct Case
    {
        const char* what;
        bool allTags;
        std::function<wxString()> save;  // the page written
    };
    const Case cases[] = {
        {"storing", true, [&] {
             EXPECT_EQ(RC_OK, Core()->SaveProject(ProgramDir() + wxS("/Sites/mysite"), false, false));
             return ProgramDir() + wxS("/Sites/mysite files/mysite.html");
         }},
        {"browser preview", true, [&] {
             EXPECT_EQ(RC_OK, Core()->SaveProject(wxEmptyString, true, false));
             return Core()->GetBrowserPreviewPath();
         }},
        {"embedded preview", false, [&] {
             EXPECT_EQ(RC_OK, Core()->SaveProject(wxEmptyString, true, true));
             return Core()->GetEmbeddedPreviewPath();
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        log->Clear();
        const wxString page = c.save();
        const wxString data = page.BeforeLast('/') + wxS("/glypharadata/");
        for (const char* face : {"regular", "italic"})
        {
            const std::string font = ReadTextFile(data + wxS("fonts/My_Foundry___Big_Sans-") + face + wxS(".woff2"));
            EXPECT_EQ(font.substr(0, 4), "wOF2") << face;
        }
        EXPECT_FALSE(wxFileExists(data + wxS("fonts/My_Foundry___Big_Sans-bold.woff2")));
        EXPECT_FALSE(wxFileExists(data + wxS("fonts/Type_Co___Slim-regular.woff2")));
        const std::string css = ReadTextFile(data + wxS("webfonts.css"));
        EXPECT_NE(css.find("My_Foundry___Big_Sans-italic.woff2"), std::string::npos);
        EXPECT_EQ(css.find("Slim"), std::string::npos) << "no rule names a font that was not made";
        EXPECT_NE(ReadTextFile(page).find(kWebFontLink), std::string::npos);
        // The damaged movie is still copied for the runtime to try; why it has no web font is traced.
        EXPECT_TRUE(wxFileExists(data + wxS("fonts/Type_Co___Slim.swf")) || !c.allTags);
        EXPECT_EQ(log->Contains(wxS("Unable to make web fonts of ") + SystemFontDir() + wxS("Type_Co/Slim.swf: ")),
                  c.allTags);
    }
    // The stored page is titled after the project.
    EXPECT_NE(ReadTextFile(ProgramDir() + wxS("/Sites/mysite files/mysite.html")).find("<title>mysite</title>"),
              std::string::npos);
}

TEST_F(WebFontExportTest, WebFontsAreRewrittenOnlyWhenTheirMovieChanges)
{
    const wxString fonts = ProgramDir() + wxS("/Sites/mysite files/glypharadata/fonts/My_Foundry___Big_Sans-");
    auto save = [&] { ASSERT_EQ(RC_OK, Core()->SaveProject(ProgramDir() + wxS("/Sites/mysite"), true, false)); };
    save();
    const FileStamp regular = Stamp(fonts + wxS("regular.woff2"));
    save();
    EXPECT_TRUE(Stamp(fonts + wxS("regular.woff2")) == regular);
    ASSERT_TRUE(wxRemoveFile(fonts + wxS("italic.woff2")));
    save();
    EXPECT_TRUE(wxFileExists(fonts + wxS("italic.woff2")));

    // The movie loses its italic face: the upright one comes out the same and is left as it
    // was, and no rule names the italic any more.
    WriteMovie({false});
    save();
    EXPECT_TRUE(Stamp(fonts + wxS("regular.woff2")) == regular);
    const std::string css = ReadTextFile(ProgramDir() + wxS("/Sites/mysite files/glypharadata/webfonts.css"));
    EXPECT_NE(css.find("regular"), std::string::npos) << css;
    EXPECT_EQ(css.find("italic"), std::string::npos) << css;
}

// A web font file that an earlier run made of the same face stays as it is, where saving
// writes it and where an export would move it; one edited since is made again.
TEST_F(WebFontExportTest, AWebFontWhoseNoteNamesItsFaceIsKeptAndOneEditedSinceIsMadeAgain)
{
    WebFontSet faces;
    wxString error;
    ASSERT_TRUE(BuildTrueTypeFontsOfFile(SystemFontDir() + wxS("My_Foundry/Big_Sans.swf"), faces, error)) << error;
    const std::vector<uint8_t>& regular = faces.faces.at(0).data;
    const wxString sites = ProgramDir() + wxS("/Sites/");
    ASSERT_EQ(RC_OK, Core()->SaveProject(sites + wxS("mysite"), true, false));
    // Where files keep no extended attributes, no file carries a note.
    WriteBytes(sites + wxS("probe"), {'x'});
    const bool notes = NoteWebFont(sites + wxS("probe"), "x");
    wxRemoveFile(sites + wxS("probe"));
    if (!notes)
        GTEST_SKIP() << "the file system keeps no extended attributes";
    wxString message;
    const std::function<void()> save = [&] { ASSERT_EQ(RC_OK, Core()->SaveProject(sites + wxS("mysite"), true, false)); };
    const std::function<void()> exportTo = [&] {
        ASSERT_EQ(RC_OK, Core()->ExportProject(sites + wxS("mysite.xml"), sites + wxS("public"), message)) << message;
    };
    const struct
    {
        const char* what;
        const std::function<void()>& write;
        wxString file;
    } cases[] = {
        {"saving", save, sites + wxS("mysite files/glypharadata/fonts/My_Foundry___Big_Sans-regular.woff2")},
        {"exporting", exportTo, sites + wxS("public/glypharadata/fonts/My_Foundry___Big_Sans-regular.woff2")},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        c.write();
        ASSERT_TRUE(HoldsWebFont(c.file, regular, kWebFontSmallest)) << "the file written carries its note";
        const std::vector<uint8_t> standIn = {'k', 'e', 'p', 't'};
        WriteBytes(c.file, standIn);
        ASSERT_TRUE(NoteWebFont(c.file, WebFontNote(regular, kWebFontSmallest, standIn)));
        c.write();
        EXPECT_EQ("kept", ReadTextFile(c.file));

        WriteTextFile(c.file, "kept, then edited");
        c.write();
        EXPECT_EQ("wOF2", ReadTextFile(c.file).substr(0, 4));
    }
}
