// Contrast of colours as the web's accessibility guidelines measure it, and the nearest
// readable colour when a wanted one does not stand out enough from its background.
#ifndef GLYPHARA_LIBRARY_ACCESSIBILITY_CONTRAST_H
#define GLYPHARA_LIBRARY_ACCESSIBILITY_CONTRAST_H

#include <wx/colour.h>

// What text needs to be read easily.
constexpr double kReadableContrast = 4.5;

// 0 for black to 1 for white.
double RelativeLuminance(const wxColour& colour);
// From 1 (the same) to 21 (black on white), whichever is lighter.
double ContrastRatio(const wxColour& a, const wxColour& b);
// A background that light text stands out on better than dark text.
bool IsDark(const wxColour& background);
// wanted, when it reaches ratio against background; otherwise the colour nearest to it on
// the way to towards that does, or towards itself.
wxColour Readable(const wxColour& wanted, const wxColour& background, const wxColour& towards,
                  double ratio = kReadableContrast);

#endif
