#include "Interface/GuiTraceHooks.h"

#include <wx/gdicmn.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include <cstdlib>

TraceUiHooks MakeGuiTraceHooks()
{
    TraceUiHooks hooks;
    hooks.keyState = [](bool& shift, bool& control, bool& alt) {
        shift = wxGetKeyState(WXK_SHIFT);
        control = wxGetKeyState(WXK_CONTROL);
        alt = wxGetKeyState(WXK_ALT);
    };
    hooks.askYesNo = [](const wxString& text, const wxString& caption) {
        return wxMessageBox(text, caption, wxYES_NO | wxICON_QUESTION) == wxYES;
    };
    hooks.errorBox = [](const wxString& text, const wxString& caption) {
        wxMessageBox(text, caption, wxOK | wxICON_ERROR);
    };
    hooks.screen = [](int& width, int& height, int& depth) {
        wxDisplaySize(&width, &height);
        depth = wxDisplayDepth();
    };
    hooks.terminate = [](const wxString& text) {
        wxSafeShowMessage(_("Fatal Error"), text);
        std::abort();
    };
    return hooks;
}
