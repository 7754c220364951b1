// What tracing costs a call: a trivial core getter, and a traced call that reports one
// message line, each with no log target (the normal run) and with a log file open, in
// the same run. Prints the ratio last.
#include "core/GlypharaCore.h"
#include "core/PlatformLauncher.h"
#include "trace/TraceSystem.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
// Fewer calls with the log file open: each writes a line.
const int kQuietCalls = 200000;
const int kLoggedCalls = 20000;
const int kRounds = 9;

class SilentLauncher : public CPlatformLauncher
{
public:
    bool OpenUrl(const wxString&) override { return true; }
    bool StartProcess(const wxString&) override { return true; }
};

wxString MakeTempFolder()
{
    char pattern[] = "/tmp/glyphara-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    return wxString::FromUTF8(made ? made : "/tmp");
}

// Shaped like a core operation that reports its progress once.
int ReportingCall(int value)
{
    TS_FUNCTION("Bench::ReportingCall");
    TS_LOG(TS_MESSAGE, wxS("Value read"));
    TS_RETURN(value, wxEmptyString);
}

// Nanoseconds per call, best of a few rounds.
template <typename Call>
double NanosecondsPerCall(int calls, Call&& call)
{
    double best = 1e30;
    for (int round = 0; round < kRounds; ++round)
    {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < calls; ++i)
            call();
        const double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
        best = std::min(best, ns / calls);
    }
    return best;
}
}

int main()
{
    const wxString home = MakeTempFolder();
    const wxString program = MakeTempFolder();
    const wxString tmp = MakeTempFolder();
    setenv("HOME", home.fn_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + wxS("/.config")).fn_str(), 1);
    setenv("TMPDIR", tmp.fn_str(), 1);
    wxSetWorkingDirectory(program);

    wxInitializer initializer;
    if (!initializer.IsOk())
        return 1;

    TraceSystem* trace = TraceSystem::GetInstance();
    trace->Init(wxS("Glyphara"), wxEmptyString);
    // No target at all, as in a run started without Shift.
    delete wxLog::SetActiveTarget(nullptr);
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    core->SetLauncher(std::unique_ptr<CPlatformLauncher>(new SilentLauncher));
    core->Init();

    wxString text;
    auto getter = [&] { core->GetUserText(text); };
    auto reporting = [&] { ReportingCall(1); };

    getter();
    const double getterQuiet = NanosecondsPerCall(kQuietCalls, getter);
    const double reportingQuiet = NanosecondsPerCall(kQuietCalls, reporting);

    // A start with Shift held alone writes the log file, here without the verbose lines.
    const wxString logPath = home + wxS("/Glyphara log.txt");
    TraceUiHooks hooks;
    hooks.keyState = [](bool& shift, bool& control, bool& alt) {
        shift = true;
        control = alt = false;
    };
    hooks.askYesNo = [](const wxString&, const wxString&) { return false; };
    TraceSystem::SetUiHooks(hooks);
    trace->Init(wxS("Glyphara"), logPath);
    const double getterLogged = NanosecondsPerCall(kLoggedCalls, getter);
    const double reportingLogged = NanosecondsPerCall(kLoggedCalls, reporting);
    trace->Shutdown();
    const wxULongLong logSize = wxFileName::GetSize(logPath);
    const long long logBytes = logSize == wxInvalidSize ? 0 : static_cast<long long>(logSize.GetValue());

    core->Release();
    CGlypharaCore::DestroyInstance();
    TraceSystem::DestroyInstance();
    for (const wxString& scratch : {home, program, tmp})
        wxFileName::Rmdir(scratch, wxPATH_RMDIR_RECURSIVE);

    std::printf("Tracing, best of %d rounds of %d calls, %d with the log file (ns per call)\n", kRounds,
                kQuietCalls, kLoggedCalls);
    std::printf("  trivial getter, no log target:     %8.1f\n", getterQuiet);
    std::printf("  trivial getter, log file open:     %8.1f (its entry and return lines go to no sink)\n",
                getterLogged);
    std::printf("  call reporting one line, no target: %7.1f\n", reportingQuiet);
    std::printf("  call reporting one line, log file:  %7.1f (log grew to %lld bytes)\n", reportingLogged,
                logBytes);
    std::printf("  getter ratio no target / log file: %.3f\n", getterQuiet / getterLogged);
    std::printf("ratio reporting call, no target / log file: %.3f (goal <= 0.1)\n", reportingQuiet / reportingLogged);
    return 0;
}
