#include "core/PlatformLauncher.h"

#include <wx/mimetype.h>
#include <wx/utils.h>

#include <memory>

namespace
{
// An argument vector, so a path with spaces needs no quoting.
bool StartWithArguments(const char* program, const wxString& argument)
{
    const wxScopedCharBuffer text = argument.fn_str();
    const char* argv[] = {program, argument.empty() ? nullptr : text.data(), nullptr};
    return wxExecute(argv, wxEXEC_ASYNC) != 0;
}
}

bool CPlatformLauncher::OpenUrl(const wxString& url)
{
    // The desktop's own opener; the window program installs the toolkit's browser launch,
    // which needs its graphics library.
    return StartWithArguments("xdg-open", url);
}

bool CPlatformLauncher::StartProcess(const wxString& executable)
{
    const wxScopedCharBuffer path = executable.fn_str();
    return StartWithArguments(path.data(), wxString());
}

wxString CPlatformLauncher::GetOpenCommand(const wxString& extension, const wxString& path)
{
    // On the desktop this reads the XDG associations; a type without an open command
    // gives the empty string.
    const std::unique_ptr<wxFileType> type(wxTheMimeTypesManager->GetFileTypeFromExtension(extension));
    return type ? type->GetOpenCommand(path) : wxString();
}

bool CPlatformLauncher::RunCommand(const wxString& command)
{
    return wxExecute(command, wxEXEC_ASYNC) != 0;
}
