// An undo and a redo of a style change against the same change made through
// SetCurrentFontProperties, each rewriting the embedded preview, for a 100 kB font movie;
// then the resident memory across 10,000 edits. Prints the ratio last.
#include "BenchSupport.h"

#include <wx/init.h>

#include <unistd.h>

namespace
{
const int kSteps = 100;

// Every edit comes after a pause, so each is a step of its own.
long long g_now = 0;
long long PausedClock()
{
    return g_now += 5000;
}

long ResidentKilobytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}
}

int main()
{
    bench::PrivateUser user;
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 1;
    delete wxLog::SetActiveTarget(new bench::QuietLog);
    bench::WriteProgramFiles(user.program.Path(), 100 * 1024);

    bench::StartTrace();
    CGlypharaCore* core = bench::StartCore();
    core->SetUndoClock(&PausedClock);
    // A project of a usual size: six tags, the edits on one of them.
    for (const char* tag : {"h2", "h3", "h4", "p", "em"})
    {
        wxString name = wxString::FromUTF8(tag);
        core->AddNewTag(name, false);
    }
    FontProperties record;
    core->GetSelectedFontProperties(record);
    if (core->GetEmbeddedPreviewPath().empty() || record.font.empty())
    {
        std::printf("embedded preview or font missing; nothing to measure\n");
        return 1;
    }

    auto changes = [&]() {
        const auto start = bench::Clock::now();
        for (int i = 0; i < kSteps; ++i)
        {
            record.size = record.size == 40 ? 41 : 40;
            core->SetCurrentFontProperties(record);
        }
        return bench::MillisecondsSince(start) / kSteps;
    };
    auto walk = [&](bool back) {
        const auto start = bench::Clock::now();
        for (int i = 0; i < kSteps; ++i)
            if ((back ? core->Undo() : core->Redo()) != RC_OK)
                std::printf("%s failed\n", back ? "undo" : "redo");
        return bench::MillisecondsSince(start) / kSteps;
    };

    const std::vector<double> best =
        bench::BestOfInterleaved(9, {changes, [&] { return walk(true); }, [&] { return walk(false); }});
    const double change = best[0], undo = best[1], redo = best[2];

    // The rounds have filled the history; see what 10,000 more edits cost in memory.
    const long residentBefore = ResidentKilobytes();
    const size_t stepsBefore = core->GetUndoCount();
    for (int i = 0; i < 100; ++i)
        changes();
    const long residentAfter = ResidentKilobytes();
    const size_t stepsAfter = core->GetUndoCount();

    bench::StopCore();
    bench::StopTrace();

    std::printf("style change through SetCurrentFontProperties: %.3f ms\n", change);
    std::printf("undo of a style change:                       %.3f ms\n", undo);
    std::printf("redo of a style change:                       %.3f ms\n", redo);
    std::printf("resident memory before 10,000 edits: %ld kB (%zu steps kept)\n", residentBefore, stepsBefore);
    std::printf("resident memory after 10,000 edits:  %ld kB (%zu steps kept)\n", residentAfter, stepsAfter);
    std::printf("ratio undo-or-redo/change: %.2f\n", std::max(undo, redo) / change);
    return 0;
}
