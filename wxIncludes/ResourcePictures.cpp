// The pictures of the resource archive, decoded: the window's part of the archive
// functions, as decoding needs the toolkit's graphics library.
#include "wxIncludes/wxIncludes.h"

#include "trace/ResultCodes.h"
#include "trace/TraceSystem.h"

#include <wx/bitmap.h>
#include <wx/bmpbndl.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <string>

namespace
{
// Decodes the entry; traces under the name of the public function (tracedAs), failures
// as errors unless the entry is one that may well be missing.
bool LoadEntry(const wxString& tracedAs, const wxString& entryName, const wxString& archivePath, wxImage& image,
               bool optional = false)
{
    std::string bytes;
    if (!ReadZipEntry(entryName, archivePath, bytes, optional, tracedAs))
        return false;
    // Entries of a compressed archive cannot seek, and the toolkit needs to seek to tell
    // the picture format; a copy in memory can.
    wxMemoryInputStream picture(bytes.data(), bytes.size());
    wxImage decoded;
    bool loaded = false;
    {
        wxLogNull quiet;
        loaded = decoded.LoadFile(picture, wxBITMAP_TYPE_ANY) && decoded.IsOk();
    }
    if (!loaded)
    {
        TraceSystem::GetInstance()->Trace(TraceSystem::CurrentThreadId(), __FILE__, tracedAs, __LINE__,
                                          optional ? TS_VERBOSE : TS_ERROR,
                                          entryName + wxS(" has not been found in ") + archivePath);
        return false;
    }
    image = decoded;
    return true;
}
}

int GetBitmapFromZip(const wxString& entryName, const wxString& archivePath, wxBitmap& bitmap)
{
    TS_FUNCTION("GetBitmapFromZip");
    wxImage image;
    if (LoadEntry(ts_function_, entryName, archivePath, image))
        bitmap = wxBitmap(image);
    if (bitmap.IsOk())
        TS_RETURN(RC_OK, wxEmptyString);
    TS_RETURN(RC_LOAD_FAILED, wxEmptyString);
}

int GetBitmapBundleFromZip(const wxString& entryName, const wxString& archivePath, bool dark, wxBitmapBundle& bundle)
{
    TS_FUNCTION("GetBitmapBundleFromZip");
    const wxString base = entryName.BeforeLast('.');
    const wxString extension = wxS(".") + entryName.AfterLast('.');
    wxImage normal, twice;
    if (dark && LoadEntry(ts_function_, base + wxS("-dark") + extension, archivePath, normal, true))
        LoadEntry(ts_function_, base + wxS("-dark@2x") + extension, archivePath, twice, true);
    else if (LoadEntry(ts_function_, entryName, archivePath, normal))
        LoadEntry(ts_function_, base + wxS("@2x") + extension, archivePath, twice, true);
    if (!normal.IsOk())
        TS_RETURN(RC_LOAD_FAILED, wxEmptyString);
    wxVector<wxBitmap> bitmaps;
    bitmaps.push_back(wxBitmap(normal));
    // Only a copy of exactly twice the size is the same picture drawn finer.
    if (twice.IsOk() && twice.GetWidth() == 2 * normal.GetWidth() && twice.GetHeight() == 2 * normal.GetHeight())
        bitmaps.push_back(wxBitmap(twice));
    bundle = wxBitmapBundle::FromBitmaps(bitmaps);
    TS_RETURN(RC_OK, wxEmptyString);
}

int GetImageFromZip(const wxString& entryName, const wxString& archivePath, wxImage& image)
{
    TS_FUNCTION("GetImageFromZip");
    LoadEntry(ts_function_, entryName, archivePath, image);
    if (image.IsOk())
        TS_RETURN(RC_OK, wxEmptyString);
    TS_RETURN(RC_LOAD_FAILED, wxEmptyString);
}
