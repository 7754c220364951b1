// What screen readers and keyboard users get from the windows beyond what the toolkit
// gives them. The toolkit has no accessibility interface of its own on this platform:
// names, roles and label relations are set on the native widgets' accessible objects
// here, and nowhere else.
#ifndef GLYPHARA_LIBRARY_ACCESSIBILITY_ACCESSIBILITY_H
#define GLYPHARA_LIBRARY_ACCESSIBILITY_ACCESSIBILITY_H

#include <wx/string.h>

#include <functional>

class wxDataViewCustomRenderer;
class wxScrolledWindow;
class wxWindow;

namespace Accessibility
{
enum class Role
{
    Unchanged,
    PushButton,
    Link,
    Heading,
    TableCell
};

// The name a screen reader says for the window and for its native parts that take the
// keyboard (the view inside a scrolled list, a drop-down's button and entry). Inner
// windows of a compound control are named by the control itself.
void SetName(wxWindow* window, const wxString& name);
void SetDescription(wxWindow* window, const wxString& description);
void SetRole(wxWindow* window, Role role);
// What the reader says for the window now: its name, or empty.
wxString GetName(wxWindow* window);

// Makes label (a static text, or a static box whose title it is) the label of control
// and of every part of it that takes the keyboard, and of nothing else.
void SetLabel(wxWindow* label, wxWindow* control);
// The text of an on-screen label as a name: without mnemonic markers and a trailing colon.
wxString NameFromLabel(const wxString& label);
// Drops the label relations the toolkit guesses (it takes the next window created for
// the control a text labels) from every text and box title below window; SetLabel sets
// the right ones.
void ForgetGuessedLabels(wxWindow* window);

// What a reader is told about one row of a list drawn by a custom renderer.
struct CellText
{
    wxString name;
    wxString description;
    Role role = Role::TableCell;
};
// describe is asked right after the list has given the renderer the row's value.
void DescribeRenderedCells(wxDataViewCustomRenderer* renderer, std::function<CellText()> describe);

// Lets a window drawn by the program take the keyboard, Tab included, when the class it
// derives from was made not to (a picture, a static text).
void MakeFocusable(wxWindow* window);
// Draws a ring in the theme's selection colour over the edge of control while the
// keyboard focus is in it, for native widgets that show no focus of their own.
void ShowFocusRing(wxWindow* control);
// Scrolls whatever below window takes the keyboard focus into view, also native parts
// that the toolkit does not report as focused.
void KeepFocusInView(wxScrolledWindow* window);
}

#endif
