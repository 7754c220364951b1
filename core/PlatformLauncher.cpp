#include "core/PlatformLauncher.h"

#include <wx/mimetype.h>
#include <wx/utils.h>

#include <memory>

bool CPlatformLauncher::OpenUrl(const wxString& url)
{
    return wxLaunchDefaultBrowser(url);
}

bool CPlatformLauncher::StartProcess(const wxString& executable)
{
    const char* argv[] = {nullptr, nullptr};
    const wxScopedCharBuffer path = executable.fn_str();
    argv[0] = path.data();
    // An argument vector, so a path with spaces needs no quoting.
    return wxExecute(argv, wxEXEC_ASYNC) != 0;
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
