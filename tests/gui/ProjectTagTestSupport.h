// Driving the main window's commands as a user does: menu and tool commands by id, and
// the boxes and choosers they open answered by what the user would read and press. Any
// dialog that a test did not expect fails the test and is cancelled, so none blocks.
#ifndef GLYPHARA_TESTS_GUI_PROJECTTAGTESTSUPPORT_H
#define GLYPHARA_TESTS_GUI_PROJECTTAGTESTSUPPORT_H

#include "DialogTestSupport.h"
#include "MainFrameTestSupport.h"

#include "Interface/addsifrtohtmldialog.h"
#include "Interface/getnewtagdialog.h"

#include <wx/combobox.h>
#include <wx/filedlg.h>
#include <wx/ffile.h>
#include <wx/listbox.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

// A menu item, tool or button as the toolkit reports its use.
inline void Command(wxWindow* frame, int id, wxEventType type = wxEVT_MENU)
{
    wxCommandEvent event(type, id);
    event.SetEventObject(frame);
    frame->HandleWindowEvent(event);
}

inline void PressButton(wxWindow* window, int id)
{
    wxWindow* button = window->FindWindow(id);
    ASSERT_NE(nullptr, button) << id;
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

// Answers a message box after checking its caption, text, buttons and icon.
inline ExpectDialog<wxMessageDialog> Box(const wxString& caption, const wxString& text, long buttonsAndIcon,
                                         int answer)
{
    return ExpectDialog<wxMessageDialog>(
        [=](wxMessageDialog* box) {
            EXPECT_EQ(caption, box->GetCaption()) << box->GetMessage();
            EXPECT_EQ(text, box->GetMessage());
            const long shown = box->GetMessageDialogStyle() & (wxOK | wxYES_NO | wxCANCEL | wxICON_MASK);
            EXPECT_EQ(buttonsAndIcon, shown) << box->GetMessage();
        },
        answer);
}

// Answers a file chooser with a path (or Cancel) after checking its title, filter and mode.
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

// startFolder, when given, is where the chooser must open.
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

// The Get Code dialog for a project of this name, closed with its button.
inline ExpectDialog<CAddSIFRToHTMLDialog> GetCode(const wxString& projectName)
{
    return ExpectDialog<CAddSIFRToHTMLDialog>(
        [=](CAddSIFRToHTMLDialog* dialog) {
            EXPECT_EQ(wxS("How to add your cool fonts to an existing Website"), dialog->GetTitle());
            EXPECT_EQ(wxString::Format(wxS("1. Save your Glyphara project as desired (e.g. as \"%s\")."), projectName),
                      dialog->FindWindow(CAddSIFRToHTMLDialog::ID_STEP1)->GetLabel());
            wxTextCtrl* snippet = dynamic_cast<wxTextCtrl*>(dialog->FindWindow(CAddSIFRToHTMLDialog::ID_SNIPPET));
            EXPECT_TRUE(snippet && snippet->GetValue().Contains(wxS("GLYPHARA CODE BEGIN")));
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

// Fails the test on any modal dialog that no expectation answered, and cancels it.
class UnexpectedDialogs : public wxModalDialogHook
{
public:
    UnexpectedDialogs() { Register(); }
    ~UnexpectedDialogs() override { Unregister(); }

protected:
    int Enter(wxDialog* dialog) override
    {
        wxMessageDialog* box = dynamic_cast<wxMessageDialog*>(dialog);
        ADD_FAILURE() << "unexpected dialog \"" << dialog->GetTitle() << "\" "
                      << (box ? box->GetMessage() : wxString());
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

class CommandTest : public MainFrameTest
{
protected:
    void SetUp() override
    {
        MainFrameTest::SetUp();
        m_guard.reset(new UnexpectedDialogs);
    }
    void TearDown() override
    {
        MainFrameTest::TearDown();
        m_guard.reset();
    }

    // Two fonts, so that the new project's tag has one and is written, and the runtime
    // files that every saved site gets (empty: nothing here draws them).
    void InstallLibrary()
    {
        MakeFontFile(SystemFontDir() + wxS("/Type_Co/Alpha.swf"));
        MakeFontFile(SystemFontDir() + wxS("/Type_Co/Beta.swf"));
        for (const char* name : {"sifr.js", "sifr-config.js", "sIFR-screen.css", "sIFR-print.css"})
            MakeFontFile(ProgramDir() + wxS("/sIFR/") + name);
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

private:
    std::unique_ptr<UnexpectedDialogs> m_guard;
};

#endif
