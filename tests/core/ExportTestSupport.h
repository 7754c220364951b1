// Helpers of the export tests: what a folder holds, and running the program itself.
#ifndef GLYPHARA_TESTS_CORE_EXPORTTESTSUPPORT_H
#define GLYPHARA_TESTS_CORE_EXPORTTESTSUPPORT_H

#include <wx/string.h>

#include <map>
#include <string>
#include <vector>

// One entry below a folder: its kind, content and the state of its inode.
struct EntryState
{
    bool folder = false;
    std::string content;
    long long modifiedNs = 0;
    unsigned long long inode = 0;

    bool operator==(const EntryState& other) const
    {
        return folder == other.folder && content == other.content && modifiedNs == other.modifiedNs &&
               inode == other.inode;
    }
};

// Every file and folder below folder (hidden ones included), by path relative to it.
std::map<std::string, EntryState> Snapshot(const wxString& folder);
// The relative paths of a snapshot.
std::vector<std::string> PathsOf(const std::map<std::string, EntryState>& snapshot);
// The text without its lines that contain marker.
std::string WithoutLinesContaining(const std::string& text, const std::string& marker);

struct ProgramRun
{
    int status = -1; // exit status, or 128 + the signal
    std::string out;
    std::string err;
};

// Runs program with args in workingFolder; environment: the test's own, with each
// "NAME=value" of set put in and each NAME of unset taken out.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& set, const std::vector<std::string>& unset,
                      const std::string& workingFolder);

#endif
