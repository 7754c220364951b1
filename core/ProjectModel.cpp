// GLYPHARA-STUB: placeholder so the tree links while this subsystem is being written.
// Every operation here fails until the real implementation replaces this file.
#include "core/GlypharaCore.h"

#include "trace/TraceSystem.h"

int CGlypharaCore::NewProject()
{
    TS_FUNCTION("CGlypharaCore::NewProject");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

wxString CGlypharaCore::CleanTag(const wxString& tag)
{
    (void)tag;
    return wxString();
}

bool CGlypharaCore::IsAStandardTag(const wxString& tag)
{
    (void)tag;
    return false;
}

int CGlypharaCore::GetTagList(wxArrayString& list, wxString& selected)
{
    (void)list;
    (void)selected;
    TS_FUNCTION("CGlypharaCore::GetTagList");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::GetUnusedTagList(wxArrayString& list)
{
    (void)list;
    TS_FUNCTION("CGlypharaCore::GetUnusedTagList");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::SetSelectedTag(const wxString& tag)
{
    (void)tag;
    TS_FUNCTION("CGlypharaCore::SetSelectedTag");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::AddNewTag(wxString& name, bool select)
{
    (void)name;
    (void)select;
    TS_FUNCTION("CGlypharaCore::AddNewTag");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::RemoveTag(const wxString& name)
{
    (void)name;
    TS_FUNCTION("CGlypharaCore::RemoveTag");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::RenameTag(const wxString& oldName, const wxString& newName)
{
    (void)oldName;
    (void)newName;
    TS_FUNCTION("CGlypharaCore::RenameTag");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::GetSelectedFontProperties(FontProperties& record)
{
    (void)record;
    TS_FUNCTION("CGlypharaCore::GetSelectedFontProperties");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::SetCurrentFontProperties(const FontProperties& record)
{
    (void)record;
    TS_FUNCTION("CGlypharaCore::SetCurrentFontProperties");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::GetUserText(wxString& text)
{
    (void)text;
    TS_FUNCTION("CGlypharaCore::GetUserText");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::SetUserText(const wxString& text)
{
    (void)text;
    TS_FUNCTION("CGlypharaCore::SetUserText");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::SetFlashPlayerSize(int width, int height)
{
    (void)width;
    (void)height;
    TS_FUNCTION("CGlypharaCore::SetFlashPlayerSize");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}
