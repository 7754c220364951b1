// Runs the built maker on Debian's fonts and reads what it wrote with the tests' own reader.
#include "MakerSupport.h"
#include "SwfReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

using namespace swftest;
namespace fs = std::filesystem;

namespace
{

const double kScale2048 = 20480.0 / 2048.0;

Movie ReadMovieFile(const std::string& path)
{
    return ReadMovie(ReadFile(path));
}

int CountLines(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// Checks one face of a movie against FreeType's view of the font file.
void ExpectFaceMatchesFont(const Font& font, const std::string& fontPath, const std::vector<uint16_t>& expectedCodes)
{
    FtFace face(fontPath);
    EXPECT_TRUE(font.hasLayout);
    EXPECT_TRUE(font.wideCodes);
    ASSERT_EQ(font.codes, expectedCodes) << fontPath;
    ASSERT_EQ(font.glyphs.size(), font.codes.size());
    ASSERT_EQ(font.advances.size(), font.codes.size());
    const double scale = 20480.0 / face->units_per_EM;
    EXPECT_EQ(font.ascent, static_cast<unsigned>(std::lround(face->ascender * scale)));
    EXPECT_EQ(font.descent, static_cast<unsigned>(std::lround(-face->descender * scale)));
    for (size_t i = 0; i < font.codes.size(); ++i)
    {
        EXPECT_EQ(font.advances[i], ExpectedAdvance(face.Get(), font.codes[i])) << "U+" << std::hex << font.codes[i];
        // Every point of the outline lies within the glyph's bounds.
        const Rect& b = font.bounds[i];
        for (const Contour& c : font.glyphs[i].contours)
            for (const Edge& e : c.edges)
            {
                EXPECT_TRUE(e.to.x >= b.xMin - 1 && e.to.x <= b.xMax + 1 && e.to.y >= b.yMin - 1 && e.to.y <= b.yMax + 1)
                    << "U+" << std::hex << font.codes[i];
            }
    }
}

// For a TrueType face: the same contours, and every on-curve point of FreeType's outline
// (scaled, y downwards) is an end point of an edge of the corresponding contour. Contours of
// a single point draw nothing (fonts keep them as anchors) and have no counterpart.
void ExpectTrueTypeOutlines(const Font& font, const std::string& fontPath, double scale)
{
    FtFace face(fontPath);
    for (size_t i = 0; i < font.codes.size(); ++i)
    {
        ASSERT_EQ(FT_Load_Char(face.Get(), font.codes[i], FT_LOAD_NO_SCALE), 0);
        const FT_Outline& o = face->glyph->outline;
        std::vector<std::pair<int, int>> drawn;
        int first = 0;
        for (int c = 0; c < o.n_contours; ++c)
        {
            if (o.contours[c] > first)
                drawn.emplace_back(first, o.contours[c]);
            first = o.contours[c] + 1;
        }
        ASSERT_EQ(font.glyphs[i].contours.size(), drawn.size()) << "U+" << std::hex << font.codes[i];
        for (size_t c = 0; c < drawn.size(); ++c)
        {
            const Contour& contour = font.glyphs[i].contours[c];
            for (int p = drawn[c].first; p <= drawn[c].second; ++p)
            {
                if (FT_CURVE_TAG(o.tags[p]) != FT_CURVE_TAG_ON)
                    continue;
                const double x = std::round(o.points[p].x * scale), y = std::round(-o.points[p].y * scale);
                const bool found = std::any_of(contour.edges.begin(), contour.edges.end(),
                                               [&](const Edge& e) { return e.to.x == x && e.to.y == y; });
                EXPECT_TRUE(found) << "U+" << std::hex << font.codes[i] << " point " << std::dec << p;
            }
        }
    }
}

}

TEST(Moldwright, FamilyOfFourFacesMakesOneCompressedMovie)
{
    ScratchFolder out;
    const std::string d = kDejaVu;
    // Given in another order than the markers, to see the maker sort them.
    const RunResult r = RunMaker({"-o", out.Path(), d + "DejaVuSans-BoldOblique.ttf", d + "DejaVuSans.ttf",
                                  d + "DejaVuSans-Bold.ttf", d + "DejaVuSans-Oblique.ttf"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string base = "DejaVu_Sans_[regular][italic][bold][bolditalic]";
    ASSERT_EQ(FilesBelow(out.Path()), (std::vector<std::string>{base + ".png", base + ".swf", base + "@2x.png"}));

    const std::vector<uint8_t> bytes = ReadFile(out / (base + ".swf"));
    const Movie m = ReadMovie(bytes);
    EXPECT_EQ(m.signature, "CWS");
    EXPECT_GE(m.version, 8u);
    EXPECT_EQ(m.declaredLength, m.actualLength);
    EXPECT_LT(bytes.size(), m.actualLength);
    EXPECT_EQ(m.frameCount, 1u);
    EXPECT_EQ(m.tagCodes, (std::vector<unsigned>{69, 75, 75, 75, 75, 1, 0}));

    const std::string files4[] = {"DejaVuSans.ttf", "DejaVuSans-Oblique.ttf", "DejaVuSans-Bold.ttf",
                                  "DejaVuSans-BoldOblique.ttf"};
    const bool italic[] = {false, true, false, true};
    const bool bold[] = {false, false, true, true};
    std::vector<unsigned> ids;
    for (size_t i = 0; i < 4; ++i)
    {
        const Font& f = m.fonts[i];
        SCOPED_TRACE(files4[i]);
        ids.push_back(f.id);
        EXPECT_EQ(f.name, "DejaVu Sans");
        EXPECT_EQ(f.italic, italic[i]);
        EXPECT_EQ(f.bold, bold[i]);
        FtFace face(d + files4[i]);
        ExpectFaceMatchesFont(f, d + files4[i], MappedCodes(face.Get(), WesternEuropeanCodes()));
        ExpectTrueTypeOutlines(f, d + files4[i], kScale2048);
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end()) << "font ids must differ";

    const PngInfo png = InspectPng(out / (base + ".png"));
    EXPECT_GE(png.height, 22);
    EXPECT_LE(png.height, 26);
    EXPECT_GT(png.width, png.height * 3);
    EXPECT_GT(png.transparentPixels, png.width * png.height / 2);
    EXPECT_GT(png.partialPixels, 20) << "text should be antialiased";

    // The picture for high-density screens: the same text at twice the size, drawn at that
    // size rather than the small one with its pixels doubled.
    const PngInfo sharp = InspectPng(out / (base + "@2x.png"));
    ASSERT_EQ(sharp.width, 2 * png.width);
    ASSERT_EQ(sharp.height, 2 * png.height);
    double ink = 0, sharpInk = 0;
    for (uint8_t a : png.alpha)
        ink += a;
    for (uint8_t a : sharp.alpha)
        sharpInk += a;
    EXPECT_NEAR(sharpInk / ink, 4.0, 0.6);
    int unevenBlocks = 0;
    for (int y = 0; y < sharp.height; y += 2)
        for (int x = 0; x < sharp.width; x += 2)
        {
            const uint8_t a = sharp.Alpha(x, y);
            unevenBlocks += a != sharp.Alpha(x + 1, y) || a != sharp.Alpha(x, y + 1) || a != sharp.Alpha(x + 1, y + 1);
        }
    EXPECT_GT(unevenBlocks, png.partialPixels / 2);
}

// HarfBuzz, as browsers shape text, is the reference: the kerning of a pair is what it adds
// to the first glyph's advance when it shapes the two characters with kerning alone.
TEST(Moldwright, KerningPairsAreThoseTextShapersApply)
{
    const std::string chars = "AVTYWLPFaoeyr.,-\xC3\x80\xC3\xA9";  // ... plus À and é
    const std::string fonts[] = {std::string(kLiberation) + "LiberationSans-Regular.ttf",  // 'kern' table
                                 std::string(kDejaVu) + "DejaVuSans-Bold.ttf",
                                 std::string(kUrw) + "NimbusSans-Regular.otf",  // GPOS pairs
                                 std::string(kCabin) + "Cabin-Italic.otf"};  // GPOS classes
    for (const std::string& path : fonts)
    {
        SCOPED_TRACE(path);
        ScratchFolder out;
        const RunResult r = RunMaker({"--chars", chars, "--name", "K", "-o", out.Path(), path});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Movie m = ReadMovieFile(MovieIn(out.Path()));
        ASSERT_EQ(m.fonts.size(), 1u);
        const Font& f = m.fonts[0];
        std::map<std::pair<uint16_t, uint16_t>, int> inMovie;
        for (const Kerning& k : f.kerning)
            EXPECT_TRUE(inMovie.emplace(std::make_pair(k.left, k.right), k.adjustment).second) << "pair listed twice";

        const std::map<std::pair<uint16_t, uint16_t>, int> shaped = ShapedKerning(path, f.codes);
        EXPECT_FALSE(shaped.empty());
        EXPECT_EQ(inMovie, shaped);
    }
}

namespace
{

Point CubicAt(const Point p[4], double t)
{
    const double u = 1 - t;
    const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    return {a * p[0].x + b * p[1].x + c * p[2].x + d * p[3].x, a * p[0].y + b * p[1].y + c * p[2].y + d * p[3].y};
}

Point EdgeAt(const Edge& e, double t)
{
    const double u = 1 - t;
    return {u * u * e.from.x + 2 * u * t * e.control.x + t * t * e.to.x,
            u * u * e.from.y + 2 * u * t * e.control.y + t * t * e.to.y};
}

double DistanceToPolyline(Point p, const std::vector<Point>& line)
{
    double best = 1e300;
    for (size_t i = 0; i + 1 < line.size(); ++i)
    {
        const Point a = line[i], b = line[i + 1];
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
        t = std::max(0.0, std::min(1.0, t));
        best = std::min(best, std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy)));
    }
    return best;
}

// The cubic contours of a CFF glyph in movie units, sampled densely.
std::vector<std::vector<Point>> SampledCubicContours(FT_Face face, double scale)
{
    const FT_Outline& o = face->glyph->outline;
    std::vector<std::vector<Point>> contours;
    int first = 0;
    for (int c = 0; c < o.n_contours; ++c)
    {
        const int last = o.contours[c];
        auto pt = [&](int i) {
            const int k = first + (i - first) % (last - first + 1);
            return Point{o.points[k].x * scale, -o.points[k].y * scale};
        };
        std::vector<Point> samples{pt(first)};
        for (int i = first; i <= last;)
        {
            if (FT_CURVE_TAG(o.tags[first + (i + 1 - first) % (last - first + 1)]) == FT_CURVE_TAG_CUBIC)
            {
                const Point p[4] = {pt(i), pt(i + 1), pt(i + 2), pt(i + 3)};
                for (int s = 1; s <= 64; ++s)
                    samples.push_back(CubicAt(p, s / 64.0));
                i += 3;
            }
            else
            {
                samples.push_back(pt(i + 1));
                i += 1;
            }
        }
        contours.push_back(samples);
        first = last + 1;
    }
    return contours;
}

std::vector<Point> SampledContour(const Contour& c)
{
    std::vector<Point> samples{c.start};
    for (const Edge& e : c.edges)
    {
        if (!e.curved)
            samples.push_back(e.to);
        else
            for (int s = 1; s <= 32; ++s)
                samples.push_back(EdgeAt(e, s / 32.0));
    }
    return samples;
}

}

// Half a unit of the 1024-unit em is 10 movie units; rounding points to whole movie units
// and sampling add well under one more.
TEST(Moldwright, CubicOutlinesBecomeQuadraticsWithinHalfAUnit)
{
    struct Case
    {
        std::string file;
        std::string chars;
    };
    const Case cases[] = {{std::string(kUrw) + "NimbusSans-Regular.otf", "aeg&@SQ%8"},
                          {std::string(kUrw) + "Z003-MediumItalic.otf", "AgQ&fz"}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file);
        ScratchFolder out;
        // Uncompressed this time, to read the FWS form as well.
        const RunResult r = RunMaker({"--fws", "--chars", c.chars, "--name", "Probe", "-o", out.Path(), c.file});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Movie m = ReadMovieFile(MovieIn(out.Path()));
        EXPECT_EQ(m.signature, "FWS");
        EXPECT_EQ(m.declaredLength, m.actualLength);
        ASSERT_EQ(m.fonts.size(), 1u);
        const Font& f = m.fonts[0];

        FtFace face(c.file);
        const double scale = 20480.0 / face->units_per_EM;
        ASSERT_EQ(f.codes.size(), c.chars.size());
        size_t quadratics = 0;
        for (size_t g = 0; g < f.codes.size(); ++g)
        {
            ASSERT_EQ(FT_Load_Char(face.Get(), f.codes[g], FT_LOAD_NO_SCALE), 0);
            const auto cubic = SampledCubicContours(face.Get(), scale);
            const auto& contours = f.glyphs[g].contours;
            ASSERT_EQ(contours.size(), cubic.size()) << "U+" << std::hex << f.codes[g];
            double worst = 0;
            for (size_t k = 0; k < contours.size(); ++k)
            {
                const std::vector<Point> quad = SampledContour(contours[k]);
                for (const Edge& e : contours[k].edges)
                    quadratics += e.curved ? 1 : 0;
                for (const Point& p : cubic[k])
                    worst = std::max(worst, DistanceToPolyline(p, quad));
                for (const Point& p : quad)
                    worst = std::max(worst, DistanceToPolyline(p, cubic[k]));
            }
            EXPECT_LE(worst, 10.8) << "U+" << std::hex << f.codes[g];
        }
        EXPECT_GT(quadratics, f.codes.size() * 4);
    }
}

TEST(Moldwright, CharacterSetsChooseTheCodeTable)
{
    const std::string sans = std::string(kDejaVu) + "DejaVuSans.ttf";
    ScratchFolder scratch;
    // A site's page: line ends, tabs and a byte order mark are no characters of its text.
    std::ofstream(scratch / "page.txt") << "\xEF\xBB\xBF<p>Caf\xC3\xA9\tz</p> \r\n\xC5\x81\n";
    std::ofstream(scratch / "latin1.txt") << "Caf\xE9";
    struct Case
    {
        const char* what;
        std::vector<std::string> args;
        std::vector<uint16_t> codes;
        std::vector<std::string> inErr;  // each on the one line of standard error
    };
    const std::vector<Case> cases = {
        // Repeats collapse, order does not matter; the font lacks one character, and has one
        // that a 16-bit code table cannot hold.
        {"text",
         {"--chars", "zaa\xE2\x82\xAC\xF0\x9D\x84\x9E\xF0\x90\x8C\x80"},
         {'a', 'z', 0x20AC},
         {"lacks 1 of the chosen characters: U+1D11E", "U+10300", "16-bit"}},
        {"file", {"--chars-from", scratch / "page.txt"}, {' ', '/', '<', '>', 'C', 'a', 'f', 'p', 'z', 0xE9, 0x141}, {}},
        {"file and text", {"--chars-from", scratch / "page.txt", "--chars", "9"},
         {' ', '/', '9', '<', '>', 'C', 'a', 'f', 'p', 'z', 0xE9, 0x141}, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        ScratchFolder out;
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-o", out.Path(), sans});
        const RunResult r = RunMaker(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(ReadMovieFile(out / "DejaVu_Sans.swf").fonts.at(0).codes, c.codes);
        for (const std::string& part : c.inErr)
            EXPECT_NE(r.err.find(part), std::string::npos) << r.err;
        EXPECT_LE(CountLines(r.err), 2) << r.err;
    }
    {
        ScratchFolder out;
        const RunResult r = RunMaker({"--chars", "all", "-o", out.Path(), sans});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Movie m = ReadMovieFile(out / "DejaVu_Sans.swf");
        const Font& f = m.fonts.at(0);
        FtFace face(sans);
        std::vector<uint16_t> expected;
        size_t beyond = 0;
        FT_UInt glyph = 0;
        for (FT_ULong c = FT_Get_First_Char(face.Get(), &glyph); glyph != 0; c = FT_Get_Next_Char(face.Get(), c, &glyph))
        {
            if (c <= 0xFFFF)
                expected.push_back(static_cast<uint16_t>(c));
            else
                ++beyond;
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(f.codes, expected);
        EXPECT_NE(r.err.find("has " + std::to_string(beyond) + " characters above U+FFFF"), std::string::npos) << r.err;
        EXPECT_TRUE(f.wideOffsets) << "thousands of glyphs need 32-bit offsets";
        for (size_t i = 0; i < f.codes.size(); ++i)
            ASSERT_EQ(f.advances[i], ExpectedAdvance(face.Get(), f.codes[i])) << "U+" << std::hex << f.codes[i];
    }
    // Characters that no movie can hold, or a file that is no UTF-8 text, make no movie.
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"--chars", "\xF0\x9F\x98\x80"}, "U+1F600 \xF0\x9F\x98\x80 lies above U+FFFF"},
        {{"--chars-from", scratch / "latin1.txt"}, "latin1.txt is not UTF-8 text"},
        {{"--chars-from", scratch / "missing.txt"}, "cannot read " + scratch / "missing.txt"}};
    for (const auto& [args, message] : refused)
    {
        SCOPED_TRACE(message);
        ScratchFolder out;
        std::vector<std::string> all = args;
        all.insert(all.end(), {"-o", out.Path(), sans});
        const RunResult r = RunMaker(all);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(CountLines(r.err), 1) << r.err;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_TRUE(FilesBelow(out.Path()).empty());
    }
}

TEST(Moldwright, NamesAndPlacesFollowTheFontLibrary)
{
    const std::string d = kDejaVu;
    {
        ScratchFolder out;
        const RunResult r = RunMaker({"--foundry", "Type  Co", "--foundry-picture", "-o", out / "new/deeper",
                                      d + "DejaVuSerif.ttf"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(FilesBelow(out / "new/deeper"),
                  (std::vector<std::string>{"Type_Co/DejaVu_Serif.png", "Type_Co/DejaVu_Serif.swf",
                                            "Type_Co/DejaVu_Serif@2x.png", "Type_Co/foundry.png",
                                            "Type_Co/foundry@2x.png"}));
        for (const int scale : {1, 2})
        {
            const PngInfo header =
                InspectPng(out / (scale == 1 ? "new/deeper/Type_Co/foundry.png" : "new/deeper/Type_Co/foundry@2x.png"));
            EXPECT_EQ(header.width, 300 * scale);
            EXPECT_EQ(header.height, 28 * scale);
            EXPECT_GT(header.partialPixels + header.opaquePixels, 50 * scale * scale);
        }
    }
    {
        ScratchFolder out;
        const RunResult r = RunMaker({"--foundry", "Type Co", "--import-name", "-o", out.Path(),
                                      d + "DejaVuSerif-Italic.ttf", d + "DejaVuSerif-Bold.ttf"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(FilesBelow(out.Path()), (std::vector<std::string>{"Type_Co___DejaVu_Serif_[italic][bold].png",
                                                                    "Type_Co___DejaVu_Serif_[italic][bold].swf",
                                                                    "Type_Co___DejaVu_Serif_[italic][bold]@2x.png"}));
    }
    {
        // A lone italic face is more than the regular face, so it carries its marker.
        ScratchFolder out;
        const RunResult r = RunMaker({"--name", "My Script", "-o", out.Path(), d + "DejaVuSerif-Italic.ttf"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(fs::exists(out / "My_Script_[italic].swf"));
        EXPECT_EQ(ReadMovieFile(out / "My_Script_[italic].swf").fonts.at(0).name, "My Script");
    }
    {
        // A face that cannot write its name still gets a preview, of its own letters.
        ScratchFolder out;
        const RunResult r = RunMaker({"--name", "\xE4\xB8\xAD\xE6\x96\x87", "-o", out.Path(), d + "DejaVuSerif.ttf"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(FilesBelow(out.Path()), (std::vector<std::string>{"\xE4\xB8\xAD\xE6\x96\x87.png",
                                                                    "\xE4\xB8\xAD\xE6\x96\x87.swf",
                                                                    "\xE4\xB8\xAD\xE6\x96\x87@2x.png"}));
        EXPECT_GT(InspectPng(out / "\xE4\xB8\xAD\xE6\x96\x87.png").opaquePixels, 20);
    }
}

TEST(Moldwright, BadInputsFailWithOneLineAndLeaveNothing)
{
    ScratchFolder scratch;
    const std::string sans = std::string(kDejaVu) + "DejaVuSans.ttf";
    {
        std::ofstream(scratch / "notafont.ttf") << "This is plain text, not a font.\n";
        std::ofstream(scratch / "afile") << "x";
        fs::create_directories(scratch / "afolder.ttf");
        // Cut short, and with its outlines overwritten every so often.
        std::vector<uint8_t> font = ReadFile(sans);
        std::ofstream(scratch / "short.ttf", std::ios::binary).write(reinterpret_cast<const char*>(font.data()), 20000);
        std::ofstream(scratch / "header.ttf", std::ios::binary).write(reinterpret_cast<const char*>(font.data()), 8);
        for (size_t i = 2000; i < font.size(); i += 997)
            font[i] ^= 0xFF;
        std::ofstream(scratch / "garbled.ttf", std::ios::binary)
            .write(reinterpret_cast<const char*>(font.data()), static_cast<std::streamsize>(font.size()));
    }
    struct Case
    {
        const char* what;
        std::vector<std::string> args;
        std::string said;  // part of the one line of standard error
    };
    const std::string out = scratch / "out";
    const std::vector<Case> cases = {
        {"not a font", {"-o", out, scratch / "notafont.ttf"}, "notafont.ttf is not a font file"},
        {"font then not a font", {"-o", out, sans, scratch / "notafont.ttf"}, "is not a font file"},
        {"missing file", {"-o", out, scratch / "missing.ttf"}, "cannot read " + scratch / "missing.ttf" + ": No such file"},
        {"a folder", {"-o", out, scratch / "afolder.ttf"}, "cannot read " + scratch / "afolder.ttf" + ": it is a folder"},
        {"truncated", {"-o", out, scratch / "short.ttf"}, "short.ttf is damaged or truncated: it ends before its"},
        {"truncated header", {"-o", out, scratch / "header.ttf"}, "header.ttf is damaged or truncated"},
        {"damaged outlines", {"-o", out, scratch / "garbled.ttf"}, "garbled.ttf is damaged or truncated"},
        {"no glyph for the set", {"--chars", "\xE4\xB8\xAD\xE6\x96\x87", "-o", out, sans}, "has no glyph"},
        {"output is a file", {"-o", scratch / "afile", sans}, "not a folder"},
        {"output below a file", {"-o", scratch / "afile/sub", sans}, "not a folder"},
        {"two regular faces", {"-o", out, sans, sans}, "are both the regular face"},
        {"five faces", {"-o", out, sans, sans, sans, sans, sans}, "at most four faces"},
        {"no output folder", {sans}, "no output folder"},
        {"unknown option", {"--bold", "-o", out, sans}, "unknown option --bold"},
        {"face of no collection", {"-o", out, "--face", "1", sans}, "holds one face, numbered 0: --face 1 is none"},
        {"face after the file", {"-o", out, sans, "--face", "0"}, "--face 0 is not followed by a font file"},
        {"instance of a static font", {"-o", out, "--instance", "Bold", sans}, "is not a variable font"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        fs::remove_all(out);
        fs::create_directories(out);
        const RunResult r = RunMaker(c.args);
        EXPECT_NE(r.exitCode, 0);
        EXPECT_EQ(CountLines(r.err), 1) << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
        EXPECT_TRUE(FilesBelow(out).empty());
    }

    // A foundry folder that cannot be made because a file holds its name.
    fs::remove_all(out);
    fs::create_directories(out);
    std::ofstream(out + "/Type_Co") << "x";
    const RunResult r = RunMaker({"--foundry", "Type Co", "-o", out, sans});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_EQ(CountLines(r.err), 1) << r.err;
    EXPECT_EQ(FilesBelow(out), std::vector<std::string>{"Type_Co"});

    if (geteuid() != 0)
    {
        // Only meaningful where permissions bind, which they do not for root.
        fs::remove_all(out);
        fs::create_directories(out);
        fs::permissions(out, fs::perms::owner_read | fs::perms::owner_exec);
        const RunResult locked = RunMaker({"-o", out, sans});
        fs::permissions(out, fs::perms::owner_all);
        EXPECT_NE(locked.exitCode, 0);
        EXPECT_EQ(CountLines(locked.err), 1) << locked.err;
        EXPECT_TRUE(FilesBelow(out).empty());
    }
}
