// Effect file figures: how long the reader takes over hostile files (very deep nesting,
// several MB in one attribute, a hundred thousand attributes) against an ordinary effect
// file, and how long a library of a few hundred effects takes to build.
#include "BenchSupport.h"

#include <wx/init.h>

#include <functional>

namespace
{
double MedianMilliseconds(int rounds, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i)
    {
        const bench::Clock::time_point start = bench::Clock::now();
        work();
        times.push_back(bench::MillisecondsSince(start));
    }
    return bench::Median(times);
}

const char* kFilters =
    "<bevel enabled=\"0\" angle=\"45\" distance=\"4.000000\" strength=\"1\" quality=\"2\" "
    "highlightcolor=\"#0000FF\" shadowcolor=\"#FF0000\" type=\"1\"/>"
    "<glow enabled=\"1\" strength=\"2\" blurx=\"6.000000\" blury=\"6.000000\" knockout=\"0\" inner=\"0\" "
    "quality=\"1\" alpha=\"0.250000\" color=\"#FFFF00\"/>";
}

int main()
{
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 1;
    bench::StartTrace();
    const bench::PrivateUser user;
    const wxString program = user.program.Path();

    const std::string head = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<GlypharaEffect><effect effectname=\"";
    std::vector<std::pair<std::string, std::string>> files;
    files.push_back({"ordinary", head + "Glow\">" + kFilters + "</effect></GlypharaEffect>\n"});
    std::string deep = head + "Deep\">";
    for (int i = 0; i < 1000000; ++i)
        deep += "<n>";
    for (int i = 0; i < 1000000; ++i)
        deep += "</n>";
    files.push_back({"1,000,000 levels", deep + kFilters + "</effect></GlypharaEffect>\n"});
    files.push_back({"6 MB attribute value", head + std::string(6000000, 'x') + "\">" + kFilters + "</effect></GlypharaEffect>\n"});
    std::string many = head + "Many\"><glow";
    for (int i = 0; i < 100000; ++i)
        many += " a" + std::to_string(i) + "=\"123456789012345678901234567890\"";
    files.push_back({"100,000 attributes", many + " enabled=\"1\"/></effect></GlypharaEffect>\n"});

    for (int i = 0; i < 300; ++i)
        bench::WriteBytes(program + wxString::Format(wxS("/Effects/Effect %d.xml"), i),
                          head + "Effect " + std::to_string(i) + "\">" + kFilters + "</effect></GlypharaEffect>\n");

    CGlypharaCore* core = bench::StartCore();

    const int rounds = 5;
    std::printf("Effect reader, medians of %d rounds (ms)\n", rounds);
    std::printf("%-24s %10s %10s %8s\n", "file", "bytes", "load", "result");
    for (const auto& file : files)
    {
        const wxString path = user.tmp.Path() + wxS("/probe.xml");
        bench::WriteBytes(path, file.second);
        int result = 0;
        const double ms = MedianMilliseconds(rounds, [&] {
            FontProperties filters;
            wxString name;
            result = core->LoadEffect(path, filters, name);
        });
        std::printf("%-24s %10zu %10.2f %8d\n", file.first.c_str(), file.second.size(), ms, result);
    }
    const double library = MedianMilliseconds(rounds, [&] { core->BuildEffectList(); });
    std::printf("\nLibrary of 300 system effects: BuildEffectList %.2f ms (%zu entries)\n", library,
                core->GetEffectFilters().size());

    bench::StopCore();
    bench::StopTrace();
    return 0;
}
