// Two copies of the program share one settings file: whatever they write at the same
// time, a reader finds one whole file, never a mixture or a torn one.
#include "ExportTestSupport.h"
#include "TestSupport.h"

#include "core/GlypharaCore.h"
#include "core/SettingsFile.h"

#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/sstream.h>

#include <sys/wait.h>
#include <unistd.h>

namespace
{
const int kKeys = 40;
const int kWrites = 150;

// The settings store the core sets up, written over and over with values that tell the
// writer and the round apart.
void WriteSettingsRepeatedly(const wxString& path, int writer)
{
    for (int round = 0; round < kWrites; ++round)
    {
        CSettingsFile config(path);
        const long stamp = writer * 100000L + round;
        for (int key = 0; key < kKeys; ++key)
            config.Write(wxString::Format(wxS("key%02d"), key), stamp);
        config.Flush();
    }
}

// Whole: every key present, all with the value of one and the same write.
bool IsWhole(const std::string& text, wxString& why)
{
    wxStringInputStream stream(wxString::FromUTF8(text.c_str()));
    wxFileConfig config(stream);
    long first = -1;
    for (int key = 0; key < kKeys; ++key)
    {
        long value = -1;
        if (!config.Read(wxString::Format(wxS("key%02d"), key), &value) || (key > 0 && value != first))
        {
            why = wxString::Format(wxS("key%02d missing or from another write"), key);
            return false;
        }
        first = value;
    }
    return true;
}
}

TEST_F(CoreTest, TwoCopiesWritingTheSettingsAtOnceLeaveAWholeFile)
{
    const wxString path = Home() + wxS("/glyphara.cfg");
    WriteSettingsRepeatedly(path, 9);

    std::vector<pid_t> writers;
    for (int writer = 1; writer <= 2; ++writer)
    {
        const pid_t child = fork();
        if (child == 0)
        {
            WriteSettingsRepeatedly(path, writer);
            _exit(0);
        }
        writers.push_back(child);
    }

    int reads = 0;
    int torn = 0;
    wxString why;
    for (bool running = true; running; ++reads)
    {
        running = false;
        for (pid_t writer : writers)
            running = running || waitpid(writer, nullptr, WNOHANG) == 0;
        torn += !IsWhole(ReadTextFile(path), why);
    }
    for (pid_t writer : writers)
        waitpid(writer, nullptr, 0);

    EXPECT_EQ(0, torn) << torn << " of " << reads << " reads found a broken file: " << why;
    EXPECT_TRUE(IsWhole(ReadTextFile(path), why)) << why;
}

TEST_F(CoreTest, ACopyThatChangedNothingKeepsWhatAnotherCopySaved)
{
    const wxString path = Home() + wxS("/glyphara.cfg");
    WriteTextFile(path, "windowsizew=800\nshowdailytips=1\n");
    {
        CSettingsFile idle(path);
        {
            CSettingsFile other(path);
            other.Write(wxS("windowsizew"), 640L);
            other.Write(wxS("showdailytips"), false);
        }
        EXPECT_EQ("windowsizew=640\nshowdailytips=0\n", ReadTextFile(path));
        // Writing back the value it read is no change: the other copy's file stays.
        idle.Write(wxS("windowsizew"), 800L);
        EXPECT_TRUE(idle.Flush());
    }
    EXPECT_EQ("windowsizew=640\nshowdailytips=0\n", ReadTextFile(path));

    CSettingsFile changing(path);
    changing.Write(wxS("windowsizeh"), 480L);
    EXPECT_TRUE(changing.Flush());
    EXPECT_NE(std::string::npos, ReadTextFile(path).find("windowsizeh=480\n"));
}

// The settings as the program starts with them: from the one file below the documents
// folder, or from defaults when that file is damaged, which is kept aside.
TEST_F(CoreTest, ADamagedSettingsFileIsSetAsideAndTheProgramStartsClean)
{
    const wxString path = UserDataDir() + wxS("glyphara.cfg");
    std::string noise(4096, '\0');
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 2654435761u) >> 11);
    const std::string good = "windowsizew=800\n[RecentProjects]\nfile1=/a b.xml\n\n# note\n; note\r\n";
    // Each damaged text is set aside beside the earlier ones; a good file is kept.
    const std::pair<std::string, const char*> cases[] = {
        {noise, ".damaged"}, {"windowsizew=800\nthis is no setting\n", ".damaged-2"}, {good, nullptr}};
    for (const auto& c : cases)
    {
        WriteTextFile(path, c.first);
        ASSERT_EQ(RC_OK, InitCore());
        wxConfigBase::Get()->Write(wxS("windowsizeh"), 700L);
        Core()->Release();
        const std::string written = ReadTextFile(path);
        EXPECT_NE(std::string::npos, written.find("windowsizeh=700\n")) << written;
        EXPECT_EQ(c.second == nullptr, written.find("windowsizew=800\n") != std::string::npos) << written;
        if (c.second)
        {
            EXPECT_EQ(c.first, ReadTextFile(path + wxString::FromUTF8(c.second))) << c.second;
        }
    }
    EXPECT_NE(std::string::npos, ReadTextFile(path).find("file1=/a b.xml\n"));
    EXPECT_FALSE(wxFileExists(path + wxS(".damaged-3")));
}

TEST_F(CoreTest, SettingsLiveInOneFileEvenWhenTheDocumentsFolderIsMissing)
{
    // A new account whose home, and so its documents folder, does not exist yet.
    const wxString home = Home() + wxS("/new user");
    setenv("HOME", home.fn_str(), 1);
    for (long run = 1; run <= 2; ++run)
    {
        ASSERT_EQ(RC_OK, InitCore());
        EXPECT_EQ(home + wxS("/Tallowby Software/Glyphara/glyphara.cfg"), Core()->GetConfigFilePath());
        EXPECT_EQ(run - 1, wxConfigBase::Get()->ReadLong(wxS("runs"), 0));
        wxConfigBase::Get()->Write(wxS("runs"), run);
        Core()->Release();
    }
    // No store of the toolkit's own is left to write a file elsewhere as the program ends.
    delete wxConfigBase::Set(nullptr);
    for (const std::string& entry : PathsOf(Snapshot(Home())))
        EXPECT_EQ(std::string::npos, entry.find(".Glyphara")) << entry;
}
