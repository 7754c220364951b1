// Font library figures: scanning and listing a large user font folder against a bare
// recursive listing of the same tree, for growing numbers of fonts; and what asking for
// the list again costs when nothing changed.
#include "core/FontListModel.h"
#include "core/GlypharaCore.h"
#include "core/PlatformLauncher.h"
#include "trace/TraceSystem.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
typedef std::chrono::steady_clock Clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Nothing may leave the program while it is measured.
class SilentLauncher : public CPlatformLauncher
{
public:
    bool OpenUrl(const wxString&) override { return true; }
    bool StartProcess(const wxString&) override { return true; }
};

void BareListing(const std::string& folder, std::vector<std::string>& files)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir))
    {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        std::string path = folder + "/" + name;
        if (entry->d_type == DT_DIR)
            BareListing(path, files);
        else
            files.push_back(std::move(path));
    }
    closedir(dir);
}

void MakeTree(const std::string& fonts, int count)
{
    const int foundries = count / 20;
    for (int f = 0; f < foundries; ++f)
    {
        const std::string folder = fonts + "/Foundry_" + std::to_string(f);
        mkdir(folder.c_str(), 0777);
        for (int i = 0; f * 20 + i < count && i < 20; ++i)
        {
            const std::string file = folder + "/Font_Number_" + std::to_string(i) + ".swf";
            const int fd = open(file.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0666);
            if (fd >= 0)
                close(fd);
        }
    }
}

// Medians, and minima: on a busy machine the fastest round shows the cost of the work
// itself best.
struct Timing
{
    double median = 0, minimum = 0;
};

struct Figures
{
    int fonts = 0;
    size_t rows = 0;
    Timing bare, library, update, list, model, copy;
};

Timing Summary(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return Timing{values[values.size() / 2], values.front()};
}

Figures Measure(const std::string& base, int count, int rounds)
{
    const std::string home = base + "/home-" + std::to_string(count);
    const std::string program = base + "/program-" + std::to_string(count);
    mkdir(home.c_str(), 0777);
    mkdir(program.c_str(), 0777);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    const std::string fonts = home + "/Tallowby Software/Glyphara/Fonts";
    wxFileName::Mkdir(wxString::FromUTF8(fonts.c_str()), 0777, wxPATH_MKDIR_FULL);
    MakeTree(fonts, count);
    wxSetWorkingDirectory(wxString::FromUTF8(program.c_str()));

    CGlypharaCore* core = CGlypharaCore::GetInstance();
    core->SetLauncher(std::unique_ptr<CPlatformLauncher>(new SilentLauncher));
    core->Init();

    Figures figures;
    figures.fonts = count;
    std::vector<double> bare, library, update, list, model, copy;
    for (int round = 0; round < rounds; ++round)
    {
        Clock::time_point start = Clock::now();
        std::vector<std::string> files;
        BareListing(fonts, files);
        bare.push_back(MillisecondsSince(start));
        if (files.size() != static_cast<size_t>(count))
            std::printf("  bare listing saw %zu files\n", files.size());

        start = Clock::now();
        core->BuildFontLists();
        wxArrayString rows;
        wxString selected;
        core->GetInstalledFontList(rows, selected);
        library.push_back(MillisecondsSince(start));
        figures.rows = rows.size();

        start = Clock::now();
        core->UpdateFontList(true);
        update.push_back(MillisecondsSince(start));

        start = Clock::now();
        core->GetInstalledFontList(rows, selected);
        list.push_back(MillisecondsSince(start));

        start = Clock::now();
        const FontListModel& listModel = core->GetInstalledFontModel();
        model.push_back(MillisecondsSince(start));

        // The least any list that is handed its rows as texts must do.
        start = Clock::now();
        wxArrayString texts;
        texts.Alloc(listModel.Rows().size());
        for (const FontListRow& row : listModel.Rows())
            texts.Add(row.html);
        copy.push_back(MillisecondsSince(start));
    }
    figures.bare = Summary(bare);
    figures.library = Summary(library);
    figures.update = Summary(update);
    figures.list = Summary(list);
    figures.model = Summary(model);
    figures.copy = Summary(copy);

    core->Release();
    CGlypharaCore::DestroyInstance();
    wxSetWorkingDirectory(wxString::FromUTF8(base.c_str()));
    return figures;
}
}

int main()
{
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 1;
    TraceSystem::GetInstance()->Init(wxS("Glyphara"), wxEmptyString);

    char pattern[] = "/tmp/glyphara-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made)
        return 1;
    const std::string base = made;

    const int rounds = 15;
    std::vector<Figures> all;
    std::printf("Font library, %d rounds, median / minimum (ms)\n", rounds);
    std::printf("%8s %8s %18s %18s %18s\n", "fonts", "rows", "bare listing", "scan + rows", "update unchanged");
    for (const int count : {5000, 10000, 20000})
    {
        all.push_back(Measure(base, count, rounds));
        const Figures& f = all.back();
        std::printf("%8d %8zu %8.2f / %7.2f %8.2f / %7.2f %8.2f / %7.2f\n", f.fonts, f.rows, f.bare.median,
                    f.bare.minimum, f.library.median, f.library.minimum, f.update.median, f.update.minimum);
    }

    std::printf("\nAsked again with nothing changed, median / minimum (ms)\n");
    std::printf("%8s %18s %18s %18s\n", "fonts", "row texts", "row model", "copy of the texts");
    for (const Figures& f : all)
        std::printf("%8d %8.2f / %7.2f %8.2f / %7.2f %8.2f / %7.2f\n", f.fonts, f.list.median, f.list.minimum,
                    f.model.median, f.model.minimum, f.copy.median, f.copy.minimum);

    std::printf("\nRatios, from medians / from minima (goal)\n");
    for (const Figures& f : all)
    {
        std::printf("  %5d fonts: scan + rows to bare listing %.2f / %.2f (<= 3)\n", f.fonts,
                    f.library.median / f.bare.median, f.library.minimum / f.bare.minimum);
        std::printf("  %5d fonts: update unchanged to bare listing %.2f / %.2f (<= 1.5)\n", f.fonts,
                    f.update.median / f.bare.median, f.update.minimum / f.bare.minimum);
    }
    for (size_t i = 1; i < all.size(); ++i)
        std::printf("  %5d -> %5d fonts: scan + rows grows %.2f / %.2f times (<= 2.2)\n", all[i - 1].fonts,
                    all[i].fonts, all[i].library.median / all[i - 1].library.median,
                    all[i].library.minimum / all[i - 1].library.minimum);

    wxFileName::Rmdir(wxString::FromUTF8(base.c_str()), wxPATH_RMDIR_RECURSIVE);
    TraceSystem::GetInstance()->Shutdown();
    TraceSystem::DestroyInstance();
    return 0;
}
