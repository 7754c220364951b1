#include "core/PlatformLauncher.h"

#include <wx/utils.h>

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
