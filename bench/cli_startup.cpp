// "glyphara --export" of a project whose folder is up to date, from process start to
// exit, without a display, against the window program from process start to its main
// window on the screen, in the same run. Needs a display for the window program: runs
// itself under xvfb-run when there is none. Prints the ratio last.
#include "BenchSupport.h"
#include "BenchWindow.h"

namespace
{
const int kRounds = 7;

double ExportMilliseconds(const std::string& glyphara, const std::string& project, const std::string& home)
{
    const bench::Clock::time_point start = bench::Clock::now();
    const pid_t child = bench::StartProgram({glyphara, "--export", project}, home, false);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return bench::MillisecondsSince(start);
}
}

int main(int argc, char** argv)
{
    if (!std::getenv("DISPLAY") && (argc < 2 || std::strcmp(argv[1], "--under-xvfb") != 0))
    {
        execlp("xvfb-run", "xvfb-run", "-a", "-s", "-screen 0 1600x1200x24", argv[0], "--under-xvfb",
               static_cast<char*>(nullptr));
        std::printf("export start-up: no display and no xvfb-run\n");
        return 1;
    }
    const std::string glyphara = std::string(GLYPHARA_PROGRAM_DIR) + "/glyphara";
    if (access(glyphara.c_str(), X_OK) != 0)
    {
        std::printf("export start-up: build the glyphara target first\n");
        return 1;
    }

    // A project of two tags with fonts from the program's own library, whose folder the
    // first export brings up to date.
    const bench::TempFolder siteFolder, homeFolder;
    const std::string site = siteFolder.Utf8();
    std::string fonts[2];
    {
        const std::string listing = site + "/fonts.txt";
        std::system(("cd '" + std::string(GLYPHARA_PROGRAM_DIR) + "/Fonts' && ls */*.swf | head -2 > '" + listing + "'")
                        .c_str());
        std::ifstream in(listing);
        for (std::string& font : fonts)
            std::getline(in, font);
    }
    std::string tags;
    for (int i = 0; i < 2; ++i)
    {
        std::string foundry = fonts[i].substr(0, fonts[i].find('/'));
        std::string font = fonts[i].substr(fonts[i].find('/') + 1);
        font = font.substr(0, font.rfind('.'));
        std::replace(foundry.begin(), foundry.end(), '_', ' ');
        std::replace(font.begin(), font.end(), '_', ' ');
        tags += "<h" + std::to_string(i + 1) + " font=\"" + font + "\" foundry=\"" + foundry + "\"/>";
    }
    const std::string project = site + "/site.xml";
    std::ofstream(project) << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<GlypharaProject><project "
                              "projectname=\"site\"><tags>"
                           << tags << "</tags><files/></project></GlypharaProject>\n";
    const std::string home = homeFolder.Utf8();
    if (ExportMilliseconds(glyphara, project, home) < 0)
    {
        std::printf("export start-up: the first export failed (fonts %s, %s)\n", fonts[0].c_str(), fonts[1].c_str());
        return 1;
    }

    std::vector<double> exported, window;
    for (int round = 0; round < kRounds; ++round)
    {
        const bench::TempFolder fresh;
        const double ours = ExportMilliseconds(glyphara, project, home);
        const double shown = bench::TimeToWindow({glyphara}, fresh.Utf8(), "Glyphara");
        // A busy machine may keep a window from coming up in time: that round is left out.
        if (ours < 0 || shown < 0)
        {
            std::printf("export start-up: round %d left out (export %.0f, window %.0f)\n", round, ours, shown);
            continue;
        }
        exported.push_back(ours);
        window.push_back(shown);
    }
    if (exported.size() < 3)
    {
        std::printf("export start-up: too few rounds succeeded\n");
        return 1;
    }

    std::printf("Process start-up, %zu rounds, median (ms)\n", exported.size());
    std::printf("  --export, folder up to date, no display     %8.1f\n", bench::Median(exported));
    std::printf("  window program, start to main window shown  %8.1f\n", bench::Median(window));
    std::printf("\nRatio export to window start-up (goal <= 0.3): %.2f\n", bench::Median(exported) / bench::Median(window));
    return 0;
}
