// Tallowby Moldwright: turns the faces of a font family into a font movie for Glyphara,
// with the preview picture that Glyphara's font list shows beside it.
#include "FontMovie.h"
#include "Picture.h"
#include "SwfWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace moldwright;

namespace
{

const char* const kProgram = "Tallowby Moldwright";
const char* const kVersion = "4.1";
constexpr int kSwfVersion = 8;

const char* const kHelp =
    "Usage: Tallowby Moldwright [OPTIONS] -o DIR FONTFILE...\n"
    "\n"
    "Makes a font movie (.swf) for Glyphara from one to four faces of a font family\n"
    "(TrueType or OpenType: regular, italic, bold, bold italic), with a preview\n"
    "picture (.png) of the same name for Glyphara's font list.\n"
    "\n"
    "Options:\n"
    "  -o, --output DIR     folder that receives the movie (created if missing)\n"
    "  --chars SET          characters to include: latin (the default: what a Western\n"
    "                       European page needs), all (every character the font maps),\n"
    "                       or any other text: exactly its characters\n"
    "  --foundry NAME       put the movie into DIR/NAME/ (spaces become \"_\")\n"
    "  --import-name        name the files NAME___Family.swf directly in DIR, ready\n"
    "                       for Glyphara's Fonts > Import\n"
    "  --name FAMILY        family name to use instead of the one in the faces\n"
    "  --foundry-picture    also draw the foundry's header picture (foundry.png)\n"
    "                       with the family's regular face; needs --foundry\n"
    "  --fws                write an uncompressed movie (FWS) instead of CWS\n"
    "  -h, --help           show this help and exit\n"
    "  --version            show the version and exit\n"
    "\n"
    "The movie is named after the family, spaces as \"_\", followed by the style\n"
    "markers of the faces it holds when that is more than the regular face, e.g.\n"
    "Big_Sans_[regular][italic][bold][bolditalic].swf.\n"
    "\n"
    "Examples:\n"
    "  Tallowby Moldwright -o out BigSans-Regular.ttf BigSans-Bold.ttf\n"
    "  Tallowby Moldwright --foundry \"Type Co\" --import-name -o ~/Desktop BigSans.otf\n"
    "  Tallowby Moldwright --chars \"0123456789 $.,\" -o out Digits.ttf\n";

// Errors take one line, whatever the file names they quote.
std::string OneLine(std::string text)
{
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "%s: error: %s\n", kProgram, OneLine(message).c_str());
    return 1;
}

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "%s: error: %s (see --help)\n", kProgram, OneLine(message).c_str());
    return 2;
}

std::string SystemError()
{
    return std::strerror(errno);
}

// Collapses runs of white space to one space and trims both ends.
std::string NormaliseSpaces(const std::string& s)
{
    std::string out;
    bool space = false;
    for (char c : s)
    {
        const bool isSpace = c == ' ' || c == '\t' || c == '\n' || c == '\r';
        if (isSpace)
            space = !out.empty();
        else
        {
            if (space)
                out += ' ';
            space = false;
            out += c;
        }
    }
    return out;
}

// A name as it appears on disk: spaces as "_"; a "/" would make a folder, and a leading "."
// would hide the file from the font scan, so both become "_" too.
std::string DiskName(const std::string& name)
{
    std::string out = NormaliseSpaces(name);
    for (char& c : out)
        if (c == ' ' || c == '/' || static_cast<unsigned char>(c) < 0x20)
            c = '_';
    if (!out.empty() && out[0] == '.')
        out[0] = '_';
    return out;
}

bool IsFolder(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeFolders(const std::string& path, std::string& error)
{
    if (path.empty())
        return true;
    struct stat st;
    if (stat(path.c_str(), &st) == 0)
    {
        if (S_ISDIR(st.st_mode))
            return true;
        error = "cannot use " + path + " as output folder: it is not a folder";
        return false;
    }
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash), error))
        return false;
    if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST)
    {
        error = "cannot create the folder " + path + ": " + SystemError();
        return false;
    }
    return true;
}

// A file written under a hidden temporary name and renamed into place once everything
// has been written, so that neither a failure nor a font scan sees a partial file.
struct PendingFile
{
    std::string temporary;
    std::string final;
};

bool WriteTemporary(const std::string& folder, const std::string& name, const std::vector<uint8_t>& data,
                    PendingFile& pending, std::string& error)
{
    std::string pattern = folder + "/." + name + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = mkstemp(buffer.data());
    if (fd < 0)
    {
        error = "cannot write into " + folder + ": " + SystemError();
        return false;
    }
    pending.temporary = buffer.data();
    pending.final = folder + "/" + name;
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    size_t done = 0;
    while (done < data.size())
    {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            error = "cannot write " + pending.final + ": " + SystemError();
            close(fd);
            unlink(pending.temporary.c_str());
            return false;
        }
        done += size_t(n);
    }
    if (close(fd) != 0)
    {
        error = "cannot write " + pending.final + ": " + SystemError();
        unlink(pending.temporary.c_str());
        return false;
    }
    return true;
}

void Discard(const std::vector<PendingFile>& files)
{
    for (const PendingFile& f : files)
        unlink(f.temporary.c_str());
}

struct LoadedFace
{
    std::string path;
    FT_Face face = nullptr;
    Style style = Style::Regular;
};

struct Options
{
    CharSet chars;
    std::string foundry;
    std::string name;
    std::string output;
    bool importName = false;
    bool foundryPicture = false;
    bool uncompressed = false;
    std::vector<std::string> files;
};

// 0 to go on, otherwise the exit code.
int ParseArguments(int argc, char** argv, Options& options, bool& done)
{
    done = false;
    bool haveOutput = false;
    for (int i = 1; i < argc; ++i)
    {
        std::string arg = argv[i];
        std::string value;
        bool inlineValue = false;
        if (arg.rfind("--", 0) == 0)
        {
            const size_t eq = arg.find('=');
            if (eq != std::string::npos)
            {
                value = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                inlineValue = true;
            }
        }
        auto takeValue = [&](std::string& out) -> bool {
            if (inlineValue)
            {
                out = value;
                return true;
            }
            if (i + 1 >= argc)
                return false;
            out = argv[++i];
            return true;
        };

        if (arg == "-h" || arg == "--help")
        {
            std::fputs(kHelp, stdout);
            done = true;
            return 0;
        }
        if (arg == "--version")
        {
            std::printf("%s %s\n", kProgram, kVersion);
            done = true;
            return 0;
        }
        if (arg == "-o" || arg == "--output")
        {
            if (!takeValue(options.output) || options.output.empty())
                return UsageError("-o needs a folder");
            haveOutput = true;
        }
        else if (arg == "--chars")
        {
            std::string set;
            if (!takeValue(set) || set.empty())
                return UsageError("--chars needs latin, all or a text");
            if (set == "latin")
                options.chars.kind = CharSetKind::Latin;
            else if (set == "all")
                options.chars.kind = CharSetKind::All;
            else
            {
                options.chars.kind = CharSetKind::Text;
                if (!DecodeUtf8(set, options.chars.text))
                    return UsageError("the text of --chars is not valid UTF-8");
                std::sort(options.chars.text.begin(), options.chars.text.end());
                options.chars.text.erase(std::unique(options.chars.text.begin(), options.chars.text.end()),
                                         options.chars.text.end());
            }
        }
        else if (arg == "--foundry")
        {
            if (!takeValue(options.foundry))
                return UsageError("--foundry needs a name");
            options.foundry = NormaliseSpaces(options.foundry);
            if (options.foundry.empty())
                return UsageError("--foundry needs a name");
        }
        else if (arg == "--name")
        {
            if (!takeValue(options.name))
                return UsageError("--name needs a family name");
            options.name = NormaliseSpaces(options.name);
            if (options.name.empty())
                return UsageError("--name needs a family name");
        }
        else if (arg == "--import-name" && !inlineValue)
            options.importName = true;
        else if (arg == "--foundry-picture" && !inlineValue)
            options.foundryPicture = true;
        else if (arg == "--fws" && !inlineValue)
            options.uncompressed = true;
        else if (arg == "--")
        {
            for (++i; i < argc; ++i)
                options.files.push_back(argv[i]);
        }
        else if (arg.size() > 1 && arg[0] == '-')
            return UsageError("unknown option " + arg);
        else
            options.files.push_back(arg);
    }
    if (!haveOutput)
        return UsageError("no output folder given with -o");
    if (options.files.empty())
        return UsageError("no font file given");
    if (options.files.size() > 4)
        return UsageError("a font movie holds at most four faces");
    if (options.foundryPicture && options.foundry.empty())
        return UsageError("--foundry-picture needs --foundry");
    return 0;
}

class FreeTypeLibrary
{
public:
    FreeTypeLibrary() { m_ok = FT_Init_FreeType(&m_library) == 0; }
    ~FreeTypeLibrary()
    {
        for (FT_Face f : m_faces)
            FT_Done_Face(f);
        if (m_ok)
            FT_Done_FreeType(m_library);
    }
    bool Ok() const { return m_ok; }

    bool Open(const std::string& path, FT_Face& face, std::string& error)
    {
        struct stat st;
        if (stat(path.c_str(), &st) != 0)
        {
            error = "cannot read " + path + ": " + SystemError();
            return false;
        }
        if (!S_ISREG(st.st_mode))
        {
            error = path + " is not a font file";
            return false;
        }
        if (FT_New_Face(m_library, path.c_str(), 0, &face) != 0)
        {
            error = path + " is not a font file (neither TrueType nor OpenType)";
            return false;
        }
        m_faces.push_back(face);
        if (!FT_IS_SCALABLE(face))
        {
            error = path + " holds no outlines (a bitmap font)";
            return false;
        }
        if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0)
        {
            error = path + " has no Unicode character map";
            return false;
        }
        return true;
    }

private:
    FT_Library m_library = nullptr;
    bool m_ok = false;
    std::vector<FT_Face> m_faces;
};

// Glyphara's Fonts menu starts the maker without arguments and without a terminal: show the
// user the manual page then, as the help text would go nowhere.
void OpenManualPage()
{
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return;
    self[n] = '\0';
    std::string page = self;
    page = page.substr(0, page.find_last_of('/')) + "/Manuals/moldwright.html";
    struct stat st;
    if (stat(page.c_str(), &st) != 0)
        return;
    const pid_t child = fork();
    if (child == 0)
    {
        setsid();
        execlp("xdg-open", "xdg-open", page.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
}

}

int main(int argc, char** argv)
{
    if (argc == 1)
    {
        std::fputs(kHelp, stdout);
        if (!isatty(STDIN_FILENO) && !isatty(STDOUT_FILENO))
            OpenManualPage();
        return 0;
    }

    Options options;
    bool done = false;
    if (int rc = ParseArguments(argc, argv, options, done); rc != 0 || done)
        return rc;

    FreeTypeLibrary freetype;
    if (!freetype.Ok())
        return Fail("cannot start FreeType");

    std::string error;
    LoadedFace slots[4];
    for (const std::string& path : options.files)
    {
        FT_Face face = nullptr;
        if (!freetype.Open(path, face, error))
            return Fail(error);
        const Style style = DetectStyle(face);
        LoadedFace& slot = slots[int(style)];
        if (slot.face)
            return Fail(slot.path + " and " + path + " are both the " + StyleWords(style) + " face");
        slot = {path, face, style};
    }

    std::string family = options.name;
    const LoadedFace* firstFace = nullptr;
    for (const LoadedFace& slot : slots)
        if (slot.face && !firstFace)
            firstFace = &slot;
    if (family.empty())
    {
        family = NormaliseSpaces(firstFace->face->family_name ? firstFace->face->family_name : "");
        for (const LoadedFace& slot : slots)
        {
            if (!slot.face)
                continue;
            const std::string other = NormaliseSpaces(slot.face->family_name ? slot.face->family_name : "");
            if (other != family)
                return Fail("the faces belong to different families (" + family + ", " + other +
                            "); give the family's name with --name to put them together");
        }
        if (family.empty())
            return Fail(firstFace->path + " does not name its family; give one with --name");
    }

    // One DefineFont3 tag per face, in the order of the style markers.
    std::vector<uint8_t> tags;
    AppendTag(tags, tag::kFileAttributes, {0, 0, 0, 0});
    unsigned fontId = 1;
    size_t glyphTotal = 0;
    int faces = 0;
    std::string markers;
    for (const LoadedFace& slot : slots)
    {
        if (!slot.face)
            continue;
        const std::vector<GlyphCode> codes = MapCharacters(slot.face, options.chars);
        if (codes.empty())
            return Fail(slot.path + " has no glyph for any of the chosen characters");
        if (options.chars.kind == CharSetKind::Text && codes.size() < options.chars.text.size())
            std::fprintf(stderr, "%s: warning: %s lacks %zu of the chosen characters\n", kProgram, slot.path.c_str(),
                         options.chars.text.size() - codes.size());
        FontTagInfo info;
        const bool bold = slot.style == Style::Bold || slot.style == Style::BoldItalic;
        const bool italic = slot.style == Style::Italic || slot.style == Style::BoldItalic;
        if (!AppendDefineFont3(slot.face, fontId++, family, bold, italic, codes, tags, info, error))
            return Fail(slot.path + ": " + error);
        if (info.advancesClamped)
            std::fprintf(stderr, "%s: warning: %s has advances too wide for the movie; they were cut\n", kProgram,
                         slot.path.c_str());
        if (info.kerningTruncated)
            std::fprintf(stderr, "%s: warning: %s has more kerning pairs than a movie holds; the rest were left out\n",
                         kProgram, slot.path.c_str());
        glyphTotal += info.glyphs;
        ++faces;
        markers += StyleMarker(slot.style);
    }
    AppendTag(tags, tag::kShowFrame, {});
    AppendTag(tags, tag::kEnd, {});

    std::vector<uint8_t> movie;
    if (!BuildSwfFile(tags, kSwfVersion, options.uncompressed ? Compression::None : Compression::Zlib, movie))
        return Fail("cannot compress the movie");

    std::vector<uint32_t> familyCodes;
    if (!DecodeUtf8(family, familyCodes))
        familyCodes.assign(family.begin(), family.end());
    const LoadedFace* pictureFace = slots[int(Style::Regular)].face ? &slots[int(Style::Regular)] : firstFace;
    // A face that cannot spell its own name (a symbol font) gets no preview: Glyphara's font
    // list has a text of its own for that case.
    Picture preview;
    const TextLayout previewLayout{24, 22.0, 2, 0, 0x404040};
    std::vector<uint8_t> previewPng;
    if (!DrawText(pictureFace->face, familyCodes, previewLayout, preview, error) ||
        !EncodePng(preview, previewPng, error))
    {
        std::fprintf(stderr, "%s: warning: no preview picture: %s\n", kProgram, error.c_str());
        previewPng.clear();
    }

    std::vector<uint8_t> foundryPng;
    if (options.foundryPicture)
    {
        std::vector<uint32_t> foundryCodes;
        if (!DecodeUtf8(options.foundry, foundryCodes))
            foundryCodes.assign(options.foundry.begin(), options.foundry.end());
        // A header reads best in the family's bold face where it has one.
        const LoadedFace* headerFace = slots[int(Style::Bold)].face ? &slots[int(Style::Bold)] : pictureFace;
        Picture header;
        const TextLayout headerLayout{28, 25.0, 8, 300, 0x1E1E1E};
        if (!DrawText(headerFace->face, foundryCodes, headerLayout, header, error) ||
            !EncodePng(header, foundryPng, error))
        {
            std::fprintf(stderr, "%s: warning: no foundry picture: %s\n", kProgram, error.c_str());
            foundryPng.clear();
        }
    }

    // Names and places.
    std::string folder = options.output;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    std::string base = DiskName(family);
    if (faces > 1 || !slots[int(Style::Regular)].face)
        base += "_" + markers;
    std::string foundryPictureName = "foundry.png";
    if (!options.foundry.empty())
    {
        if (options.importName)
        {
            base = DiskName(options.foundry) + "___" + base;
            foundryPictureName = DiskName(options.foundry) + "___foundry.png";
        }
        else
            folder += "/" + DiskName(options.foundry);
    }
    if (!MakeFolders(folder, error))
        return Fail(error);
    if (!IsFolder(folder))
        return Fail("cannot use " + folder + " as output folder");

    std::vector<PendingFile> pending;
    auto stage = [&](const std::string& name, const std::vector<uint8_t>& data) {
        PendingFile file;
        if (!WriteTemporary(folder, name, data, file, error))
            return false;
        pending.push_back(file);
        return true;
    };
    if (!stage(base + ".swf", movie) || (!previewPng.empty() && !stage(base + ".png", previewPng)) ||
        (!foundryPng.empty() && !stage(foundryPictureName, foundryPng)))
    {
        Discard(pending);
        return Fail(error);
    }
    for (size_t i = 0; i < pending.size(); ++i)
    {
        if (rename(pending[i].temporary.c_str(), pending[i].final.c_str()) != 0)
        {
            error = "cannot write " + pending[i].final + ": " + SystemError();
            // Take back what is already in place so that no half movie remains.
            for (size_t j = 0; j < i; ++j)
                unlink(pending[j].final.c_str());
            Discard(std::vector<PendingFile>(pending.begin() + long(i), pending.end()));
            return Fail(error);
        }
    }
    std::printf("%s/%s.swf: %d face%s, %zu glyphs\n", folder.c_str(), base.c_str(), faces, faces == 1 ? "" : "s",
                glyphTotal);
    return 0;
}
