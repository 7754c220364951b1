// The resource archive (a zip of PNG pictures next to the executable) and folder clean-up.
#ifndef GLYPHARA_WXINCLUDES_WXINCLUDES_H
#define GLYPHARA_WXINCLUDES_WXINCLUDES_H

#include <wx/string.h>

#include <string>

class wxBitmap;
class wxImage;

// Relative to the working directory, which start-up sets to the program folder.
#define GLYPHARA_RESOURCE_ARCHIVE "Data/data.bin"

// The bytes of an archive entry as stored; false when the archive or the entry cannot be
// read.
bool ReadZipEntry(const wxString& entryName, const wxString& archivePath, std::string& bytes);
// The two picture readers decode, which needs the toolkit's graphics library: they are
// part of the window code (ResourcePictures.cpp), not of the core.
// 0 when bitmap holds a valid picture afterwards (also when it already did and nothing
// could be loaded), -14982 otherwise. A failed load leaves bitmap unchanged.
int GetBitmapFromZip(const wxString& entryName, const wxString& archivePath, wxBitmap& bitmap);
// The same for callers that need no display: decodes the entry into image.
int GetImageFromZip(const wxString& entryName, const wxString& archivePath, wxImage& image);
// Removes a folder with everything below it; symbolic links inside are removed, not
// followed. 0, or -14981 when it is no folder or something could not be removed.
int RemDirRec(const wxString& folder);

#endif
