#include "ExportTestSupport.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace
{
std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Walk(const std::string& root, const std::string& relative, std::map<std::string, EntryState>& out)
{
    const std::string folder = relative.empty() ? root : root + "/" + relative;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir))
    {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string part = relative.empty() ? name : relative + "/" + name;
        const std::string path = root + "/" + part;
        struct stat info;
        if (lstat(path.c_str(), &info) != 0)
            continue;
        EntryState& state = out[part];
        state.folder = S_ISDIR(info.st_mode);
        state.inode = info.st_ino;
        // A folder's time changes with what it holds; its entries say that already.
        if (state.folder)
            Walk(root, part, out);
        else
        {
            state.modifiedNs = info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
            state.content = ReadAll(path);
        }
    }
    closedir(dir);
}
}

std::map<std::string, EntryState> Snapshot(const wxString& folder)
{
    std::map<std::string, EntryState> out;
    Walk(std::string(folder.fn_str()), std::string(), out);
    return out;
}

std::vector<std::string> PathsOf(const std::map<std::string, EntryState>& snapshot)
{
    std::vector<std::string> paths;
    for (const auto& entry : snapshot)
        paths.push_back(entry.first);
    return paths;
}

std::string WithoutLinesContaining(const std::string& text, const std::string& marker)
{
    std::istringstream in(text);
    std::string line, kept;
    while (std::getline(in, line))
        if (line.find(marker) == std::string::npos)
            kept += line + "\n";
    return kept;
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& set, const std::vector<std::string>& unset,
                      const std::string& workingFolder)
{
    char outName[] = "/tmp/glyphara-test-out-XXXXXX";
    char errName[] = "/tmp/glyphara-test-err-XXXXXX";
    const int outFd = mkstemp(outName);
    const int errFd = mkstemp(errName);
    ProgramRun run;
    const pid_t child = fork();
    if (child == 0)
    {
        for (const std::string& name : unset)
            unsetenv(name.c_str());
        for (const std::string& pair : set)
        {
            const size_t equals = pair.find('=');
            setenv(pair.substr(0, equals).c_str(), pair.substr(equals + 1).c_str(), 1);
        }
        if (chdir(workingFolder.c_str()) != 0)
            _exit(126);
        dup2(outFd, 1);
        dup2(errFd, 2);
        const int nothing = open("/dev/null", O_RDONLY);
        dup2(nothing, 0);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    close(outFd);
    close(errFd);
    run.out = ReadAll(outName);
    run.err = ReadAll(errName);
    unlink(outName);
    unlink(errName);
    return run;
}
