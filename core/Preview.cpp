// GLYPHARA-STUB: placeholder so the tree links while this subsystem is being written.
// Every operation here fails until the real implementation replaces this file.
#include "core/GlypharaCore.h"

#include "trace/TraceSystem.h"

int CGlypharaCore::WebBrowserPreview(const wxString& path, bool embedded)
{
    (void)path;
    (void)embedded;
    TS_FUNCTION("CGlypharaCore::WebBrowserPreview");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}
