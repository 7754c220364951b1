#include "trace/TraceSystem.h"

#include "trace/ResultCodes.h"

#include <wx/datetime.h>
#include <wx/filefn.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/platinfo.h>
#include <wx/stdpaths.h>
#include <wx/thread.h>
#include <wx/utils.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

TraceSystem* TraceSystem::ms_instance = nullptr;

// The caller's source file, as the toolkit's string or as the compiler wrote it.
struct TraceSystem::Source
{
    const wxString* wide = nullptr;
    const char* narrow = nullptr;

    wxString FileName() const
    {
        if (wide)
            return wide->AfterLast('/');
        if (!narrow)
            return wxString();
        // The compiler's names live as long as the program: each is converted once.
        static std::mutex lock;
        static std::unordered_map<const char*, wxString> names;
        std::lock_guard<std::mutex> guard(lock);
        wxString& name = names[narrow];
        if (name.empty())
        {
            const char* slash = std::strrchr(narrow, '/');
            name = wxString::FromUTF8(slash ? slash + 1 : narrow);
        }
        return name;
    }
};

namespace
{
const char* const kBuildDate = "Dec 20 2008";

TraceUiHooks& Hooks()
{
    static TraceUiHooks hooks;
    return hooks;
}

FILE*& LogFile()
{
    static FILE* file = nullptr;
    return file;
}

wxString TrimFunctionName(const wxString& function)
{
    wxString name = function;
    if (name.Find('(') != wxNOT_FOUND)
        name = name.BeforeFirst('(');
    if (name.Find(' ') != wxNOT_FOUND)
        name = name.AfterLast(' ');
    return name;
}


long MiB(const wxLongLong& bytes)
{
    return (bytes / 1048576).ToLong();
}

// Handed to the log as it is: the logging macros would format it once more.
void LogAtLevel(int level, const wxString& text)
{
    wxLogLevel logLevel;
    switch (level)
    {
    case TS_ERROR:
        logLevel = wxLOG_Error;
        break;
    case TS_WARNING:
        logLevel = wxLOG_Warning;
        break;
    case TS_MESSAGE:
        logLevel = wxLOG_Message;
        break;
    case TS_VERBOSE:
        if (!wxLog::GetVerbose())
            return;
        logLevel = wxLOG_Info;
        break;
    default:
        return;
    }
    if (wxLog::IsLevelEnabled(logLevel, wxLOG_COMPONENT))
        wxLog::OnLog(logLevel, text, wxLogRecordInfo(__FILE__, __LINE__, __func__, wxLOG_COMPONENT));
}
}

TraceSystem::TraceSystem()
    : m_initialised(false), m_previousTarget(nullptr), m_buildNumber(0), m_tracingEnabled(false)
{
}

TraceSystem::~TraceSystem() = default;

TraceSystem* TraceSystem::GetInstance()
{
    if (!ms_instance)
        ms_instance = new TraceSystem();
    return ms_instance;
}

void TraceSystem::DestroyInstance()
{
    delete ms_instance;
    ms_instance = nullptr;
}

unsigned long TraceSystem::CurrentThreadId()
{
    return static_cast<unsigned long>(wxThread::GetCurrentId());
}

void TraceSystem::SetUiHooks(const TraceUiHooks& hooks)
{
    Hooks() = hooks;
}

int TraceSystem::ReportNotInitialized()
{
    wxLogError(wxS("%s"), wxS("TraceSystem is not initialized"));
    return RC_NOT_INITIALIZED;
}

int TraceSystem::Init(const wxString& appName, const wxString& logPath)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_initialised)
        Shutdown();

    m_previousTarget = nullptr;
    m_initialised = true;

    m_appName.clear();
    // No log window or message box may ever appear because something was logged.
    wxLog::DontCreateOnDemand();
    m_previousTarget = wxLog::GetActiveTarget();

    m_appName = appName.empty() ? wxString(wxS("Undefined app")) : appName;

    wxDateTime built;
    wxString::const_iterator end;
    if (built.ParseFormat(kBuildDate, wxS("%b %d %Y"), &end))
        m_buildNumber = built.GetYear() * 10000L + (built.GetMonth() + 1) * 100L + built.GetDay();

    m_tracingEnabled = false;
    wxLog::SetVerbose(false);

    bool shift = false, control = false, alt = false;
    if (Hooks().keyState)
        Hooks().keyState(shift, control, alt);
    if (!alt && !control && shift)
    {
        wxString path = logPath;
        if (path.empty())
            path = wxStandardPaths::Get().GetDocumentsDir() + wxS("/") + m_appName + wxS(" log.txt");

        const wxString question = _("Saving log file at: ") + path +
                                  _("\nPlease, remember this location. \n\nDo you want the log to be verbose?");
        bool verbose = false;
        if (Hooks().askYesNo)
            verbose = Hooks().askYesNo(question, _("Saving log"));
        wxLog::SetVerbose(verbose);

        FILE* file = std::fopen(path.fn_str(), "w");
        if (file)
        {
            LogFile() = file;
            wxLog::SetActiveTarget(new wxLogStderr(file));
        }
    }

    WriteBanner();
    return 0;
}

int TraceSystem::Shutdown()
{
    if (!m_initialised)
        return ReportNotInitialized();

    wxLog::FlushActive();
    wxLog* active = wxLog::SetActiveTarget(m_previousTarget);
    if (active != m_previousTarget)
        delete active;
    if (LogFile())
    {
        std::fclose(LogFile());
        LogFile() = nullptr;
    }
    m_initialised = false;
    return 0;
}

int TraceSystem::CheckInitialized()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_initialised)
        return ReportNotInitialized();
    return 0;
}

int TraceSystem::WriteBanner()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_initialised)
        return ReportNotInitialized();
    // Asking the system for its description takes most of a second; with no log to
    // read it, nobody would see the answer.
    if (!Wants(TS_MESSAGE))
        return 0;

    wxLogMessage(wxS("%s build%ld log started"), m_appName, m_buildNumber);
    wxLogMessage(wxS("Verbose output is %s"), wxLog::GetVerbose() ? wxS("enabled") : wxS("disabled"));
    wxLogMessage(wxS("Tracing output is %s"), m_tracingEnabled ? wxS("enabled") : wxS("disabled"));

    const wxPlatformInfo& platform = wxPlatformInfo::Get();
    wxLogMessage(wxS("%s is running on %s (%s, %s)"), m_appName, wxGetOsDescription(),
                 platform.GetEndiannessName(), platform.GetBitnessName());

    int width = 0, height = 0, depth = 0;
    if (Hooks().screen)
        Hooks().screen(width, height, depth);
    wxLogMessage(wxS("Screen resolution is %dx%d@%d"), width, height, depth);

    const wxString cwd = wxGetCwd();
    wxLongLong total = 0, free = 0;
    wxGetDiskSpace(cwd, &total, &free);
    wxLogMessage(wxS("Free disk space for working directory (%s) is %ldMB (of a total of %ldMB)"), cwd,
                 MiB(free), MiB(total));
    const wxString home = wxGetHomeDir();
    total = 0;
    free = 0;
    wxGetDiskSpace(home, &total, &free);
    wxLogMessage(wxS("Free disk space for user home directory (%s) is %ldMB (of a total of %ldMB)"), home,
                 MiB(free), MiB(total));

    wxLogMessage(wxS("FQDN is %s"), wxGetFullHostName());
    wxLogMessage(wxS("%s"), wxS("================"));
    wxLogError(wxS("%s"), wxS("This is a TS_ERROR or a TS_FATALERROR"));
    wxLogWarning(wxS("%s"), wxS("This is a TS_WARNING"));
    wxLogMessage(wxS("%s"), wxS("This is a TS_MESSAGE"));
    wxLogVerbose(wxS("%s"), wxS("This is a TS_VERBOSE"));
    wxLogMessage(wxS("%s"), wxS("================"));
    return 0;
}

bool TraceSystem::Wants(int level)
{
    switch (level)
    {
    case TS_FATALERROR:
        return true;
    case TS_TRACE:
        return ms_instance && ms_instance->m_tracingEnabled;
    case TS_VERBOSE:
        if (!wxLog::GetVerbose())
            return false;
        return wxLog::IsEnabled() && wxLog::GetActiveTarget() != nullptr;
    case TS_ERROR:
    case TS_WARNING:
    case TS_MESSAGE:
        return wxLog::IsEnabled() && wxLog::GetActiveTarget() != nullptr;
    default:
        return false;
    }
}

int TraceSystem::Trace(unsigned long threadId, const wxString& sourceFile, const wxString& function,
                       int line, int level, const wxString& message)
{
    Source source;
    source.wide = &sourceFile;
    return TraceFrom(threadId, source, function, line, level, message);
}

int TraceSystem::Trace(unsigned long threadId, const char* sourceFile, const wxString& function, int line,
                       int level, const wxString& message)
{
    Source source;
    source.narrow = sourceFile;
    return TraceFrom(threadId, source, function, line, level, message);
}

int TraceSystem::TraceFrom(unsigned long threadId, const Source& source, const wxString& function, int line,
                           int level, const wxString& message)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_initialised)
        return ReportNotInitialized();
    // Without a sink for the line, composing it would only cost time.
    if (!Wants(level))
        return 0;

    // The message is handed to the toolkit as an argument, never as a format, so a "%"
    // in it comes out as written.
    // Put together by hand: a save writes a dozen lines, and the toolkit's formatting
    // cost more than the save's own work.
    wxString prefix(wxS("["));
    prefix << wxString(std::to_wstring(threadId)) << wxS(":") << source.FileName() << wxS(":")
           << TrimFunctionName(function) << wxS(":") << wxString(std::to_wstring(line)) << wxS("]");
    switch (level)
    {
    case TS_ERROR:
    case TS_WARNING:
    case TS_MESSAGE:
    case TS_VERBOSE:
        LogAtLevel(level, prefix + wxS(": ") + message);
        break;
    case TS_TRACE:
    {
        // Composed and discarded: no sink ever receives trace-level lines.
        const wxString discarded = prefix + wxS(": ") + message;
        (void)discarded;
        break;
    }
    case TS_FATALERROR:
    {
        wxString stacks;
        DumpCallStacks(stacks);
        const wxString text = wxS("Aborting due to faltal error at ") + prefix + wxS("\nError message: ") +
                              message + wxS("\nThread call stacks:\n") + stacks;
        // Lines of other threads wait for the main thread to pass them on, and the process
        // ends before it would: this thread writes to the log target itself.
        if (!wxThread::IsMain())
            wxLog::SetThreadActiveTarget(wxLog::GetActiveTarget());
        wxLogError(wxS("%s"), text);
        wxLog::FlushActive();
        if (Hooks().errorBox)
            Hooks().errorBox(message, _("Aborting"));
        if (Hooks().terminate)
            Hooks().terminate(message);
        else
            std::abort();
        break;
    }
    default:
        break;
    }
    return 0;
}

int TraceSystem::TraceEntry(unsigned long threadId, const wxString& sourceFile, const wxString& function,
                            int line)
{
    Source source;
    source.wide = &sourceFile;
    return EntryFrom(threadId, source, function, line);
}

int TraceSystem::TraceEntry(unsigned long threadId, const char* sourceFile, const wxString& function, int line)
{
    Source source;
    source.narrow = sourceFile;
    return EntryFrom(threadId, source, function, line);
}

int TraceSystem::EntryFrom(unsigned long threadId, const Source& source, const wxString& function, int line)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_initialised)
        return ReportNotInitialized();
    if (m_tracingEnabled)
        TraceFrom(threadId, source, function, line, TS_TRACE, wxS("Entry point"));
    // Kept with or without a log target: a fatal error prints them.
    m_callStacks[threadId].push_back(function);
    return 0;
}

int TraceSystem::TraceReturn(int result, int line, unsigned long threadId, const wxString& sourceFile,
                             const wxString& function, const wxString& message)
{
    Source source;
    source.wide = &sourceFile;
    return ReturnFrom(result, line, threadId, source, function, message);
}

int TraceSystem::TraceReturn(int result, int line, unsigned long threadId, const char* sourceFile,
                             const wxString& function, const wxString& message)
{
    Source source;
    source.narrow = sourceFile;
    return ReturnFrom(result, line, threadId, source, function, message);
}

int TraceSystem::ReturnFrom(int result, int line, unsigned long threadId, const Source& source,
                            const wxString& function, const wxString& message)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_initialised)
        return ReportNotInitialized();

    int level = TS_TRACE;
    if (result == TS_RETURN_VOID)
        level = message.empty() ? TS_TRACE : TS_MESSAGE;
    else if (result >= 0)
        level = message.empty() ? TS_TRACE : TS_MESSAGE;
    else
        level = TS_ERROR;
    if (Wants(level))
    {
        wxString text;
        if (result == TS_RETURN_VOID)
            text = message.empty() ? wxString(wxS("Returning void")) : wxS("Returning void with message: ") + message;
        else
        {
            text = result >= 0 ? wxString::Format(wxS("Returning successfully with value %d"), result)
                               : wxString::Format(wxS("Returning with error %d"), result);
            if (!message.empty())
                text += wxS(" and message: ") + message;
        }
        TraceFrom(threadId, source, function, line, level, text);
    }

    // Entries above the returning function belong to calls that never recorded their
    // return; they go with it. A name that is not on the stack empties it.
    auto found = m_callStacks.find(threadId);
    if (found != m_callStacks.end())
    {
        std::deque<wxString>& stack = found->second;
        while (!stack.empty())
        {
            const bool returning = stack.back() == function;
            stack.pop_back();
            if (returning)
                break;
        }
        if (stack.empty())
            m_callStacks.erase(found);
    }
    return 0;
}

int TraceSystem::DumpCallStacks(wxString& text)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_initialised)
        return ReportNotInitialized();
    text.clear();
    for (const auto& entry : m_callStacks)
    {
        text << wxString::Format(wxS("\tThread id %lu stack:"), entry.first);
        for (auto it = entry.second.rbegin(); it != entry.second.rend(); ++it)
            text << wxS("\n\t\t") << *it;
        text << wxS("\n");
    }
    return 0;
}

int TraceSystem::Return(int result, const wxString& message, int line, const char* sourceFile,
                        const wxString& function)
{
    GetInstance()->TraceReturn(result, line, CurrentThreadId(), sourceFile, function, message);
    return result;
}
