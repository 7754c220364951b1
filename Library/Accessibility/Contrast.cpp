#include "Library/Accessibility/Contrast.h"

#include <wx/gdicmn.h>

#include <algorithm>
#include <cmath>

namespace
{
double Channel(unsigned char value)
{
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

wxColour Between(const wxColour& from, const wxColour& to, double t)
{
    auto mix = [t](unsigned char a, unsigned char b) {
        return static_cast<unsigned char>(std::lround(a + (b - a) * t));
    };
    return wxColour(mix(from.Red(), to.Red()), mix(from.Green(), to.Green()), mix(from.Blue(), to.Blue()));
}
}

double RelativeLuminance(const wxColour& colour)
{
    return 0.2126 * Channel(colour.Red()) + 0.7152 * Channel(colour.Green()) + 0.0722 * Channel(colour.Blue());
}

double ContrastRatio(const wxColour& a, const wxColour& b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool IsDark(const wxColour& background)
{
    return ContrastRatio(background, *wxWHITE) > ContrastRatio(background, *wxBLACK);
}

wxColour Readable(const wxColour& wanted, const wxColour& background, const wxColour& towards, double ratio)
{
    if (ContrastRatio(wanted, background) >= ratio)
        return wanted;
    if (ContrastRatio(towards, background) < ratio)
        return towards;
    // Contrast grows along the way for any towards that is readable, so the first
    // readable step is found by halving.
    double low = 0, high = 1;
    for (int step = 0; step < 16; ++step)
    {
        const double middle = (low + high) / 2;
        if (ContrastRatio(Between(wanted, towards, middle), background) >= ratio)
            high = middle;
        else
            low = middle;
    }
    double t = high;
    wxColour found = Between(wanted, towards, t);
    // Rounding to whole channel values can fall just short.
    while (ContrastRatio(found, background) < ratio && t < 1)
    {
        t = std::min(1.0, t + 1.0 / 255);
        found = Between(wanted, towards, t);
    }
    return found;
}
