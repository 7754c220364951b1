// Pieces shared by the dialog tests: a settings file and the resource archive in the
// test's own folders, a launcher that records instead of opening, and ways to act on a
// dialog as a user would.
#ifndef GLYPHARA_TESTS_GUI_DIALOGTESTSUPPORT_H
#define GLYPHARA_TESTS_GUI_DIALOGTESTSUPPORT_H

#include "GuiTestSupport.h"

#include "core/PlatformLauncher.h"

#include <wx/checkbox.h>
#include <wx/config.h>
#include <wx/dialog.h>
#include <wx/event.h>
#include <wx/ffile.h>
#include <wx/fileconf.h>
#include <wx/filefn.h>
#include <wx/testing.h>

#include <functional>
#include <memory>
#include <vector>

// Records what would be opened or started; no program is registered for anything.
class RecordingLauncher : public CPlatformLauncher
{
public:
    explicit RecordingLauncher(std::vector<wxString>* opened) : m_opened(opened) {}
    bool OpenUrl(const wxString& url) override { return Record(url); }
    bool StartProcess(const wxString& executable) override { return Record(executable); }
    wxString GetOpenCommand(const wxString&, const wxString&) override { return wxString(); }
    bool RunCommand(const wxString& command) override { return Record(command); }

private:
    bool Record(const wxString& what)
    {
        m_opened->push_back(what);
        return true;
    }
    std::vector<wxString>* m_opened;
};

// A button of a window pressed.
inline void PressButton(wxWindow* window, int id)
{
    wxWindow* button = window->FindWindow(id);
    ASSERT_NE(nullptr, button) << id;
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

// What the toolkit sends first when Escape is pressed in a dialog.
inline void PressEscape(wxWindow* dialog)
{
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = WXK_ESCAPE;
    event.SetEventObject(dialog);
    dialog->GetEventHandler()->ProcessEvent(event);
}

inline void Tick(wxWindow* window, int id, bool ticked)
{
    wxCheckBox* box = dynamic_cast<wxCheckBox*>(window->FindWindow(id));
    ASSERT_NE(nullptr, box) << id;
    box->SetValue(ticked);
    wxCommandEvent event(wxEVT_CHECKBOX, id);
    event.SetEventObject(box);
    event.SetInt(ticked ? 1 : 0);
    box->GetEventHandler()->ProcessEvent(event);
}

// Answers the next modal dialog of type T by running what the user does in it.
template <class T>
class ExpectDialog : public wxExpectModalBase<T, ExpectDialog<T>>
{
public:
    ExpectDialog(std::function<void(T*)> act, int result) : m_act(std::move(act)), m_result(result) {}

protected:
    int OnInvoked(T* dialog) const override
    {
        m_act(dialog);
        return m_result;
    }

private:
    std::function<void(T*)> m_act;
    int m_result;
};

class DialogTest : public GuiTest
{
protected:
    void SetUp() override;

    // The pictures, as the program folder holds them.
    bool InstallArchive()
    {
        return wxCopyFile(wxS(GLYPHARA_PROGRAM_DIR "/Data/data.bin"), ProgramDir() + wxS("/Data/data.bin"));
    }

    // What the settings file on disk says now.
    wxString SettingsOnDisk() const
    {
        wxString text;
        if (wxFileExists(m_settingsPath))
            wxFFile(m_settingsPath).ReadAll(&text, wxConvUTF8);
        return text;
    }

    std::vector<wxString> m_opened;
    wxString m_settingsPath;
};

#endif
