#include "MovieBuilder.h"
#include "TestSupport.h"

#include "core/CoreNames.h"
#include "core/GlypharaCore.h"

#include <ctime>
#include <string>

namespace
{
// The fixed parts of the snippet, written out from the format's description.
const std::string kHead =
    "<!--TALLOWBY GLYPHARA CODE BEGIN-->\n"
    "\t<link rel=\"stylesheet\" href=\"glypharadata/sIFR-screen.css\" type=\"text/css\" media=\"screen\" />\n"
    "\t<link rel=\"stylesheet\" href=\"glypharadata/sIFR-print.css\" type=\"text/css\" media=\"print\" />\n"
    "\t<link rel=\"stylesheet\" href=\"glypharadata/all.css\" type=\"text/css\" media=\"all\" />\n"
    // The one line the web fonts add.
    "\t<link rel=\"stylesheet\" href=\"glypharadata/webfonts.css\" type=\"text/css\" media=\"all\" />\n"
    "\n"
    "\t<script src=\"glypharadata/sifr.js\" type=\"text/javascript\"></script>\n"
    "\t<script src=\"glypharadata/sifr-config.js\" type=\"text/javascript\"></script>\n"
    "\t<script type=\"text/javascript\">\n"
    "\t//<![CDATA[\n";
const std::string kSettings = "\tsIFR.useStyleCheck = false;\n\tsIFR.fixHover = true;\n\tsIFR.fitExactly = true;\n"
                              "\tsIFR.repaintOnResize = true;\n\tsIFR.preserveSingleWhitespace = false;\n"
                              "\tsIFR.fromLocal = true;\n";
const std::string kSingleTagSettings = "\tsIFR.autoInitialize = true;\n\tsIFR.forceTextTransform = true;\n";
const std::string kTail = "\t//]]>\n\t</script>\n<!--TALLOWBY GLYPHARA CODE END-->\n";
const std::string kDefaultLook = "font-size: 40px; color: #000000; background-color: #FFFFFF; text-align: left; "
                                 "font-weight: normal; font-style: normal; text-decoration: none; ";

std::string Declaration(const std::string& tag, const std::string& fontFile)
{
    return "\t var " + tag + "_font = {\n\t\tsrc: 'glypharadata/fonts/" + fontFile + "'\n\t};\n";
}

std::string Replace(const std::string& tag, const std::string& selector, const std::string& look,
                    const std::string& filters = "")
{
    return "\tsIFR.replace(" + tag + "_font, {selector: '" + selector + "',\n\t\tcss: [\n"
           "\t\t\t'.sIFR-root { line-height: 1em; " + look + "visibility: hidden; }',\n"
           "\t\t\t'a { text-decoration: none; }',\n\t\t\t'a:link { color: #0000FF; }',\n"
           "\t\t\t'a:hover { color: #FF0000; }'\n\t\t],\n\t\tfilters: {" + filters + "\n\t\t},\n"
           "\t\twmode: 'transparent'\n\t});\n";
}

std::string Rule(const std::string& selector, const std::string& body)
{
    return selector + " {\n" + body + "}\n\n";
}

const std::string kDefaultRuleBody = "\ttext-align: left;\n\tfont-weight: normal;\n\tfont-style: normal;\n"
                                     "\ttext-decoration: none;\n\tfont-size: 40px;\n\tcolor: #000000;\n"
                                     "\tbackground-color: #FFFFFF;\n";

std::string LocalTime(std::time_t when)
{
    std::tm local;
    localtime_r(&when, &local);
    char buffer[256];
    return std::string(buffer, std::strftime(buffer, sizeof buffer, "%c", &local));
}

class CodeGeneratorTest : public CoreTest
{
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        ASSERT_EQ(RC_OK, InitCore());
    }

    void SetTag(const wxString& tag, const FontProperties& record)
    {
        wxString added = tag;
        if (Core()->GetTags().count(tag) == 0)
        {
            ASSERT_LE(0, Core()->AddNewTag(added, false));
        }
        ASSERT_EQ(RC_OK, Core()->SetSelectedTag(tag));
        ASSERT_EQ(RC_OK, Core()->SetCurrentFontProperties(record));
    }

    std::string Snippet(bool singleTag)
    {
        wxString text;
        EXPECT_EQ(RC_OK, Core()->GetHTMLSnippet(text, singleTag));
        return std::string(text.utf8_str());
    }

    std::string Css(bool singleTag)
    {
        wxString text;
        EXPECT_EQ(RC_OK, Core()->GetCSSCode(text, singleTag));
        return std::string(text.utf8_str());
    }

    std::string Page(bool singleTag)
    {
        wxString text;
        EXPECT_EQ(RC_OK, Core()->GetHTMLSampleCodeForBrowser(text, singleTag));
        return std::string(text.utf8_str());
    }
};
}

TEST_F(CodeGeneratorTest, H1ExampleGivesItsReplaceCallLineByLine)
{
    FontProperties r;
    r.foundry = wxS("F");
    r.font = wxS("Sans");
    r.size = 24;
    r.align = 1;
    r.bold = true;
    r.blur = {true, 1, 2, 3};
    SetTag(wxS("h1"), r);
    const std::string replace =
        "\tsIFR.replace(h1_font, {selector: 'h1',\n"
        "\t\tcss: [\n"
        "\t\t\t'.sIFR-root { line-height: 1em; font-size: 24px; color: #000000; background-color: #FFFFFF; "
        "text-align: center; font-weight: bold; font-style: normal; text-decoration: none; visibility: hidden; }',\n"
        "\t\t\t'a { text-decoration: none; }',\n"
        "\t\t\t'a:link { color: #0000FF; }',\n"
        "\t\t\t'a:hover { color: #FF0000; }'\n"
        "\t\t],\n"
        "\t\tfilters: {\n"
        "\t\t\tBlurFilter: { quality: 2, blurY: 3, blurX: 2 }\n"
        "\t\t},\n"
        "\t\twmode: 'transparent'\n"
        "\t});\n";
    EXPECT_EQ(kHead + Declaration("h1", "F___Sans.swf") + kSettings + "\tsIFR.activate(h1_font);\n" + replace + kTail,
              Snippet(false));
    EXPECT_EQ(Rule("h1", "\ttext-align: center;\n\tfont-weight: bold;\n\tfont-style: normal;\n\ttext-decoration: "
                         "none;\n\tfont-size: 24px;\n\tcolor: #000000;\n\tbackground-color: #FFFFFF;\n"),
              Css(false));
}

TEST_F(CodeGeneratorTest, TagsComeInNameOrderAndOutOfRangeAlignIsLeftOut)
{
    FontProperties h2;
    h2.font = wxS("My Serif");
    h2.size = 18;
    h2.align = 2;
    h2.italic = h2.understroked = true;
    h2.color = RgbColour(0x12, 0x34, 0x56);
    h2.backgroundcolor = RgbColour(0xFE, 0xDC, 0xBA);
    SetTag(wxS("h2"), h2);
    FontProperties p;
    p.align = 4;
    SetTag(wxS("p"), p);
    SetTag(wxS("h1"), FontProperties());

    const std::string h2Look = "font-size: 18px; color: #123456; background-color: #FEDCBA; text-align: right; "
                               "font-weight: normal; font-style: italic; text-decoration: underline; ";
    const std::string pLook = "font-size: 40px; color: #000000; background-color: #FFFFFF; "
                              "font-weight: normal; font-style: normal; text-decoration: none; ";
    EXPECT_EQ(kHead + Declaration("h1", "___.swf") + Declaration("h2", "___My_Serif.swf") + Declaration("p", "___.swf")
                  + kSettings + "\tsIFR.activate(h1_font, h2_font, p_font);\n" + Replace("h1", "h1", kDefaultLook)
                  + Replace("h2", "h2", h2Look) + Replace("p", "p", pLook) + kTail,
              Snippet(false));
    EXPECT_EQ(Rule("h1", kDefaultRuleBody) +
                  Rule("h2", "\ttext-align: right;\n\tfont-weight: normal;\n\tfont-style: italic;\n"
                             "\ttext-decoration: underline;\n\tfont-size: 18px;\n\tcolor: #123456;\n"
                             "\tbackground-color: #FEDCBA;\n") +
                  Rule("p", kDefaultRuleBody.substr(std::string("\ttext-align: left;\n").size())),
              Css(false));
}

TEST_F(CodeGeneratorTest, SingleTagModeWritesTheSelectedTagAsH1)
{
    FontProperties h3;
    h3.foundry = wxS("F");
    h3.font = wxS("Sans");
    h3.size = 20;
    h3.align = 3;
    SetTag(wxS("h2"), FontProperties());
    SetTag(wxS("h3"), h3);
    const std::string look = "font-size: 20px; color: #000000; background-color: #FFFFFF; text-align: justify; "
                             "font-weight: normal; font-style: normal; text-decoration: none; ";
    EXPECT_EQ(kHead + Declaration("h3", "F___Sans.swf") + kSettings + kSingleTagSettings
                  + "\tsIFR.activate(h3_font);\n" + Replace("h3", "h1", look) + kTail,
              Snippet(true));
    EXPECT_EQ(Rule("h1", "\ttext-align: justify;\n\tfont-weight: normal;\n\tfont-style: normal;\n"
                         "\ttext-decoration: none;\n\tfont-size: 20px;\n\tcolor: #000000;\n"
                         "\tbackground-color: #FFFFFF;\n"),
              Css(true));
}

TEST_F(CodeGeneratorTest, FiltersAreCommaSeparatedInTheirFixedOrder)
{
    FontProperties r;
    r.blur = {true, 0, 7, 9};
    r.dropshadow = {true, 1, -30, true, 2.5f, RgbColour(0x10, 0x20, 0x30), 0.75f};
    r.glow = {true, 5, 1.5f, 2.25f, true, false, 2, 0.5f, RgbColour(0xAB, 0xCD, 0xEF)};
    r.bevel = {true, 90, 3.125f, 4, 0, RgbColour(1, 1, 1), RgbColour(2, 2, 2), 2};
    SetTag(wxS("h1"), r);
    const std::string bevel = "\n\t\t\tBevel: { quality: 1, angle: 90, distance: 3.125000, strength: 4, "
                              "highlightColor: '#010101', shadowColor: '#020202', ";
    EXPECT_EQ(kHead + Declaration("h1", "___.swf") + kSettings + "\tsIFR.activate(h1_font);\n"
                  + Replace("h1", "h1", kDefaultLook,
                            "\n\t\t\tBlurFilter: { quality: 1, blurY: 9, blurX: 7 },"
                            "\n\t\t\tDropShadow: { quality: 2, angle: -30, knockout: true, distance: 2.500000, "
                            "color: '#102030', strength: 0.750000 },"
                            "\n\t\t\tGlow: { quality: 3, strength: 5, blurX: 1.500000, blurY: 2.250000, knockout: 1, "
                            "inner: 0, alpha: 0.500000, color: '#ABCDEF' }," + bevel + "type: 'full' }")
                  + kTail,
              Snippet(false));

    // A bevel alone gets no comma; a type out of range writes nothing between ", " and " }".
    r.blur.enabled = r.dropshadow.enabled = r.glow.enabled = false;
    r.bevel.type = 3;
    SetTag(wxS("h1"), r);
    EXPECT_NE(std::string::npos, Snippet(false).find("\t\tfilters: {" + bevel + " }\n\t\t},\n"));
}

TEST_F(CodeGeneratorTest, FontPathsUseUnderscoresAndEscapeWhatWouldEndTheString)
{
    FontProperties r;
    r.foundry = wxS("My Foundry");
    r.font = wxString::FromUTF8("Zo\xC3\xAB-Sans&1");
    SetTag(wxS("h1"), r);
    r.foundry = wxS("Bob's\\Type");
    r.font = wxString(wxS("a\nb\rc")) + wxUniChar(0x2028) + wxS("d") + wxUniChar(0x2029) + wxS("\"e");
    SetTag(wxS("h2"), r);
    const std::string snippet = Snippet(false);
    EXPECT_NE(std::string::npos, snippet.find(Declaration("h1", "My_Foundry___Zo\xC3\xAB-Sans&1.swf")));
    EXPECT_NE(std::string::npos, snippet.find(Declaration("h2", "Bob\\'s\\\\Type___a\\nb\\rc\\u2028d\\u2029\"e.swf")));
}

TEST_F(CodeGeneratorTest, SamplePageShowsEveryTagWithItsSentence)
{
    wxString p = wxS("p");
    ASSERT_EQ(RC_NONSTANDARD_TAG, Core()->AddNewTag(p, false));
    const std::time_t before = std::time(nullptr);
    std::string page = Page(false);
    const std::time_t after = std::time(nullptr);

    // The generation time is the one varying line: check it, then take it out.
    const std::string brewedStart = "<!--      Brewed on: ";
    const size_t brewed = page.find(brewedStart);
    ASSERT_NE(std::string::npos, brewed);
    const std::string line = page.substr(brewed, page.find('\n', brewed) - brewed);
    EXPECT_TRUE(line == brewedStart + LocalTime(before) + "      -->" ||
                line == brewedStart + LocalTime(after) + "      -->") << line;
    page.replace(brewed, line.size(), "BREWED");

    const std::string site = kMakerWebSite;
    const std::string sentence = " tag will look like this, and <a href=\"" + site +
                                 "\">your links will look like this.</a>";
    // The head is that of an HTML5 page: document type, language, title and viewport.
    EXPECT_EQ("<!DOCTYPE html>\n<html lang=\"en\">\n"
              "<!--      Created with Tallowby Glyphara      -->\n"
              "<!--           " + site + "           -->\n"
              "BREWED\n\n<head>\n\t<title>Untitled</title>\n"
              "\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\n"
              "\t<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
              "\t<meta name=\"generator\" content=\"Tallowby Glyphara -  " + std::string(kMakerWebHost) + "\">\n"
              "\t<meta name=\"description\" content=\"\">\n\t<meta name=\"keywords\" content=\"\">\n" +
                  Snippet(false) + "</head>\n\n<body>\n\n"
                  "\t<noscript><div style=\"background: yellow\" align=center><i><b>You need to activate Javascript "
                  "to show sIFR fonts correctly!</b><br>Open this page with a browser that supports JavaScript or "
                  "change the security settings of your browser to allow the execution of JavaScript for "
                  "127.0.0.1.</i></div></noscript>\n\n"
                  "\t<div>\n\t\t<h1>Your h1" + sentence + "</h1>\n\t</div>\n"
                  "\t<div>\n\t\t<p>Your p" + sentence + "</p>\n\t</div>\n"
                  "\n</body>\n\n</html>\n",
              page);
}

TEST_F(CodeGeneratorTest, SingleTagPageShowsTheSampleTextUnchangedAsH1)
{
    wxString p = wxS("p");
    ASSERT_EQ(RC_NONSTANDARD_TAG, Core()->AddNewTag(p, true));
    ASSERT_EQ(RC_OK, Core()->SetUserText(wxS("Hello & <b>")));
    const std::string page = Page(true);
    const std::string body = Snippet(true) + "</head>\n\n<body>\n\n"
                             "\t<noscript><div style=\"background: yellow\" align=center><i><b>You need to activate "
                             "Javascript to show sIFR fonts correctly!</b><br>Close Glyphara, enable Javascript in "
                             "Internet Explorer and launch Glyphara again.</i></div></noscript>\n\n"
                             "\t<div>\n\t\t<h1>Hello & <b></h1>\n\t</div>\n"
                             "\n</body>\n\n</html>\n";
    ASSERT_GE(page.size(), body.size());
    EXPECT_EQ(body, page.substr(page.size() - body.size()));
}

TEST_F(CodeGeneratorTest, PageTitleIsTheGivenNameWithMarkupEscaped)
{
    wxString text;
    ASSERT_EQ(RC_OK, Core()->GetHTMLSampleCodeForBrowser(text, false, wxS("Tea & <Cakes> \"Shop\"")));
    EXPECT_TRUE(text.Contains(wxS("\t<title>Tea &amp; &lt;Cakes&gt; &quot;Shop&quot;</title>\n"))) << text;
}

namespace
{
class WebFontCssTest : public CoreTest
{
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        TestFace regular = Face({'A', 'I'});
        regular.name = "Big Sans";
        const std::vector<uint8_t> stem = GlyphShape({{'M', 0, 0}, {'L', 2000, 0}, {'L', 0, -14000}, {'L', -2000, 0}});
        regular.shapes = {stem, stem};
        TestFace bold = regular;
        bold.bold = true;
        MakeFolders(SystemFontDir() + wxS("My_Foundry"));
        WriteBytes(SystemFontDir() + wxS("My_Foundry/Big_Sans.swf"), MovieFile({regular, bold}, true));
        WriteTextFile(SystemFontDir() + wxS("Type_Co/Slim.swf"), "FWS-slim");
        WriteSupportFiles(ProgramDir());
        ASSERT_EQ(RC_OK, InitCore());
        for (const wxChar* name : {wxS("h2"), wxS("p")})
        {
            wxString tag = name;
            Core()->AddNewTag(tag, false);
        }
        SetFont(wxS("h1"), wxS("My Foundry"), wxS("Big Sans"));
        SetFont(wxS("h2"), wxS("My Foundry"), wxS("Big Sans"));
        SetFont(wxS("p"), wxS("Type Co"), wxS("Slim"));
    }

    std::string Css(bool singleTag)
    {
        wxString css;
        EXPECT_EQ(RC_OK, Core()->GetWebFontCSS(css, singleTag));
        return std::string(css.utf8_str());
    }
};

std::string FontFace(const std::string& weight)
{
    return "@font-face { font-family: \"My_Foundry___Big_Sans\"; src: url(\"fonts/My_Foundry___Big_Sans-" +
           std::string(weight == "bold" ? "bold" : "regular") + ".woff2\") format(\"woff2\"); font-weight: " + weight +
           "; font-style: normal; font-display: block; }\n";
}
}

TEST_F(WebFontCssTest, EachFaceIsDeclaredOnceAndEachTagGetsItsFontStack)
{
    // Slim is no real movie: it has no web font, so p keeps the fonts it has.
    const std::string stack = " { font-family: \"My_Foundry___Big_Sans\", sans-serif; }\n";
    EXPECT_EQ(FontFace("normal") + FontFace("bold") + "\nh1" + stack + "h2" + stack, Css(false));
    ASSERT_EQ(RC_OK, Core()->SetSelectedTag(wxS("h2")));
    EXPECT_EQ(FontFace("normal") + FontFace("bold") + "\nh1" + stack, Css(true));
    ASSERT_EQ(RC_OK, Core()->SetSelectedTag(wxS("p")));
    EXPECT_EQ("", Css(true));
}
