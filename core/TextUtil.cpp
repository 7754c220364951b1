#include "core/TextUtil.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/gdicmn.h>
#include <wx/stdpaths.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <locale.h>
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
    wxFileName name(path);
    return name.GetPath(wxPATH_GET_VOLUME | wxPATH_GET_SEPARATOR) + wxS(".") + name.GetFullName() +
           wxString::Format(wxS(".%ld-%u.tmp"), static_cast<long>(getpid()), counter++);
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
        const int fd = ::open(temporary.fn_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool FinishTemporary(int fd, bool ok, const wxString& temporary, const wxString& path)
{
    if (::close(fd) != 0)
        ok = false;
    if (ok && std::rename(temporary.fn_str(), path.fn_str()) != 0)
        ok = false;
    if (!ok)
        ::unlink(temporary.fn_str());
    return ok;
}
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

wxString FormatColour(const wxColour& colour)
{
    return wxString::Format(wxS("#%02X%02X%02X"), colour.Red(), colour.Green(), colour.Blue());
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

bool ParseColour(const wxString& text, wxColour& colour)
{
    const wxString trimmed = text;
    // The toolkit also takes "#RGB", "RGBA(...)" and "#" with junk after the digits; a
    // stored colour is "#RRGGBB", "RGB(r, g, b)" or a name, and any other text must leave
    // the colour as it was.
    if (trimmed.StartsWith(wxS("#")))
    {
        if (trimmed.length() != 7)
            return false;
        for (size_t i = 1; i < trimmed.length(); ++i)
        {
            const wxUniChar c = trimmed[i];
            if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
                return false;
        }
    }
    else if (trimmed.Upper().StartsWith(wxS("RGBA")))
        return false;
    const bool named = !trimmed.StartsWith(wxS("#")) && !trimmed.Upper().StartsWith(wxS("RGB"));
    // Looking up a name needs the colour database, which exists only once the toolkit's
    // graphics side is initialised.
    if (named && !wxTheColourDatabase)
        return false;
    wxColour parsed;
    if (!parsed.Set(trimmed) || !parsed.IsOk())
        return false;
    colour = parsed;
    return true;
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

bool WriteFileAtomically(const wxString& path, const wxString& text)
{
    const wxScopedCharBuffer utf8 = text.utf8_str();
    return WriteBytesAtomically(path, utf8.data(), utf8.length());
}

bool CopyFileAtomically(const wxString& source, const wxString& target)
{
    const int in = ::open(source.fn_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    wxString temporary;
    const int out = OpenTemporary(target, temporary);
    if (out < 0)
    {
        ::close(in);
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
    ::close(in);
    return FinishTemporary(out, ok, temporary, target);
}

bool FolderExists(const wxString& path)
{
    const wxString folder = StripTrailingSeparators(path);
    return !folder.empty() && wxDirExists(folder);
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
