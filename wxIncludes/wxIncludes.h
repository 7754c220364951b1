// The resource archive (a zip of PNG pictures next to the executable) and folder clean-up.
#ifndef GLYPHARA_WXINCLUDES_WXINCLUDES_H
#define GLYPHARA_WXINCLUDES_WXINCLUDES_H

#include <wx/string.h>

#include <string>

class wxBitmap;
class wxBitmapBundle;
class wxImage;

// Relative to the working directory, which start-up sets to the program folder.
#define GLYPHARA_RESOURCE_ARCHIVE "Data/data.bin"

// The bytes of an archive entry as stored; false when the archive or the entry cannot be
// read, traced as an error unless the entry is optional (one that may well be missing).
// tracedAs names the public function the lines are traced under.
bool ReadZipEntry(const wxString& entryName, const wxString& archivePath, std::string& bytes, bool optional = false,
                  const wxString& tracedAs = wxS("GetBitmapFromZip"));
// The picture readers decode, which needs the toolkit's graphics library: they are
// part of the window code (ResourcePictures.cpp), not of the core.
// 0 when bitmap holds a valid picture afterwards (also when it already did and nothing
// could be loaded), -14982 otherwise. A failed load leaves bitmap unchanged.
int GetBitmapFromZip(const wxString& entryName, const wxString& archivePath, wxBitmap& bitmap);
// The entry's picture with its double-size copy "NAME@2x.png" where the archive holds one,
// for sharp pictures on a display that doubles; with dark, the light-lined copies
// "NAME-dark.png" and "NAME-dark@2x.png" take their place where the archive has them.
// 0, or -14982 (bundle unchanged) when no picture could be loaded.
int GetBitmapBundleFromZip(const wxString& entryName, const wxString& archivePath, bool dark, wxBitmapBundle& bundle);
// The same for callers that need no display: decodes the entry into image.
int GetImageFromZip(const wxString& entryName, const wxString& archivePath, wxImage& image);
// Removes a folder with everything below it; symbolic links inside are removed, not
// followed. 0, or -14981 when it is no folder or something could not be removed.
int RemoveFolderTree(const wxString& folder);

#endif
