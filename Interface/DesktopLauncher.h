// The launcher of the window program: addresses go through the toolkit's default-browser
// launch, everything else as the core's own launcher does it.
#ifndef GLYPHARA_INTERFACE_DESKTOPLAUNCHER_H
#define GLYPHARA_INTERFACE_DESKTOPLAUNCHER_H

#include "core/PlatformLauncher.h"

class CDesktopLauncher : public CPlatformLauncher
{
public:
    bool OpenUrl(const wxString& url) override;
};

#endif
