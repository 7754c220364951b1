// libFuzzer targets for files that come from anyone: a project file loaded and exported
// (GLYPHARA_FUZZ_PROJECT), or an effect file loaded (GLYPHARA_FUZZ_EFFECT). Each runs in a
// sandbox of its own with a small program folder, two fonts and a private HOME.
#include "core/GlypharaCore.h"
#include "trace/TraceSystem.h"

#include <wx/filefn.h>
#include <wx/init.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::string g_sandbox;

void Write(const std::string& path, const void* data, size_t size)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0777);
    if (FILE* file = std::fopen(path.c_str(), "wb"))
    {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
}

void Write(const std::string& path, const std::string& text)
{
    Write(path, text.data(), text.size());
}
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/glyphara-fuzz-XXXXXX";
    g_sandbox = mkdtemp(pattern);
    const std::string program = g_sandbox + "/program";
    for (const char* name : {"sifr-config.js", "sIFR-print.css", "sIFR-screen.css", "sifr.js"})
        Write(program + "/sIFR/" + name, std::string("// ") + name + "\n");
    Write(program + "/Fonts/My_Foundry/Big_Sans.swf", "FWS-big-sans");
    Write(program + "/Fonts/My_Foundry/Big_Sans.png", "PNG-big-sans");
    Write(program + "/Fonts/Type_Co/Slim.swf", "FWS-slim");
    Write(program + "/Effects/.keep", "");
    Write(g_sandbox + "/project/mysite files/glypharadata/fonts/Type_Co___Slim.swf", "FWS-slim-copy");
    Write(g_sandbox + "/home/.keep", "");
    setenv("HOME", (g_sandbox + "/home").c_str(), 1);
    setenv("TMPDIR", (g_sandbox + "/home").c_str(), 1);
    if (chdir(program.c_str()) != 0)
        std::abort();

    static wxInitializer initializer;
    TraceSystem::GetInstance()->Init(wxS("Glyphara"), wxEmptyString);
    CGlypharaCore::GetInstance()->InitForExport();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CGlypharaCore* core = CGlypharaCore::GetInstance();
#if defined(GLYPHARA_FUZZ_PROJECT)
    const std::string path = g_sandbox + "/project/mysite.xml";
    Write(path, data, size);
    wxString message;
    core->ExportProject(wxString::FromUTF8(path.c_str()), wxString::FromUTF8((g_sandbox + "/out").c_str()), message);
#elif defined(GLYPHARA_FUZZ_EFFECT)
    const std::string path = g_sandbox + "/effect.xml";
    Write(path, data, size);
    FontProperties filters;
    wxString name;
    core->LoadEffect(wxString::FromUTF8(path.c_str()), filters, name);
#endif
    return 0;
}
