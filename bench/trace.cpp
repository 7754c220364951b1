// What tracing costs a call: a trivial core getter, and a traced call that reports one
// message line, each with no log target (the normal run) and with a log file open, in
// the same run. Prints the ratio last.
#include "BenchSupport.h"

#include <wx/init.h>

namespace
{
// Fewer calls with the log file open: each writes a line.
const int kQuietCalls = 200000;
const int kLoggedCalls = 20000;
const int kRounds = 9;

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
        const auto start = bench::Clock::now();
        for (int i = 0; i < calls; ++i)
            call();
        best = std::min(best, bench::MillisecondsSince(start) * 1e6 / calls);
    }
    return best;
}
}

int main()
{
    bench::PrivateUser user;
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 1;

    TraceSystem* trace = TraceSystem::GetInstance();
    trace->Init(wxS("Glyphara"), wxEmptyString);
    // No target at all, as in a run started without Shift.
    delete wxLog::SetActiveTarget(nullptr);
    CGlypharaCore* core = bench::StartCore();

    wxString text;
    auto getter = [&] { core->GetUserText(text); };
    auto reporting = [&] { ReportingCall(1); };

    getter();
    const double getterQuiet = NanosecondsPerCall(kQuietCalls, getter);
    const double reportingQuiet = NanosecondsPerCall(kQuietCalls, reporting);

    // A start with Shift held alone writes the log file, here without the verbose lines.
    const wxString logPath = user.home.Path() + wxS("/Glyphara log.txt");
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

    bench::StopCore();
    TraceSystem::DestroyInstance();

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
