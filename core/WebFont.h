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
#include <string>
#include <vector>

struct WebFontFace
{
    bool bold = false;
    bool italic = false;
    std::vector<uint8_t> data;  // a TrueType font, or its WOFF2 form
    std::string note;           // WOFF2 faces: what they were made from (WebFontNote)
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

// Brotli qualities: the smallest files, for what goes on a site, and quick ones, for the
// embedded preview, which only this machine reads and which follows every edit.
constexpr int kWebFontSmallest = 11;
constexpr int kWebFontQuick = 5;

// Compresses a TrueType font to WOFF2. The library's own report of sizes never reaches the
// program's standard output or standard error.
bool CompressWoff2(const std::vector<uint8_t>& font, int quality, std::vector<uint8_t>& woff2, wxString& error);

// What a WOFF2 file was made from, kept with the file as an extended attribute (renames keep
// it): the TrueType font, the quality, the compressor and the file's own bytes. Making the
// smallest WOFF2 takes longer than the rest of an export together, and the same font, quality
// and compressor always give the same bytes, so a file whose note matches holds what
// compressing again would write. A file system without such attributes, or a copy that
// dropped them, only costs the next run its compression.
std::string WebFontNote(const std::vector<uint8_t>& font, int quality, const std::vector<uint8_t>& woff2);
// Puts the note on the file; false where it cannot be kept.
bool NoteWebFont(const wxString& path, const std::string& note);
// Whether the file holds the WOFF2 of font at quality: its note says so, and its bytes are
// the ones the note names.
bool HoldsWebFont(const wxString& path, const std::vector<uint8_t>& font, int quality);

// The TrueType fonts of a movie file (BuildTrueTypeFonts), named after the file when its
// tags carry no name.
bool BuildTrueTypeFontsOfFile(const wxString& moviePath, WebFontSet& fonts, wxString& error);

// The fonts of movie files, each built once as long as its file stays as it was, and
// compressed once per quality. A movie that cannot be converted is remembered too, and tried
// again only when it changes.
class WebFontCache
{
public:
    // The TrueType faces, for what only needs to know which faces there are. Null, with the
    // reason, when the movie cannot be converted.
    std::shared_ptr<const WebFontSet> Fonts(const wxString& moviePath, wxString& error);
    // The same faces as WOFF2, each with its note.
    std::shared_ptr<const WebFontSet> Woff2(const wxString& moviePath, int quality, wxString& error);

private:
    struct Entry
    {
        FileStamp stamp;
        std::shared_ptr<const WebFontSet> fonts;
        std::map<int, std::shared_ptr<const WebFontSet>> compressed;
        wxString error;
    };
    Entry* Find(const wxString& moviePath, wxString& error);
    std::map<wxString, Entry> m_entries;
};

#endif
