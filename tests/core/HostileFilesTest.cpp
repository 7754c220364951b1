// Project and effect files come from anyone. Thousands of mutated copies of real ones
// (seeded, so a failure can be replayed) go through LoadProject, LoadEffect and the
// export: none may crash or hang the program, and nothing may be read or written outside
// the project's folder and the export folder.
#include "ExportTestSupport.h"
#include "TestSupport.h"

#include "core/GlypharaCore.h"

#include <wx/dir.h>
#include <wx/filefn.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <random>

#include <unistd.h>

namespace
{
typedef std::chrono::steady_clock Clock;

const unsigned kSeed = 20081220;
const int kRounds = 5200;
// A file that takes longer than this hangs the program, whatever the machine's load.
const unsigned kHangSeconds = 5;
const char* const kSecret = "SECRET-OUTSIDE-THE-PROJECT";

// Ends the whole run, naming the round, when one file takes far too long.
volatile int g_round = -1;
void OnHang(int)
{
    std::fprintf(stderr, "Round %d of seed %u hangs (over %u s)\n", g_round, kSeed, kHangSeconds);
    std::abort();
}

class Mutator
{
public:
    explicit Mutator(unsigned seed) : m_random(seed) {}

    size_t Below(size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<size_t>(0, n - 1)(m_random); }
    bool OneIn(size_t n) { return Below(n) == 0; }

    std::string Mutate(std::string text, const std::string& other)
    {
        for (size_t steps = 1 + Below(3); steps > 0; --steps)
        {
            const size_t kind = Below(12);
            if (kind == 0)
                text.resize(Below(text.size() + 1));
            else if (kind <= 2)
                for (size_t n = 1 + Below(8); n > 0 && !text.empty(); --n)
                    text[Below(text.size())] ^= static_cast<char>(1 + Below(255));
            else if (kind == 3)
                text.insert(Below(text.size() + 1), RandomBytes(1 + Below(16)));
            else if (kind == 4)
                text = Nest(text);
            else if (kind == 5)
                text = HugeAttribute(text);
            else if (kind == 6)
                text = OddEncoding(text);
            else if (kind <= 9)
                text = HostileName(text);
            else if (kind == 10)
                text = ManyCopies(text);
            else
                text = text.substr(0, Below(text.size() + 1)) + other.substr(Below(other.size() + 1));
        }
        return text;
    }

private:
    std::string RandomBytes(size_t n)
    {
        std::string bytes;
        for (size_t i = 0; i < n; ++i)
            bytes += static_cast<char>(Below(256));
        return bytes;
    }

    // Somewhere after the root's start tag, if there is one.
    size_t InsideRoot(const std::string& text)
    {
        size_t root = text.find("<G");
        root = root == std::string::npos ? std::string::npos : text.find('>', root);
        if (root == std::string::npos)
            return Below(text.size() + 1);
        return root + 1 + Below(text.size() - root);
    }

    std::string Nest(const std::string& text)
    {
        const size_t depth = OneIn(4) ? 50000 + Below(100000) : 1 + Below(400);
        std::string open, close;
        for (size_t i = 0; i < depth; ++i)
        {
            open += "<tags>";
            close += "</tags>";
        }
        const size_t at = InsideRoot(text);
        return text.substr(0, at) + open + (OneIn(2) ? close : std::string()) + text.substr(at);
    }

    std::string HugeAttribute(const std::string& text)
    {
        const size_t at = text.find(' ', InsideRoot(text));
        if (at == std::string::npos)
            return text;
        const size_t length = OneIn(10) ? 4 * 1024 * 1024 : 1 + Below(70000);
        const char* names[] = {"font", "foundry", "size", "color", "effectname", "filename", "dir", "blurx", "zz"};
        return text.substr(0, at) + " " + names[Below(9)] + "=\"" + std::string(length, "a9%./"[Below(5)]) + "\"" +
               text.substr(at);
    }

    std::string OddEncoding(std::string text)
    {
        const char* encodings[] = {"UTF-16", "ISO-8859-1", "KOI8-R", "x-unknown", "EBCDIC-US", "US-ASCII", "UTF-8",
                                   "Shift_JIS", "windows-1252", ""};
        const size_t declared = text.find("encoding=\"");
        if (declared != std::string::npos)
        {
            const size_t end = text.find('"', declared + 10);
            if (end != std::string::npos)
                text = text.substr(0, declared + 10) + encodings[Below(10)] + text.substr(end);
        }
        const size_t form = Below(4);
        if (form == 0)
            return "\xEF\xBB\xBF" + text;
        if (form == 2)
            return "\xFE\xFF" + text;
        if (form == 1)
        {
            // The same text as UTF-16 (little endian) with its mark.
            std::string wide = "\xFF\xFE";
            for (char c : text)
                wide += std::string(1, c) + '\0';
            return wide;
        }
        for (size_t n = 1 + Below(4); n > 0 && !text.empty(); --n)
            text.insert(Below(text.size()), "\xC3\x28\xF0\x9F\x98\x80\xED\xA0\x80");
        return text;
    }

    std::string HostileName(std::string text)
    {
        const char* attributes[] = {"filename=\"", "dir=\"", "fontname=\"", "foundryname=\"", "font=\"", "foundry=\"",
                                    "projectname=\"", "effectname=\""};
        const char* values[] = {"..", "../..", "../sentinel/", "../../sentinel/", "secret.swf", "/etc/passwd", "/tmp/",
                                "%2e%2e/", "%s%n%x", "a/b", "..\\..\\", "mysite files/../../sentinel/", "./", "/",
                                ".", "fonts/..", "%", "&#x2F;..&#x2F;", "sentinel/secret", "C:\\Windows\\"};
        const std::string attribute = attributes[Below(8)];
        size_t at = text.find(attribute, Below(text.size() + 1));
        if (at == std::string::npos)
            at = text.find(attribute);
        if (at == std::string::npos)
            return text;
        const size_t start = at + attribute.size();
        const size_t end = text.find('"', start);
        if (end == std::string::npos)
            return text;
        std::string value = values[Below(20)];
        if (OneIn(3))
            value += values[Below(20)];
        if (OneIn(5))
            value = std::string(300, 'n') + value;
        return text.substr(0, start) + value + text.substr(end);
    }

    std::string ManyCopies(const std::string& text)
    {
        const size_t start = text.find('<', InsideRoot(text));
        if (start == std::string::npos)
            return text;
        const size_t end = text.find('>', start);
        if (end == std::string::npos)
            return text;
        std::string element = text.substr(start, end - start + 1);
        if (element.size() > 2 && element[element.size() - 2] != '/' && element[1] != '/')
            element.insert(element.size() - 1, "/");
        std::string copies;
        for (size_t n = 1 + Below(OneIn(5) ? 3000 : 30); n > 0; --n)
            copies += element;
        return text.substr(0, start) + copies + text.substr(start);
    }

    std::mt19937 m_random;
};

class HostileFilesTest : public CoreTest
{
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        InstallBigSansAndSlim();
        MakeFolders(SystemEffectDir());
        project = root / wxS("sandbox/project");
        out = root / wxS("sandbox/out");
        // What a climbing name would reach: a font-like file beside the sandbox.
        WriteTextFile(root / wxS("sentinel/secret.swf"), kSecret);
        WriteTextFile(root / wxS("sandbox/sentinel/secret.swf"), kSecret);
        WriteTextFile(project + wxS("/mysite files/glypharadata/fonts/Type_Co___Slim.swf"), "FWS-slim-copy");
        MakeFolders(out);
    }

    // Everything beside the project's folder and the export folder, and what the user owns.
    std::map<std::string, EntryState> Outside()
    {
        std::map<std::string, EntryState> all;
        for (const auto& entry : Snapshot(root.Path()))
            if (entry.first.rfind("sandbox/project", 0) != 0 && entry.first.rfind("sandbox/out", 0) != 0)
                all.insert(entry);
        for (const auto& entry : Snapshot(Home()))
            all["home/" + entry.first] = entry.second;
        for (const auto& entry : Snapshot(ProgramDir()))
            all["program/" + entry.first] = entry.second;
        return all;
    }

    TempDir root;
    wxString project, out;
};
}

TEST_F(HostileFilesTest, MutatedProjectAndEffectFilesNeverCrashHangOrReachOutside)
{
    ASSERT_EQ(RC_OK, Core()->InitForExport());
    const std::vector<std::string> projects = {
        ReadTextFile(wxS(GLYPHARA_SOURCE_DIR "/tests/fuzz/seeds/project/mysite.xml"))};
    std::vector<std::string> effects;
    wxArrayString effectFiles;
    wxDir::GetAllFiles(wxS(GLYPHARA_SOURCE_DIR "/data/effects"), &effectFiles, wxS("*.xml"), wxDIR_FILES);
    effectFiles.Sort();
    for (const wxString& file : effectFiles)
        effects.push_back(ReadTextFile(file));
    ASSERT_FALSE(projects.front().empty());
    ASSERT_GE(effects.size(), 5u);
    const auto outsideBefore = Outside();
    // Project file names that become folder and page names.
    const char* const names[] = {"mysite.xml", "%s%n.xml", "...xml", "a..b.xml", "100%.xml", " spaced .xml",
                                 "\xC3\xBCn\xC3\xAF.xml", "mysite.XML"};

    // The run's own log would keep every line of thousands of loads.
    wxLog::SetVerbose(false);
    wxLogNull quiet;
    Mutator mutator(kSeed);
    void (*previousHandler)(int) = std::signal(SIGALRM, OnHang);
    double slowest = 0;
    int slowestRound = -1;
    int loaded = 0;
    int exported = 0;
    for (int round = 0; round < kRounds; ++round)
    {
        const bool asProject = mutator.OneIn(2);
        const std::vector<std::string>& seeds = asProject ? projects : effects;
        const std::string& other = mutator.OneIn(4) ? (asProject ? effects : projects)[0] : seeds[0];
        const std::string text = mutator.Mutate(seeds[mutator.Below(seeds.size())], other);
        const wxString path = project + wxS("/") + wxString::FromUTF8(names[mutator.Below(8)]);
        WriteTextFile(path, text);

        g_round = round;
        alarm(kHangSeconds);
        const Clock::time_point start = Clock::now();
        if (asProject)
        {
            wxString message;
            if (mutator.OneIn(2))
                loaded += Core()->LoadProject(path) >= 0;
            else
                exported += Core()->ExportProject(path, out, message) == RC_OK;
        }
        else
        {
            FontProperties filters;
            wxString name;
            loaded += Core()->LoadEffect(path, filters, name) == RC_OK;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        alarm(0);
        if (seconds > slowest)
        {
            slowest = seconds;
            slowestRound = round;
        }
        wxRemoveFile(path);
    }
    std::signal(SIGALRM, previousHandler);

    std::printf("%d files, %d loaded, %d exported; slowest: round %d, %.3f s\n", kRounds, loaded, exported,
                slowestRound, slowest);
    // Some copies must still be good enough to get through, or the mutations test nothing.
    EXPECT_GT(loaded, kRounds / 20);
    EXPECT_GT(exported, kRounds / 50);
    EXPECT_LT(slowest, kHangSeconds);

    EXPECT_EQ(outsideBefore, Outside());
    for (const wxString& folder : {project, out})
        for (const auto& entry : Snapshot(folder))
            EXPECT_EQ(std::string::npos, entry.second.content.find(kSecret)) << entry.first;
    for (const std::string& path : PathsOf(Snapshot(out)))
        EXPECT_EQ(std::string::npos, path.find(".glyphara-export")) << path;
}
