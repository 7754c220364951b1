#include "Interface/CommandLine.h"

#include "core/TextUtil.h"

#include <wx/filesys.h>

namespace
{
// Options that GTK and GDK take from the command line of every program, whether they
// carry a value.
struct ToolkitOption
{
    const char* name;
    bool takesValue;
};

const ToolkitOption kToolkitOptions[] = {
    {"--display", true},     {"--screen", true},        {"--class", true},          {"--name", true},
    {"--gdk-debug", true},   {"--gdk-no-debug", true},  {"--gtk-module", true},     {"--gtk-debug", true},
    {"--gtk-no-debug", true}, {"--g-fatal-warnings", false}, {"--sync", false},
};

const ToolkitOption* FindToolkitOption(const wxString& name)
{
    for (const ToolkitOption& option : kToolkitOptions)
        if (name == wxString::FromAscii(option.name))
            return &option;
    return nullptr;
}

// A desktop may hand over a file:// address instead of a path.
wxString Absolute(const wxString& argument, const wxString& workingFolder)
{
    wxString path = argument;
    if (path.StartsWith(wxS("file://")))
        path = wxFileSystem::URLToFileName(path).GetFullPath();
    if (path.StartsWith(wxS("/")))
        return path;
    if (path.StartsWith(wxS("./")))
        path = path.Mid(2);
    return JoinPath(workingFolder, path);
}

CommandLine Failure(const wxString& text)
{
    CommandLine result;
    result.mode = CommandLine::Error;
    result.error = text;
    return result;
}
}

CommandLine ParseCommandLine(const std::vector<wxString>& args, const wxString& workingFolder)
{
    bool exporting = false;
    bool help = false;
    bool hasFolder = false;
    wxString exported;
    wxString folder;
    std::vector<wxString> files;
    bool optionsEnded = false;

    for (size_t i = 0; i < args.size(); ++i)
    {
        const wxString& arg = args[i];
        if (optionsEnded || !arg.StartsWith(wxS("-")) || arg == wxS("-"))
        {
            files.push_back(arg);
            continue;
        }
        if (arg == wxS("--"))
        {
            optionsEnded = true;
            continue;
        }
        if (arg == wxS("--help") || arg == wxS("-h"))
        {
            help = true;
            continue;
        }

        wxString name = arg;
        wxString value;
        const bool inlineValue = arg.StartsWith(wxS("--")) && arg.Find('=') != wxNOT_FOUND;
        if (inlineValue)
        {
            name = arg.BeforeFirst('=');
            value = arg.AfterFirst('=');
        }
        // Fetches the option's value from "--name=value" or the next argument.
        auto takeValue = [&](wxString& out) {
            if (inlineValue)
            {
                out = value;
                return true;
            }
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };

        if (name == wxS("--export"))
        {
            if (exporting)
                return Failure(wxS("--export given twice"));
            if (!takeValue(exported) || exported.empty())
                return Failure(wxS("--export needs the project file to export"));
            exporting = true;
        }
        else if (name == wxS("--to"))
        {
            if (hasFolder)
                return Failure(wxS("--to given twice"));
            if (!takeValue(folder) || folder.empty())
                return Failure(wxS("--to needs the folder to write into"));
            hasFolder = true;
        }
        else if (const ToolkitOption* option = FindToolkitOption(name))
        {
            wxString ignored;
            if (option->takesValue && !takeValue(ignored))
                return Failure(name + wxS(" needs a value"));
            if (!option->takesValue && inlineValue)
                return Failure(name + wxS(" takes no value"));
        }
        else
            return Failure(wxS("unknown option ") + arg);
    }

    CommandLine result;
    if (help)
    {
        result.mode = CommandLine::Help;
        return result;
    }
    if (exporting)
    {
        if (!files.empty())
            return Failure(wxS("unexpected argument ") + files.front() + wxS(" (use --to to name the folder)"));
        result.mode = CommandLine::Export;
        result.project = Absolute(exported, workingFolder);
        if (hasFolder)
            result.folder = Absolute(folder, workingFolder);
        return result;
    }
    if (hasFolder)
        return Failure(wxS("--to can only be used with --export"));
    if (files.size() > 1)
        return Failure(wxS("only one project can be opened at a time"));
    result.mode = CommandLine::Window;
    if (!files.empty())
        result.project = Absolute(files.front(), workingFolder);
    return result;
}

wxString CommandLineUsage()
{
    return wxS("Usage: glyphara [PROJECT.xml]\n"
               "       glyphara --export PROJECT.xml [--to FOLDER]\n"
               "       glyphara --help\n"
               "\n"
               "Without --export, opens the main window, with PROJECT.xml open if given.\n"
               "\n"
               "  --export PROJECT.xml  write the project's folder (the sample page and\n"
               "                        glypharadata/ with the runtime files, fonts and\n"
               "                        all.css) exactly as Save does, without a window and\n"
               "                        without reading or writing the user's settings.\n"
               "                        The project file itself is not changed.\n"
               "  --to FOLDER           write into FOLDER instead of the folder\n"
               "                        \"PROJECT files\" beside the project file: FOLDER\n"
               "                        receives PROJECT.html and glypharadata/. It is\n"
               "                        created if missing; other files in it are kept.\n"
               "  -h, --help            show this text and exit.\n"
               "\n"
               "Files that already hold what would be written are left untouched. When\n"
               "anything fails, the folder is left exactly as it was.\n"
               "\n"
               "Exit status:\n"
               "  0  the folder was written (or was already up to date)\n"
               "  1  the program could not start\n"
               "  2  the command line is wrong\n"
               "  3  the project cannot be read, is not a Glyphara project, or uses a\n"
               "     font that is neither installed nor in the project's folder\n"
               "  4  the folder could not be written\n");
}

std::string WindowProgramBeside(const std::string& executable)
{
    const size_t slash = executable.rfind('/');
    if (executable.empty() || executable[0] != '/' || slash == std::string::npos)
        return std::string();
    return executable.substr(0, slash + 1) + "glyphara-window";
}
