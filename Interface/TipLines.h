// Line breaking of the daily tips: lines end only at spaces, and each line takes as many
// words as fit in the given width.
#ifndef GLYPHARA_INTERFACE_TIPLINES_H
#define GLYPHARA_INTERFACE_TIPLINES_H

#include <wx/string.h>

#include <cstddef>
#include <functional>
#include <vector>

// Width in pixels of the text from character first through character last (both
// included, indices into the whole text).
typedef std::function<int(size_t first, size_t last)> TextSpanWidth;

// A word is added to a line when the line, measured through the space that follows the
// word (through the last character for the last word), stays within maxWidth. Lines keep
// their trailing space. A word wider than maxWidth on its own takes a line of its own.
std::vector<wxString> BreakTipLines(const wxString& text, int maxWidth, const TextSpanWidth& width);

// Adapts the toolkit's partial extents (widths from the start of the text through each
// character) to a span measure.
TextSpanWidth SpanWidthFromPartialExtents(const std::vector<int>& extents);

#endif
