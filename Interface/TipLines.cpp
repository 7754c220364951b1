#include "Interface/TipLines.h"

#include <algorithm>

std::vector<wxString> BreakTipLines(const wxString& text, int maxWidth, const TextSpanWidth& width)
{
    std::vector<wxString> lines;
    const size_t length = text.length();
    size_t lineStart = 0;
    size_t wordStart = 0;
    while (wordStart < length)
    {
        const size_t space = text.find(wxS(' '), wordStart);
        const size_t measuredEnd = space == wxString::npos ? length - 1 : space;
        if (wordStart > lineStart && width(lineStart, measuredEnd) > maxWidth)
        {
            lines.push_back(text.substr(lineStart, wordStart - lineStart));
            lineStart = wordStart;
        }
        if (space == wxString::npos)
            break;
        wordStart = space + 1;
    }
    if (lineStart < length)
        lines.push_back(text.substr(lineStart));
    return lines;
}

TextSpanWidth SpanWidthFromPartialExtents(const std::vector<int>& extents)
{
    return [extents](size_t first, size_t last) {
        if (extents.empty())
            return 0;
        last = std::min(last, extents.size() - 1);
        const int before = first > 0 ? extents[std::min(first, extents.size()) - 1] : 0;
        return extents[last] - before;
    };
}
