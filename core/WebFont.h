// Web fonts made from a font movie: each face of the movie becomes a TrueType font with the
// movie's own outlines, advances, code table, kerning and line metrics, compressed to WOFF2,
// so a browser draws with it what the runtime draws from the movie. No core state, no window.
#ifndef GLYPHARA_CORE_WEBFONT_H
#define GLYPHARA_CORE_WEBFONT_H

#include "core/FileStamp.h"

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

struct WebFontFace
{
    bool bold = false;
    bool italic = false;
    std::vector<uint8_t> data;  // a TrueType font, or its WOFF2 form
};

struct WebFontSet
{
    // One per weight and style the movie holds, in the order of its font tags.
    std::vector<WebFontFace> faces;
    // The CSS generic family that comes closest: "serif", "sans-serif" or "monospace".
    wxString genericFamily;
};

// "regular", "bold", "italic" or "bolditalic": how a face's file name ends.
wxString WebFontStyleName(bool bold, bool italic);

// TrueType fonts of a movie's faces (the first font tag with glyphs of each weight and style).
// movie is the whole file, plain or compressed; fallbackName names fonts whose tag carries no
// name. False, with the reason and no faces, when the movie cannot be read or a face of it
// cannot be made into a font.
bool BuildTrueTypeFonts(const void* movie, size_t size, const wxString& fallbackName, WebFontSet& fonts,
                        wxString& error);

// Compresses a TrueType font to WOFF2. The library's own report of sizes never reaches the
// program's standard output or standard error.
bool CompressWoff2(const std::vector<uint8_t>& font, std::vector<uint8_t>& woff2, wxString& error);

// Both steps for a movie file: the faces come back as WOFF2.
bool BuildWebFonts(const wxString& moviePath, WebFontSet& fonts, wxString& error);

// The web fonts of movie files, each built once as long as its file stays as it was. A movie
// that cannot be converted is remembered too, and tried again only when it changes.
class WebFontCache
{
public:
    // Null, with the reason, when the movie cannot be converted.
    std::shared_ptr<const WebFontSet> Get(const wxString& moviePath, wxString& error);

private:
    struct Entry
    {
        FileStamp stamp;
        std::shared_ptr<const WebFontSet> fonts;
        wxString error;
    };
    std::map<wxString, Entry> m_entries;
};

#endif
