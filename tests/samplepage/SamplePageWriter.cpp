// Writes the sample page of a three-tag project and its all.css into a folder laid out
// like an exported project: <folder>/sample.html next to <folder>/glypharadata/all.css.
#include "core/GlypharaCore.h"
#include "core/TextUtil.h"
#include "trace/TraceSystem.h"

#include <wx/filefn.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>

namespace
{
bool SetTag(CGlypharaCore* core, const wxString& tag, int size, int align, bool bold, const RgbColour& colour,
            const RgbColour& background)
{
    if (core->SetSelectedTag(tag) != RC_OK)
        return false;
    FontProperties record;
    core->GetSelectedFontProperties(record);
    record.size = size;
    record.align = align;
    record.bold = bold;
    record.color = colour;
    record.backgroundcolor = background;
    return core->SetCurrentFontProperties(record) == RC_OK;
}
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 1;
    // Failures are counted below; the trace lines would only be noise here.
    wxLogNull quiet;
    TraceSystem::GetInstance()->Init(wxS("Glyphara"), wxEmptyString);

    const wxString folder = wxString::FromUTF8(argv[1]);
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    int failures = core->Init() != RC_OK;
    wxString name = wxS("h2");
    failures += core->AddNewTag(name, false) < 0;
    name = wxS("p");
    failures += core->AddNewTag(name, false) < 0;
    failures += !SetTag(core, wxS("h1"), 48, 1, true, RgbColour(0xB2, 0x22, 0x22), RgbColour(255, 255, 255));
    failures += !SetTag(core, wxS("h2"), 30, 2, false, RgbColour(0x1E, 0x6B, 0x2E), RgbColour(255, 255, 255));
    failures += !SetTag(core, wxS("p"), 18, 3, true, RgbColour(0x1F, 0x3F, 0xAF), RgbColour(0xFF, 0xF3, 0xC4));

    wxString page, css;
    failures += core->GetHTMLSampleCodeForBrowser(page, false) != RC_OK;
    failures += core->GetCSSCode(css, false) != RC_OK;
    wxMkdir(folder + wxS("/glypharadata"), 0777);
    failures += !WriteFileAtomically(folder + wxS("/sample.html"), page);
    failures += !WriteFileAtomically(folder + wxS("/glypharadata/all.css"), css);

    core->Release();
    CGlypharaCore::DestroyInstance();
    TraceSystem::GetInstance()->Shutdown();
    TraceSystem::DestroyInstance();
    if (failures)
        std::fprintf(stderr, "%d steps failed\n", failures);
    return failures ? 1 : 0;
}
