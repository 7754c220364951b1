#include "Interface/CommandTexts.h"

#include "core/ProjectPaths.h"
#include "trace/ResultCodes.h"

#include <wx/intl.h>

namespace
{
// The list items are appended, never formatted: a name or path may hold "%".
void AppendItems(wxString& text, const wxArrayString& items)
{
    for (const wxString& item : items)
        text << wxS("\n - ") << item;
}
} // namespace

wxString EffectImportReport(const wxArrayString& importedNames, const wxArrayString& failedPaths)
{
    const int count = static_cast<int>(importedNames.size());
    wxString text = count == 1 ? wxString::Format(_("%d effect has been imported"), count)
                               : wxString::Format(_("%d effects have been imported"), count);
    if (count > 0)
    {
        text << wxS(":");
        AppendItems(text, importedNames);
    }
    if (!failedPaths.empty())
    {
        text << wxS("\n\n") << _("These effect files could not be imported:");
        AppendItems(text, failedPaths);
    }
    return text;
}

wxString FontImportFailures(const wxArrayString& failedPaths)
{
    wxString text = _("These files could not be imported:\n");
    AppendItems(text, failedPaths);
    return text;
}

wxString HelpManualPath(const wxString& folder)
{
    return folder + wxS("/") + wxS("Manuals/Glyphara Manual W.pdf");
}

wxString HelpManualHtmlPath(const wxString& manualPath)
{
    return manualPath.BeforeLast(wxS('.')) + wxS(".html");
}

wxString HelpManualFolder(const wxString& manualPath)
{
    return ProjectPaths::CollapseSlashes(manualPath).BeforeLast(wxS('/'));
}

wxString PreviewFailure(int result, const wxString& page)
{
    wxString text = page.empty() ? _("Unable to preview the project in your web browser.")
                                 : _("Unable to preview this page in your web browser:") + wxS("\n") + page;
    text << wxS("\n\n");
    switch (result)
    {
    case RC_WRITE_FAILED:
        text << _("The pages of the preview could not be written.");
        break;
    case RC_FAILED:
        text << _("The local web server that shows the preview could not be started.");
        break;
    default:
        text << wxString::Format(_("Error %d."), result);
        break;
    }
    return text;
}
