#include "Interface/DesktopLauncher.h"

#include <wx/utils.h>

bool CDesktopLauncher::OpenUrl(const wxString& url)
{
    return wxLaunchDefaultBrowser(url);
}
