// The small text boxes inside the compound controls: as small as the controls lay them
// out (the GTK theme's entry padding and minimum height would otherwise hide the digits
// of a 30 by 18 box), yet as large as their longest text needs in the user's font, and
// with text colours that read on the theme's background.
#ifndef GLYPHARA_LIBRARY_CUSTOMCONTROLS_COMPACTENTRY_H
#define GLYPHARA_LIBRARY_CUSTOMCONTROLS_COMPACTENTRY_H

#include <wx/colour.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

class wxTextCtrl;

void MakeEntryCompact(wxTextCtrl* text);
// The box's size for its longest text made of characters, one of each repeated count
// times after prefix, and never less than minimum.
wxSize EntrySizeFor(wxTextCtrl* text, const wxString& prefix, const wxString& characters, int count,
                    const wxSize& minimum);
// wanted, or the nearest colour towards the theme's text colour that reads at ratio on
// the theme's text box background.
wxColour EntryTextColour(const wxColour& wanted, double ratio);
// The text colour of the boxes, where it reads on the theme's text box background;
// otherwise the theme's own text colour, as the theme's other text boxes show their text.
wxColour EntryNormalTextColour(const wxColour& wanted);

#endif
