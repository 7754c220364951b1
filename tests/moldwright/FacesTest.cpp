// The faces a designer owns: weights beside the four styles, collections, variable fonts,
// Type 1 fonts with their metrics files, and fonts made for other scripts than Latin.
#include "MakerSupport.h"
#include "SwfReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

using namespace swftest;
namespace fs = std::filesystem;

namespace
{

const std::string kDejaVuDir = kDejaVu;
const std::string kCabinDir = kCabin;
const std::string kUrwDir = kUrw;
const std::string kInter = "/usr/share/fonts/truetype/inter-vf/";
const std::string kCollection = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
const std::string kType1 = "/usr/share/fonts/type1/urw-base35/";
const std::string kArabic = "/usr/share/fonts/truetype/kacst-one/KacstOne.ttf";
const std::string kDevanagari = "/usr/share/fonts/truetype/lohit-devanagari/Lohit-Devanagari.ttf";
const std::string kKernChars = "AVTYWLPFaoeyr.,-";

std::string Markers(const Movie& m)
{
    std::string markers;
    for (const Font& f : m.fonts)
        markers += f.bold ? (f.italic ? "[bolditalic]" : "[bold]") : (f.italic ? "[italic]" : "[regular]");
    return markers;
}

std::map<std::pair<uint16_t, uint16_t>, int> KerningOf(const Font& f)
{
    std::map<std::pair<uint16_t, uint16_t>, int> pairs;
    for (const Kerning& k : f.kerning)
        pairs[{k.left, k.right}] = k.adjustment;
    return pairs;
}

int Lines(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

bool Says(const RunResult& r, const std::string& part)
{
    return r.err.find(part) != std::string::npos;
}

}

TEST(Faces, WeightsBesideTheFourStylesMakeFamiliesOfTheirOwn)
{
    struct Case
    {
        std::vector<std::string> args;
        std::string movie;
        std::string family;
        std::string markers;
    };
    const std::vector<Case> cases = {
        {{kDejaVuDir + "DejaVuSans.ttf"}, "DejaVu_Sans.swf", "DejaVu Sans", "[regular]"},
        {{kDejaVuDir + "DejaVuSans-ExtraLight.ttf"}, "DejaVu_Sans_Light.swf", "DejaVu Sans Light", "[regular]"},
        {{kCabinDir + "Cabin-Regular.otf"}, "Cabin.swf", "Cabin", "[regular]"},
        {{kCabinDir + "Cabin-Medium.otf", kCabinDir + "Cabin-MediumItalic.otf"}, "Cabin_Medium_[regular][italic].swf",
         "Cabin Medium", "[regular][italic]"},
        {{kCabinDir + "Cabin-SemiBold.otf"}, "Cabin_SemiBold.swf", "Cabin SemiBold", "[regular]"},
        {{"/usr/share/fonts/opentype/yanone-kaffeesatz/YanoneKaffeesatz-ExtraLight.otf"},
         "Yanone_Kaffeesatz_ExtraLight.swf", "Yanone Kaffeesatz ExtraLight", "[regular]"},
        {{"/usr/share/fonts/truetype/comfortaa/Comfortaa-Light.ttf"}, "Comfortaa_Light.swf", "Comfortaa Light",
         "[regular]"},
        // Book is marked as its family's regular weight; Demi is not marked as its bold.
        {{kUrwDir + "URWGothic-Book.otf", kUrwDir + "URWGothic-BookOblique.otf"}, "URW_Gothic_[regular][italic].swf",
         "URW Gothic", "[regular][italic]"},
        {{kUrwDir + "URWGothic-Demi.otf"}, "URW_Gothic_Demi.swf", "URW Gothic Demi", "[regular]"},
        // Put together under a name, the heavier of two weights is the bold.
        {{"--name", "Cabin Text", kCabinDir + "Cabin-Regular.otf", kCabinDir + "Cabin-SemiBold.otf"},
         "Cabin_Text_[regular][bold].swf", "Cabin Text", "[regular][bold]"},
    };
    // All into one folder: each weight keeps its own movie.
    ScratchFolder out;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.movie);
        std::vector<std::string> args{"--chars", "Hin", "-o", out.Path()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const RunResult r = RunMaker(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out.rfind(out / c.movie + ": ", 0), 0u) << r.out;
    }
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.movie);
        const Movie m = ReadMovie(ReadFile(out / c.movie));
        EXPECT_EQ(Markers(m), c.markers);
        for (const Font& f : m.fonts)
            EXPECT_EQ(f.name, c.family);
    }
    // The bold of the named family is the SemiBold face.
    FtFace semiBold(kCabinDir + "Cabin-SemiBold.otf");
    const Font bold = ReadMovie(ReadFile(out / "Cabin_Text_[regular][bold].swf")).fonts.at(1);
    for (size_t i = 0; i < bold.codes.size(); ++i)
        EXPECT_EQ(bold.advances[i], ExpectedAdvance(semiBold.Get(), bold.codes[i]));

    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{kCabinDir + "Cabin-Regular.otf", kCabinDir + "Cabin-Medium.otf"}, "different families (Cabin, Cabin Medium)"},
        {{"--name", "Cabin", kCabinDir + "Cabin-Regular.otf", kCabinDir + "Cabin-Medium.otf", kCabinDir + "Cabin-Bold.otf"},
         "the faces have 3 weights (400, 500, 700)"},
    };
    for (const auto& [args, message] : refused)
    {
        ScratchFolder none;
        std::vector<std::string> all{"-o", none.Path()};
        all.insert(all.end(), args.begin(), args.end());
        const RunResult r = RunMaker(all);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(Lines(r.err), 1);
        EXPECT_TRUE(Says(r, message)) << r.err;
        EXPECT_TRUE(FilesBelow(none.Path()).empty());
    }
}

TEST(Faces, AnotherFamilysMovieIsNeverReplacedUntold)
{
    ScratchFolder out;
    const std::string sans = kDejaVuDir + "DejaVuSans.ttf", serif = kDejaVuDir + "DejaVuSerif.ttf";
    ASSERT_EQ(RunMaker({"--name", "Foo Bar", "-o", out.Path(), sans}).exitCode, 0);
    const std::vector<uint8_t> movie = ReadFile(out / "Foo_Bar.swf"), picture = ReadFile(out / "Foo_Bar.png");

    // "Foo_Bar" takes the same file name as "Foo Bar".
    RunResult r = RunMaker({"--name", "Foo_Bar", "-o", out.Path(), serif});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(Lines(r.err), 1);
    EXPECT_TRUE(Says(r, "\"Foo Bar\"") && Says(r, "\"Foo_Bar\"") && Says(r, "--replace")) << r.err;
    EXPECT_EQ(ReadFile(out / "Foo_Bar.swf"), movie);
    EXPECT_EQ(ReadFile(out / "Foo_Bar.png"), picture);
    EXPECT_EQ(FilesBelow(out.Path()), (std::vector<std::string>{"Foo_Bar.png", "Foo_Bar.swf", "Foo_Bar@2x.png"}));

    // The same family is made again without asking; another one when told to.
    r = RunMaker({"--name", "Foo Bar", "--chars", "abc", "-o", out.Path(), sans});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadMovie(ReadFile(out / "Foo_Bar.swf")).fonts.at(0).codes.size(), 3u);
    r = RunMaker({"--name", "Foo_Bar", "--replace", "-o", out.Path(), serif});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadMovie(ReadFile(out / "Foo_Bar.swf")).fonts.at(0).name, "Foo_Bar");

    // A file of that name that is no movie at all is not taken for an old one of this family.
    std::ofstream(out / "Baz.swf") << "notes, not a movie";
    r = RunMaker({"--name", "Baz", "-o", out.Path(), sans});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Says(r, "Baz.swf already exists and is not a font movie")) << r.err;
    const std::vector<uint8_t> notes = ReadFile(out / "Baz.swf");
    EXPECT_EQ(std::string(notes.begin(), notes.end()), "notes, not a movie");
}

TEST(Faces, CollectionsGiveTheFaceChosenByNumber)
{
    ScratchFolder out;
    RunResult r = RunMaker({"-o", out.Path(), kCollection});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(Lines(r.err), 1);
    EXPECT_TRUE(Says(r, "collection of 2 faces; choose one with --face N before it: 0 WenQuanYi Micro Hei Regular, "
                        "1 WenQuanYi Micro Hei Mono Regular"))
        << r.err;
    EXPECT_TRUE(FilesBelow(out.Path()).empty());

    const std::string movies[] = {"WenQuanYi_Micro_Hei.swf", "WenQuanYi_Micro_Hei_Mono.swf"};
    for (long face = 0; face < 2; ++face)
    {
        SCOPED_TRACE(face);
        r = RunMaker({"--chars", "iW", "-o", out.Path(), "--face", std::to_string(face), kCollection});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Font f = ReadMovie(ReadFile(out / movies[face])).fonts.at(0);
        FtFace reference(kCollection, face);
        ASSERT_EQ(f.codes, (std::vector<uint16_t>{'W', 'i'}));
        EXPECT_EQ(f.advances[0], ExpectedAdvance(reference.Get(), 'W'));
        EXPECT_EQ(f.advances[1], ExpectedAdvance(reference.Get(), 'i'));
        // Only the second face is monospaced: the faces are told apart.
        EXPECT_EQ(f.advances[0] == f.advances[1], face == 1);
    }

    r = RunMaker({"-o", out.Path(), "--face", "2", kCollection});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Says(r, "holds 2 faces, numbered 0 to 1: --face 2 is none of them")) << r.err;
}

TEST(Faces, VariableFontsGiveTheirNamedInstances)
{
    const std::string roman = kInter + "Inter-roman.var.ttf", italic = kInter + "Inter-italic.var.ttf";
    ScratchFolder out;
    const RunResult r = RunMaker({"--chars", kKernChars, "-o", out.Path(), "--instance", "Regular", roman, "--instance",
                                  "bold", roman, "--instance", "Italic", italic, "--instance", "Bold Italic", italic});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Movie m = ReadMovie(ReadFile(out / "Inter_[regular][italic][bold][bolditalic].swf"));
    ASSERT_EQ(Markers(m), "[regular][italic][bold][bolditalic]");

    // HarfBuzz at the same named instance (counted from 0) is the reference.
    const std::pair<std::string, int> instances[] = {{roman, 3}, {italic, 3}, {roman, 6}, {italic, 6}};
    for (size_t i = 0; i < 4; ++i)
    {
        SCOPED_TRACE(i);
        const Font& f = m.fonts[i];
        EXPECT_EQ(f.name, "Inter");
        EXPECT_EQ(std::vector<int>(f.advances.begin(), f.advances.end()),
                  ShapedAdvances(instances[i].first, f.codes, instances[i].second));
        EXPECT_EQ(KerningOf(f), ShapedKerning(instances[i].first, f.codes, instances[i].second));
    }
    EXPECT_NE(m.fonts[0].advances, m.fonts[2].advances) << "the bold instance is not the default one";

    // Every character: thousands of glyphs, converted in halves by two faces of the instance.
    ScratchFolder all;
    const RunResult every = RunMaker({"--chars", "all", "-o", all.Path(), "--instance", "Bold", roman});
    ASSERT_EQ(every.exitCode, 0) << every.err;
    const Font bold = ReadMovie(ReadFile(all / "Inter_[bold].swf")).fonts.at(0);
    ASSERT_GT(bold.codes.size(), 2000u);
    std::vector<int> expected = ShapedAdvances(roman, bold.codes, 6);
    for (int& advance : expected)
        advance = std::min(advance, 32767);  // as wide as a movie's advance can be
    EXPECT_EQ(std::vector<int>(bold.advances.begin(), bold.advances.end()), expected);

    ScratchFolder single;
    RunResult one = RunMaker({"--chars", "H", "-o", single.Path(), "--instance", "Semi Bold", roman});
    ASSERT_EQ(one.exitCode, 0) << one.err;
    EXPECT_EQ(ReadMovie(ReadFile(single / "Inter_Semi_Bold.swf")).fonts.at(0).name, "Inter Semi Bold");

    // One file with a slant axis that runs below zero: its italic instances lean.
    const std::string both = kInter + "Inter.var.ttf";
    one = RunMaker({"--chars", "HIl", "-o", single.Path(), "--instance", "Bold Italic", both});
    ASSERT_EQ(one.exitCode, 0) << one.err;
    const Font leaning = ReadMovie(ReadFile(single / "Inter_[bolditalic].swf")).fonts.at(0);
    for (size_t k = 0; k < leaning.codes.size(); ++k)
    {
        SCOPED_TRACE(leaning.codes[k]);
        const auto [left, right] = ShapedEdges(both, leaning.codes[k], 13);
        EXPECT_NEAR(leaning.bounds[k].xMin, left, 8);
        EXPECT_NEAR(leaning.bounds[k].xMax, right, 8);
        const auto upright = ShapedEdges(both, leaning.codes[k], 12);
        EXPECT_GT(right - left, upright.second - upright.first + 100);
    }

    one = RunMaker({"-o", single.Path(), "--instance", "Heavy", roman});
    EXPECT_EQ(one.exitCode, 2);
    EXPECT_TRUE(Says(one, "has no instance named \"Heavy\"; its instances are Thin, Extra Light, Light, Regular, "
                          "Medium, Semi Bold, Bold, Extra Bold, Black"))
        << one.err;
}

TEST(Faces, Type1FontsTakeTheirKerningFromTheMetricsFile)
{
    const std::string font = kType1 + "NimbusSans-Regular.t1", metrics = kType1 + "NimbusSans-Regular.afm";
    ScratchFolder out;
    RunResult r = RunMaker({"--chars", kKernChars, "-o", out.Path(), font});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    const Font f = ReadMovie(ReadFile(out / "Nimbus_Sans.swf")).fonts.at(0);

    // The metrics file's KPX lines, by glyph name, for the characters of the movie.
    FtFace face(font);
    std::map<std::string, uint16_t> codeOfName;
    for (uint16_t code : f.codes)
    {
        char name[64] = "";
        FT_Get_Glyph_Name(face.Get(), FT_Get_Char_Index(face.Get(), code), name, sizeof name);
        codeOfName[name] = code;
    }
    std::map<std::pair<uint16_t, uint16_t>, int> expected;
    std::ifstream in(metrics);
    for (std::string line; std::getline(in, line);)
    {
        std::istringstream words(line);
        std::string key, left, right;
        int value = 0;
        if (words >> key >> left >> right >> value && key == "KPX" && codeOfName.count(left) && codeOfName.count(right))
            expected[{codeOfName[left], codeOfName[right]}] = static_cast<int>(std::lround(value * 20.48));
    }
    ASSERT_GT(expected.size(), 20u);
    EXPECT_EQ(KerningOf(f), expected);
    // URW's metrics files give no ascender: the font's own line metrics stand.
    EXPECT_EQ(f.ascent, static_cast<unsigned>(std::lround(face->ascender * 20.48)));
    EXPECT_EQ(f.descent, static_cast<unsigned>(std::lround(-face->descender * 20.48)));
    EXPECT_GT(f.ascent, 0u);

    // Without its metrics file the font has no kerning, and the maker says so.
    ScratchFolder alone;
    fs::copy_file(font, alone / "NimbusSans-Regular.t1");
    r = RunMaker({"--chars", kKernChars, "-o", alone / "out", alone / "NimbusSans-Regular.t1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Says(r, "no metrics file")) << r.err;
    EXPECT_TRUE(ReadMovie(ReadFile(alone / "out/Nimbus_Sans.swf")).fonts.at(0).kerning.empty());
}

TEST(Faces, FontsForOtherScriptsShowTheirOwnScript)
{
    {
        // An Arabic font without Latin letters: every character it maps, said in one line.
        ScratchFolder out;
        const RunResult r = RunMaker({"-o", out.Path(), kArabic});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(Lines(r.err), 1);
        EXPECT_TRUE(Says(r, "note: " + kArabic + " has only 0 of the 52 letters A to Z and a to z")) << r.err;
        FtFace face(kArabic);
        std::vector<uint16_t> mapped;
        FT_UInt glyph = 0;
        for (FT_ULong c = FT_Get_First_Char(face.Get(), &glyph); glyph != 0; c = FT_Get_Next_Char(face.Get(), c, &glyph))
            mapped.push_back(static_cast<uint16_t>(c));
        std::sort(mapped.begin(), mapped.end());
        EXPECT_EQ(ReadMovie(ReadFile(out / "KacstOne.swf")).fonts.at(0).codes, mapped);
        EXPECT_GT(InspectPng(out / "KacstOne.png").opaquePixels, 20);
    }

    // Devanagari hangs its letters from a headline: drawn in its own script, the preview has
    // a row inked across most of the word, which a Latin name never has.
    auto longestRunShare = [](const PngInfo& png) {
        int left = png.width, right = -1, longest = 0;
        for (int y = 0; y < png.height; ++y)
        {
            int run = 0;
            for (int x = 0; x < png.width; ++x)
            {
                const bool ink = png.Alpha(x, y) >= 128;
                run = ink ? run + 1 : 0;
                longest = std::max(longest, run);
                if (ink)
                {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        return right > left ? double(longest) / (right - left + 1) : 0.0;
    };
    ScratchFolder out;
    ASSERT_EQ(RunMaker({"-o", out.Path(), kDejaVuDir + "DejaVuSans.ttf"}).exitCode, 0);
    const RunResult made = RunMaker({"-o", out.Path(), kDevanagari});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_TRUE(Says(made, "is made for Devanagari text")) << made.err;
    const std::vector<uint16_t> codes = ReadMovie(ReadFile(out / "Lohit_Devanagari.swf")).fonts.at(0).codes;
    for (uint16_t wanted : {uint16_t('A'), uint16_t(0x0915), uint16_t(0x093F)})
        EXPECT_TRUE(std::binary_search(codes.begin(), codes.end(), wanted)) << std::hex << wanted;
    EXPECT_GT(longestRunShare(InspectPng(out / "Lohit_Devanagari.png")), 0.6);
    EXPECT_LT(longestRunShare(InspectPng(out / "DejaVu_Sans.png")), 0.3);
}
