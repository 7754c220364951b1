// Answers to the dialogs that the main window's commands open, given as a user would
// give them, and records of what each dialog showed.
#ifndef GLYPHARA_TESTS_GUI_COMMANDTESTSUPPORT_H
#define GLYPHARA_TESTS_GUI_COMMANDTESTSUPPORT_H

#include "DialogTestSupport.h"
#include "MainFrameTestSupport.h"

#include <wx/dir.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/textdlg.h>

#include <gtk/gtk.h>

#include <vector>

// What a message box showed.
struct ShownBox
{
    wxString caption;
    wxString message;
    long icon = 0;
    bool yesNo = false;
};

// Presses a button of the next message box: wxID_OK, wxID_YES or wxID_NO.
class AnswerBox : public wxExpectModalBase<wxMessageDialog, AnswerBox>
{
public:
    AnswerBox(int button, std::vector<ShownBox>* shown) : m_button(button), m_shown(shown) {}

protected:
    int OnInvoked(wxMessageDialog* box) const override
    {
        ShownBox seen;
        seen.caption = box->GetCaption();
        seen.message = box->GetMessage();
        seen.icon = box->GetMessageDialogStyle() & wxICON_MASK;
        seen.yesNo = (box->GetMessageDialogStyle() & wxYES_NO) == wxYES_NO;
        m_shown->push_back(seen);
        return m_button;
    }

private:
    int m_button;
    std::vector<ShownBox>* m_shown;
};

// What a file or folder chooser asked.
struct ShownChooser
{
    wxString message;
    wxString wildcard;
    wxString folder;
    long style = 0;
};

inline void RecordChooser(wxFileDialog* dialog, ShownChooser* shown)
{
    if (!shown)
        return;
    shown->message = dialog->GetMessage();
    shown->wildcard = dialog->GetWildcard();
    shown->folder = dialog->GetDirectory();
    shown->style = dialog->GetWindowStyle();
}

// Chooses every file that the file dialog lists in folder (its filter applies), the way a
// user selects them all; or cancels when folder is empty. The toolkit's chooser reads
// folders in the background, so this waits until it reports the files.
class ChooseAllFilesIn : public wxExpectModalBase<wxFileDialog, ChooseAllFilesIn>
{
public:
    ChooseAllFilesIn(const wxString& folder, size_t expected, ShownChooser* shown = nullptr)
        : m_folder(folder), m_expected(expected), m_shown(shown)
    {
    }

protected:
    int OnInvoked(wxFileDialog* dialog) const override
    {
        RecordChooser(dialog, m_shown);
        if (m_folder.empty())
            return wxID_CANCEL;
        GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog->GetHandle());
        wxDir dir(m_folder);
        wxString first;
        dir.GetFirst(&first, wxEmptyString, wxDIR_FILES);
        gtk_file_chooser_select_filename(chooser, (m_folder + wxS("/") + first).utf8_str());
        wxArrayString paths;
        WaitFor(
            [&] {
                dialog->GetPaths(paths);
                return !paths.empty();
            },
            5000);
        gtk_file_chooser_select_all(chooser);
        WaitFor(
            [&] {
                dialog->GetPaths(paths);
                return paths.size() >= m_expected;
            },
            5000);
        return wxID_OK;
    }

private:
    wxString m_folder;
    size_t m_expected;
    ShownChooser* m_shown;
};

// Chooses one file in a single-file dialog, or cancels when path is empty.
class ChooseFile : public wxExpectModalBase<wxFileDialog, ChooseFile>
{
public:
    explicit ChooseFile(const wxString& path, ShownChooser* shown = nullptr) : m_path(path), m_shown(shown) {}

protected:
    int OnInvoked(wxFileDialog* dialog) const override
    {
        RecordChooser(dialog, m_shown);
        if (m_path.empty())
            return wxID_CANCEL;
        dialog->SetPath(m_path);
        WaitFor([&] { return !dialog->GetPath().empty(); }, 5000);
        return wxID_OK;
    }

private:
    wxString m_path;
    ShownChooser* m_shown;
};

// Chooses a folder, or cancels when folder is empty.
class ChooseFolder : public wxExpectModalBase<wxDirDialog, ChooseFolder>
{
public:
    explicit ChooseFolder(const wxString& folder, ShownChooser* shown = nullptr) : m_folder(folder), m_shown(shown) {}

protected:
    int OnInvoked(wxDirDialog* dialog) const override
    {
        if (m_shown)
        {
            m_shown->message = dialog->GetMessage();
            m_shown->folder = dialog->GetPath();
            m_shown->style = dialog->GetWindowStyle();
        }
        if (m_folder.empty())
            return wxID_CANCEL;
        // What the toolkit's chooser reports once the user accepts a folder.
        dialog->wxDirDialogBase::SetPath(m_folder);
        return wxID_OK;
    }

private:
    wxString m_folder;
    ShownChooser* m_shown;
};

// What a text-entry dialog asked.
struct ShownEntry
{
    wxString caption;
    wxString prompt;
    wxString initial;
};

// Types an answer into a text-entry dialog (replacing what it offered) and presses a
// button.
class TypeAnswer : public wxExpectModalBase<wxTextEntryDialog, TypeAnswer>
{
public:
    TypeAnswer(const wxString& typed, int button, ShownEntry* shown = nullptr)
        : m_typed(typed), m_button(button), m_shown(shown)
    {
    }

protected:
    int OnInvoked(wxTextEntryDialog* dialog) const override
    {
        if (m_shown)
        {
            m_shown->caption = dialog->GetTitle();
            m_shown->initial = dialog->GetValue();
            for (wxWindow* child : dialog->GetChildren())
                if (wxStaticText* label = dynamic_cast<wxStaticText*>(child))
                    m_shown->prompt << label->GetLabel();
        }
        dialog->SetValue(m_typed);
        return m_button;
    }

private:
    wxString m_typed;
    int m_button;
    ShownEntry* m_shown;
};

// Sends a menu command to the window, as choosing the item does.
inline void SendCommand(wxWindow* frame, int id)
{
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(frame);
    frame->GetEventHandler()->ProcessEvent(event);
}

// Clicks a button of the window.
inline void ClickButton(wxWindow* button)
{
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

#endif
