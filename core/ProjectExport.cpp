// GLYPHARA-STUB: placeholder so the tree links while this subsystem is being written.
// Every operation here fails until the real implementation replaces this file.
#include "core/GlypharaCore.h"

#include "trace/TraceSystem.h"

int CGlypharaCore::SaveProject(const wxString& path, bool overwrite, bool embedded)
{
    (void)path;
    (void)overwrite;
    (void)embedded;
    TS_FUNCTION("CGlypharaCore::SaveProject");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}
