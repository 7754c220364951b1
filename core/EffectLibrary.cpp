// GLYPHARA-STUB: placeholder so the tree links while this subsystem is being written.
// Every operation here fails until the real implementation replaces this file.
#include "core/GlypharaCore.h"

#include "trace/TraceSystem.h"

int CGlypharaCore::BuildEffectList()
{
    TS_FUNCTION("CGlypharaCore::BuildEffectList");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::LoadEffectToMember(const wxString& path)
{
    (void)path;
    TS_FUNCTION("CGlypharaCore::LoadEffectToMember");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::GetEffectList(wxArrayString& names)
{
    (void)names;
    TS_FUNCTION("CGlypharaCore::GetEffectList");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::GetSelectedEffect(wxString& name)
{
    (void)name;
    TS_FUNCTION("CGlypharaCore::GetSelectedEffect");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::SetSelectedEffect(const wxString& name)
{
    (void)name;
    TS_FUNCTION("CGlypharaCore::SetSelectedEffect");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::DeleteEffect(const wxString& name, bool allowSystem)
{
    (void)name;
    (void)allowSystem;
    TS_FUNCTION("CGlypharaCore::DeleteEffect");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::LoadEffect(const wxString& path, FontProperties& filters, wxString& name)
{
    (void)path;
    (void)filters;
    (void)name;
    TS_FUNCTION("CGlypharaCore::LoadEffect");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::SaveEffectAs(const FontProperties& filters, wxString& name)
{
    (void)filters;
    (void)name;
    TS_FUNCTION("CGlypharaCore::SaveEffectAs");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::SaveUserDefinedEffectAs(wxString& name)
{
    (void)name;
    TS_FUNCTION("CGlypharaCore::SaveUserDefinedEffectAs");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::ImportEffect(const wxString& path, wxString& name)
{
    (void)path;
    (void)name;
    TS_FUNCTION("CGlypharaCore::ImportEffect");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}

int CGlypharaCore::ExportEffect(wxString& folder, const wxString& name, bool overwrite)
{
    (void)folder;
    (void)name;
    (void)overwrite;
    TS_FUNCTION("CGlypharaCore::ExportEffect");
    TS_RETURN(RC_FAILED, wxS("Not built yet"));
}
