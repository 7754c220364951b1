// The embedded preview as the main window shows it: the core exports the selected tag,
// its own server serves it, and a real web view draws it with the shipped runtime and a
// bundled font movie.
#include "GuiTestSupport.h"

#include "core/GlypharaCore.h"

#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>
#include <wx/webview.h>

#include <cstdlib>

namespace
{
// Pumps events until the script evaluates to "true" or the time is up.
bool WaitUntil(wxWebView* view, const wxString& script, int milliseconds)
{
    wxStopWatch watch;
    while (watch.Time() < milliseconds)
    {
        RunPendingEvents(100);
        if (!view->IsBusy() && Evaluate(view, script) == wxS("true"))
            return true;
    }
    return false;
}
}

TEST_F(GuiTest, TheEmbeddedPreviewDrawsTheSelectedTagWithItsFontMovie)
{
    const wxString built = wxS(GLYPHARA_PROGRAM_DIR);
    if (!wxFileExists(built + wxS("/sIFR/sifr.js")) || !wxDirExists(built + wxS("/Fonts/DejaVu")))
        GTEST_SKIP() << "build the program folder (runtime scripts and fonts) first";
    CopyTree(built + wxS("/sIFR"), ProgramDir() + wxS("/sIFR"));
    CopyTree(built + wxS("/Fonts/DejaVu"), ProgramDir() + wxS("/Fonts/DejaVu"));

    CGlypharaCore* core = CGlypharaCore::GetInstance();
    ASSERT_EQ(RC_OK, core->Init());
    FontProperties record;
    ASSERT_EQ(RC_OK, core->GetSelectedFontProperties(record));
    ASSERT_TRUE(record.font.StartsWith(wxS("DejaVu"))) << record.font;
    record.size = 48;
    record.color = wxColour(0xB2, 0x22, 0x22);
    record.dropshadow.enabled = true;
    ASSERT_EQ(RC_OK, core->SetCurrentFontProperties(record));
    ASSERT_EQ(RC_OK, core->SetUserText(wxS("Glyphara preview")));
    const wxString url = core->GetEmbeddedPreviewUrl();
    ASSERT_TRUE(url.StartsWith(wxS("http://127.0.0.1:"))) << url;

    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, wxS("Preview"), wxPoint(0, 0), wxSize(900, 300));
    wxWebView* view = wxWebView::New(frame, wxID_ANY, wxS("about:blank"));
    ASSERT_NE(nullptr, view);
    frame->Show();
    view->LoadURL(url);

    const bool drawn = WaitUntil(
        view, TagShown(wxS("h1")),
        20000);
    EXPECT_TRUE(drawn) << "the runtime did not draw the tag in the web view";
    // The text stays real for selection and screen readers.
    EXPECT_EQ(wxS("Glyphara preview"), Evaluate(view, wxS("document.querySelector('h1').innerText.trim()")));
    EXPECT_EQ(wxS("true"), Evaluate(view, TagFiltered(wxS("h1"))));

    // A screenshot for a person to look at: GLYPHARA_PREVIEW_SHOT=/path/shot.png.
    if (const char* shot = std::getenv("GLYPHARA_PREVIEW_SHOT"))
    {
        RunPendingEvents(500);
        wxExecute(wxString::Format(wxS("import -window root %s"), shot), wxEXEC_SYNC);
    }
    frame->Destroy();
    RunPendingEvents(100);
}
