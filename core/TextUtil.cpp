#include "core/TextUtil.h"

#include "core/NativePath.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <locale.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// First UTF-16 code unit of a code point: supplementary characters start with a high
// surrogate, which sorts below U+E000..U+FFFF.
unsigned FirstUnit(wxUniChar::value_type c)
{
    return c < 0x10000 ? static_cast<unsigned>(c) : 0xD800u + ((static_cast<unsigned>(c) - 0x10000u) >> 10);
}

locale_t CLocale()
{
    static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

wxString TemporaryNameFor(const wxString& path)
{
    static std::atomic<unsigned> counter{0};
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == wxString::npos ? 0 : slash + 1;
    return path.substr(0, nameStart) + wxS(".") + path.substr(nameStart) + wxS(".") +
           wxString(std::to_wstring(static_cast<long>(getpid()))) + wxS("-") + wxString(std::to_wstring(counter++)) +
           wxS(".tmp");
}

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0)
    {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Opens a fresh temporary file next to path; -1 on failure.
int OpenTemporary(const wxString& path, wxString& temporary)
{
    for (int attempt = 0; attempt < 16; ++attempt)
    {
        temporary = TemporaryNameFor(path);
        const int fd = ::open(NativePath(temporary).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Closes and renames the temporary file into place, or removes it. On a failure errno
// keeps the reason of the first step that failed.
bool FinishTemporary(int fd, bool ok, const wxString& temporary, const wxString& path)
{
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok)
    {
        ok = false;
        error = errno;
    }
    if (ok && std::rename(NativePath(temporary).c_str(), NativePath(path).c_str()) != 0)
    {
        ok = false;
        error = errno;
    }
    if (!ok)
    {
        ::unlink(NativePath(temporary).c_str());
        errno = error;
    }
    return ok;
}

int HexDigit(wxUniChar c)
{
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a') + 10;
    if (c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A') + 10;
    return -1;
}

// The toolkit's colour database, so that names read the same with and without its
// graphics library.
struct NamedColour
{
    const char* name;
    unsigned char red, green, blue;
};
const NamedColour kColourNames[] = {
    {"AQUAMARINE", 112, 219, 147},
    {"BLACK", 0, 0, 0},
    {"BLUE", 0, 0, 255},
    {"BLUE VIOLET", 159, 95, 159},
    {"BROWN", 165, 42, 42},
    {"CADET BLUE", 95, 159, 159},
    {"CORAL", 255, 127, 0},
    {"CORNFLOWER BLUE", 66, 66, 111},
    {"CYAN", 0, 255, 255},
    {"DARK GREEN", 47, 79, 47},
    {"DARK GREY", 47, 47, 47},
    {"DARK OLIVE GREEN", 79, 79, 47},
    {"DARK ORCHID", 153, 50, 204},
    {"DARK SLATE BLUE", 107, 35, 142},
    {"DARK SLATE GREY", 47, 79, 79},
    {"DARK TURQUOISE", 112, 147, 219},
    {"DIM GREY", 84, 84, 84},
    {"FIREBRICK", 142, 35, 35},
    {"FOREST GREEN", 35, 142, 35},
    {"GOLD", 204, 127, 50},
    {"GOLDENROD", 219, 219, 112},
    {"GREEN", 0, 255, 0},
    {"GREEN YELLOW", 147, 219, 112},
    {"GREY", 128, 128, 128},
    {"INDIAN RED", 79, 47, 47},
    {"KHAKI", 159, 159, 95},
    {"LIGHT BLUE", 191, 216, 216},
    {"LIGHT GREY", 192, 192, 192},
    {"LIGHT MAGENTA", 255, 119, 255},
    {"LIGHT STEEL BLUE", 143, 143, 188},
    {"LIME GREEN", 50, 204, 50},
    {"MAGENTA", 255, 0, 255},
    {"MAROON", 142, 35, 107},
    {"MEDIUM AQUAMARINE", 50, 204, 153},
    {"MEDIUM BLUE", 50, 50, 204},
    {"MEDIUM FOREST GREEN", 107, 142, 35},
    {"MEDIUM GOLDENROD", 234, 234, 173},
    {"MEDIUM GREY", 100, 100, 100},
    {"MEDIUM ORCHID", 147, 112, 219},
    {"MEDIUM SEA GREEN", 66, 111, 66},
    {"MEDIUM SLATE BLUE", 127, 0, 255},
    {"MEDIUM SPRING GREEN", 127, 255, 0},
    {"MEDIUM TURQUOISE", 112, 219, 219},
    {"MEDIUM VIOLET RED", 219, 112, 147},
    {"MIDNIGHT BLUE", 47, 47, 79},
    {"NAVY", 35, 35, 142},
    {"ORANGE", 204, 50, 50},
    {"ORANGE RED", 255, 0, 127},
    {"ORCHID", 219, 112, 219},
    {"PALE GREEN", 143, 188, 143},
    {"PINK", 255, 192, 203},
    {"PLUM", 234, 173, 234},
    {"PURPLE", 176, 0, 255},
    {"RED", 255, 0, 0},
    {"SALMON", 111, 66, 66},
    {"SEA GREEN", 35, 142, 107},
    {"SIENNA", 142, 107, 35},
    {"SKY BLUE", 50, 153, 204},
    {"SLATE BLUE", 0, 127, 255},
    {"SPRING GREEN", 0, 255, 127},
    {"STEEL BLUE", 35, 107, 142},
    {"TAN", 219, 147, 112},
    {"THISTLE", 216, 191, 216},
    {"TURQUOISE", 173, 234, 234},
    {"VIOLET", 79, 47, 79},
    {"VIOLET RED", 204, 50, 153},
    {"WHEAT", 216, 216, 191},
    {"WHITE", 255, 255, 255},
    {"YELLOW", 255, 255, 0},
    {"YELLOW GREEN", 153, 204, 50},
};
}

bool Utf16Less::operator()(const wxString& a, const wxString& b) const
{
    wxString::const_iterator i = a.begin(), j = b.begin();
    for (; i != a.end() && j != b.end(); ++i, ++j)
    {
        const wxUniChar::value_type x = (*i).GetValue(), y = (*j).GetValue();
        if (x == y)
            continue;
        const unsigned ux = FirstUnit(x), uy = FirstUnit(y);
        if (ux != uy)
            return ux < uy;
        return x < y;
    }
    return i == a.end() && j != b.end();
}

wxString FormatFloat(double value)
{
    char buffer[512];
    // uselocale is per thread, so other threads keep their locale meanwhile.
    const locale_t previous = uselocale(CLocale());
    std::snprintf(buffer, sizeof buffer, "%f", value);
    uselocale(previous);
    return wxString::FromAscii(buffer);
}

wxString FormatColour(const RgbColour& colour)
{
    static const char kDigits[] = "0123456789ABCDEF";
    const unsigned char parts[] = {colour.Red(), colour.Green(), colour.Blue()};
    wxChar text[8] = {wxS('#')};
    for (int i = 0; i < 3; ++i)
    {
        text[1 + 2 * i] = kDigits[parts[i] >> 4];
        text[2 + 2 * i] = kDigits[parts[i] & 0xF];
    }
    return wxString(text, 7);
}

int ParseInt(const wxString& text)
{
    const wxScopedCharBuffer utf8 = text.utf8_str();
    errno = 0;
    const long value = std::strtol(utf8.data(), nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

double ParseDouble(const wxString& text)
{
    const wxScopedCharBuffer utf8 = text.utf8_str();
    return strtod_l(utf8.data(), nullptr, CLocale());
}

bool ParseColour(const wxString& text, RgbColour& colour)
{
    // The toolkit also takes "#RGB", "RGBA(...)" and "#" with junk after the digits; a
    // stored colour is "#RRGGBB", "RGB(r, g, b)" or a name, and any other text must leave
    // the colour as it was.
    if (text.StartsWith(wxS("#")))
    {
        if (text.length() != 7)
            return false;
        unsigned value = 0;
        for (size_t i = 1; i < text.length(); ++i)
        {
            const int digit = HexDigit(text[i]);
            if (digit < 0)
                return false;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        colour.Set((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
        return true;
    }
    const wxString upper = text.Upper();
    if (upper.StartsWith(wxS("RGBA")))
        return false;
    if (upper.StartsWith(wxS("RGB")))
    {
        // The toolkit's own reading: three decimal numbers, clipped to 0..255.
        int red = 0, green = 0, blue = 0;
        const wxScopedCharBuffer utf8 = text.utf8_str();
        if (std::sscanf(utf8.data() + 3, "(%d, %d, %d)", &red, &green, &blue) != 3)
            return false;
        auto clip = [](int value) { return static_cast<unsigned char>(value < 0 ? 0 : value > 255 ? 255 : value); };
        colour.Set(clip(red), clip(green), clip(blue));
        return true;
    }
    wxString name = upper;
    name.Replace(wxS("GRAY"), wxS("GREY"));
    for (const NamedColour& known : kColourNames)
    {
        if (name == wxString::FromAscii(known.name))
        {
            colour.Set(known.red, known.green, known.blue);
            return true;
        }
    }
    return false;
}

bool WriteBytesAtomically(const wxString& path, const void* data, size_t size)
{
    wxString temporary;
    const int fd = OpenTemporary(path, temporary);
    if (fd < 0)
        return false;
    const bool ok = WriteAll(fd, static_cast<const char*>(data), size);
    return FinishTemporary(fd, ok, temporary, path);
}

std::string Utf8Of(const wxString& text)
{
    const wxStringCharType* const characters = text.wx_str();
    const size_t length = text.length();
    std::string bytes;
    bytes.reserve(length);
    for (size_t i = 0; i < length; ++i)
    {
        const wxUint32 code = static_cast<wxUint32>(characters[i]);
        if (code < 0x80)
            bytes.push_back(static_cast<char>(code));
        else if (code < 0x800)
        {
            bytes.push_back(static_cast<char>(0xC0 | (code >> 6)));
            bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
        else if ((code >= 0xD800 && code < 0xE000) || code > 0x10FFFF)
        {
            // No character: the toolkit decides what becomes of it.
            const wxScopedCharBuffer utf8 = text.utf8_str();
            return std::string(utf8.data(), utf8.length());
        }
        else if (code < 0x10000)
        {
            bytes.push_back(static_cast<char>(0xE0 | (code >> 12)));
            bytes.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
        else
        {
            bytes.push_back(static_cast<char>(0xF0 | (code >> 18)));
            bytes.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return bytes;
}

bool WriteFreshFile(const wxString& path, const void* data, size_t size)
{
    const std::string native = NativePath(path);
    int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST && ::unlink(native.c_str()) == 0)
        fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, static_cast<const char*>(data), size);
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok)
    {
        ok = false;
        error = errno;
    }
    if (!ok)
    {
        ::unlink(native.c_str());
        errno = error;
    }
    return ok;
}

bool WriteFileAtomically(const wxString& path, const wxString& text)
{
    const std::string utf8 = Utf8Of(text);
    return WriteBytesAtomically(path, utf8.data(), utf8.size());
}

bool CopyFileAtomically(const wxString& source, const wxString& target)
{
    const int in = ::open(NativePath(source).c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    wxString temporary;
    const int out = OpenTemporary(target, temporary);
    if (out < 0)
    {
        const int error = errno;
        ::close(in);
        errno = error;
        return false;
    }
    bool ok = true;
    char buffer[65536];
    for (;;)
    {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0)
        {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        if (got == 0)
            break;
        if (!WriteAll(out, buffer, static_cast<size_t>(got)))
        {
            ok = false;
            break;
        }
    }
    const int error = errno;
    ::close(in);
    errno = error;
    return FinishTemporary(out, ok, temporary, target);
}

bool HasPngSignature(const void* data, size_t size)
{
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return size > sizeof signature && std::memcmp(data, signature, sizeof signature) == 0;
}

bool IsPngFile(const wxString& path)
{
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    unsigned char start[9];
    const ssize_t got = ::read(fd, start, sizeof start);
    ::close(fd);
    return got > 0 && HasPngSignature(start, static_cast<size_t>(got));
}

bool FolderExists(const wxString& path)
{
    const wxString folder = StripTrailingSeparators(path);
    struct stat status;
    return !folder.empty() && ::stat(NativePath(folder).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

wxString StripTrailingSeparators(const wxString& path)
{
    size_t length = path.length();
    while (length > 1 && path[length - 1] == '/')
        --length;
    return length == path.length() ? path : path.substr(0, length);
}

wxString WithTrailingSeparator(const wxString& folder)
{
    if (!folder.empty() && folder.Last() == '/')
        return folder;
    return folder + wxS("/");
}

wxString JoinPath(const wxString& folder, const wxString& name)
{
    return WithTrailingSeparator(folder) + name;
}

wxString ProgramFolder()
{
    return wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath();
}
