// Tallowby Moldwright: turns the faces of a font family into a font movie for Glyphara,
// with the preview picture that Glyphara's font list shows beside it.
#include "ExistingMovie.h"
#include "FaceOpener.h"
#include "FontMovie.h"
#include "Picture.h"
#include "Scripts.h"
#include "SwfWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace moldwright;

namespace
{

const char* const kProgram = "Tallowby Moldwright";
const char* const kVersion = "4.2";
constexpr int kSwfVersion = 8;
// From this many glyphs on, a second face of the font converts half of them on another
// thread; fewer are converted faster than that face is opened.
constexpr size_t kHelperGlyphs = 1024;
// Fewer of the letters A to z than this and the Western European set says little of a font.
constexpr int kEnoughLatinLetters = 26;

const char* const kHelp =
    "Usage: Tallowby Moldwright [OPTIONS] -o DIR [FACE OPTIONS] FONTFILE...\n"
    "\n"
    "Makes a font movie (.swf) for Glyphara from one to four faces of a font family\n"
    "(TrueType, OpenType, WOFF or Type 1: regular, italic, bold, bold italic), with a\n"
    "preview picture (.png) of the same name for Glyphara's font list and one twice\n"
    "as large for high-density screens (NAME@2x.png).\n"
    "\n"
    "Options:\n"
    "  -o, --output DIR     folder that receives the movie (created if missing)\n"
    "  --chars SET          characters to include: latin (the default: what a Western\n"
    "                       European page needs), all (every character the font maps),\n"
    "                       or any other text: exactly its characters\n"
    "  --chars-from FILE    also include every character of a UTF-8 text file, such as\n"
    "                       the pages of a site (may be given more than once)\n"
    "  --foundry NAME       put the movie into DIR/NAME/ (spaces become \"_\")\n"
    "  --import-name        name the files NAME___Family.swf directly in DIR, ready\n"
    "                       for Glyphara's Fonts > Import\n"
    "  --name FAMILY        family name to use instead of the one in the faces; the\n"
    "                       faces then make one family, and where two would take the\n"
    "                       same style, the lighter of two weights is the regular and\n"
    "                       the heavier the bold\n"
    "  --foundry-picture    also draw the foundry's header picture (foundry.png and\n"
    "                       foundry@2x.png) with the family's bold or regular face;\n"
    "                       needs --foundry\n"
    "  --replace            replace a movie of the same file name that was made from\n"
    "                       another family (otherwise the maker refuses)\n"
    "  --fws                write an uncompressed movie (FWS) instead of CWS\n"
    "  -h, --help           show this help and exit\n"
    "  --version            show the version and exit\n"
    "\n"
    "Face options, each for the font file that follows it:\n"
    "  --face N             the face numbered N (from 0) of a collection (.ttc, .otc)\n"
    "  --instance NAME      the named instance NAME of a variable font, e.g. \"Bold\"\n"
    "                       or \"Light Italic\"; without it, the font's default\n"
    "\n"
    "A face that is not its family's regular, italic, bold or bold italic (Light,\n"
    "Medium, ExtraBold...) makes a family of its own, named as the font names it,\n"
    "e.g. \"DejaVu Sans Light\". The movie is named after the family, spaces as \"_\",\n"
    "followed by the style markers of the faces it holds when that is more than the\n"
    "regular face, e.g. Big_Sans_[regular][italic][bold][bolditalic].swf. Characters\n"
    "above U+FFFF cannot be held by a movie and are reported. A font with few of the\n"
    "Western European letters gets every character it maps when --chars is not given.\n"
    "A Type 1 font (.pfb, .pfa, .t1) takes its kerning from the .afm file beside it.\n"
    "\n"
    "Examples:\n"
    "  Tallowby Moldwright -o out BigSans-Regular.ttf BigSans-Bold.ttf\n"
    "  Tallowby Moldwright --foundry \"Type Co\" --import-name -o ~/Desktop BigSans.otf\n"
    "  Tallowby Moldwright --chars \"0123456789 $.,\" -o out Digits.ttf\n"
    "  Tallowby Moldwright -o out --face 2 NotoSansCJK-Regular.ttc\n"
    "  Tallowby Moldwright -o out --instance Regular Inter.ttf --instance Bold Inter.ttf\n"
    "  Tallowby Moldwright --chars-from index.html -o out BigSans.otf\n";

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

void Warn(const std::string& message)
{
    std::fprintf(stderr, "%s: warning: %s\n", kProgram, OneLine(message).c_str());
}

void Note(const std::string& message)
{
    std::fprintf(stderr, "%s: note: %s\n", kProgram, OneLine(message).c_str());
}

std::string Quoted(const std::string& s)
{
    return "\"" + s + "\"";
}

// "U+1F600 😀, U+1F601 😁 and 5 more": characters as a reader can find them, at most `shown`.
std::string CharacterList(const std::vector<uint32_t>& codes, size_t shown)
{
    std::string list;
    for (size_t i = 0; i < codes.size() && i < shown; ++i)
    {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", unsigned(codes[i]));
        list += (i ? ", " : "") + std::string(code);
        if (codes[i] > 0x20)
            list += " " + EncodeUtf8(codes[i]);
    }
    if (codes.size() > shown)
        list += " and " + std::to_string(codes.size() - shown) + " more";
    return list;
}

// The picture at its plain size and at twice that size; both or neither.
bool DrawPictures(FT_Face face, const std::vector<uint32_t>& text, const TextLayout& layout,
                  std::vector<uint8_t> (&png)[2], std::string& error)
{
    for (int i = 0; i < 2; ++i)
    {
        Picture picture;
        if (!DrawText(face, text, layout, i + 1, picture, error) || !EncodePng(picture, png[i], error))
        {
            png[0].clear();
            png[1].clear();
            return false;
        }
    }
    return true;
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

struct Options
{
    CharSet chars;
    std::string foundry;
    std::string name;
    std::string output;
    bool importName = false;
    bool foundryPicture = false;
    bool uncompressed = false;
    bool replace = false;
    std::vector<FaceRequest> faces;
};

// The characters of a text file, without line ends, tabs and other controls.
bool ReadCharacterFile(const std::string& path, std::vector<uint32_t>& codes, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in || IsFolder(path))
    {
        error = "cannot read " + path + ": " + (IsFolder(path) ? std::string("it is a folder") : SystemError());
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
    {
        error = "cannot read " + path + ": " + SystemError();
        return false;
    }
    std::vector<uint32_t> decoded;
    if (!DecodeUtf8(text, decoded))
    {
        error = path + " is not UTF-8 text, which --chars-from reads";
        return false;
    }
    codes.clear();
    for (uint32_t c : decoded)
        if (c >= 0x20 && !(c >= 0x7F && c < 0xA0) && c != 0xFEFF)
            codes.push_back(c);
    if (codes.empty())
    {
        error = path + " holds no characters";
        return false;
    }
    return true;
}

// 0 to go on, otherwise the exit code.
int ParseArguments(int argc, char** argv, Options& options, bool& done)
{
    done = false;
    bool haveOutput = false;
    // --face and --instance wait for the font file they choose from.
    FaceRequest next;
    std::string pendingOption;
    auto addFile = [&](const std::string& path) {
        next.path = path;
        options.faces.push_back(next);
        next = FaceRequest();
        pendingOption.clear();
    };
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
            options.chars.given = true;
            if (set == "latin")
                options.chars.latin = true;
            else if (set == "all")
                options.chars.all = true;
            else
            {
                std::vector<uint32_t> codes;
                if (!DecodeUtf8(set, codes))
                    return UsageError("the text of --chars is not valid UTF-8");
                AddText(options.chars, codes);
            }
        }
        else if (arg == "--chars-from")
        {
            std::string path;
            if (!takeValue(path) || path.empty())
                return UsageError("--chars-from needs a file");
            std::vector<uint32_t> codes;
            std::string error;
            if (!ReadCharacterFile(path, codes, error))
                return Fail(error);
            options.chars.given = true;
            AddText(options.chars, codes);
        }
        else if (arg == "--face")
        {
            std::string number;
            if (!takeValue(number) || number.empty() || number.size() > 6 ||
                number.find_first_not_of("0123456789") != std::string::npos)
                return UsageError("--face needs the number of a face in a collection, counted from 0");
            next.face = std::stoi(number);
            pendingOption = "--face " + number;
        }
        else if (arg == "--instance")
        {
            if (!takeValue(next.instance) || NormaliseSpaces(next.instance).empty())
                return UsageError("--instance needs the name of a named instance, such as Bold");
            next.instance = NormaliseSpaces(next.instance);
            pendingOption = "--instance " + next.instance;
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
        else if (arg == "--replace" && !inlineValue)
            options.replace = true;
        else if (arg == "--")
        {
            for (++i; i < argc; ++i)
                addFile(argv[i]);
        }
        else if (arg.size() > 1 && arg[0] == '-')
            return UsageError("unknown option " + arg);
        else
            addFile(arg);
    }
    if (!pendingOption.empty())
        return UsageError(pendingOption + " is not followed by a font file; give it before the file it chooses from");
    if (!haveOutput)
        return UsageError("no output folder given with -o");
    if (options.faces.empty())
        return UsageError("no font file given");
    if (options.faces.size() > 4)
        return UsageError("a font movie holds at most four faces");
    if (options.foundryPicture && options.foundry.empty())
        return UsageError("--foundry-picture needs --foundry");
    return 0;
}

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

    FaceOpener opener;
    if (!opener.Ok())
        return Fail("cannot start FreeType");

    std::string error;
    std::vector<OpenedFace> opened;
    for (const FaceRequest& request : options.faces)
    {
        OpenedFace face;
        bool usage = false;
        std::vector<std::string> notes;
        if (!opener.Open(request, face, error, usage, notes))
        {
            if (!usage)
                return Fail(error);
            std::fprintf(stderr, "%s: error: %s\n", kProgram, OneLine(error).c_str());
            return 2;
        }
        for (const std::string& note : notes)
            Warn(note);
        opened.push_back(face);
    }

    // The family, and the slot of each face in it.
    std::string family = options.name;
    std::vector<Style> styles;
    if (family.empty())
    {
        family = opened.front().identity.family;
        for (const OpenedFace& face : opened)
        {
            if (face.identity.family != family)
                return Fail("the faces belong to different families (" + family + ", " + face.identity.family +
                            "); give the family's name with --name to put them together");
            styles.push_back(face.identity.style);
        }
        if (family.empty())
            return Fail(opened.front().label + " does not name its family; give one with --name");
    }
    else
    {
        // Faces put together under a name of the user's keep their own slots where those
        // differ; otherwise of two weights the lighter is the regular and the heavier the bold.
        bool taken[4] = {};
        bool collide = false;
        for (const OpenedFace& face : opened)
        {
            styles.push_back(face.identity.style);
            collide = collide || taken[int(face.identity.style)];
            taken[int(face.identity.style)] = true;
        }
        std::vector<int> weights;
        for (const OpenedFace& face : opened)
            weights.push_back(face.identity.weight);
        std::sort(weights.begin(), weights.end());
        weights.erase(std::unique(weights.begin(), weights.end()), weights.end());
        if (collide && weights.size() > 2)
        {
            std::string list;
            for (int w : weights)
                list += (list.empty() ? "" : ", ") + std::to_string(w);
            return Fail("the faces have " + std::to_string(weights.size()) + " weights (" + list +
                        "); a movie holds a regular and a bold weight only");
        }
        if (collide && weights.size() == 2)
            for (size_t i = 0; i < opened.size(); ++i)
                styles[i] = MakeStyle(opened[i].identity.weight == weights.back(), IsItalic(styles[i]));
    }
    const OpenedFace* slots[4] = {};
    for (size_t i = 0; i < opened.size(); ++i)
    {
        const OpenedFace*& slot = slots[int(styles[i])];
        if (slot)
            return Fail(slot->label + " and " + opened[i].label + " are both the " + StyleWords(styles[i]) + " face");
        slot = &opened[i];
    }
    const OpenedFace* firstFace = nullptr;
    for (const OpenedFace* slot : slots)
        if (slot && !firstFace)
            firstFace = slot;

    // A font made for another script than Latin gets the characters of that script too, and
    // one with few Western European letters all of its own, unless characters were chosen.
    CharSet chars = options.chars;
    std::string widened;
    if (!chars.given)
    {
        int letters = 0;
        for (const OpenedFace& face : opened)
            letters = std::max(letters, BasicLatinLetters(face.face));
        chars.latin = letters >= kEnoughLatinLetters;
        chars.all = !chars.latin;
        if (chars.all)
            widened = " has only " + std::to_string(letters) +
                      " of the 52 letters A to Z and a to z: the movie holds every character it maps";
        else if (const int script = OwnScript(firstFace->face); script > 0)
        {
            for (const OpenedFace& face : opened)
                AddText(chars, ScriptCharacters(face.face, script));
            widened = std::string(" is made for ") + ScriptName(script) +
                      " text: the movie holds its characters of that script besides the Western European set";
        }
    }

    // One DefineFont3 tag per face, in the order of the style markers.
    std::vector<uint8_t> tags;
    AppendTag(tags, tag::kFileAttributes, {0, 0, 0, 0});
    unsigned fontId = 1;
    size_t glyphTotal = 0;
    int faces = 0;
    std::string markers;
    for (int s = 0; s < 4; ++s)
    {
        const OpenedFace* slot = slots[s];
        if (!slot)
            continue;
        CharacterReport report;
        const std::vector<GlyphCode> codes = MapCharacters(slot->face, chars, report);
        if (codes.empty())
        {
            if (!report.beyond16Bits.empty())
                return Fail(slot->label + " has none of the chosen characters that a movie can hold: " +
                            CharacterList(report.beyond16Bits, 3) + (report.beyond16Bits.size() == 1 ? " lies" : " lie") +
                            " above U+FFFF, and a movie's code table holds 16-bit codes only");
            return Fail(slot->label + " has no glyph for any of the chosen characters");
        }
        if (!widened.empty() && slot == firstFace)
            Note(slot->label + widened + ", " + std::to_string(codes.size()) + " in all (choose others with --chars)");
        if (!report.beyond16Bits.empty())
            Warn(slot->label + " has " + std::to_string(report.beyond16Bits.size()) + " character" +
                 (report.beyond16Bits.size() == 1 ? "" : "s") + " above U+FFFF (" + CharacterList(report.beyond16Bits, 3) +
                 ") that a movie cannot hold, as its code table holds 16-bit codes only; they were left out");
        if (!report.lacking.empty() && options.chars.given)
            Warn(slot->label + " lacks " + std::to_string(report.lacking.size()) + " of the chosen characters: " +
                 CharacterList(report.lacking, 10));
        FontTagInfo info;
        const Style style = Style(s);
        FT_Face helper = codes.size() >= kHelperGlyphs && std::thread::hardware_concurrency() > 1
                             ? opener.Helper(*slot)
                             : nullptr;
        if (!AppendDefineFont3(slot->face, helper, slot->metricsFile, fontId++, family, IsBold(style), IsItalic(style),
                               codes, tags, info, error))
            return Fail(slot->label + " is damaged or truncated: " + error);
        if (info.advancesClamped)
            Warn(slot->label + " has advances too wide for the movie; they were cut");
        if (info.kerningTruncated)
            Warn(slot->label + " has more kerning pairs than a movie holds; the rest were left out");
        glyphTotal += info.glyphs;
        ++faces;
        markers += StyleMarker(style);
    }
    AppendTag(tags, tag::kShowFrame, {});
    AppendTag(tags, tag::kEnd, {});

    std::vector<uint8_t> movie;
    if (!BuildSwfFile(tags, kSwfVersion, options.uncompressed ? Compression::None : Compression::Zlib, movie))
        return Fail("cannot compress the movie");

    // The preview shows the family's name, or for a face made for another script a word
    // in that script; each picture also at twice the size for high-density screens.
    const OpenedFace* pictureFace = slots[int(Style::Regular)] ? slots[int(Style::Regular)] : firstFace;
    const std::vector<uint32_t> previewText = PreviewText(pictureFace->face, family);
    std::vector<uint8_t> previewPng[2];
    if (!DrawPictures(pictureFace->face, previewText, TextLayout{24, 22.0, 2, 0, 0x404040}, previewPng, error))
        Warn("no preview picture: " + error);

    std::vector<uint8_t> foundryPng[2];
    if (options.foundryPicture)
    {
        std::vector<uint32_t> foundryCodes;
        if (!DecodeUtf8(options.foundry, foundryCodes))
            foundryCodes.assign(options.foundry.begin(), options.foundry.end());
        // A header reads best in the family's bold face where it has one.
        const OpenedFace* headerFace = slots[int(Style::Bold)] ? slots[int(Style::Bold)] : pictureFace;
        if (!DrawPictures(headerFace->face, foundryCodes, TextLayout{28, 25.0, 8, 300, 0x1E1E1E}, foundryPng, error))
            Warn("no foundry picture: " + error);
    }

    // Names and places.
    std::string folder = options.output;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    std::string base = DiskName(family);
    if (faces > 1 || !slots[int(Style::Regular)])
        base += "_" + markers;
    std::string foundryPictureBase = "foundry";
    if (!options.foundry.empty())
    {
        if (options.importName)
        {
            base = DiskName(options.foundry) + "___" + base;
            foundryPictureBase = DiskName(options.foundry) + "___foundry";
        }
        else
            folder += "/" + DiskName(options.foundry);
    }
    if (!MakeFolders(folder, error))
        return Fail(error);
    if (!IsFolder(folder))
        return Fail("cannot use " + folder + " as output folder");

    // Another family's movie that happens to take the same file name is never lost.
    const std::string moviePath = folder + "/" + base + ".swf";
    std::vector<std::string> existing;
    switch (ReadMovieFonts(moviePath, existing))
    {
    case ExistingMovie::Missing:
        break;
    case ExistingMovie::Fonts:
        for (const std::string& other : existing)
            if (NormaliseSpaces(other) != family && !options.replace)
                return Fail(moviePath + " already holds the movie of " + Quoted(other) + ", another family than " +
                            Quoted(family) + "; it is left as it is: choose another name with --name or another "
                            "folder with -o, or give --replace to replace it");
        break;
    case ExistingMovie::Unreadable:
        if (!options.replace)
            return Fail(moviePath + " already exists and is not a font movie; it is left as it is: give --replace "
                        "to replace it");
        break;
    }

    std::vector<PendingFile> pending;
    auto stage = [&](const std::string& name, const std::vector<uint8_t>& data) {
        if (data.empty())
            return true;
        PendingFile file;
        if (!WriteTemporary(folder, name, data, file, error))
            return false;
        pending.push_back(file);
        return true;
    };
    if (!stage(base + ".swf", movie) || !stage(base + ".png", previewPng[0]) ||
        !stage(base + "@2x.png", previewPng[1]) || !stage(foundryPictureBase + ".png", foundryPng[0]) ||
        !stage(foundryPictureBase + "@2x.png", foundryPng[1]))
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
    std::printf("%s: %d face%s, %zu glyphs\n", moviePath.c_str(), faces, faces == 1 ? "" : "s", glyphTotal);
    return 0;
}
