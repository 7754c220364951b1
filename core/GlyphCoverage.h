// Which characters a font movie can draw, read from the code tables of its font tags,
// and which characters of a text it lacks. Pure helpers: no core state, no window.
#ifndef GLYPHARA_CORE_GLYPHCOVERAGE_H
#define GLYPHARA_CORE_GLYPHCOVERAGE_H

#include <wx/arrstr.h>
#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// The characters of one font tag (one face) of a movie.
class FaceCoverage
{
public:
    FaceCoverage(bool bold, bool italic);

    bool IsBold() const { return m_bold; }
    bool IsItalic() const { return m_italic; }
    // Entries of the code table, duplicates included.
    size_t GlyphCount() const { return m_glyphs; }

    void Add(uint16_t code);
    // A code table holds 16-bit codes, so nothing beyond U+FFFF is ever held.
    bool Holds(uint32_t code) const
    {
        return code <= 0xFFFF && (m_bits[code >> 6] >> (code & 63)) & 1u;
    }

private:
    bool m_bold;
    bool m_italic;
    size_t m_glyphs = 0;
    std::vector<uint64_t> m_bits;  // one bit per 16-bit code
};

struct MovieCoverage
{
    std::vector<FaceCoverage> faces;  // in the order of the movie's font tags

    // The face the runtime draws a text of this weight and style with: the style first
    // (italic falls back to upright), then the weight; faces without glyphs never count.
    // Null when no face has glyphs.
    const FaceCoverage* PickFace(bool bold, bool italic) const;
};

// The whole movie, header included and its body inflated when it is compressed (CWS).
// False, with movie emptied, for no movie, a truncated or damaged one, or one beyond the
// runtime's limits.
bool LoadMovieBytes(const void* data, size_t size, std::vector<uint8_t>& movie);
// The same for a file; false too when it is no regular file or cannot be read.
bool LoadMovieFileBytes(const wxString& path, std::vector<uint8_t>& movie);
// Calls visit with the code and the body range of each tag of a loaded movie, up to its
// End tag. False when a tag runs past the end or visit returns false.
bool ForEachMovieTag(const std::vector<uint8_t>& movie,
                     const std::function<bool(unsigned code, size_t start, size_t end)>& visit);

// Reads the code tables of every DefineFont2 and DefineFont3 tag of a movie, plain (FWS) or
// zlib-compressed (CWS). False, with coverage emptied, for anything the runtime would not
// draw with at all: not a movie, damaged, truncated, beyond the runtime's limits, or
// without a single glyph.
bool ReadMovieCoverage(const void* data, size_t size, MovieCoverage& coverage);
// The same for a file; false too when it is no regular file or cannot be read.
bool ReadMovieCoverageFile(const wxString& path, MovieCoverage& coverage);

// Characters that draw nothing (white space, controls, default-ignorable characters such
// as soft hyphens, zero-width spaces and variation selectors): a font never lacks them.
bool IsInvisibleCharacter(uint32_t code);

// The characters of text that face lacks, each once, in the order they first appear.
// Surrogate pairs count as the one character they encode; unpaired surrogates and values
// beyond U+10FFFF are no characters and are skipped.
std::vector<uint32_t> FindMissingCharacters(const FaceCoverage& face, const wxString& text);

// A font name as the font list shows it: without its style markers ("[bold]"...) and
// without the space before them.
wxString FontShownName(const wxString& font);

// "Not in <font>: <characters separated by spaces>"; empty when nothing is missing. A
// combining mark stands on a dotted circle, as it would otherwise sit on the space before it.
wxString FormatMissingCharacters(const wxString& shownFontName, const wxArrayString& characters);

#endif
