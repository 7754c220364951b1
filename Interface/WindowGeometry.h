// How the main window's position and size are kept in the settings: the size in pixels,
// the position in thousandths of the display, so that a window comes back in the same
// place on a display of another size and never starts with its corner off screen.
#ifndef GLYPHARA_INTERFACE_WINDOWGEOMETRY_H
#define GLYPHARA_INTERFACE_WINDOWGEOMETRY_H

#include <wx/config.h>
#include <wx/string.h>

#include <climits>
#include <cmath>

namespace WindowGeometry
{
constexpr int kDefaultWidth = 1024;
constexpr int kDefaultHeight = 768;
// A restored corner lies at most this far into the display, in thousandths.
constexpr long kPositionClamp = 900;
// What a missing setting reads as; any negative value means "nothing saved".
constexpr long kUnset = -1;

// The four settings as stored.
struct Stored
{
    long posX = kUnset;
    long posY = kUnset;
    long width = kUnset;
    long height = kUnset;
};

// Where and how large the window is to be created.
struct Placement
{
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    bool centre = true;
    int x = 0;
    int y = 0;
};

// A pixel position as thousandths of the display extent, truncated toward zero (a window
// partly off the left or top edge gives a negative value).
inline long ToPerMille(int position, int displayExtent)
{
    if (displayExtent <= 0)
        return kUnset;
    return static_cast<long>(std::trunc(static_cast<double>(position) / displayExtent * 1000.0));
}

// Back to pixels: limited to the clamp first, then integer arithmetic.
inline int FromPerMille(long perMille, int displayExtent)
{
    if (perMille > kPositionClamp)
        perMille = kPositionClamp;
    return static_cast<int>(static_cast<long long>(displayExtent) * perMille / 1000);
}

inline Placement PlacementFor(const Stored& stored, int displayWidth, int displayHeight)
{
    Placement placement;
    if (stored.width >= 0 && stored.height >= 0)
    {
        placement.width = static_cast<int>(stored.width);
        placement.height = static_cast<int>(stored.height);
    }
    if (stored.posX >= 0 && stored.posY >= 0)
    {
        placement.centre = false;
        placement.x = FromPerMille(stored.posX, displayWidth);
        placement.y = FromPerMille(stored.posY, displayHeight);
    }
    return placement;
}

inline Stored StoredFor(int x, int y, int width, int height, int displayWidth, int displayHeight)
{
    Stored stored;
    stored.posX = ToPerMille(x, displayWidth);
    stored.posY = ToPerMille(y, displayHeight);
    stored.width = width;
    stored.height = height;
    return stored;
}

// A value that is missing or not a number reads as unset; the file is hand-editable.
inline long ReadSetting(wxConfigBase& config, const wxString& key)
{
    wxString text;
    if (!config.Read(key, &text))
        return kUnset;
    long value = kUnset;
    text.Trim(true).Trim(false);
    if (text.empty() || !text.ToLong(&value) || value > INT_MAX || value < INT_MIN)
        return kUnset;
    return value;
}

inline Stored Read(wxConfigBase& config)
{
    Stored stored;
    stored.width = ReadSetting(config, wxS("windowsizew"));
    stored.height = ReadSetting(config, wxS("windowsizeh"));
    stored.posX = ReadSetting(config, wxS("windowposx"));
    stored.posY = ReadSetting(config, wxS("windowposy"));
    return stored;
}

inline void Write(wxConfigBase& config, const Stored& stored)
{
    config.Write(wxS("windowposx"), stored.posX);
    config.Write(wxS("windowposy"), stored.posY);
    config.Write(wxS("windowsizew"), stored.width);
    config.Write(wxS("windowsizeh"), stored.height);
}
}

#endif
