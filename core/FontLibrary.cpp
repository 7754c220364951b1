// GLYPHARA-STUB: placeholder so the tree links while this subsystem is being written.
// Every operation here fails until the real implementation replaces this file.
#include "core/GlypharaCore.h"

#include "trace/TraceSystem.h"

int CGlypharaCore::BuildFontLists()
{
    TS_FUNCTION("CGlypharaCore::BuildFontLists");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::UpdateFontList(bool onlyIfChanged)
{
    (void)onlyIfChanged;
    TS_FUNCTION("CGlypharaCore::UpdateFontList");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::GetFontSupportedStyles(const wxString& font, bool& regular, bool& italic, bool& bold, bool& boldItalic)
{
    (void)font;
    (void)regular;
    (void)italic;
    (void)bold;
    (void)boldItalic;
    TS_FUNCTION("CGlypharaCore::GetFontSupportedStyles");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::GetInstalledFontList(wxArrayString& rows, wxString& selectedRow)
{
    (void)rows;
    (void)selectedRow;
    TS_FUNCTION("CGlypharaCore::GetInstalledFontList");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::SelectInstalledFont(const wxString& entry, bool byMouse, bool keyUp, bool keyDown)
{
    (void)entry;
    (void)byMouse;
    (void)keyUp;
    (void)keyDown;
    TS_FUNCTION("CGlypharaCore::SelectInstalledFont");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::ImportFonts(const wxArrayString& files, wxArrayString& failed)
{
    (void)files;
    (void)failed;
    TS_FUNCTION("CGlypharaCore::ImportFonts");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::LaunchMoldwright()
{
    TS_FUNCTION("CGlypharaCore::LaunchMoldwright");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}
