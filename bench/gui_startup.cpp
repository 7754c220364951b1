// Start-up: from starting the program to its main window on the screen with its controls
// filled, against a bare program that opens a frame holding one web view on
// "about:blank", both started the same way on the same display. Needs a display; prints
// the ratio last.
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/webview.h>

#include "BenchSupport.h"
#include "BenchWindow.h"

namespace
{
const int kRounds = 7;
const char* const kBareTitle = "Bare web view";

class BareApp : public wxApp
{
public:
    bool OnInit() override
    {
        wxFrame* frame = new wxFrame(nullptr, wxID_ANY, kBareTitle, wxDefaultPosition, wxSize(1024, 768));
        wxWebView::New(frame, wxID_ANY, wxS("about:blank"));
        frame->Show();
        return true;
    }
};
}

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--bare") == 0)
    {
        wxApp::SetInstance(new BareApp);
        return wxEntry(argc, argv);
    }

    char self[4096] = {0};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return 1;
    const std::string glyphara = std::string(GLYPHARA_PROGRAM_DIR) + "/glyphara";
    if (access(glyphara.c_str(), X_OK) != 0)
    {
        std::printf("start-up: build the glyphara target first\n");
        return 1;
    }

    std::vector<double> program, bare;
    for (int round = 0; round < kRounds; ++round)
    {
        // A new user every time: no settings, no font caches of our own.
        const bench::TempFolder home;
        const double ours = bench::TimeToWindow({glyphara}, home.Utf8(), "Glyphara ");
        const double plain = bench::TimeToWindow({self, "--bare"}, home.Utf8(), kBareTitle);
        if (ours < 0 || plain < 0)
        {
            std::printf("start-up: a window never appeared (round %d)\n", round);
            return 1;
        }
        program.push_back(ours);
        bare.push_back(plain);
    }
    std::printf("Start-up to the main window shown, %d rounds, median / minimum (ms)\n", kRounds);
    std::printf("  Glyphara                       %8.1f / %8.1f\n", bench::Median(program), bench::Minimum(program));
    std::printf("  bare frame with a web view     %8.1f / %8.1f\n", bench::Median(bare), bench::Minimum(bare));
    std::printf("\nRatio, from medians / from minima (goal)\n");
    std::printf("  Glyphara to bare web view %.2f / %.2f (<= 1.5)\n", bench::Median(program) / bench::Median(bare),
                bench::Minimum(program) / bench::Minimum(bare));
    return 0;
}
