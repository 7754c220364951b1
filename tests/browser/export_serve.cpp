// Test helper for the browser tests: builds a project with Glyphara's own core, lets
// the core export it and serve it with its own local web server, prints the preview
// address and keeps serving until its standard input closes.
//
//   glyphara_export_serve PROGRAM_DIR [--single USER_TEXT] TAG_SETTINGS...
//
// PROGRAM_DIR holds sIFR/ and Fonts/ as the program folder does. A TAG_SETTINGS reads
// "h2:font=DejaVu Sans [regular];foundry=DejaVu;size=32;shadow.angle=45;...". Setting
// any value of a filter switches that filter on. With --single, the first tag is
// shown alone through the embedded preview, with USER_TEXT as its text.
#include "core/GlypharaCore.h"
#include "core/PlatformLauncher.h"
#include "core/TextUtil.h"
#include "trace/TraceSystem.h"

#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/tokenzr.h>
#include <wx/utils.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <unistd.h>

namespace
{

class CapturingLauncher : public CPlatformLauncher
{
public:
    explicit CapturingLauncher(wxString* url) : m_url(url) {}
    bool OpenUrl(const wxString& url) override
    {
        *m_url = url;
        return true;
    }
    bool StartProcess(const wxString&) override { return false; }

private:
    wxString* m_url;
};

int Fail(const std::string& text)
{
    std::cerr << "glyphara_export_serve: " << text << std::endl;
    return 1;
}

RgbColour Colour(const wxString& value)
{
    RgbColour c(0, 0, 0);
    ParseColour(value, c);
    return c;
}

bool Apply(FontProperties& r, const wxString& key, const wxString& value)
{
    long i = 0;
    double d = 0;
    value.ToLong(&i);
    value.ToCDouble(&d);
    const bool flag = value == wxS("1") || value == wxS("true");
    if (key == wxS("font")) r.font = value;
    else if (key == wxS("foundry")) r.foundry = value;
    else if (key == wxS("size")) r.size = int(i);
    else if (key == wxS("align")) r.align = int(i);
    else if (key == wxS("color")) r.color = Colour(value);
    else if (key == wxS("link")) r.linkcolor = Colour(value);
    else if (key == wxS("hover")) r.hovercolor = Colour(value);
    else if (key == wxS("background")) r.backgroundcolor = Colour(value);
    else if (key == wxS("bold")) r.bold = flag;
    else if (key == wxS("italic")) r.italic = flag;
    else if (key == wxS("underline")) r.understroked = flag;
    else if (key.StartsWith(wxS("blur.")))
    {
        r.blur.enabled = true;
        if (key == wxS("blur.quality")) r.blur.quality = int(i);
        else if (key == wxS("blur.x")) r.blur.blurx = int(i);
        else if (key == wxS("blur.y")) r.blur.blury = int(i);
        else return false;
    }
    else if (key.StartsWith(wxS("shadow.")))
    {
        r.dropshadow.enabled = true;
        if (key == wxS("shadow.quality")) r.dropshadow.quality = int(i);
        else if (key == wxS("shadow.angle")) r.dropshadow.angle = int(i);
        else if (key == wxS("shadow.knockout")) r.dropshadow.knockout = flag;
        else if (key == wxS("shadow.distance")) r.dropshadow.distance = float(d);
        else if (key == wxS("shadow.color")) r.dropshadow.color = Colour(value);
        else if (key == wxS("shadow.strength")) r.dropshadow.strength = float(d);
        else return false;
    }
    else if (key.StartsWith(wxS("glow.")))
    {
        r.glow.enabled = true;
        if (key == wxS("glow.quality")) r.glow.quality = int(i);
        else if (key == wxS("glow.strength")) r.glow.strength = int(i);
        else if (key == wxS("glow.x")) r.glow.blurx = float(d);
        else if (key == wxS("glow.y")) r.glow.blury = float(d);
        else if (key == wxS("glow.knockout")) r.glow.knockout = flag;
        else if (key == wxS("glow.inner")) r.glow.inner = flag;
        else if (key == wxS("glow.alpha")) r.glow.alpha = float(d);
        else if (key == wxS("glow.color")) r.glow.color = Colour(value);
        else return false;
    }
    else if (key.StartsWith(wxS("bevel.")))
    {
        r.bevel.enabled = true;
        if (key == wxS("bevel.quality")) r.bevel.quality = int(i);
        else if (key == wxS("bevel.angle")) r.bevel.angle = int(i);
        else if (key == wxS("bevel.distance")) r.bevel.distance = float(d);
        else if (key == wxS("bevel.strength")) r.bevel.strength = int(i);
        else if (key == wxS("bevel.highlight")) r.bevel.highlightcolor = Colour(value);
        else if (key == wxS("bevel.shadow")) r.bevel.shadowcolor = Colour(value);
        else if (key == wxS("bevel.type")) r.bevel.type = int(i);
        else return false;
    }
    else
        return false;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Fail("usage: glyphara_export_serve PROGRAM_DIR [--single TEXT] TAG_SETTINGS...");
    wxInitializer initializer;
    if (!initializer.IsOk())
        return Fail("cannot initialise wxWidgets");
    if (!wxGetEnv(wxS("GLYPHARA_VERBOSE"), nullptr))
        wxLog::EnableLogging(false);

    // A private home and temporary folder, so nothing touches the user's.
    const wxString scratch = wxFileName::CreateTempFileName(wxS("glyphara-serve-"));
    wxRemoveFile(scratch);
    wxFileName::Mkdir(scratch + wxS("/home/.config"), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    wxFileName::Mkdir(scratch + wxS("/tmp"), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    wxSetEnv(wxS("HOME"), scratch + wxS("/home"));
    wxSetEnv(wxS("XDG_CONFIG_HOME"), scratch + wxS("/home/.config"));
    wxSetEnv(wxS("TMPDIR"), scratch + wxS("/tmp"));
    if (!wxSetWorkingDirectory(wxString::FromUTF8(argv[1])))
        return Fail("no program folder " + std::string(argv[1]));

    TraceSystem::GetInstance()->Init(wxS("Glyphara"), wxEmptyString);
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    wxString openedUrl;
    core->SetLauncher(std::unique_ptr<CPlatformLauncher>(new CapturingLauncher(&openedUrl)));
    if (core->Init() < 0)
        return Fail("core initialisation failed");
    if (core->NewProject() < 0)
        return Fail("NewProject failed");

    int next = 2;
    wxString userText;
    bool single = false;
    if (wxString::FromUTF8(argv[next]) == wxS("--single") && next + 1 < argc)
    {
        single = true;
        userText = wxString::FromUTF8(argv[next + 1]);
        next += 2;
    }
    wxString firstTag;
    for (int a = next; a < argc; ++a)
    {
        const wxString setting = wxString::FromUTF8(argv[a]);
        wxString tag = setting.BeforeFirst(':');
        if (firstTag.empty())
            firstTag = tag;
        wxArrayString tags;
        wxString selected;
        core->GetTagList(tags, selected);
        const int result = tags.Index(wxS("<") + tag + wxS(">")) == wxNOT_FOUND && tags.Index(tag) == wxNOT_FOUND
                               ? core->AddNewTag(tag, true)
                               : core->SetSelectedTag(tag);
        if (result < 0)
            return Fail("cannot select tag " + std::string(tag.utf8_str()));
        FontProperties record;
        core->GetSelectedFontProperties(record);
        wxStringTokenizer pairs(setting.AfterFirst(':'), wxS(";"));
        while (pairs.HasMoreTokens())
        {
            const wxString pair = pairs.GetNextToken();
            if (!Apply(record, pair.BeforeFirst('='), pair.AfterFirst('=')))
                return Fail("unknown setting " + std::string(pair.utf8_str()));
        }
        if (core->SetCurrentFontProperties(record) < 0)
            return Fail("SetCurrentFontProperties failed for " + std::string(tag.utf8_str()));
    }

    wxString url;
    if (single)
    {
        core->SetSelectedTag(firstTag);
        core->SetUserText(userText);
        if (core->WebBrowserPreview(wxEmptyString, true) < 0)
            return Fail("embedded preview failed");
        url = core->GetEmbeddedPreviewUrl();
    }
    else
    {
        if (core->WebBrowserPreview(wxEmptyString, false) < 0)
            return Fail("browser preview failed");
        url = openedUrl;
    }
    if (url.empty())
        return Fail("no preview address");
    std::cout << url.utf8_str() << std::endl;

    // Serve until the test closes our input.
    std::string line;
    while (std::getline(std::cin, line))
    {
    }
    wxFileName::Rmdir(scratch, wxPATH_RMDIR_RECURSIVE);
    // The server threads poll for seconds before they notice a stop; a test helper
    // need not wait for them.
    std::fflush(stdout);
    _exit(0);
}
