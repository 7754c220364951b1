#include "core/GlypharaCore.h"

#include "core/CoreNames.h"
#include "core/ProjectPaths.h"
#include "core/TextUtil.h"
#include "core/WebFont.h"
#include "trace/TraceSystem.h"

#include <algorithm>
#include <ctime>
#include <utility>
#include <vector>

namespace
{
// The file of the tag's font movie in the font table; empty when it is not there.
wxString FontSourceOf(const FontTable& table, const FontProperties& record)
{
    const FontTable::const_iterator foundry = table.find(record.foundry);
    if (foundry == table.end())
        return wxString();
    const FontsOfFoundry::const_iterator font = foundry->second.find(record.font);
    return font == foundry->second.end() ? wxString() : font->second;
}

typedef std::vector<std::pair<wxString, const FontProperties*>> EmittedTags;

// Where the generated page finds its support files, relative to the page.
const wxChar* const kDataFolder = wxS("glypharadata/");

const wxChar* const kAlignNames[] = {wxS("left"), wxS("center"), wxS("right"), wxS("justify")};
const wxChar* const kBevelTypes[] = {wxS("'inner'"), wxS("'outer'"), wxS("'full'")};

wxString Int(int value)
{
    return wxString::Format(wxS("%d"), value);
}

// Font and foundry names come from file and folder names, which may hold any character a
// JavaScript string literal cannot carry as it is.
wxString EscapeForSingleQuotes(const wxString& text)
{
    wxString escaped;
    escaped.reserve(text.length());
    for (wxString::const_iterator it = text.begin(); it != text.end(); ++it)
    {
        switch ((*it).GetValue())
        {
        case '\\':
            escaped += wxS("\\\\");
            break;
        case '\'':
            escaped += wxS("\\'");
            break;
        case '\n':
            escaped += wxS("\\n");
            break;
        case '\r':
            escaped += wxS("\\r");
            break;
        case 0x2028:
            escaped += wxS("\\u2028");
            break;
        case 0x2029:
            escaped += wxS("\\u2029");
            break;
        default:
            escaped += *it;
        }
    }
    return escaped;
}

// Project names come from file names, which may hold markup characters.
wxString EscapeHtml(const wxString& text)
{
    wxString escaped;
    for (wxString::const_iterator it = text.begin(); it != text.end(); ++it)
    {
        switch ((*it).GetValue())
        {
        case '&':
            escaped += wxS("&amp;");
            break;
        case '<':
            escaped += wxS("&lt;");
            break;
        case '>':
            escaped += wxS("&gt;");
            break;
        case '"':
            escaped += wxS("&quot;");
            break;
        default:
            escaped += *it;
        }
    }
    return escaped;
}

// A CSS string between double quotes.
wxString CssString(const wxString& text)
{
    bool plain = true;
    for (wxString::const_iterator it = text.begin(); plain && it != text.end(); ++it)
        plain = *it != '"' && *it != '\\' && *it >= 0x20 && *it != 0x7F;
    if (plain)
        return wxS("\"") + text + wxS("\"");
    wxString quoted = wxS("\"");
    for (wxString::const_iterator it = text.begin(); it != text.end(); ++it)
    {
        const wxUniChar c = *it;
        if (c == '"' || c == '\\')
            quoted << wxS("\\") << c;
        else if (c < 0x20 || c == 0x7F)
            quoted << wxString::Format(wxS("\\%x "), unsigned(c.GetValue()));
        else
            quoted << c;
    }
    return quoted + wxS("\"");
}

// Printed one higher than stored; computed wide so that no stored value can overflow.
wxString Quality(int stored)
{
    return wxString::Format(wxS("%lld"), static_cast<long long>(stored) + 1);
}

// The name under which the project folder stores the tag's font movie.
wxString FontFileName(const FontProperties& record)
{
    wxString name = record.foundry + wxS("___") + record.font + wxS(".swf");
    name.Replace(wxS(" "), wxS("_"));
    return name;
}

wxString FontVariable(const wxString& tag)
{
    return tag + wxS("_font");
}

void AppendReplaceCall(wxString& out, const wxString& tag, const wxString& selector, const FontProperties& r)
{
    out << wxS("\tsIFR.replace(") << FontVariable(tag) << wxS(", {selector: '") << selector << wxS("',\n");
    out << wxS("\t\tcss: [\n");
    out << wxS("\t\t\t'.sIFR-root { line-height: 1em; font-size: ") << Int(r.size) << wxS("px; ");
    out << wxS("color: ") << FormatColour(r.color) << wxS("; ");
    out << wxS("background-color: ") << FormatColour(r.backgroundcolor) << wxS("; ");
    if (r.align >= 0 && r.align <= 3)
        out << wxS("text-align: ") << kAlignNames[r.align] << wxS("; ");
    out << (r.bold ? wxS("font-weight: bold; ") : wxS("font-weight: normal; "));
    out << (r.italic ? wxS("font-style: italic; ") : wxS("font-style: normal; "));
    out << (r.understroked ? wxS("text-decoration: underline; ") : wxS("text-decoration: none; "));
    out << wxS("visibility: hidden; }',\n");
    out << wxS("\t\t\t'a { text-decoration: none; }',\n");
    out << wxS("\t\t\t'a:link { color: ") << FormatColour(r.linkcolor) << wxS("; }',\n");
    out << wxS("\t\t\t'a:hover { color: ") << FormatColour(r.hovercolor) << wxS("; }'\n");
    out << wxS("\t\t],\n");

    out << wxS("\t\tfilters: {");
    bool first = true;
    auto separate = [&]() {
        if (!first)
            out << wxS(",");
        first = false;
    };
    if (r.blur.enabled)
    {
        separate();
        out << wxS("\n\t\t\tBlurFilter: { quality: ") << Quality(r.blur.quality) << wxS(", blurY: ")
            << Int(r.blur.blury) << wxS(", blurX: ") << Int(r.blur.blurx) << wxS(" }");
    }
    if (r.dropshadow.enabled)
    {
        const DropShadowProperties& d = r.dropshadow;
        separate();
        out << wxS("\n\t\t\tDropShadow: { quality: ") << Quality(d.quality) << wxS(", angle: ") << Int(d.angle)
            << wxS(", ") << (d.knockout ? wxS("knockout: true, ") : wxS("knockout: false, "))
            << wxS("distance: ") << FormatFloat(d.distance) << wxS(", color: '") << FormatColour(d.color)
            << wxS("', strength: ") << FormatFloat(d.strength) << wxS(" }");
    }
    if (r.glow.enabled)
    {
        const GlowProperties& g = r.glow;
        separate();
        out << wxS("\n\t\t\tGlow: { quality: ") << Quality(g.quality) << wxS(", strength: ") << Int(g.strength)
            << wxS(", blurX: ") << FormatFloat(g.blurx) << wxS(", blurY: ") << FormatFloat(g.blury)
            << wxS(", knockout: ") << (g.knockout ? wxS("1") : wxS("0")) << wxS(", inner: ")
            << (g.inner ? wxS("1") : wxS("0")) << wxS(", alpha: ") << FormatFloat(g.alpha) << wxS(", color: '")
            << FormatColour(g.color) << wxS("' }");
    }
    if (r.bevel.enabled)
    {
        const BevelProperties& b = r.bevel;
        separate();
        out << wxS("\n\t\t\tBevel: { quality: ") << Quality(b.quality) << wxS(", angle: ") << Int(b.angle)
            << wxS(", distance: ") << FormatFloat(b.distance) << wxS(", strength: ") << Int(b.strength)
            << wxS(", highlightColor: '") << FormatColour(b.highlightcolor) << wxS("', shadowColor: '")
            << FormatColour(b.shadowcolor) << wxS("', ");
        if (b.type >= 0 && b.type <= 2)
            out << wxS("type: ") << kBevelTypes[b.type];
        out << wxS(" }");
    }
    out << wxS("\n\t\t},");
    out << wxS("\n\t\twmode: 'transparent'");
    out << wxS("\n\t});\n");
}

void AppendCssRule(wxString& out, const wxString& selector, const FontProperties& r)
{
    out << selector << wxS(" {\n");
    if (r.align >= 0 && r.align <= 3)
        out << wxS("\ttext-align: ") << kAlignNames[r.align] << wxS(";\n");
    out << (r.bold ? wxS("\tfont-weight: bold;\n") : wxS("\tfont-weight: normal;\n"));
    out << (r.italic ? wxS("\tfont-style: italic;\n") : wxS("\tfont-style: normal;\n"));
    out << (r.understroked ? wxS("\ttext-decoration: underline;\n") : wxS("\ttext-decoration: none;\n"));
    out << wxS("\tfont-size: ") << Int(r.size) << wxS("px;\n");
    out << wxS("\tcolor: ") << FormatColour(r.color) << wxS(";\n");
    out << wxS("\tbackground-color: ") << FormatColour(r.backgroundcolor) << wxS(";\n");
    out << wxS("}\n\n");
}

// The tags that go into the generated code, in map order: all named ones, or only the
// selected one for the single-tag preview.
EmittedTags CollectTags(const TagMap& tags, const wxString& selectedTag, bool singleTag)
{
    EmittedTags emitted;
    for (const auto& tag : tags)
    {
        if (tag.first.empty())
            continue;
        if (singleTag && tag.first != selectedTag)
            continue;
        emitted.emplace_back(tag.first, &tag.second);
    }
    return emitted;
}

// The local date and time in the user's own form; the only locale-dependent text of the page.
wxString LocalTimeText()
{
    const std::time_t now = std::time(nullptr);
    std::tm local;
    localtime_r(&now, &local);
    char buffer[256];
    const size_t length = std::strftime(buffer, sizeof buffer, "%c", &local);
    wxString text(buffer, wxConvLibc, length);
    if (text.empty() && length > 0)
        text = wxString::From8BitData(buffer, length);
    return text;
}
}

int CGlypharaCore::GetHTMLSnippet(wxString& snippet, bool singleTag)
{
    TS_FUNCTION("CGlypharaCore::GetHTMLSnippet");
    CORE_REQUIRE_INITIALIZED();

    const EmittedTags tags = CollectTags(m_tags, m_selectedTag, singleTag);
    wxString out;
    out << wxS("<!--TALLOWBY GLYPHARA CODE BEGIN-->\n");
    out << wxS("\t<link rel=\"stylesheet\" href=\"") << kDataFolder
        << wxS("sIFR-screen.css\" type=\"text/css\" media=\"screen\" />\n");
    out << wxS("\t<link rel=\"stylesheet\" href=\"") << kDataFolder
        << wxS("sIFR-print.css\" type=\"text/css\" media=\"print\" />\n");
    out << wxS("\t<link rel=\"stylesheet\" href=\"") << kDataFolder << wxS("all.css")
        << wxS("\" type=\"text/css\" media=\"all\" />\n");
    out << wxS("\t<link rel=\"stylesheet\" href=\"") << kDataFolder << wxS("webfonts.css")
        << wxS("\" type=\"text/css\" media=\"all\" />\n");
    out << wxS("\n\t<script src=\"") << kDataFolder << wxS("sifr.js\" type=\"text/javascript\"></script>\n");
    out << wxS("\t<script src=\"") << kDataFolder << wxS("sifr-config.js\" type=\"text/javascript\"></script>\n");
    out << wxS("\t<script type=\"text/javascript\">\n");
    out << wxS("\t//<![CDATA[\n");

    for (const auto& tag : tags)
    {
        out << wxS("\t var ") << FontVariable(tag.first) << wxS(" = {\n\t\tsrc: '") << kDataFolder << wxS("fonts/")
            << EscapeForSingleQuotes(FontFileName(*tag.second)) << wxS("'\n\t};\n");
    }

    out << wxS("\tsIFR.useStyleCheck = false;\n");
    out << wxS("\tsIFR.fixHover = true;\n");
    out << wxS("\tsIFR.fitExactly = true;\n");
    out << wxS("\tsIFR.repaintOnResize = true;\n");
    out << wxS("\tsIFR.preserveSingleWhitespace = false;\n");
    out << wxS("\tsIFR.fromLocal = true;\n");
    if (singleTag)
    {
        out << wxS("\tsIFR.autoInitialize = true;\n");
        out << wxS("\tsIFR.forceTextTransform = true;\n");
    }

    out << wxS("\tsIFR.activate(");
    for (size_t i = 0; i < tags.size(); ++i)
    {
        if (i > 0)
            out << wxS(", ");
        out << FontVariable(tags[i].first);
    }
    out << wxS(");\n");

    for (const auto& tag : tags)
        AppendReplaceCall(out, tag.first, singleTag ? wxString(wxS("h1")) : tag.first, *tag.second);

    out << wxS("\t//]]>\n\t</script>\n");
    out << wxS("<!--TALLOWBY GLYPHARA CODE END-->\n");

    snippet = out;
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::GetCSSCode(wxString& css, bool singleTag)
{
    TS_FUNCTION("CGlypharaCore::GetCSSCode");
    CORE_REQUIRE_INITIALIZED();

    wxString out;
    for (const auto& tag : CollectTags(m_tags, m_selectedTag, singleTag))
        AppendCssRule(out, singleTag ? wxString(wxS("h1")) : tag.first, *tag.second);
    css = out;
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::GetHTMLSampleCodeForBrowser(wxString& page, bool singleTag, const wxString& title)
{
    TS_FUNCTION("CGlypharaCore::GetHTMLSampleCodeForBrowser");
    CORE_REQUIRE_INITIALIZED();

    const wxString site = wxString::FromUTF8(kMakerWebSite);
    const wxString margin(wxS(' '), 11);

    page.clear();
    // A current document type and a viewport, so browsers lay the page out in standards
    // mode and phones at their own width.
    page << wxS("<!DOCTYPE html>\n");
    page << wxS("<html lang=\"en\">\n");
    page << wxS("<!--      Created with Tallowby Glyphara      -->\n");
    page << wxS("<!--") << margin << site << margin << wxS("-->\n");
    page << wxS("<!--      Brewed on: ") << LocalTimeText() << wxS("      -->\n");
    page << wxS("\n<head>\n");
    const wxString shownTitle = !title.empty() ? title : !m_projectName.empty() ? m_projectName : wxS("Untitled");
    page << wxS("\t<title>") << EscapeHtml(shownTitle) << wxS("</title>\n");
    page << wxS("\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\n");
    page << wxS("\t<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n");
    page << wxS("\t<meta name=\"generator\" content=\"Tallowby Glyphara -  ") << wxString::FromUTF8(kMakerWebHost)
         << wxS("\">\n");
    page << wxS("\t<meta name=\"description\" content=\"\">\n");
    page << wxS("\t<meta name=\"keywords\" content=\"\">\n");

    wxString snippet;
    if (GetHTMLSnippet(snippet, singleTag) != RC_OK)
        TS_RETURN(RC_FAILED, wxS("Unable to get HTML snippet"));
    page << snippet;

    page << wxS("</head>\n");
    page << wxS("\n<body>\n\n");
    if (singleTag)
    {
        page << wxS("\t<noscript><div style=\"background: yellow\" align=center><i><b>You need to activate "
                    "Javascript to show sIFR fonts correctly!</b><br>Close Glyphara, enable Javascript in "
                    "Internet Explorer and launch Glyphara again.</i></div></noscript>\n\n");
    }
    else
    {
        page << wxS("\t<noscript><div style=\"background: yellow\" align=center><i><b>You need to activate "
                    "Javascript to show sIFR fonts correctly!</b><br>Open this page with a browser that supports "
                    "JavaScript or change the security settings of your browser to allow the execution of "
                    "JavaScript for ")
             << wxString::FromUTF8(kLoopbackHost) << wxS(".</i></div></noscript>\n\n");
    }

    for (const auto& tag : CollectTags(m_tags, m_selectedTag, singleTag))
    {
        if (singleTag)
        {
            page << wxS("\t<div>\n\t\t<h1>") << m_userText << wxS("</h1>\n\t</div>\n");
        }
        else
        {
            const wxString& name = tag.first;
            page << wxS("\t<div>\n\t\t<") << name << wxS(">Your ") << name
                 << wxS(" tag will look like this, and <a href=\"") << site
                 << wxS("\">your links will look like this.</a></") << name << wxS(">\n\t</div>\n");
        }
    }
    page << wxS("\n</body>\n\n</html>\n");
    TS_RETURN(RC_OK, wxEmptyString);
}

int CGlypharaCore::GetWebFontCSS(wxString& css, bool singleTag)
{
    TS_FUNCTION("CGlypharaCore::GetWebFontCSS");
    CORE_REQUIRE_INITIALIZED();

    wxString faces;
    wxString stacks;
    std::vector<wxString> declared;
    for (const auto& tag : CollectTags(m_tags, m_selectedTag, singleTag))
    {
        const FontProperties& record = *tag.second;
        if (record.font.empty() || !ProjectPaths::IsSafeFontKey(record.foundry) ||
            !ProjectPaths::IsSafeFontKey(record.font))
            continue;
        const wxString source = FontSourceOf(m_fontTable, record);
        if (source.empty())
            continue;
        wxString error;
        const std::shared_ptr<const WebFontSet> fonts = WebFonts().Fonts(source, error);
        if (!fonts)
            continue;
        // The family is the movie's file name without ".swf", as the runtime names it.
        const wxString family = ProjectPaths::FontFileName(record.foundry, record.font, wxEmptyString);
        if (std::find(declared.begin(), declared.end(), family) == declared.end())
        {
            declared.push_back(family);
            for (const WebFontFace& face : fonts->faces)
            {
                const wxString file = family + wxS("-") + WebFontStyleName(face.bold, face.italic) + wxS(".woff2");
                faces << wxS("@font-face { font-family: ") << CssString(family) << wxS("; src: url(")
                      << CssString(wxS("fonts/") + ProjectPaths::EncodeUrlPath(file)) << wxS(") format(\"woff2\"); ")
                      << (face.bold ? wxS("font-weight: bold; ") : wxS("font-weight: normal; "))
                      << (face.italic ? wxS("font-style: italic; ") : wxS("font-style: normal; "))
                      << wxS("font-display: block; }\n");
            }
        }
        stacks << (singleTag ? wxString(wxS("h1")) : tag.first) << wxS(" { font-family: ") << CssString(family)
               << wxS(", ") << fonts->genericFamily << wxS("; }\n");
    }
    css = faces;
    if (!faces.empty())
        css << wxS("\n") << stacks;
    TS_RETURN(RC_OK, wxEmptyString);
}
