#include "Interface/CommandRunner.h"

#include "core/GlypharaCore.h"
#include "core/TextUtil.h"
#include "trace/TraceSystem.h"

#include <wx/app.h>
#include <wx/filefn.h>
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

    TraceSystem::GetInstance()->Init(wxS("Glyphara"), wxEmptyString);
    wxString message;
    int status = kExitFailure;
    // The core takes the runtime files, fonts and effects from the program folder.
    const wxString programFolder = ProgramFolder();
    if (programFolder.empty() || !wxSetWorkingDirectory(programFolder))
        message = wxS("the program's folder cannot be found or entered: ") + programFolder;
    else
    {
        status = ExportProjectWithCore(*CGlypharaCore::GetInstance(), command, message);
        CGlypharaCore::DestroyInstance();
    }
    TraceSystem::GetInstance()->Shutdown();
    TraceSystem::DestroyInstance();

    if (status != kExitOk)
        PrintTo(stderr, wxS("glyphara: ") + message + wxS("\n"));
    return status;
}
}

int ExportProjectWithCore(CGlypharaCore& core, const CommandLine& command, wxString& message)
{
    message.clear();
    const int initialised = core.InitForExport();
    if (initialised < 0)
    {
        message = wxString::Format(wxS("the program could not start (%d)"), initialised);
        return kExitFailure;
    }
    const int result = core.ExportProject(command.project, command.folder, message);
    core.Release();
    if (result >= 0)
        return kExitOk;
    return result == RC_WRITE_FAILED ? kExitWriteFailed : kExitBadProject;
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
