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

int CGlypharaCore::GetFontSupportedStyles(const wxString& font, bool& regular, bool& italic, bool& bold,
                                          bool& boldItalic)
{
    TS_FUNCTION("CGlypharaCore::GetFontSupportedStyles");
    CORE_REQUIRE_INITIALIZED();
    const bool hasRegular = font.Contains(wxS("[regular]"));
    const bool hasItalic = font.Contains(wxS("[italic]"));
    const bool hasBold = font.Contains(wxS("[bold]"));
    const bool hasBoldItalic = font.Contains(wxS("[bolditalic]"));
    if (!hasRegular && !hasItalic && !hasBold && !hasBoldItalic)
    {
        regular = italic = bold = true;
        boldItalic = false;
    }
    else
    {
        regular = hasRegular;
        italic = hasItalic;
        bold = hasBold;
        boldItalic = hasBoldItalic;
    }
    TS_RETURN(RC_OK, wxEmptyString);
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
