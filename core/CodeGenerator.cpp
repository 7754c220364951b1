// GLYPHARA-STUB: placeholder so the tree links while this subsystem is being written.
// Every operation here fails until the real implementation replaces this file.
#include "core/GlypharaCore.h"

#include "trace/TraceSystem.h"

int CGlypharaCore::GetHTMLSnippet(wxString& snippet, bool singleTag)
{
    (void)snippet;
    (void)singleTag;
    TS_FUNCTION("CGlypharaCore::GetHTMLSnippet");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::GetCSSCode(wxString& css, bool singleTag)
{
    (void)css;
    (void)singleTag;
    TS_FUNCTION("CGlypharaCore::GetCSSCode");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::GetHTMLSampleCodeForBrowser(wxString& page, bool singleTag)
{
    (void)page;
    (void)singleTag;
    TS_FUNCTION("CGlypharaCore::GetHTMLSampleCodeForBrowser");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}
