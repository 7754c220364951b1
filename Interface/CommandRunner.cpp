#include "Interface/CommandRunner.h"

#include "core/GlypharaCore.h"
#include "core/TextUtil.h"
#include "trace/TraceSystem.h"

#include <wx/app.h>
#include <wx/filefn.h>
#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/init.h>

#include <clocale>
#include <cstdio>
#include <vector>

namespace
{
void PrintTo(FILE* stream, const wxString& text)
{
    // A name the user's character set cannot show (in the C locale, say) still comes out.
    const wxScopedCharBuffer bytes = text.mb_str(*wxConvCurrent);
    if (bytes.length() == 0 && !text.empty())
        std::fputs(text.utf8_str(), stream);
    else
        std::fputs(bytes.data(), stream);
    std::fflush(stream);
}

int ExportWithoutWindow(const CommandLine& command)
{
    // A console application object: the toolkit starts without its graphical side.
    wxApp::SetInstance(new wxAppConsole);
    wxInitializer initializer;
    if (!initializer.IsOk())
    {
        PrintTo(stderr, wxS("glyphara: the toolkit could not be started\n"));
        return kExitFailure;
    }
    // Colour names and pictures work without a display.
    wxInitializeStockLists();
    wxInitAllImageHandlers();

    TraceSystem::GetInstance()->Init(wxS("Glyphara"), wxEmptyString);
    // The core takes the runtime files, fonts and effects from the program folder.
    wxSetWorkingDirectory(ProgramFolder());
    CGlypharaCore* core = CGlypharaCore::GetInstance();
    core->InitForExport();
    wxString message;
    const int result = core->ExportProject(command.project, command.folder, message);
    core->Release();
    CGlypharaCore::DestroyInstance();
    TraceSystem::GetInstance()->Shutdown();
    TraceSystem::DestroyInstance();

    if (result >= 0)
        return kExitOk;
    PrintTo(stderr, wxS("glyphara: ") + message + wxS("\n"));
    return result == RC_WRITE_FAILED ? kExitWriteFailed : kExitBadProject;
}
}

bool RunWithoutWindow(int argc, char** argv, CommandLine& command, int& status)
{
    // The toolkit would set the user's locale anyway; arguments are converted with it.
    std::setlocale(LC_ALL, "");

    std::vector<wxString> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(wxString(argv[i], *wxConvFileName));
    command = ParseCommandLine(args, wxGetCwd());

    switch (command.mode)
    {
    case CommandLine::Help:
        PrintTo(stdout, CommandLineUsage());
        status = kExitOk;
        return false;
    case CommandLine::Error:
        PrintTo(stderr, wxS("glyphara: ") + command.error + wxS("\nTry 'glyphara --help' for more information.\n"));
        status = kExitUsage;
        return false;
    case CommandLine::Export:
        status = ExportWithoutWindow(command);
        return false;
    case CommandLine::Window:
        break;
    }
    return true;
}
