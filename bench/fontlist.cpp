// Font library figures: scanning and listing a large user font folder against a bare
// recursive listing of the same tree, for growing numbers of fonts; and what asking for
// the list again costs when nothing changed.
#include "BenchSupport.h"
#include "core/FontListModel.h"

#include <wx/init.h>

#include <dirent.h>

namespace
{
using bench::Clock;
using bench::MillisecondsSince;
using bench::Timing;

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

struct Figures
{
    int fonts = 0;
    size_t rows = 0;
    Timing bare, library, update, list, model, copy;
};

Figures Measure(int count, int rounds)
{
    const bench::PrivateUser user;
    const std::string fonts = user.home.Utf8() + "/Tallowby Software/Glyphara/Fonts";
    bench::MakeFontTree(fonts, count);
    CGlypharaCore* core = bench::StartCore();

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
    figures.bare = bench::Summary(bare);
    figures.library = bench::Summary(library);
    figures.update = bench::Summary(update);
    figures.list = bench::Summary(list);
    figures.model = bench::Summary(model);
    figures.copy = bench::Summary(copy);

    bench::StopCore();
    wxSetWorkingDirectory(wxS("/"));
    return figures;
}
}

int main()
{
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 1;
    bench::StartTrace();

    const int rounds = 15;
    std::vector<Figures> all;
    std::printf("Font library, %d rounds, median / minimum (ms)\n", rounds);
    std::printf("%8s %8s %18s %18s %18s\n", "fonts", "rows", "bare listing", "scan + rows", "update unchanged");
    for (const int count : {5000, 10000, 20000})
    {
        all.push_back(Measure(count, rounds));
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

    bench::StopTrace();
    return 0;
}
