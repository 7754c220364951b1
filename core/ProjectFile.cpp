// GLYPHARA-STUB: placeholder so the tree links while this subsystem is being written.
// Every operation here fails until the real implementation replaces this file.
#include "core/GlypharaCore.h"

#include "trace/TraceSystem.h"

int CGlypharaCore::SaveXMLProject(const wxString& path, const wxString& projectName, const wxString& dataDir, const wxString& htmlDataDir, const wxString& cssFileName, const wxString& htmlFileName)
{
    (void)path;
    (void)projectName;
    (void)dataDir;
    (void)htmlDataDir;
    (void)cssFileName;
    (void)htmlFileName;
    TS_FUNCTION("CGlypharaCore::SaveXMLProject");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::LoadXMLProject(const wxString& path)
{
    (void)path;
    TS_FUNCTION("CGlypharaCore::LoadXMLProject");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::LoadProject(const wxString& path)
{
    (void)path;
    TS_FUNCTION("CGlypharaCore::LoadProject");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}
