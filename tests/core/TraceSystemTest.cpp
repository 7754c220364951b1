#include "TestSupport.h"

#include "trace/TraceSystem.h"

#include <wx/filefn.h>
#include <wx/regex.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace
{
TraceSystem* Trace()
{
    return TraceSystem::GetInstance();
}

// Keyboard and question box as a user at start-up would answer them.
struct StartupAnswers
{
    bool shift = false;
    bool control = false;
    bool alt = false;
    bool verbose = false;
    int questions = 0;
    wxString question;
    wxString caption;
};

TraceUiHooks HooksFor(StartupAnswers& answers)
{
    TraceUiHooks hooks;
    hooks.keyState = [&answers](bool& shift, bool& control, bool& alt) {
        shift = answers.shift;
        control = answers.control;
        alt = answers.alt;
    };
    hooks.askYesNo = [&answers](const wxString& text, const wxString& caption) {
        ++answers.questions;
        answers.question = text;
        answers.caption = caption;
        return answers.verbose;
    };
    hooks.screen = [](int& width, int& height, int& depth) {
        width = 1280;
        height = 1024;
        depth = 24;
    };
    return hooks;
}

class TraceSystemTest : public CoreTest
{
protected:
    void TearDown() override
    {
        CoreTest::TearDown();
        TraceSystem::SetUiHooks(TraceUiHooks());
    }

    // Restarts tracing as a program start would, with the given keys held.
    wxString StartWithKeys(StartupAnswers& answers, const wxString& appName = wxS("Glyphara"))
    {
        TraceSystem::SetUiHooks(HooksFor(answers));
        Trace()->Init(appName, wxEmptyString);
        return Home() + wxS("/") + appName + wxS(" log.txt");
    }

    // The stacks as DumpCallStacks shows them.
    wxString Stacks()
    {
        wxString text;
        Trace()->DumpCallStacks(text);
        return text;
    }

    const CapturingLog::Line* Find(const wxString& fragment) const
    {
        for (const CapturingLog::Line& line : log->lines)
            if (line.text.Contains(fragment))
                return &line;
        return nullptr;
    }
};
}

TEST_F(TraceSystemTest, LinesCarryThreadFileFunctionAndLineAndKeepPercentSigns)
{
    const unsigned long thread = TraceSystem::CurrentThreadId();
    log->Clear();
    Trace()->Trace(thread, wxS("/src/core/Export.cpp"), wxS("int CGlypharaCore::SaveProject(const wxString&, bool)"),
                   1052, TS_WARNING, wxS("100% done, 5%s left"));
    ASSERT_EQ(1u, log->lines.size());
    EXPECT_EQ(wxLOG_Warning, log->lines[0].level);
    EXPECT_EQ(wxString::Format(wxS("[%lu:Export.cpp:CGlypharaCore::SaveProject:1052]: 100%% done, 5%%s left"), thread),
              log->lines[0].text);
}

TEST_F(TraceSystemTest, ReturnRecordsGoToTheirLevels)
{
    struct Case
    {
        int result;
        const char* message;
        wxLogLevel level; // 0 when no line may appear
        const char* text;
    } cases[] = {
        {TS_RETURN_VOID, "", 0, nullptr},
        {TS_RETURN_VOID, "done", wxLOG_Message, "Returning void with message: done"},
        {RC_OK, "", 0, nullptr},
        {RC_NONSTANDARD_TAG, "", 0, nullptr},
        {RC_OK, "kept 2", wxLOG_Message, "Returning successfully with value 0 and message: kept 2"},
        {RC_NONSTANDARD_TAG, "odd", wxLOG_Message, "Returning successfully with value 3 and message: odd"},
        {RC_LOAD_FAILED, "", wxLOG_Error, "Returning with error -14982"},
        {RC_NOT_INITIALIZED, "Object is not initialized", wxLOG_Error,
         "Returning with error -14998 and message: Object is not initialized"},
    };
    const unsigned long thread = TraceSystem::CurrentThreadId();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.result);
        log->Clear();
        Trace()->TraceEntry(thread, wxS("F.cpp"), wxS("F"), 1);
        Trace()->TraceReturn(c.result, 2, thread, wxS("F.cpp"), wxS("F"), wxString::FromUTF8(c.message));
        if (!c.level)
        {
            EXPECT_TRUE(log->lines.empty()) << log->lines[0].text;
            continue;
        }
        ASSERT_EQ(1u, log->lines.size());
        EXPECT_EQ(c.level, log->lines[0].level);
        EXPECT_TRUE(log->lines[0].text.EndsWith(wxS("]: ") + wxString::FromUTF8(c.text))) << log->lines[0].text;
    }
}

TEST_F(TraceSystemTest, ReturnUnwindsTheStackUpToTheReturningFunction)
{
    const unsigned long thread = 4242;
    for (const char* name : {"A", "B", "C"})
        Trace()->TraceEntry(thread, wxS("F.cpp"), wxString(name), 1);
    EXPECT_EQ(wxS("\tThread id 4242 stack:\n\t\tC\n\t\tB\n\t\tA\n"), Stacks());
    // Dumping leaves the stack as it was.
    EXPECT_EQ(wxS("\tThread id 4242 stack:\n\t\tC\n\t\tB\n\t\tA\n"), Stacks());

    Trace()->TraceReturn(RC_OK, 2, thread, wxS("F.cpp"), wxS("B"), wxEmptyString);
    EXPECT_EQ(wxS("\tThread id 4242 stack:\n\t\tA\n"), Stacks());

    Trace()->TraceEntry(thread, wxS("F.cpp"), wxS("B"), 1);
    Trace()->TraceEntry(thread, wxS("F.cpp"), wxS("C"), 1);
    Trace()->TraceReturn(RC_OK, 2, thread, wxS("F.cpp"), wxS("A"), wxEmptyString);
    EXPECT_EQ(wxEmptyString, Stacks());

    // A name that was never entered empties the stack and ends there.
    Trace()->TraceEntry(thread, wxS("F.cpp"), wxS("A"), 1);
    Trace()->TraceReturn(RC_OK, 2, thread, wxS("F.cpp"), wxS("Z"), wxEmptyString);
    EXPECT_EQ(wxEmptyString, Stacks());
}

TEST_F(TraceSystemTest, ThreadsTracingAtOnceKeepTheirOwnStacks)
{
    constexpr int kThreads = 8;
    std::mutex mutex;
    std::condition_variable changed;
    int holding = 0;
    bool release = false;

    auto work = [&](int index) {
        const unsigned long id = TraceSystem::CurrentThreadId();
        const wxString outer = wxString::Format(wxS("Worker%d::Outer"), index);
        for (int i = 0; i < 300; ++i)
        {
            Trace()->TraceEntry(id, wxS("W.cpp"), outer, 1);
            Trace()->TraceEntry(id, wxS("W.cpp"), wxS("Worker::Inner"), 2);
            Trace()->Trace(id, wxS("W.cpp"), wxS("Worker::Inner"), 3, TS_VERBOSE, wxS("step"));
            Trace()->TraceReturn(RC_OK, 4, id, wxS("W.cpp"), wxS("Worker::Inner"), wxEmptyString);
            Trace()->TraceReturn(RC_OK, 5, id, wxS("W.cpp"), outer, wxEmptyString);
        }
        Trace()->TraceEntry(id, wxS("W.cpp"), outer, 6);
        {
            std::unique_lock<std::mutex> lock(mutex);
            ++holding;
            changed.notify_all();
            changed.wait(lock, [&] { return release; });
        }
        Trace()->TraceReturn(RC_OK, 7, id, wxS("W.cpp"), outer, wxEmptyString);
    };

    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back(work, i);
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return holding == kThreads; });
    }
    // Every thread holds exactly its own outer entry.
    const wxString held = Stacks();
    EXPECT_EQ(kThreads, held.Freq('T'));
    for (int i = 0; i < kThreads; ++i)
        EXPECT_TRUE(held.Contains(wxString::Format(wxS(" stack:\n\t\tWorker%d::Outer\n"), i))) << held;
    {
        std::lock_guard<std::mutex> lock(mutex);
        release = true;
    }
    changed.notify_all();
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wxEmptyString, Stacks());
}

// The normal run has no log target: nothing is written, but the stacks that a fatal
// error prints are kept all the same.
TEST_F(TraceSystemTest, WithoutALogTargetStacksAreKeptAndAFatalErrorStillEnds)
{
    wxString boxText, endedWith;
    TraceUiHooks hooks;
    hooks.errorBox = [&](const wxString& text, const wxString&) { boxText = text; };
    hooks.terminate = [&](const wxString& text) { endedWith = text; };
    TraceSystem::SetUiHooks(hooks);
    log->Clear();
    wxLog* const capturing = wxLog::SetActiveTarget(nullptr);

    EXPECT_FALSE(TraceSystem::Wants(TS_ERROR));
    EXPECT_FALSE(TraceSystem::Wants(TS_VERBOSE));
    EXPECT_FALSE(TraceSystem::Wants(TS_TRACE));
    EXPECT_TRUE(TraceSystem::Wants(TS_FATALERROR));
    Trace()->TraceEntry(5, "core/F.cpp", wxS("Outer"), 1);
    Trace()->TraceEntry(5, "core/F.cpp", wxS("Inner"), 2);
    Trace()->Trace(5, "core/F.cpp", wxS("Inner"), 3, TS_ERROR, wxS("dropped"));
    EXPECT_EQ(wxS("\tThread id 5 stack:\n\t\tInner\n\t\tOuter\n"), Stacks());
    Trace()->TraceReturn(RC_FAILED, 4, 5, "core/F.cpp", wxS("Inner"), wxS("dropped too"));
    EXPECT_EQ(wxS("\tThread id 5 stack:\n\t\tOuter\n"), Stacks());
    Trace()->Trace(5, "core/F.cpp", wxS("Outer"), 5, TS_FATALERROR, wxS("the end"));
    EXPECT_EQ(wxS("the end"), boxText);
    EXPECT_EQ(wxS("the end"), endedWith);

    wxLog::SetActiveTarget(capturing);
    EXPECT_TRUE(log->lines.empty());
    EXPECT_TRUE(TraceSystem::Wants(TS_ERROR));
    wxLog::SetVerbose(false);
    EXPECT_FALSE(TraceSystem::Wants(TS_VERBOSE));
    wxLog::SetVerbose(true);
    EXPECT_TRUE(TraceSystem::Wants(TS_VERBOSE));
    // A line from the compiler's file name names the file alone.
    Trace()->Trace(6, "/src/core/Export.cpp", wxS("X::Y"), 7, TS_MESSAGE, wxS("seen"));
    ASSERT_EQ(1u, log->lines.size());
    EXPECT_EQ(wxS("[6:Export.cpp:X::Y:7]: seen"), log->lines[0].text);
}

TEST_F(TraceSystemTest, BannerNamesTheApplicationAndTheBuild)
{
    StartupAnswers answers;
    log->Clear();
    StartWithKeys(answers, wxEmptyString);
    ASSERT_FALSE(log->lines.empty());
    EXPECT_EQ(wxS("Undefined app build20081220 log started"), log->lines[0].text);
    EXPECT_EQ(20081220L, Trace()->GetBuildNumber());
    EXPECT_TRUE(log->Contains(wxS("Tracing output is disabled")));
    EXPECT_TRUE(log->Contains(wxS("Screen resolution is 1280x1024@24")));
    EXPECT_EQ(0, answers.questions);
}

TEST_F(TraceSystemTest, WithoutALogTheBannerAsksTheSystemNothing)
{
    // The banner's system questions cost most of a second at every start.
    StartupAnswers answers;
    TraceUiHooks hooks = HooksFor(answers);
    int screenQuestions = 0;
    hooks.screen = [&screenQuestions](int& width, int& height, int& depth) {
        ++screenQuestions;
        width = height = depth = 0;
    };
    TraceSystem::SetUiHooks(hooks);
    Trace()->Shutdown();
    wxLog* capture = wxLog::SetActiveTarget(nullptr);
    Trace()->Init(wxS("Glyphara"), wxEmptyString);
    EXPECT_EQ(0, screenQuestions);
    Trace()->Shutdown();
    wxLog::SetActiveTarget(capture);

    // Started again over the capture, which the fixture's shutdown hands back.
    Trace()->Init(wxS("Glyphara"), wxEmptyString);
    EXPECT_EQ(1, screenQuestions);
}

TEST_F(TraceSystemTest, ShiftAloneAsksAndWritesTheLogFile)
{
    StartupAnswers answers;
    answers.shift = true;
    answers.verbose = false;
    const wxString path = StartWithKeys(answers);
    EXPECT_EQ(1, answers.questions);
    EXPECT_EQ(wxS("Saving log"), answers.caption);
    EXPECT_EQ(wxS("Saving log file at: ") + path +
                  wxS("\nPlease, remember this location. \n\nDo you want the log to be verbose?"),
              answers.question);

    Trace()->Trace(1, wxS("x.cpp"), wxS("X::Y"), 7, TS_MESSAGE, wxS("50% of it"));
    Trace()->Trace(1, wxS("x.cpp"), wxS("X::Y"), 8, TS_VERBOSE, wxS("hidden detail"));
    Trace()->Trace(1, wxS("x.cpp"), wxS("X::Y"), 9, TS_ERROR, wxS("broken"));
    Trace()->Shutdown();

    ASSERT_TRUE(wxFileExists(path));
    const wxString text = wxString::FromUTF8(ReadTextFile(path).c_str());
    const wxRegEx first(wxS("^[0-9]{2}:[0-9]{2}:[0-9]{2}: Glyphara build20081220 log started\n"), wxRE_ADVANCED);
    EXPECT_TRUE(first.Matches(text)) << text;
    EXPECT_TRUE(text.Contains(wxS(": Verbose output is disabled\n")));
    EXPECT_TRUE(text.Contains(wxS(": Error: This is a TS_ERROR or a TS_FATALERROR\n")));
    EXPECT_TRUE(text.Contains(wxS(": Warning: This is a TS_WARNING\n")));
    EXPECT_TRUE(text.Contains(wxS(": [1:x.cpp:X::Y:7]: 50% of it\n")));
    EXPECT_TRUE(text.Contains(wxS(": Error: [1:x.cpp:X::Y:9]: broken\n")));
    EXPECT_FALSE(text.Contains(wxS("This is a TS_VERBOSE")));
    EXPECT_FALSE(text.Contains(wxS("hidden detail")));
}

TEST_F(TraceSystemTest, ShiftWithAnotherModifierOrNoShiftWritesNoLog)
{
    for (int keys = 0; keys < 3; ++keys)
    {
        StartupAnswers answers;
        answers.shift = keys != 0;
        answers.control = keys == 1;
        answers.alt = keys == 2;
        const wxString path = StartWithKeys(answers);
        Trace()->Trace(1, wxS("x.cpp"), wxS("X::Y"), 7, TS_ERROR, wxS("seen by the test only"));
        EXPECT_EQ(0, answers.questions) << keys;
        EXPECT_FALSE(wxFileExists(path)) << keys;
    }
    // No file target: the lines still reach the target that was there before.
    EXPECT_TRUE(log->Contains(wxS("seen by the test only")));
}

TEST_F(TraceSystemTest, AFatalErrorReportsEveryStackBeforeEnding)
{
    wxString boxText, boxCaption, endedWith;
    TraceUiHooks hooks;
    hooks.errorBox = [&](const wxString& text, const wxString& caption) {
        boxText = text;
        boxCaption = caption;
    };
    hooks.terminate = [&](const wxString& text) { endedWith = text; };
    TraceSystem::SetUiHooks(hooks);

    Trace()->TraceEntry(77, wxS("F.cpp"), wxS("Outer"), 1);
    Trace()->Trace(77, wxS("F.cpp"), wxS("Outer"), 12, TS_FATALERROR, wxS("disk 100% full"));

    EXPECT_EQ(wxS("disk 100% full"), boxText);
    EXPECT_EQ(wxS("Aborting"), boxCaption);
    EXPECT_EQ(wxS("disk 100% full"), endedWith);
    const CapturingLog::Line* line = Find(wxS("Aborting due to faltal error at [77:F.cpp:Outer:12]"));
    ASSERT_TRUE(line);
    EXPECT_EQ(wxLOG_Error, line->level);
    EXPECT_TRUE(line->text.EndsWith(
        wxS("\nError message: disk 100% full\nThread call stacks:\n\tThread id 77 stack:\n\t\tOuter\n")))
        << line->text;
}

TEST_F(TraceSystemTest, AFatalErrorOnAnotherThreadIsWrittenBeforeTheEnd)
{
    bool lineWasThere = false;
    TraceUiHooks hooks;
    hooks.terminate = [&](const wxString&) {
        lineWasThere = Find(wxS("Aborting due to faltal error at [78:W.cpp:Worker:5]")) != nullptr;
    };
    TraceSystem::SetUiHooks(hooks);
    std::thread worker([&] { Trace()->Trace(78, wxS("W.cpp"), wxS("Worker"), 5, TS_FATALERROR, wxS("gone")); });
    worker.join();
    EXPECT_TRUE(lineWasThere);
}

TEST_F(TraceSystemTest, OperationsAfterShutdownAreRefused)
{
    ASSERT_EQ(RC_OK, Trace()->Shutdown());
    log->Clear();
    wxString stacks = wxS("kept");
    EXPECT_EQ(RC_NOT_INITIALIZED, Trace()->Trace(1, wxS("x.cpp"), wxS("X"), 1, TS_ERROR, wxS("lost")));
    EXPECT_EQ(RC_NOT_INITIALIZED, Trace()->TraceEntry(1, wxS("x.cpp"), wxS("X"), 1));
    EXPECT_EQ(RC_NOT_INITIALIZED, Trace()->DumpCallStacks(stacks));
    EXPECT_EQ(RC_NOT_INITIALIZED, Trace()->CheckInitialized());
    EXPECT_EQ(RC_NOT_INITIALIZED, Trace()->Shutdown());
    EXPECT_EQ(wxS("kept"), stacks);
    EXPECT_FALSE(log->Contains(wxS("lost")));
    EXPECT_EQ(5, log->Count(wxS("TraceSystem is not initialized")));
    // TearDown shuts down once more; give it something to shut down.
    Trace()->Init(wxS("Glyphara"), wxEmptyString);
}
