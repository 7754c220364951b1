// The main window's two hot paths against their plain counterparts, in one window:
// a refresh that finds nothing changed in a library of 5,000 fonts against filling the
// font list with the same rows, and a property change shown in the preview (minus the
// core's 500 ms delay) against a fresh load of the same preview page in the same
// browser. Needs a display; prints the ratios last.
#include "BenchSupport.h"
#include "Interface/ControlIds.h"
#include "Interface/FontListCtrl.h"
#include "Interface/glypharamainframe.h"
#include "core/FontListModel.h"
#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "browser/EmbeddedBrowser.h"

#include <wx/app.h>
#include <wx/dir.h>
#include <wx/image.h>
#include <wx/stopwatch.h>
#include <wx/textctrl.h>
#include <wx/utils.h>
#include <wx/webview.h>

#include <functional>

namespace
{
using bench::Clock;
using bench::Median;
using bench::MillisecondsSince;
using bench::Minimum;
const int kFonts = 5000;
const int kRefreshRounds = 25;
const int kPreviewRounds = 9;
const int kCoreDelayMs = 500;
const int kSettleAfterFill = 200;

class BenchApp : public wxApp
{
public:
    bool OnInit() override
    {
        wxInitAllImageHandlers();
        return true;
    }
};

void CopyTree(const wxString& from, const wxString& to)
{
    wxFileName::Mkdir(to, 0777, wxPATH_MKDIR_FULL);
    wxDir dir(from);
    wxString name;
    for (bool more = dir.IsOpened() && dir.GetFirst(&name); more; more = dir.GetNext(&name))
    {
        const wxString source = from + wxS("/") + name;
        if (wxDirExists(source))
            CopyTree(source, to + wxS("/") + name);
        else
            wxCopyFile(source, to + wxS("/") + name);
    }
}

void Pump(int milliseconds)
{
    wxStopWatch watch;
    do
    {
        wxTheApp->Yield(true);
        wxMilliSleep(2);
    } while (watch.Time() < milliseconds);
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds)
{
    wxStopWatch watch;
    while (!condition())
    {
        if (watch.Time() > milliseconds)
            return false;
        wxTheApp->Yield(true);
        wxMilliSleep(2);
    }
    return true;
}

wxString Evaluate(wxWebView* view, const wxString& script)
{
    wxString result;
    view->RunScript(script, &result);
    return result;
}

// The current program folder and HOME must be set; the core is left released.
GlypharaMainFrame* OpenWindow()
{
    bench::StartCore();
    GlypharaMainFrame* frame = new GlypharaMainFrame(nullptr, wxS("Glyphara"), wxSize(1024, 768));
    frame->Show();
    Pump(500);
    return frame;
}

void CloseWindow(GlypharaMainFrame* frame)
{
    frame->Destroy();
    Pump(100);
    bench::StopCore();
}

struct RefreshFigures
{
    size_t rows = 0;
    std::vector<double> refresh, fill;
};

RefreshFigures MeasureRefresh(const wxString& base)
{
    const wxString home = base + wxS("/refresh-home");
    const wxString program = base + wxS("/refresh-program");
    wxFileName::Mkdir(program, 0777, wxPATH_MKDIR_FULL);
    setenv("HOME", home.fn_str(), 1);
    bench::MakeFontTree(std::string((home + wxS("/Tallowby Software/Glyphara/Fonts")).utf8_str()), kFonts);
    wxSetWorkingDirectory(program);

    RefreshFigures figures;
    GlypharaMainFrame* frame = OpenWindow();
    CFontListCtrl* list = dynamic_cast<CFontListCtrl*>(frame->FindWindow(ID_FONT_LISTBOX));
    wxArrayString rows;
    wxString selected;
    CGlypharaCore::GetInstance()->GetInstalledFontList(rows, selected);
    figures.rows = rows.size();
    const int selectedIndex = rows.Index(selected);
    const std::vector<FontListRow> listRows = CGlypharaCore::GetInstance()->GetInstalledFontModel().Rows();
    for (int round = 0; round < kRefreshRounds; ++round)
    {
        Clock::time_point start = Clock::now();
        frame->UpdateControls();
        list->Update();
        figures.refresh.push_back(MillisecondsSince(start));
        Pump(20);

        start = Clock::now();
        list->SetRows(listRows);
        list->SetSelection(selectedIndex);
        list->Update();
        figures.fill.push_back(MillisecondsSince(start));
        // The platform's list measures its rows and the window lays itself out again in
        // the idle time after a fill; the next refresh is timed once that is over.
        Pump(kSettleAfterFill);
    }
    CloseWindow(frame);
    return figures;
}

struct PreviewFigures
{
    bool ok = false;
    std::vector<double> change, load;
};

PreviewFigures MeasurePreview(const wxString& base)
{
    PreviewFigures figures;
    const wxString built = wxS(GLYPHARA_PROGRAM_DIR);
    if (!wxFileExists(built + wxS("/sIFR/sifr.js")) || !wxDirExists(built + wxS("/Fonts/DejaVu")))
    {
        std::printf("preview: build the program folder (runtime scripts and fonts) first\n");
        return figures;
    }
    const wxString home = base + wxS("/preview-home");
    const wxString program = base + wxS("/preview-program");
    wxFileName::Mkdir(home, 0777, wxPATH_MKDIR_FULL);
    CopyTree(built + wxS("/sIFR"), program + wxS("/sIFR"));
    CopyTree(built + wxS("/Fonts/DejaVu"), program + wxS("/Fonts/DejaVu"));
    setenv("HOME", home.fn_str(), 1);
    wxSetWorkingDirectory(program);

    GlypharaMainFrame* frame = OpenWindow();
    CEmbeddedBrowser* browser = dynamic_cast<CEmbeddedBrowser*>(frame->FindWindow(ID_BROWSER));
    wxWebView* view = browser ? browser->GetWebView() : nullptr;
    CTextColorPickerCtrl* colour = dynamic_cast<CTextColorPickerCtrl*>(frame->FindWindow(ID_FONT_COLOR));
    if (!view || !colour)
    {
        std::printf("preview: no web view\n");
        CloseWindow(frame);
        return figures;
    }
    // A change is drawn by the shown page; a fresh load gives a page without the mark.
    auto drawnIn = [&](const wxString& html, bool freshPage) {
        return PreviewH1In(html) + (freshPage ? wxS(" && window.__glypharaBench !== 1") : wxString());
    };
    // The first preview (2 s after start) and the ones the first layout asks for.
    if (!WaitFor([&] { return !view->IsBusy() && Evaluate(view, drawnIn(wxS("#000000"), false)) == wxS("true"); },
                 30000))
    {
        std::printf("preview: the first preview never showed\n");
        CloseWindow(frame);
        return figures;
    }
    Pump(1500);
    const wxString url = CGlypharaCore::GetInstance()->GetEmbeddedPreviewUrl();
    figures.ok = true;
    for (int round = 0; round < kPreviewRounds && figures.ok; ++round)
    {
        const wxString html = wxString::Format(wxS("#%02X%02X%02X"), 40 + round * 20, 0, 255 - round * 20);
        Clock::time_point start = Clock::now();
        colour->GetTextCtrl()->SetValue(html);
        figures.ok =
            WaitFor([&] { return !view->IsBusy() && Evaluate(view, drawnIn(html, false)) == wxS("true"); }, 20000);
        figures.change.push_back(MillisecondsSince(start) - kCoreDelayMs);
        Pump(300);

        Evaluate(view, wxS("window.__glypharaBench = 1"));
        start = Clock::now();
        browser->LoadUrl(url);
        figures.ok = figures.ok &&
                     WaitFor([&] { return !view->IsBusy() && Evaluate(view, drawnIn(html, true)) == wxS("true"); }, 20000);
        figures.load.push_back(MillisecondsSince(start));
        Pump(300);
    }
    if (!figures.ok)
        std::printf("preview: a page never showed its change\n");
    CloseWindow(frame);
    return figures;
}
}

int main(int argc, char** argv)
{
    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit())
        return 1;
    delete wxLog::SetActiveTarget(new bench::QuietLog);
    bench::StartTrace();
    const bench::TempFolder scratch;
    const wxString base = scratch.Path();
    setenv("XDG_CONFIG_HOME", (base + wxS("/config")).fn_str(), 1);
    setenv("TMPDIR", base.fn_str(), 1);

    const RefreshFigures refresh = MeasureRefresh(base);
    const PreviewFigures preview = MeasurePreview(base);

    std::printf("Main window, median / minimum (ms)\n");
    std::printf("  %zu font list rows (%d fonts), %d rounds\n", refresh.rows, kFonts, kRefreshRounds);
    std::printf("  refresh, nothing changed      %8.2f / %8.2f\n", Median(refresh.refresh), Minimum(refresh.refresh));
    std::printf("  filling the font list         %8.2f / %8.2f\n", Median(refresh.fill), Minimum(refresh.fill));
    if (preview.ok)
    {
        std::printf("  preview after a change - %d   %8.2f / %8.2f\n", kCoreDelayMs, Median(preview.change),
                    Minimum(preview.change));
        std::printf("  fresh load of the same page   %8.2f / %8.2f\n", Median(preview.load), Minimum(preview.load));
    }
    std::printf("\nRatios, from medians / from minima (goal)\n");
    std::printf("  refresh unchanged to font list fill %.2f / %.2f (<= 0.25)\n",
                Median(refresh.refresh) / Median(refresh.fill), Minimum(refresh.refresh) / Minimum(refresh.fill));
    if (preview.ok)
        std::printf("  change to preview against fresh load %.2f / %.2f (<= 1.5)\n",
                    Median(preview.change) / Median(preview.load), Minimum(preview.change) / Minimum(preview.load));

    bench::StopTrace();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return 0;
}
