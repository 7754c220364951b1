// Helpers for the effect tests: effect files written out by hand in the published format
// (independent of the program's writer), and a few filter sets to work with.
#ifndef GLYPHARA_TESTS_CORE_EFFECTTESTSUPPORT_H
#define GLYPHARA_TESTS_CORE_EFFECTTESTSUPPORT_H

#include "TestSupport.h"

#include "core/FontProperties.h"

#include <wx/dir.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace effecttest
{
inline std::string Num(int value)
{
    return std::to_string(value);
}

inline std::string Num(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return text;
}

inline std::string Flag(bool value)
{
    return value ? "1" : "0";
}

inline std::string Colour(const wxColour& c)
{
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", c.Red(), c.Green(), c.Blue());
    return text;
}

inline std::string Escape(const wxString& text)
{
    std::string out;
    for (char c : std::string(text.utf8_str()))
    {
        switch (c)
        {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// The four filter elements as the file lists them: bevel, glow, dropshadow, blur, each
// with its attributes in record order, at nesting level two.
inline std::string FilterLines(const FontProperties& f)
{
    const BevelProperties& v = f.bevel;
    const GlowProperties& g = f.glow;
    const DropShadowProperties& d = f.dropshadow;
    const BlurProperties& b = f.blur;
    return "  <bevel enabled=\"" + Flag(v.enabled) + "\" angle=\"" + Num(v.angle) + "\" distance=\"" +
           Num(v.distance) + "\" strength=\"" + Num(v.strength) + "\" quality=\"" + Num(v.quality) +
           "\" highlightcolor=\"" + Colour(v.highlightcolor) + "\" shadowcolor=\"" + Colour(v.shadowcolor) +
           "\" type=\"" + Num(v.type) + "\"/>\n" +
           "  <glow enabled=\"" + Flag(g.enabled) + "\" strength=\"" + Num(g.strength) + "\" blurx=\"" +
           Num(g.blurx) + "\" blury=\"" + Num(g.blury) + "\" knockout=\"" + Flag(g.knockout) + "\" inner=\"" +
           Flag(g.inner) + "\" quality=\"" + Num(g.quality) + "\" alpha=\"" + Num(g.alpha) + "\" color=\"" +
           Colour(g.color) + "\"/>\n" +
           "  <dropshadow enabled=\"" + Flag(d.enabled) + "\" quality=\"" + Num(d.quality) + "\" angle=\"" +
           Num(d.angle) + "\" knockout=\"" + Flag(d.knockout) + "\" distance=\"" + Num(d.distance) +
           "\" color=\"" + Colour(d.color) + "\" strength=\"" + Num(d.strength) + "\"/>\n" +
           "  <blur enabled=\"" + Flag(b.enabled) + "\" quality=\"" + Num(b.quality) + "\" blurx=\"" +
           Num(b.blurx) + "\" blury=\"" + Num(b.blury) + "\"/>\n";
}

inline std::string EffectFileText(const wxString& name, const FontProperties& filters, long build)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<GlypharaEffect appname=\"Glyphara\" appversion=\"4.1\" appbuild=\"" +
           std::to_string(build) + "\">\n <effect effectname=\"" + Escape(name) + "\">\n" + FilterLines(filters) +
           " </effect>\n</GlypharaEffect>\n";
}

inline void WriteEffectFile(const wxString& path, const wxString& name, const FontProperties& filters)
{
    WriteTextFile(path, EffectFileText(name, filters, 20081220));
}

inline FontProperties GlowFilters()
{
    FontProperties f;
    f.glow.enabled = true;
    f.glow.strength = 5;
    f.glow.quality = 2;
    f.glow.blurx = 10.0f;
    f.glow.blury = 12.5f;
    f.glow.alpha = 0.75f;
    f.glow.color = wxColour(255, 128, 0);
    return f;
}

inline FontProperties ShadowFilters()
{
    FontProperties f;
    f.dropshadow.enabled = true;
    f.dropshadow.distance = 6.0f;
    f.dropshadow.angle = 90;
    f.dropshadow.color = wxColour(0x33, 0x33, 0x33);
    return f;
}

// Names of the entries of a folder (no sub-folders), hidden ones included.
inline std::vector<wxString> FolderEntries(const wxString& folder)
{
    std::vector<wxString> names;
    wxDir dir(folder);
    wxString name;
    if (dir.IsOpened())
        for (bool more = dir.GetFirst(&name, wxEmptyString, wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN); more;
             more = dir.GetNext(&name))
            names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}
}

#endif
