// The program's own icon for its windows, in the sizes the program folder holds.
#ifndef GLYPHARA_INTERFACE_PROGRAMICON_H
#define GLYPHARA_INTERFACE_PROGRAMICON_H

#include <wx/iconbndl.h>

// Read from "Data/Icons" below the working directory (the program folder). Empty when
// no icon is there: the window then keeps the desktop's default icon.
wxIconBundle LoadProgramIcon();

#endif
