#include "Interface/ProgramIcon.h"

#include <wx/filefn.h>
#include <wx/icon.h>

wxIconBundle LoadProgramIcon()
{
    wxIconBundle bundle;
    for (int size : {48, 128, 256})
    {
        const wxString path = wxString::Format(wxS("Data/Icons/glyphara-%d.png"), size);
        // Checked first: the loader reports a missing file as an error.
        if (!wxFileExists(path))
            continue;
        wxIcon icon(path, wxBITMAP_TYPE_PNG);
        if (icon.IsOk())
            bundle.AddIcon(icon);
    }
    return bundle;
}
