// The memory of the preview's web process over a long design session: 1,000 changes (a
// colour each time, a size every fifth, a sample text every tenth), each shown in the
// embedded preview before the next. The core's 500 ms delay is skipped: each change is
// previewed at once. Every 50 changes, after a rest without changes (as between a
// designer's clicks, and time for the web process to collect and give back what it no
// longer uses), the web process's anonymous resident memory is read: what it keeps, apart
// from the files it maps and the drawing it shares with the window. The trend after the
// first 200 changes, fitted over every sample, decides the verdict, printed last.
#include "BenchSupport.h"
#include "Interface/ControlIds.h"
#include "Interface/glypharamainframe.h"
#include "Library/CustomControls/TextColorPickerCtrl.h"
#include "browser/EmbeddedBrowser.h"

#include <wx/app.h>
#include <wx/combobox.h>
#include <wx/dir.h>
#include <wx/image.h>
#include <wx/stopwatch.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/utils.h>
#include <wx/webview.h>

#include <dirent.h>

#include <cmath>
#include <cstring>

#include <algorithm>
#include <functional>
#include <memory>

namespace
{
const int kChanges = 1000;
const int kSampleEvery = 50;
const int kWarmUp = 200;
const int kRestMs = 2000;
// Flat: the fitted growth over the changes after the warm-up stays under this, about 1% of
// the process; a change that kept 2.5 kB would exceed it.
const double kFlatMB = 2.0;

const wxChar* const kSampleTexts[] = {wxS("Sample Text"), wxS("Quick brown foxes"), wxS("Jumping over 12 lazy dogs"),
                                      wxS("Glyphs & kerning")};

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

// Asked through the browser's own evaluation, as the window asks for its updates. The
// toolkit's RunScript declares a new global variable for every call, which the page keeps
// for good: tens of thousands of polls would make the page grow by themselves.
wxString Evaluate(CEmbeddedBrowser* browser, const wxString& script)
{
    // Shared with the answer, which may come after the wait has given up.
    struct Answer
    {
        bool given = false;
        wxString value;
    };
    const std::shared_ptr<Answer> answer = std::make_shared<Answer>();
    browser->RunScript(script, [answer](bool ran, const wxString& value) {
        answer->given = true;
        if (ran)
            answer->value = value;
    });
    return WaitFor([&] { return answer->given; }, 30000) ? answer->value : wxString();
}

// What the preview shows of its h1 tag once drawn: "same" or "new" (the page was loaded
// anew since it was marked), its colour and its text; empty while drawing. The script's
// text never changes, so the benchmark's own polling is the same work for every change.
const wxChar* const kShownProbe =
    wxS("(() => { if (document.documentElement.getAttribute('data-sifr-done') !== 'true') return '';"
        " const e = document.querySelector('h1.sIFR-webfont, h1.sIFR-replaced'); if (!e) return '';"
        " const ink = e.querySelector('svg g.sIFR-ink');"
        " const c = ink ? ink.getAttribute('fill') : getComputedStyle(e).color;"
        " const m = /rgba?\\((\\d+), *(\\d+), *(\\d+)/.exec(c);"
        " const colour = m ? '#' + m.slice(1, 4).map((v) => (+v).toString(16).padStart(2, '0')).join('') : c.toLowerCase();"
        " const text = (e.querySelector('.sIFR-alternate') || e).textContent.trim();"
        " return (window.__benchPage === 1 ? 'same ' : 'new ') + colour + ' ' + text; })()");
const wxChar* const kMarkPage = wxS("window.__benchPage = 1; true");

// A field of /proc/PID/status, in kB; -1 when missing.
long StatusField(int pid, const char* field)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/status", pid);
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

double LoadAverage()
{
    double load = -1;
    if (std::FILE* in = std::fopen("/proc/loadavg", "r"))
    {
        if (std::fscanf(in, "%lf", &load) != 1)
            load = -1;
        std::fclose(in);
    }
    return load;
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
    long webAnon = 0, webRss = 0, ownAnon = 0;
    std::vector<int> web;
};

Sample Measure(int changes)
{
    Sample sample;
    sample.changes = changes;
    sample.web = WebProcesses();
    for (int pid : sample.web)
    {
        sample.webAnon += StatusField(pid, "RssAnon");
        sample.webRss += StatusField(pid, "VmRSS");
    }
    sample.ownAnon = StatusField(getpid(), "RssAnon");
    return sample;
}

// Least squares: the web process's anonymous memory against the number of changes, in kB
// per change.
double Slope(const std::vector<Sample>& samples)
{
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const Sample& s : samples)
    {
        n += 1;
        sx += s.changes;
        sy += s.webAnon;
        sxx += double(s.changes) * s.changes;
        sxy += double(s.changes) * s.webAnon;
    }
    const double d = n * sxx - sx * sx;
    return d > 0 ? (n * sxy - sx * sy) / d : 0;
}

double MedianAnon(std::vector<Sample>::const_iterator from, std::vector<Sample>::const_iterator to)
{
    std::vector<double> values;
    for (auto s = from; s != to; ++s)
        values.push_back(s->webAnon);
    return bench::Median(values);
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
        wxComboBox* size = dynamic_cast<wxComboBox*>(frame->FindWindow(ID_FONTSIZE_COMBOBOX));
        wxTextCtrl* text = dynamic_cast<wxTextCtrl*>(frame->FindWindow(ID_USER_TEXT));
        wxString sampleText = text ? text->GetValue() : wxString();
        auto shown = [&]() { return view->IsBusy() ? wxString() : Evaluate(browser, kShownProbe); };
        std::vector<Sample> samples;
        std::vector<double> showTimes;
        int reloads = 0;
        const double loadBefore = LoadAverage();
        if (!view || !colour || !size || !text ||
            !WaitFor([&] { return shown().StartsWith(wxS("new #000000 ")); }, 30000))
        {
            std::printf("preview memory: the first preview never showed\n");
            status = 1;
        }
        else
        {
            Pump(kRestMs);
            Evaluate(browser, kMarkPage);
            samples.push_back(Measure(0));
            // Fires the window's preview handler at once, as its timer would 500 ms later.
            wxTimer previewNow(frame, ID_PREVIEW_TIMER);
            const bench::Clock::time_point start = bench::Clock::now();
            for (int change = 1; change <= kChanges; ++change)
            {
                const wxString html = wxString::Format(wxS("#%02x%02x%02x"), change % 256, (change / 256) * 40, 128);
                colour->GetTextCtrl()->SetValue(html);
                if (change % 5 == 0)
                    size->SetValue(wxString::Format(wxS("%d"), 30 + change % 31));
                if (change % 10 == 0)
                {
                    sampleText = kSampleTexts[(change / 10) % (sizeof kSampleTexts / sizeof kSampleTexts[0])];
                    text->SetValue(sampleText);
                }
                const bench::Clock::time_point asked = bench::Clock::now();
                previewNow.Notify();
                const wxString wanted = html + wxS(" ") + sampleText;
                wxString seen;
                if (!WaitFor([&] { seen = shown(); return seen.AfterFirst(' ') == wanted; }, 30000))
                {
                    std::printf("preview memory: change %d never showed (%s)\n", change, (const char*)seen.utf8_str());
                    status = 1;
                    break;
                }
                showTimes.push_back(bench::MillisecondsSince(asked));
                if (seen.StartsWith(wxS("new ")))
                {
                    ++reloads;
                    Evaluate(browser, kMarkPage);
                }
                if (change % kSampleEvery == 0)
                {
                    Pump(kRestMs);
                    samples.push_back(Measure(change));
                }
            }
            const double seconds = bench::MillisecondsSince(start) / 1000.0;
            std::printf("Preview web process over %d changes (%.0f s; load average %.2f before, %.2f after)\n",
                        kChanges, seconds, loadBefore, LoadAverage());
            std::printf("  changes   anonymous MB   resident MB   window anonymous MB\n");
            for (const Sample& sample : samples)
                std::printf("  %7d   %12.1f   %11.1f   %19.1f\n", sample.changes, sample.webAnon / 1024.0,
                            sample.webRss / 1024.0, sample.ownAnon / 1024.0);
            std::printf("Each change shown after %.0f ms (median), %.0f ms at most; page loaded anew %d times\n",
                        bench::Median(showTimes), showTimes.empty() ? 0.0 : *std::max_element(showTimes.begin(),
                                                                                            showTimes.end()),
                        reloads);
        }
        const auto warm = std::find_if(samples.begin(), samples.end(), [](const Sample& s) { return s.changes >= kWarmUp; });
        if (status == 0 && std::distance(warm, samples.end()) >= 6)
        {
            const std::vector<Sample> judged(warm, samples.end());
            const bool sameProcess =
                std::all_of(samples.begin(), samples.end(), [&](const Sample& s) { return s.web == samples[0].web; }) &&
                samples[0].web.size() == 1;
            const double perChange = Slope(judged);
            const int span = judged.back().changes - judged.front().changes;
            const double fitted = perChange * span / 1024.0;
            const double rise = (MedianAnon(judged.end() - 3, judged.end()) - MedianAnon(judged.begin(), judged.begin() + 3)) / 1024.0;
            std::printf("\nAfter the first %d changes: %+.2f MB per 100 changes, fitted %+.1f MB over %d changes; "
                        "the last three samples %+.1f MB on the first three\n",
                        kWarmUp, perChange * 100 / 1024.0, fitted, span, rise);
            std::printf("Window's own process: %+.1f MB anonymous over the run\n",
                        (samples.back().ownAnon - samples.front().ownAnon) / 1024.0);
            if (!sameProcess)
                std::printf("Verdict: not judged, the web process did not stay one and the same\n");
            else if (fitted < kFlatMB)
                std::printf("Verdict: flat (goal: under %.0f MB fitted growth over %d changes)\n", kFlatMB, span);
            else
                std::printf("Verdict: grows (goal: under %.0f MB fitted growth over %d changes)\n", kFlatMB, span);
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
