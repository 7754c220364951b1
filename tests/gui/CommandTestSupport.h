// Driving the main window's commands as a user does: menu and tool commands by id, and
// the boxes, choosers and dialogs they open answered by what the user would read and
// press. A dialog that no test expects fails the test (see main.cpp).
#ifndef GLYPHARA_TESTS_GUI_COMMANDTESTSUPPORT_H
#define GLYPHARA_TESTS_GUI_COMMANDTESTSUPPORT_H

#include "DialogTestSupport.h"
#include "MainFrameTestSupport.h"

#include "Interface/addsifrtohtmldialog.h"
#include "Interface/getnewtagdialog.h"
#include "core/GlypharaCore.h"

#include <wx/combobox.h>
#include <wx/dir.h>
#include <wx/dirdlg.h>
#include <wx/ffile.h>
#include <wx/filedlg.h>
#include <wx/listbox.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/textdlg.h>

#include <gtk/gtk.h>

#include <vector>

// A menu item, tool or button as the toolkit reports its use.
inline void Command(wxWindow* frame, int id, wxEventType type = wxEVT_MENU)
{
    wxCommandEvent event(type, id);
    event.SetEventObject(frame);
    frame->HandleWindowEvent(event);
}

// Answers a message box after checking its caption, text, buttons and icon.
inline ExpectDialog<wxMessageDialog> Box(const wxString& caption, const wxString& text, long buttonsAndIcon,
                                         int answer)
{
    return ExpectDialog<wxMessageDialog>(
        [=](wxMessageDialog* box) {
            EXPECT_EQ(caption, box->GetCaption()) << box->GetMessage();
            EXPECT_EQ(text, box->GetMessage()) << box->GetMessage();
            const long shown = box->GetMessageDialogStyle() & (wxOK | wxYES_NO | wxCANCEL | wxICON_MASK);
            EXPECT_EQ(buttonsAndIcon, shown) << box->GetMessage();
        },
        answer);
}

// Answers a project chooser with a path (or Cancel) after checking its title, filter and
// mode, and where it opens when startFolder is given.
inline ExpectDialog<wxFileDialog> Chooser(const wxString& title, long mode, const wxString& path, int answer,
                                          const wxString& startFolder)
{
    return ExpectDialog<wxFileDialog>(
        [=](wxFileDialog* dialog) {
            EXPECT_EQ(title, dialog->GetMessage());
            if (!startFolder.empty())
            {
                EXPECT_EQ(startFolder, dialog->GetDirectory()) << title;
            }
            EXPECT_EQ(wxS("*.xml"), dialog->GetWildcard());
            EXPECT_TRUE(dialog->HasFdFlag(mode)) << title;
            // The program asks about replacing a file itself, once.
            EXPECT_FALSE(dialog->HasFdFlag(wxFD_OVERWRITE_PROMPT)) << title;
            if (answer == wxID_OK)
                dialog->SetPath(path);
        },
        answer);
}

inline ExpectDialog<wxFileDialog> SaveChooser(const wxString& path, int answer = wxID_OK,
                                              const wxString& startFolder = wxString())
{
    return Chooser(wxS("Save project"), wxFD_SAVE, path, answer, startFolder);
}

inline ExpectDialog<wxFileDialog> OpenChooser(const wxString& path, int answer = wxID_OK,
                                              const wxString& startFolder = wxString())
{
    return Chooser(wxS("Open..."), wxFD_OPEN | wxFD_FILE_MUST_EXIST, path, answer, startFolder);
}

// What another file or folder chooser asked.
struct ShownChooser
{
    wxString message;
    wxString wildcard;
    long style = 0;
};

inline void Note(ShownChooser* shown, const wxString& message, const wxString& wildcard, long style)
{
    if (shown)
        *shown = {message, wildcard, style};
}

// Chooses every file that the file dialog lists in folder (its filter applies), the way
// a user selects them all; or cancels when folder is empty. The toolkit's chooser reads
// folders in the background, so this waits until it reports the files.
inline ExpectDialog<wxFileDialog> ChooseAllFilesIn(const wxString& folder, size_t expected,
                                                   ShownChooser* shown = nullptr)
{
    return ExpectDialog<wxFileDialog>(
        [=](wxFileDialog* dialog) {
            Note(shown, dialog->GetMessage(), dialog->GetWildcard(), dialog->GetWindowStyle());
            if (folder.empty())
                return;
            GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog->GetHandle());
            wxString first;
            wxDir(folder).GetFirst(&first, wxEmptyString, wxDIR_FILES);
            gtk_file_chooser_select_filename(chooser, (folder + wxS("/") + first).utf8_str());
            wxArrayString paths;
            auto listed = [&](size_t count) {
                dialog->GetPaths(paths);
                return paths.size() >= count;
            };
            WaitFor([&] { return listed(1); }, 5000);
            gtk_file_chooser_select_all(chooser);
            WaitFor([&] { return listed(expected); }, 5000);
        },
        folder.empty() ? wxID_CANCEL : wxID_OK);
}

// Chooses one file in a single-file dialog, or cancels when path is empty.
inline ExpectDialog<wxFileDialog> ChooseFile(const wxString& path, ShownChooser* shown = nullptr)
{
    return ExpectDialog<wxFileDialog>(
        [=](wxFileDialog* dialog) {
            Note(shown, dialog->GetMessage(), dialog->GetWildcard(), dialog->GetWindowStyle());
            if (!path.empty())
            {
                dialog->SetPath(path);
                WaitFor([&] { return !dialog->GetPath().empty(); }, 5000);
            }
        },
        path.empty() ? wxID_CANCEL : wxID_OK);
}

// Chooses a folder, or cancels when folder is empty.
inline ExpectDialog<wxDirDialog> ChooseFolder(const wxString& folder, ShownChooser* shown = nullptr)
{
    return ExpectDialog<wxDirDialog>(
        [=](wxDirDialog* dialog) {
            Note(shown, dialog->GetMessage(), wxString(), dialog->GetWindowStyle());
            // What the toolkit's chooser reports once the user accepts a folder.
            if (!folder.empty())
                dialog->wxDirDialogBase::SetPath(folder);
        },
        folder.empty() ? wxID_CANCEL : wxID_OK);
}

// Types an answer into a text-entry dialog, replacing what it offered, and presses a
// button; shown, when given, gets the caption, the prompt and the offered text.
inline ExpectDialog<wxTextEntryDialog> TypeAnswer(const wxString& typed, int button,
                                                  std::vector<wxString>* shown = nullptr)
{
    return ExpectDialog<wxTextEntryDialog>(
        [=](wxTextEntryDialog* dialog) {
            if (shown)
            {
                wxString prompt;
                for (wxWindow* child : dialog->GetChildren())
                    if (wxStaticText* label = dynamic_cast<wxStaticText*>(child))
                        prompt << label->GetLabel();
                *shown = {dialog->GetTitle(), prompt, dialog->GetValue()};
            }
            dialog->SetValue(typed);
        },
        button);
}

// The Get Code dialog for a project of this name, closed with its button; the user
// clicks its folder link first when asked to.
inline ExpectDialog<CAddSIFRToHTMLDialog> GetCode(const wxString& projectName, bool clickLink = false)
{
    return ExpectDialog<CAddSIFRToHTMLDialog>(
        [=](CAddSIFRToHTMLDialog* dialog) {
            EXPECT_EQ(wxS("How to add your cool fonts to an existing Website"), dialog->GetTitle());
            EXPECT_EQ(wxString::Format(wxS("1. Save your Glyphara project as desired (e.g. as \"%s\")."), projectName),
                      dialog->FindWindow(CAddSIFRToHTMLDialog::ID_STEP1)->GetLabel());
            wxTextCtrl* snippet = dynamic_cast<wxTextCtrl*>(dialog->FindWindow(CAddSIFRToHTMLDialog::ID_SNIPPET));
            wxString expected;
            CGlypharaCore::GetInstance()->GetHTMLSnippet(expected, false);
            EXPECT_TRUE(snippet && snippet->GetValue() == expected && expected.Contains(wxS("GLYPHARA CODE BEGIN")));
            if (clickLink)
            {
                wxWindow* link = dialog->FindWindow(CAddSIFRToHTMLDialog::ID_FOLDER_LINK);
                wxMouseEvent release(wxEVT_LEFT_UP);
                release.SetEventObject(link);
                link->GetEventHandler()->ProcessEvent(release);
            }
        },
        wxID_OK);
}

// The tag-name dialog with this title and prompt; the user types name (or leaves the
// suggestion when name is null) and presses OK, or presses Cancel.
inline ExpectDialog<CGetNewTagDialog> TagDialog(const wxString& title, const wxString& prompt, const char* name,
                                                int button = wxID_OK)
{
    return ExpectDialog<CGetNewTagDialog>(
        [=](CGetNewTagDialog* dialog) {
            EXPECT_EQ(title, dialog->GetTitle());
            EXPECT_EQ(prompt, dialog->FindWindow(CGetNewTagDialog::ID_PROMPT)->GetLabel());
            if (name)
                dynamic_cast<wxComboBox*>(dialog->FindWindow(CGetNewTagDialog::ID_NAME_BOX))->SetValue(wxString(name));
            PressButton(dialog, button);
        },
        button);
}

class CommandTest : public MainFrameTest
{
protected:
    // Two fonts, so that the new project's tag has one and is written, and the runtime
    // files every saved site gets (empty: nothing here draws them).
    void InstallLibrary()
    {
        MakeEmptyFile(SystemFontDir() + wxS("/Type_Co/Alpha.swf"));
        MakeEmptyFile(SystemFontDir() + wxS("/Type_Co/Beta.swf"));
        for (const char* name : {"sifr.js", "sifr-config.js", "sIFR-screen.css", "sIFR-print.css"})
            MakeEmptyFile(ProgramDir() + wxS("/sIFR/") + name);
    }

    std::vector<wxString> TagNames() const
    {
        std::vector<wxString> names;
        for (const auto& tag : Core()->GetTags())
            names.push_back(tag.first);
        return names;
    }

    wxListBox* TagList() const { return Find<wxListBox>(ID_TAG_LISTBOX); }

    static wxString ReadAll(const wxString& path)
    {
        wxString text;
        wxFFile file(path, wxS("rb"));
        if (file.IsOpened())
            file.ReadAll(&text, wxConvUTF8);
        return text;
    }
};

#endif
