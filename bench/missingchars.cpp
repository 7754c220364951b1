// Characters the font lacks: the core's check of a 1,000-character sample against a
// 5,000-glyph font movie once its code table is cached, next to reading that code table
// from the file. The movie is real: Tallowby Moldwright makes it from DejaVu Sans with the
// first 5,000 characters the face maps. Prints the ratio last.
#include "BenchSupport.h"
#include "core/GlyphCoverage.h"

#include <wx/init.h>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace
{
const char* const kFace = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const size_t kGlyphs = 5000;
const size_t kSampleLength = 1000;
const int kReadRounds = 41;
const int kCheckBatches = 41;
const int kChecksPerBatch = 200;

using bench::Clock;

double MicrosecondsSince(Clock::time_point start)
{
    return bench::MillisecondsSince(start) * 1000.0;
}

bool RunMaker(const std::string& maker, std::vector<std::string> args)
{
    args.insert(args.begin(), maker);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const bool spawned = posix_spawn(&child, maker.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void AppendUtf8(std::string& out, uint32_t c)
{
    if (c < 0x80)
        out += char(c);
    else if (c < 0x800)
    {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    }
    else
    {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}
}

int main()
{
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 1;
    bench::QuietLog quiet;
    wxLog::SetActiveTarget(&quiet);
    bench::StartTrace();

    const std::string maker = std::string(GLYPHARA_PROGRAM_DIR) + "/Tallowby Moldwright";
    struct stat st;
    if (stat(maker.c_str(), &st) != 0 || stat(kFace, &st) != 0)
    {
        std::printf("missing characters: needs %s and %s; skipped\n", maker.c_str(), kFace);
        return 0;
    }

    const bench::TempFolder scratch;
    const std::string base = scratch.Utf8();

    // Every character the face maps, then a movie of the first 5,000 of them (from U+0021 on,
    // as a command line holds no control characters).
    MovieCoverage full;
    if (!RunMaker(maker, {"--chars", "all", "-o", base + "/all", kFace}) ||
        !ReadMovieCoverageFile(wxString::FromUTF8((base + "/all/DejaVu_Sans.swf").c_str()), full))
    {
        std::printf("missing characters: the maker could not make DejaVu Sans; skipped\n");
        return 0;
    }
    std::string chars;
    size_t taken = 0;
    for (uint32_t c = 0x21; c <= 0xFFFF && taken < kGlyphs; ++c)
        if (full.faces[0].Holds(c))
        {
            AppendUtf8(chars, c);
            ++taken;
        }
    const std::string program = base + "/program";
    const std::string movie = program + "/Fonts/Bench/DejaVu_Sans.swf";
    MovieCoverage coverage;
    if (taken < kGlyphs || !RunMaker(maker, {"--chars", chars, "--foundry", "Bench", "-o", program + "/Fonts", kFace}) ||
        !ReadMovieCoverageFile(wxString::FromUTF8(movie.c_str()), coverage))
    {
        std::printf("missing characters: the face maps only %zu characters; skipped\n", taken);
        return 0;
    }
    stat(movie.c_str(), &st);
    const wxString moviePath = wxString::FromUTF8(movie.c_str());

    // A sample of Western, Polish, Vietnamese, Greek, Cyrillic and CJK text: some of it in
    // the movie, some not.
    const wxString phrase = wxString::FromUTF8(
        "Zażółć gęślą jaźń. Tiếng Việt có dấu. Ελληνικά, кириллица, 漢字とかな. Smörgåsbord — café! ");
    wxString sample;
    while (sample.length() < kSampleLength)
        sample << phrase;
    sample.Truncate(kSampleLength);

    // Reading the code table: open, inflate, walk the tags. The file stays in the page cache.
    std::vector<double> reads;
    for (int round = 0; round < kReadRounds; ++round)
    {
        MovieCoverage again;
        const Clock::time_point start = Clock::now();
        const bool ok = ReadMovieCoverageFile(moviePath, again);
        reads.push_back(MicrosecondsSince(start));
        if (!ok)
            return 1;
    }

    const std::string home = base + "/home";
    mkdir(home.c_str(), 0777);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    setenv("TMPDIR", base.c_str(), 1);
    wxSetWorkingDirectory(wxString::FromUTF8(program.c_str()));
    CGlypharaCore* core = bench::StartCore();
    FontProperties record;
    core->GetSelectedFontProperties(record);
    record.foundry = wxS("Bench");
    record.font = wxS("DejaVu Sans");
    core->SetCurrentFontProperties(record);
    core->SetUserText(sample);

    // The first check after the movie changed reads it; later ones use the cache (each
    // still looks at the file's state).
    wxString fontName;
    wxArrayString missing;
    std::vector<double> firstChecks;
    for (int round = 0; round < 9; ++round)
    {
        const struct timespec times[2] = {{1500000000 + round, 0}, {1500000000 + round, 0}};
        utimensat(AT_FDCWD, movie.c_str(), times, 0);
        const Clock::time_point start = Clock::now();
        core->GetMissingCharacters(fontName, missing);
        firstChecks.push_back(MicrosecondsSince(start));
    }

    std::vector<double> checks;
    for (int batch = 0; batch < kCheckBatches; ++batch)
    {
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < kChecksPerBatch; ++i)
            core->GetMissingCharacters(fontName, missing);
        checks.push_back(MicrosecondsSince(start) / kChecksPerBatch);
    }
    wxString line;
    core->GetMissingCharactersText(line);

    const bench::Timing read = bench::Summary(reads);
    const bench::Timing first = bench::Summary(firstChecks);
    const bench::Timing check = bench::Summary(checks);
    std::printf("Missing characters: DejaVu Sans made by Tallowby Moldwright with %zu glyphs (%lld bytes, CWS), "
                "sample of %zu characters, %zu of them missing\n",
                coverage.faces[0].GlyphCount(), static_cast<long long>(st.st_size), sample.length(), missing.size());
    std::printf("  line: %s\n", line.utf8_str().data());
    std::printf("  median / minimum (us)\n");
    std::printf("  reading the code table once          %9.2f / %9.2f\n", read.median, read.minimum);
    std::printf("  check, movie changed (read + check)  %9.2f / %9.2f\n", first.median, first.minimum);
    std::printf("  check, cached                        %9.2f / %9.2f\n", check.median, check.minimum);
    std::printf("Ratio cached check / reading the code table, from medians / from minima: %.4f / %.4f (goal <= 0.05)\n",
                check.median / read.median, check.minimum / read.minimum);

    bench::StopCore();
    wxSetWorkingDirectory(wxS("/"));
    bench::StopTrace();
    wxLog::SetActiveTarget(nullptr);
    return 0;
}
