// The memory of the preview's web process over a long design session: 1,000 colour
// changes, each shown in the embedded preview before the next, with the resident and
// private memory of the web process (and of the window's own process) every 100 changes.
// The core's 500 ms delay is skipped: each change is previewed at once. Needs a display;
// prints the growth after the first 100 changes, and over the second half, last.
#include "BenchSupport.h"
#include "Interface/ControlIds.h"
#include "Interface/glypharamainframe.h"
#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "browser/EmbeddedBrowser.h"

#include <wx/app.h>
#include <wx/dir.h>
#include <wx/image.h>
#include <wx/stopwatch.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/utils.h>
#include <wx/webview.h>

#include <dirent.h>

#include <cstring>

#include <algorithm>
#include <functional>

namespace
{
const int kChanges = 1000;
const int kReportEvery = 100;

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

// A field of /proc/PID/status or smaps_rollup, in kB; -1 when missing.
long ProcField(int pid, const char* file, const char* field)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/%s", pid, file);
    std::FILE* in = std::fopen(path, "r");
    if (!in)
        return -1;
    char line[256];
    long value = -1;
    const size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, in))
        if (std::strncmp(line, field, length) == 0 && line[length] == ':')
        {
            value = std::atol(line + length + 1);
            break;
        }
    std::fclose(in);
    return value;
}

// The web page processes this process started (WebKit names them WebKitWebProcess).
std::vector<int> WebProcesses()
{
    std::vector<int> found;
    DIR* proc = opendir("/proc");
    if (!proc)
        return found;
    while (dirent* entry = readdir(proc))
    {
        const int pid = std::atoi(entry->d_name);
        if (pid <= 0)
            continue;
        char path[64], text[512] = {0};
        std::snprintf(path, sizeof path, "/proc/%d/stat", pid);
        std::FILE* in = std::fopen(path, "r");
        if (!in)
            continue;
        const size_t got = std::fread(text, 1, sizeof text - 1, in);
        std::fclose(in);
        text[got] = 0;
        // pid (comm) state ppid ...
        const char* open = std::strchr(text, '(');
        const char* close = std::strrchr(text, ')');
        if (!open || !close)
            continue;
        const std::string comm(open + 1, close);
        int ppid = 0;
        char state = 0;
        if (std::sscanf(close + 1, " %c %d", &state, &ppid) == 2 && ppid == getpid() &&
            comm.rfind("WebKitWebProces", 0) == 0)
            found.push_back(pid);
    }
    closedir(proc);
    return found;
}

struct Sample
{
    int changes = 0;
    long webRss = 0, webPrivate = 0, ownRss = 0;
    size_t webProcesses = 0;
};

Sample Measure(int changes)
{
    Sample sample;
    sample.changes = changes;
    const std::vector<int> web = WebProcesses();
    sample.webProcesses = web.size();
    for (int pid : web)
    {
        sample.webRss += ProcField(pid, "status", "VmRSS");
        const long clean = ProcField(pid, "smaps_rollup", "Private_Clean");
        const long dirty = ProcField(pid, "smaps_rollup", "Private_Dirty");
        sample.webPrivate += std::max(0L, clean) + std::max(0L, dirty);
    }
    sample.ownRss = ProcField(getpid(), "status", "VmRSS");
    return sample;
}
}

int main(int argc, char** argv)
{
    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit())
        return 1;
    delete wxLog::SetActiveTarget(new bench::QuietLog);
    const wxString built = wxS(GLYPHARA_PROGRAM_DIR);
    if (!wxFileExists(built + wxS("/sIFR/sifr.js")) || !wxDirExists(built + wxS("/Fonts/DejaVu")))
    {
        std::printf("preview memory: build the program folder (runtime scripts and fonts) first\n");
        return 1;
    }
    bench::StartTrace();
    int status = 0;
    {
        const bench::PrivateUser user;
        CopyTree(built + wxS("/sIFR"), user.program.Path() + wxS("/sIFR"));
        CopyTree(built + wxS("/Fonts/DejaVu"), user.program.Path() + wxS("/Fonts/DejaVu"));

        bench::StartCore();
        GlypharaMainFrame* frame = new GlypharaMainFrame(nullptr, wxS("Glyphara"), wxSize(1024, 768));
        frame->Show();
        Pump(500);
        CEmbeddedBrowser* browser = dynamic_cast<CEmbeddedBrowser*>(frame->FindWindow(ID_BROWSER));
        wxWebView* view = browser ? browser->GetWebView() : nullptr;
        CTextColorPickerCtrl* colour = dynamic_cast<CTextColorPickerCtrl*>(frame->FindWindow(ID_FONT_COLOR));
        auto drawnIn = [&](const wxString& html) {
            return PreviewH1In(html);
        };
        std::vector<Sample> samples;
        if (!view || !colour ||
            !WaitFor([&] { return !view->IsBusy() && Evaluate(view, drawnIn(wxS("#000000"))) == wxS("true"); },
                     30000))
        {
            std::printf("preview memory: the first preview never showed\n");
            status = 1;
        }
        else
        {
            Pump(1500);
            samples.push_back(Measure(0));
            // Fires the window's preview handler at once, as its timer would 500 ms later.
            wxTimer previewNow(frame, ID_PREVIEW_TIMER);
            bench::Clock::time_point start = bench::Clock::now();
            for (int change = 1; change <= kChanges; ++change)
            {
                const wxString html = wxString::Format(wxS("#%02X%02X%02X"), change % 256, (change / 256) * 40, 128);
                colour->GetTextCtrl()->SetValue(html);
                previewNow.Notify();
                if (!WaitFor([&] { return !view->IsBusy() && Evaluate(view, drawnIn(html)) == wxS("true"); }, 20000))
                {
                    std::printf("preview memory: change %d never showed\n", change);
                    status = 1;
                    break;
                }
                if (change % kReportEvery == 0)
                {
                    // What the web process keeps, not what it has yet to give back: a
                    // moment without changes, as between a designer's clicks.
                    Pump(300);
                    samples.push_back(Measure(change));
                }
            }
            const double seconds = bench::MillisecondsSince(start) / 1000.0;
            std::printf("Preview memory over %d changes (%.0f s), kB\n", kChanges, seconds);
            std::printf("  changes   web process RSS   private   window RSS   web processes\n");
            for (const Sample& sample : samples)
                std::printf("  %7d   %15ld   %7ld   %10ld   %13zu\n", sample.changes, sample.webRss, sample.webPrivate,
                            sample.ownRss, sample.webProcesses);
        }
        if (samples.size() > 2)
        {
            // After the first hundred changes the process has what it needs for good; what
            // it gains after that, and in the second half alone, is what changes keep.
            const Sample& warm = samples[1];
            const Sample& middle = samples[samples.size() / 2];
            const Sample& last = samples.back();
            long peak = 0;
            for (const Sample& sample : samples)
                peak = std::max(peak, sample.webRss);
            auto growth = [](const Sample& from, const Sample& to, const char* what) {
                std::printf("  changes %4d to %4d   %+7.1f MB RSS  %+7.1f MB private  (%+.2f MB RSS per 100)   %s\n",
                            from.changes, to.changes, (to.webRss - from.webRss) / 1024.0,
                            (to.webPrivate - from.webPrivate) / 1024.0,
                            (to.webRss - from.webRss) / 1024.0 / ((to.changes - from.changes) / 100.0), what);
            };
            std::printf("\nWeb process growth (goal: flat), at most %.1f MB RSS\n", peak / 1024.0);
            growth(warm, last, "after the first hundred");
            growth(middle, last, "second half");
            std::printf("  window RSS %+.1f MB\n", (last.ownRss - warm.ownRss) / 1024.0);
        }
        frame->Destroy();
        Pump(100);
        bench::StopCore();
    }
    bench::StopTrace();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return status;
}
