// One edit cycle (a style change that rewrites the embedded preview folder) against a
// plain copy of the same files, for a 100 kB font movie: the bundled Liberation Sans with
// its four web fonts where the fonts are built, random bytes otherwise. Prints the ratio last.
#include "BenchSupport.h"

#include <wx/dir.h>
#include <wx/init.h>

namespace
{
const int kCycles = 200;
const size_t kMovieBytes = 100 * 1024;
}

int main()
{
    bench::PrivateUser user;
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 1;
    delete wxLog::SetActiveTarget(new bench::QuietLog);
    bench::WriteProgramFiles(user.program.Path(), kMovieBytes);
    const wxString bundled =
        wxS(GLYPHARA_PROGRAM_DIR "/Fonts/Red_Hat/Liberation_Sans_[regular][italic][bold][bolditalic].swf");
    if (wxFileExists(bundled))
        bench::WriteBytes(user.program.Path() + wxS("/Fonts/My_Foundry/Big_Sans.swf"), bench::ReadBytes(bundled));
    const size_t movieBytes = bench::ReadBytes(user.program.Path() + wxS("/Fonts/My_Foundry/Big_Sans.swf")).size();

    bench::StartTrace();
    CGlypharaCore* core = bench::StartCore();
    FontProperties record;
    core->GetSelectedFontProperties(record);
    record.foundry = wxS("My Foundry");
    record.font = wxS("Big Sans");
    core->SetCurrentFontProperties(record);

    const wxString page = core->GetEmbeddedPreviewPath();
    if (page.empty() || !wxFileExists(page))
    {
        std::printf("embedded preview page missing; nothing to measure\n");
        return 1;
    }
    const wxString folder = page.BeforeLast('/');

    auto editCycles = [&]() {
        const auto start = bench::Clock::now();
        for (int i = 0; i < kCycles; ++i)
        {
            record.size = 40 + i % 2;
            core->SetCurrentFontProperties(record);
        }
        return bench::MillisecondsSince(start) / kCycles;
    };

    // The same files the export leaves in the preview folder.
    wxArrayString files;
    wxDir::GetAllFiles(folder, &files);
    const bench::TempFolder copyFolder;
    std::vector<std::pair<std::string, std::string>> copies;
    for (size_t f = 0; f < files.size(); ++f)
        copies.push_back({std::string(files[f].fn_str()), copyFolder.Utf8() + "/" + std::to_string(f)});
    // Overwriting in place and writing fresh files cost very differently on some file
    // systems; the cheaper of the two is the yardstick.
    auto plainCycles = [&](bool fresh) {
        const auto start = bench::Clock::now();
        for (int i = 0; i < kCycles; ++i)
            for (const auto& copy : copies)
            {
                if (fresh)
                    ::unlink(copy.second.c_str());
                bench::PlainCopy(copy.first, copy.second);
            }
        return bench::MillisecondsSince(start) / kCycles;
    };

    const std::vector<double> best = bench::BestOfInterleaved(
        9, {editCycles, [&] { return plainCycles(false); }, [&] { return plainCycles(true); }});
    const double edit = best[0], overwrite = best[1], fresh = best[2];
    const double plain = std::min(overwrite, fresh);

    bench::StopCore();
    bench::StopTrace();

    size_t webFonts = 0;
    for (const wxString& file : files)
        webFonts += file.EndsWith(wxS(".woff2"));
    std::printf("files per cycle: %zu (font movie %zu bytes, %zu web fonts)\n", files.size(), movieBytes, webFonts);
    std::printf("edit cycle with preview rewrite: %.3f ms\n", edit);
    std::printf("plain copy, overwriting:         %.3f ms\n", overwrite);
    std::printf("plain copy, fresh files:         %.3f ms\n", fresh);
    std::printf("ratio edit/plain: %.2f\n", edit / plain);
    return 0;
}
