// Export without a window: a project of 20 tags and 6 fonts exported into its existing
// folder, against a plain copy of the same files into an existing folder, in the same
// run. Also the export into a folder whose files are all stale. Prints the ratio last.
#include "BenchSupport.h"

#include <wx/dir.h>
#include <wx/init.h>

#include <functional>

namespace
{
const int kRounds = 41;

double Milliseconds(const std::function<void()>& before, const std::function<void()>& work)
{
    before();
    const bench::Clock::time_point start = bench::Clock::now();
    work();
    return bench::MillisecondsSince(start);
}

wxArrayString FilesBelow(const wxString& folder)
{
    wxArrayString files;
    wxDir::GetAllFiles(folder, &files, wxEmptyString, wxDIR_FILES | wxDIR_DIRS);
    for (wxString& file : files)
        file = file.Mid(folder.length());
    files.Sort();
    return files;
}
}

int main()
{
    wxInitializer initializer;
    const bench::TempFolder scratch;
    const std::string root = scratch.Utf8();
    setenv("HOME", root.c_str(), 1);
    setenv("TMPDIR", root.c_str(), 1);
    wxSetWorkingDirectory(wxS(GLYPHARA_PROGRAM_DIR));
    bench::StartTrace();
    CGlypharaCore* core = bench::StartCore();

    std::vector<std::pair<wxString, wxString>> fonts;
    for (const auto& foundry : core->GetFontTable())
        for (const auto& font : foundry.second)
            if (fonts.size() < 6)
                fonts.push_back({foundry.first, font.first});
    if (fonts.size() < 6)
    {
        std::printf("headless export: build the program's fonts first\n");
        return 1;
    }
    for (int i = 0; i < 20; ++i)
    {
        wxString tag = i < 6 ? wxString::Format(wxS("h%d"), i + 1) : wxString::Format(wxS("tag%d"), i);
        core->AddNewTag(tag, true);
        FontProperties record;
        core->GetSelectedFontProperties(record);
        record.foundry = fonts[i % 6].first;
        record.font = fonts[i % 6].second;
        record.size = 20 + i;
        core->SetCurrentFontProperties(record);
    }
    const wxString site = wxString::FromUTF8((root + "/site").c_str());
    const wxString project = site + wxS("/bench.xml");
    const wxString folder = site + wxS("/bench files");
    core->SaveProject(project, false, false);
    core->Release();
    core->InitForExport();

    // The same files, for the plain copy.
    const wxArrayString files = FilesBelow(folder);
    const std::string pristine = root + "/pristine";
    const std::string copyTarget = root + "/copy";
    for (const std::string& base : {pristine, copyTarget})
    {
        wxFileName::Mkdir(wxString::FromUTF8((base + "/glypharadata/fonts").c_str()), 0777, wxPATH_MKDIR_FULL);
        for (const wxString& file : files)
            if (!wxDirExists(folder + file))
                bench::PlainCopy(std::string((folder + file).fn_str()), base + std::string(file.fn_str()));
    }
    size_t bytes = 0, count = 0;
    for (const wxString& file : files)
        if (!wxDirExists(folder + file))
        {
            bytes += static_cast<size_t>(wxFileName::GetSize(folder + file).GetValue());
            ++count;
        }

    wxString message;
    int failures = 0;
    auto copyAll = [&] {
        for (const wxString& file : files)
            if (!wxDirExists(folder + file))
                bench::PlainCopy(pristine + std::string(file.fn_str()), copyTarget + std::string(file.fn_str()));
    };
    auto makeStale = [&] {
        for (const wxString& file : files)
            if (!wxDirExists(folder + file))
                bench::PlainCopy("/dev/null", std::string((folder + file).fn_str()));
    };
    auto exportOnce = [&] { failures += core->ExportProject(project, wxEmptyString, message) != RC_OK; };
    // The three take turns, so that the file system's background work falls on all alike.
    std::vector<double> copies, upToDates, stales;
    for (int round = 0; round < kRounds; ++round)
    {
        copies.push_back(Milliseconds([] {}, copyAll));
        upToDates.push_back(Milliseconds([] {}, exportOnce));
        stales.push_back(Milliseconds(makeStale, exportOnce));
    }
    const double copy = bench::Median(copies);
    const double upToDate = bench::Median(upToDates);
    const double stale = bench::Median(stales);

    bench::StopCore();
    TraceSystem::GetInstance()->Shutdown();
    if (failures)
    {
        std::printf("headless export: %d exports failed: %s\n", failures, static_cast<const char*>(message.utf8_str()));
        return 1;
    }

    std::printf("Export without a window, 20 tags, 6 fonts: %zu files, %zu bytes; median of %d (ms)\n", count, bytes,
                kRounds);
    std::printf("  plain copy of the same files into an existing folder  %8.2f\n", copy);
    std::printf("  export into the existing, up-to-date folder           %8.2f\n", upToDate);
    std::printf("  export into the existing folder, every file stale     %8.2f\n", stale);
    std::printf("\nRatio to the plain copy (goal <= 2): up to date %.2f, all stale %.2f\n", upToDate / copy,
                stale / copy);
    return 0;
}
