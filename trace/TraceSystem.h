// The program's single logging facility: entry/return records with per-thread call
// stacks, levelled messages, and the build number. Lines go to the toolkit's log; by
// default there is no target at all and everything is dropped.
#ifndef GLYPHARA_TRACE_TRACESYSTEM_H
#define GLYPHARA_TRACE_TRACESYSTEM_H

#include <wx/string.h>

#include <deque>
#include <functional>
#include <map>
#include <mutex>

class wxLog;

enum TraceLevel
{
    TS_FATALERROR = 0,
    TS_ERROR = 1,
    TS_WARNING = 2,
    TS_MESSAGE = 3,
    TS_VERBOSE = 5,
    TS_TRACE = 7
};

// Passed as the result of an operation that returns nothing.
constexpr int TS_RETURN_VOID = -15000;

// What the trace system needs from the windowing side. The library itself never opens a
// window; the application installs the real hooks before Init, tests install their own.
struct TraceUiHooks
{
    // Fills the state of the Shift, Control and Alt keys.
    std::function<void(bool& shift, bool& control, bool& alt)> keyState;
    // Modal Yes/No question; true for Yes.
    std::function<bool(const wxString& text, const wxString& caption)> askYesNo;
    // Modal error box shown before a fatal error ends the process.
    std::function<void(const wxString& text, const wxString& caption)> errorBox;
    // Display width, height and colour depth.
    std::function<void(int& width, int& height, int& depth)> screen;
    // Ends the process after a fatal error; abort() unless a test replaces it.
    std::function<void(const wxString& text)> terminate;
};

class TraceSystem
{
public:
    static TraceSystem* GetInstance();
    // Destroys the instance and clears the singleton pointer (application exit).
    static void DestroyInstance();
    static unsigned long CurrentThreadId();

    static void SetUiHooks(const TraceUiHooks& hooks);

    int Init(const wxString& appName, const wxString& logPath);
    int Shutdown();
    int CheckInitialized();
    int WriteBanner();
    int TraceEntry(unsigned long threadId, const wxString& sourceFile, const wxString& function,
                   int line);
    int TraceReturn(int result, int line, unsigned long threadId, const wxString& sourceFile,
                    const wxString& function, const wxString& message);
    int Trace(unsigned long threadId, const wxString& sourceFile, const wxString& function,
              int line, int level, const wxString& message);
    // The same for the trace macros, which pass the compile-time file name as it is: it
    // is converted only for a line that is really written.
    int TraceEntry(unsigned long threadId, const char* sourceFile, const wxString& function, int line);
    int TraceReturn(int result, int line, unsigned long threadId, const char* sourceFile,
                    const wxString& function, const wxString& message);
    int Trace(unsigned long threadId, const char* sourceFile, const wxString& function, int line,
              int level, const wxString& message);
    int DumpCallStacks(wxString& text);
    long GetBuildNumber() const { return m_buildNumber; }

    bool IsInitialized() const { return m_initialised; }
    // Whether a line of this level would reach any sink now. With no log target (the
    // normal case) nothing would, and callers may skip composing costly messages.
    static bool Wants(int level);
    const wxString& GetAppName() const { return m_appName; }

    // Helper for the return macros: traces the return and hands the result back.
    static int Return(int result, const wxString& message, int line, const char* sourceFile,
                      const wxString& function);

private:
    TraceSystem();
    ~TraceSystem();
    TraceSystem(const TraceSystem&) = delete;
    TraceSystem& operator=(const TraceSystem&) = delete;

    int ReportNotInitialized();
    struct Source;
    int EntryFrom(unsigned long threadId, const Source& source, const wxString& function, int line);
    int ReturnFrom(int result, int line, unsigned long threadId, const Source& source,
                   const wxString& function, const wxString& message);
    int TraceFrom(unsigned long threadId, const Source& source, const wxString& function, int line,
                  int level, const wxString& message);

    bool m_initialised;
    wxLog* m_previousTarget;
    wxString m_appName;
    long m_buildNumber;
    std::map<unsigned long, std::deque<wxString>> m_callStacks;
    std::recursive_mutex m_lock;
    bool m_tracingEnabled;

    static TraceSystem* ms_instance;
};

// Calling protocol used by every traced function: TS_FUNCTION first, TS_RETURN at every
// exit, TS_LOG in between. Entry and return pass the same plain qualified name.
// The name is built once per function and never destroyed, so a traced call made while
// static objects are torn down at exit still finds it.
#define TS_FUNCTION(name)                                                                    \
    static const wxString& ts_function_ = *new const wxString(wxS(name));                    \
    TraceSystem::GetInstance()->TraceEntry(TraceSystem::CurrentThreadId(), __FILE__, ts_function_, \
                                           __LINE__)

#define TS_RETURN(result, message)                                                           \
    return TraceSystem::Return((result), (message), __LINE__, __FILE__, ts_function_)

#define TS_RETURN_VOID_MSG(message)                                                          \
    do                                                                                       \
    {                                                                                        \
        TraceSystem::Return(TS_RETURN_VOID, (message), __LINE__, __FILE__, ts_function_);    \
        return;                                                                              \
    } while (0)

#define TS_LOG(level, message)                                                               \
    TraceSystem::GetInstance()->Trace(TraceSystem::CurrentThreadId(), __FILE__, ts_function_,  \
                                      __LINE__, (level), (message))

// A message from a function that does not bracket itself with entry and return.
#define TS_LOG_AS(name, level, message)                                                      \
    TraceSystem::GetInstance()->Trace(TraceSystem::CurrentThreadId(), __FILE__, wxS(name),   \
                                      __LINE__, (level), (message))

#endif
