// Preview servers: the threads each one keeps for the rest of the run, how long a stop
// takes, and how long Release takes with twenty of them running. Prints the ratio of
// a stop to the poll period of 8 s last.
#include "BenchSupport.h"
#include "Library/BasicWebServer/BasicWebServer.h"

#include <wx/dir.h>
#include <wx/init.h>

#include <ctime>

namespace
{
const double kPollPeriodMs = 8000.0;

size_t ThreadCount()
{
    wxDir dir(wxS("/proc/self/task"));
    size_t count = 0;
    wxString name;
    for (bool more = dir.GetFirst(&name, wxEmptyString, wxDIR_DIRS); more; more = dir.GetNext(&name))
        ++count;
    return count;
}
}

int main()
{
    bench::PrivateUser user;
    srand(static_cast<unsigned>(time(nullptr)) ^ (static_cast<unsigned>(getpid()) << 16));

    wxInitializer initializer;
    if (!initializer.IsOk())
        return 1;
    bench::StartTrace();
    delete wxLog::SetActiveTarget(nullptr);
    bench::WriteProgramFiles(user.program.Path(), 0);

    std::vector<double> stops;
    for (int i = 0; i < 10; ++i)
    {
        CBasicWebServer* server = new CBasicWebServer();
        server->Run();
        const auto start = bench::Clock::now();
        CBasicWebServer::StopAndDelete(server);
        stops.push_back(bench::MillisecondsSince(start));
    }
    std::sort(stops.begin(), stops.end());

    CGlypharaCore* core = bench::StartCore();
    const size_t before = ThreadCount();
    const int previews = 20;
    for (int i = 0; i < previews; ++i)
        core->WebBrowserPreview(wxEmptyString, false);
    const size_t servers = core->GetWebServerCount();
    const size_t added = ThreadCount() - before;
    const auto start = bench::Clock::now();
    core->Release();
    const double release = bench::MillisecondsSince(start);

    CGlypharaCore::DestroyInstance();
    bench::StopTrace();

    std::printf("Preview servers\n");
    std::printf("  threads added by %d previews: %zu (%.1f per preview)\n", previews, added,
                static_cast<double>(added) / previews);
    std::printf("  stop of one server, median / worst of %zu: %.1f / %.1f ms\n", stops.size(), stops[stops.size() / 2],
                stops.back());
    std::printf("  Release with %zu servers running: %.1f ms\n", servers, release);
    std::printf("ratio median stop / poll period of 8 s: %.4f\n", stops[stops.size() / 2] / kPollPeriodMs);
    return 0;
}
