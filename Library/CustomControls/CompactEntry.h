// Lets a text box be as small as the controls here lay it out: the GTK theme's entry
// padding and minimum height would otherwise hide the digits of a 30 by 18 box.
#ifndef GLYPHARA_LIBRARY_CUSTOMCONTROLS_COMPACTENTRY_H
#define GLYPHARA_LIBRARY_CUSTOMCONTROLS_COMPACTENTRY_H

class wxTextCtrl;

void MakeEntryCompact(wxTextCtrl* text);

#endif
