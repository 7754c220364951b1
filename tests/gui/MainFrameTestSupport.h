// The main window under test: a program folder with what the test needs (fonts, effects,
// runtime scripts, pictures), an initialised core that opens nothing outside the
// program, and the window itself, shown, with its controls found by their ids.
#ifndef GLYPHARA_TESTS_GUI_MAINFRAMETESTSUPPORT_H
#define GLYPHARA_TESTS_GUI_MAINFRAMETESTSUPPORT_H

#include "GuiTestSupport.h"

#include "Interface/ControlIds.h"
#include "core/FontProperties.h"
#include "trace/ResultCodes.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/slider.h>
#include <wx/string.h>
#include <wx/window.h>

#include <functional>
#include <map>
#include <vector>

class CGlypharaCore;
class GlypharaMainFrame;
class wxWebView;

// An empty file, with the folders above it: a font movie enough for the library scan
// and the font list, or any file a command only looks for.
void MakeEmptyFile(const wxString& path);

// A page script: true once the runtime has shown the h1 tag in its font.
const wxString kPreviewDrawn = TagShown(wxS("h1"));

// What the toolkit sends when the user moves a slider, clicks a check box, or picks an
// entry of a choice or a row of a list (wxNOT_FOUND: the highlight taken away).
inline void Move(wxSlider* slider, int value)
{
    slider->SetValue(value);
    wxCommandEvent event(wxEVT_SLIDER, slider->GetId());
    event.SetEventObject(slider);
    event.SetInt(value);
    slider->HandleWindowEvent(event);
}

inline void Click(wxCheckBox* box)
{
    box->SetValue(!box->GetValue());
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetEventObject(box);
    event.SetInt(box->GetValue() ? 1 : 0);
    box->HandleWindowEvent(event);
}

template <class List>
void Pick(List* list, wxEventType type, int index)
{
    ASSERT_LT(index, static_cast<int>(list->GetCount()));
    list->SetSelection(index);
    wxCommandEvent event(type, list->GetId());
    event.SetEventObject(list);
    event.SetInt(index);
    if (index != wxNOT_FOUND)
        event.SetString(list->GetString(index));
    list->HandleWindowEvent(event);
}

inline void Choose(wxChoice* choice, int index)
{
    Pick(choice, wxEVT_CHOICE, index);
}

template <class List>
void Select(List* list, int index)
{
    Pick(list, wxEVT_LISTBOX, index);
}

// Starts a window manager on the test's display for as long as the object lives, so that
// windows get the keyboard focus; does nothing when one is already running.
class WindowManager
{
public:
    WindowManager();
    ~WindowManager();
    bool Running() const { return m_pid > 0; }

private:
    long m_pid = 0;
};

class MainFrameTest : public GuiTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    wxString SystemFontDir() const { return ProgramDir() + wxS("/Fonts"); }
    // Puts the built runtime scripts and one real font family into the program folder,
    // so that the embedded preview draws; false (and the test skips) without a build.
    bool UseBuiltRuntime();
    // The built picture archive and program icons.
    bool UseBuiltPictures();
    // The built effect library.
    bool UseBuiltEffects();

    // Initialises the core, creates the window and shows it.
    GlypharaMainFrame* OpenFrame();
    GlypharaMainFrame* Frame() const { return m_frame; }
    void CloseFrame();

    template <typename T>
    T* Find(int id) const
    {
        return dynamic_cast<T*>(FindWindowInFrame(id));
    }
    wxWindow* FindWindowInFrame(int id) const;

    CGlypharaCore* Core() const;
    FontProperties Record() const;
    // Changes the selected tag's record the way another part of the program would.
    void ChangeRecord(const std::function<void(FontProperties&)>& change);

    // What went to the default browser or was started as a program.
    std::vector<wxString> openedUrls;
    // The programs the desktop registers, by file extension: a command line with "%s"
    // where the file goes. Nothing is registered unless a test says so.
    std::map<wxString, wxString> openCommands;
    // The command lines run.
    std::vector<wxString> ranCommands;

private:
    class RecordingLauncher;
    GlypharaMainFrame* m_frame = nullptr;
    wxString m_tmp;
};

#endif
