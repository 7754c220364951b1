#include "core/GlyphCoverage.h"

#include <wx/translation.h>

#include <zlib.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <iterator>

namespace
{
// The runtime's limits: a movie beyond them is refused as a whole, so it lacks nothing.
constexpr uint32_t kMaxMovieBytes = 32u * 1024 * 1024;
constexpr size_t kMaxFonts = 64;

constexpr unsigned kTagEnd = 0;
constexpr unsigned kTagDefineFont2 = 48;
constexpr unsigned kTagDefineFont3 = 75;

// Reads little-endian values inside [pos, end); the first read past the end fails the
// reader for good, so a parse checks once per step instead of once per value.
class ByteReader
{
public:
    ByteReader(const uint8_t* data, size_t start, size_t end) : m_data(data), m_pos(start), m_end(end) {}

    bool Ok() const { return m_ok; }
    size_t Pos() const { return m_pos; }
    void Seek(size_t pos) { m_pos = pos; }

    bool Need(uint64_t n)
    {
        if (!m_ok || n > m_end - m_pos)
            m_ok = false;
        return m_ok;
    }
    unsigned U8() { return Need(1) ? m_data[m_pos++] : 0; }
    unsigned U16()
    {
        if (!Need(2))
            return 0;
        const unsigned v = m_data[m_pos] | (m_data[m_pos + 1] << 8);
        m_pos += 2;
        return v;
    }
    uint32_t U32()
    {
        const uint32_t low = U16();
        return low | (uint32_t(U16()) << 16);
    }
    void Skip(uint64_t n)
    {
        if (Need(n))
            m_pos += size_t(n);
    }
    // A RECT starting at a byte boundary, up to the next byte boundary.
    void SkipRect()
    {
        if (!Need(1))
            return;
        const unsigned bits = m_data[m_pos] >> 3;
        Skip((5 + 4 * bits + 7) / 8);
    }

private:
    const uint8_t* m_data;
    size_t m_pos;
    size_t m_end;
    bool m_ok = true;
};

bool ReadFontTag(const uint8_t* data, size_t start, size_t end, MovieCoverage& coverage)
{
    ByteReader r(data, start, end);
    r.U16();  // id
    const unsigned flags = r.U8();
    const bool hasLayout = flags & 0x80;
    const bool wideOffsets = flags & 0x08;
    const bool wideCodes = flags & 0x04;
    r.U8();  // language
    r.Skip(r.U8());  // name
    const unsigned count = r.U16();
    if (!r.Ok())
        return false;
    coverage.faces.emplace_back(flags & 0x01, flags & 0x02);
    if (count == 0)
        return true;

    // The glyph offsets must lie in order between the offset table and the code table.
    const size_t tableStart = r.Pos();
    const size_t offsetSize = wideOffsets ? 4 : 2;
    if (!r.Need(uint64_t(count + 1) * offsetSize))
        return false;
    auto offsetAt = [&](unsigned i) -> uint64_t {
        const uint8_t* p = data + tableStart + size_t(i) * offsetSize;
        return wideOffsets ? uint64_t(p[0] | (p[1] << 8) | (p[2] << 16)) | (uint64_t(p[3]) << 24)
                           : uint64_t(p[0] | (p[1] << 8));
    };
    const size_t afterOffsets = tableStart + size_t(count + 1) * offsetSize;
    const uint64_t shapesEnd = tableStart + offsetAt(count);
    if (shapesEnd > end)
        return false;
    for (unsigned i = 0; i < count; ++i)
    {
        const uint64_t from = tableStart + offsetAt(i);
        const uint64_t to = i + 1 < count ? tableStart + offsetAt(i + 1) : shapesEnd;
        if (from < afterOffsets || from > to || to > shapesEnd)
            return false;
    }
    r.Seek(size_t(shapesEnd));

    const size_t codeSize = wideCodes ? 2 : 1;
    if (!r.Need(uint64_t(count) * codeSize))
        return false;
    FaceCoverage& face = coverage.faces.back();
    for (unsigned i = 0; i < count; ++i)
        face.Add(static_cast<uint16_t>(wideCodes ? r.U16() : r.U8()));

    if (hasLayout)
    {
        r.Skip(6);                    // ascent, descent, leading
        r.Skip(uint64_t(count) * 2);  // advances
        for (unsigned i = 0; i < count && r.Ok(); ++i)
            r.SkipRect();
        const uint32_t pairs = r.U16();
        r.Skip(uint64_t(pairs) * (2 * codeSize + 2));
    }
    return r.Ok();
}

// Fills `body` with the first `length` bytes of the movie: the header as it stands and
// the rest as stored or inflated. `read` hands out the file's bytes after the header in
// pieces, returning 0 at the end. False when fewer bytes are there.
bool LoadMovie(const uint8_t header[8], const std::function<size_t(uint8_t*, size_t)>& read,
               std::vector<uint8_t>& body)
{
    const bool compressed = std::memcmp(header, "CWS", 3) == 0;
    if (!compressed && std::memcmp(header, "FWS", 3) != 0)
        return false;
    const uint32_t length = header[4] | (header[5] << 8) | (header[6] << 16) | (uint32_t(header[7]) << 24);
    if (length < 8 || length > kMaxMovieBytes)
        return false;

    // Grown as data arrives, so a movie that only claims to be large costs little.
    body.assign(header, header + 8);
    const size_t wanted = length;
    const size_t step = 64 * 1024;
    if (!compressed)
    {
        while (body.size() < wanted)
        {
            const size_t have = body.size();
            body.resize(std::min(wanted, have + step));
            const size_t got = read(body.data() + have, body.size() - have);
            body.resize(have + got);
            if (got == 0)
                return false;
        }
        return true;
    }

    z_stream z;
    std::memset(&z, 0, sizeof z);
    if (inflateInit(&z) != Z_OK)
        return false;
    std::vector<uint8_t> input(step);
    int status = Z_OK;
    while (body.size() < wanted && status == Z_OK)
    {
        if (z.avail_in == 0)
        {
            const size_t got = read(input.data(), input.size());
            if (got == 0)
                break;
            z.next_in = input.data();
            z.avail_in = static_cast<uInt>(got);
        }
        const size_t have = body.size();
        body.resize(std::min(wanted, have + step));
        z.next_out = body.data() + have;
        z.avail_out = static_cast<uInt>(body.size() - have);
        status = inflate(&z, Z_NO_FLUSH);
        body.resize(body.size() - z.avail_out);
        if (status == Z_BUF_ERROR && z.avail_in == 0)
            status = Z_OK;  // the input ran dry; more may come
    }
    inflateEnd(&z);
    return body.size() == wanted;
}

// Ranges of code points, inclusive, ascending.
struct Range
{
    uint32_t first;
    uint32_t last;
};

bool InRanges(const Range* begin, const Range* end, uint32_t code)
{
    const Range* it = std::lower_bound(begin, end, code, [](const Range& r, uint32_t c) { return r.last < c; });
    return it != end && it->first <= code;
}

// White space (U+1680 left out: it shows a mark), the controls and the default-ignorable
// characters.
const Range kInvisible[] = {
    {0x0000, 0x0020}, {0x007F, 0x00A0}, {0x00AD, 0x00AD}, {0x034F, 0x034F}, {0x061C, 0x061C},
    {0x115F, 0x1160}, {0x17B4, 0x17B5}, {0x180B, 0x180F}, {0x2000, 0x200F}, {0x2028, 0x202F},
    {0x205F, 0x206F}, {0x3000, 0x3000}, {0x3164, 0x3164}, {0xFE00, 0xFE0F}, {0xFEFF, 0xFEFF},
    {0xFFA0, 0xFFA0}, {0xFFF0, 0xFFF8}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF},
};

// The blocks of combining diacritical marks.
const Range kCombining[] = {
    {0x0300, 0x036F}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x20D0, 0x20FF}, {0xFE20, 0xFE2F},
};
}

FaceCoverage::FaceCoverage(bool bold, bool italic) : m_bold(bold), m_italic(italic), m_bits(65536 / 64, 0) {}

void FaceCoverage::Add(uint16_t code)
{
    m_bits[code >> 6] |= uint64_t(1) << (code & 63);
    ++m_glyphs;
}

const FaceCoverage* MovieCoverage::PickFace(bool bold, bool italic) const
{
    const FaceCoverage* styled = nullptr;   // first usable face of the wanted style
    const FaceCoverage* usable = nullptr;   // first usable face
    const FaceCoverage* exact = nullptr;    // first usable face of the wanted style and weight
    const FaceCoverage* weighted = nullptr; // first usable face of the wanted weight
    for (const FaceCoverage& face : faces)
    {
        if (face.GlyphCount() == 0)
            continue;
        if (!usable)
            usable = &face;
        if (!weighted && face.IsBold() == bold)
            weighted = &face;
        if (face.IsItalic() == italic)
        {
            if (!styled)
                styled = &face;
            if (!exact && face.IsBold() == bold)
                exact = &face;
        }
    }
    if (styled)
        return exact ? exact : styled;
    return weighted ? weighted : usable;
}

namespace
{
// The code tables of a whole uncompressed movie, header included.
bool ReadMovieBody(const std::vector<uint8_t>& movie, MovieCoverage& coverage)
{
    size_t fonts = 0;
    const bool ok = ForEachMovieTag(movie, [&](unsigned code, size_t start, size_t end) {
        if (code != kTagDefineFont2 && code != kTagDefineFont3)
            return true;
        return ++fonts <= kMaxFonts && ReadFontTag(movie.data(), start, end, coverage);
    });
    return ok && std::any_of(coverage.faces.begin(), coverage.faces.end(),
                             [](const FaceCoverage& f) { return f.GlyphCount() > 0; });
}
}

bool LoadMovieBytes(const void* data, size_t size, std::vector<uint8_t>& movie)
{
    movie.clear();
    if (size < 8)
        return false;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    size_t pos = 8;
    auto read = [&](uint8_t* out, size_t n) {
        const size_t got = std::min(n, size - pos);
        std::memcpy(out, bytes + pos, got);
        pos += got;
        return got;
    };
    if (!LoadMovie(bytes, read, movie))
    {
        movie.clear();
        return false;
    }
    return true;
}

bool LoadMovieFileBytes(const wxString& path, std::vector<uint8_t>& movie)
{
    movie.clear();
    // Never blocks on a pipe or a device that stands where a movie should be.
    const int fd = ::open(path.fn_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    auto read = [fd](uint8_t* out, size_t n) -> size_t {
        for (;;)
        {
            const ssize_t got = ::read(fd, out, n);
            if (got >= 0)
                return size_t(got);
            if (errno != EINTR)
                return 0;
        }
    };
    uint8_t header[8];
    size_t have = 0;
    while (ok && have < sizeof header)
    {
        const size_t got = read(header + have, sizeof header - have);
        if (got == 0)
            ok = false;
        have += got;
    }
    ok = ok && LoadMovie(header, read, movie);
    ::close(fd);
    if (!ok)
        movie.clear();
    return ok;
}

bool ForEachMovieTag(const std::vector<uint8_t>& movie,
                     const std::function<bool(unsigned code, size_t start, size_t end)>& visit)
{
    ByteReader r(movie.data(), 8, movie.size());
    r.SkipRect();  // stage
    r.U16();       // frame rate
    r.U16();       // frame count
    while (r.Ok() && r.Pos() < movie.size())
    {
        const unsigned head = r.U16();
        const unsigned code = head >> 6;
        uint32_t length = head & 0x3F;
        if (length == 0x3F)
            length = r.U32();
        if (!r.Need(length))
            return false;
        if (code == kTagEnd)
            break;
        if (!visit(code, r.Pos(), r.Pos() + length))
            return false;
        r.Skip(length);
    }
    return r.Ok();
}

bool ReadMovieCoverage(const void* data, size_t size, MovieCoverage& coverage)
{
    coverage.faces.clear();
    std::vector<uint8_t> movie;
    if (!LoadMovieBytes(data, size, movie) || !ReadMovieBody(movie, coverage))
    {
        coverage.faces.clear();
        return false;
    }
    return true;
}

bool ReadMovieCoverageFile(const wxString& path, MovieCoverage& coverage)
{
    coverage.faces.clear();
    std::vector<uint8_t> movie;
    if (!LoadMovieFileBytes(path, movie) || !ReadMovieBody(movie, coverage))
    {
        coverage.faces.clear();
        return false;
    }
    return true;
}

bool IsInvisibleCharacter(uint32_t code)
{
    if (code > 0x20 && code < 0x7F)
        return false;
    return InRanges(std::begin(kInvisible), std::end(kInvisible), code);
}

std::vector<uint32_t> FindMissingCharacters(const FaceCoverage& face, const wxString& text)
{
    std::vector<uint32_t> missing;
    std::vector<uint64_t> seen;  // BMP characters already listed, one bit each
    auto note = [&](uint32_t code) {
        if (IsInvisibleCharacter(code) || face.Holds(code))
            return;
        if (code <= 0xFFFF)
        {
            if (seen.empty())
                seen.assign(65536 / 64, 0);
            uint64_t& word = seen[code >> 6];
            const uint64_t bit = uint64_t(1) << (code & 63);
            if (word & bit)
                return;
            word |= bit;
        }
        else if (std::find(missing.begin(), missing.end(), code) != missing.end())
            return;
        missing.push_back(code);
    };

    uint32_t high = 0;  // a high surrogate waiting for its partner
    for (wxString::const_iterator it = text.begin(); it != text.end(); ++it)
    {
        const uint32_t c = static_cast<uint32_t>((*it).GetValue());
        if (c >= 0xD800 && c <= 0xDBFF)
        {
            high = c;
            continue;
        }
        if (c >= 0xDC00 && c <= 0xDFFF)
        {
            if (high)
                note(0x10000 + ((high - 0xD800) << 10) + (c - 0xDC00));
            high = 0;
            continue;
        }
        high = 0;
        if (c <= 0x10FFFF)
            note(c);
    }
    return missing;
}

wxString FontShownName(const wxString& font)
{
    wxString shown = font.BeforeFirst('[');
    shown.Trim(true);
    return shown.empty() ? font : shown;
}

wxString FormatMissingCharacters(const wxString& shownFontName, const wxArrayString& characters)
{
    if (characters.empty())
        return wxString();
    wxString list;
    for (const wxString& character : characters)
    {
        if (!list.empty())
            list << wxS(' ');
        const uint32_t first = character.empty() ? 0 : static_cast<uint32_t>(character[0].GetValue());
        if (InRanges(std::begin(kCombining), std::end(kCombining), first))
            list << wxUniChar(0x25CC);
        list << character;
    }
    return wxString::Format(wxGetTranslation(wxS("Not in %s: %s")), shownFontName, list);
}
