// Writing the project folder for storing and for the two previews.
#include "ExportTestSupport.h"
#include "TestSupport.h"

#include "core/GlypharaCore.h"

#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <sys/resource.h>
#include <sys/stat.h>

namespace
{
wxArrayString FilesBelow(const wxString& folder)
{
    wxArrayString files;
    wxDir::GetAllFiles(folder, &files, wxEmptyString, wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN);
    for (wxString& file : files)
        file = file.Mid(folder.length());
    files.Sort();
    return files;
}

class ProjectExportTest : public CoreTest
{
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        InstallBigSansAndSlim();
        ASSERT_EQ(RC_OK, InitCore());
        SetFont(wxS("h1"), wxS("My Foundry"), wxS("Big Sans"));
        sites = ProgramDir() + wxS("/Sites");
    }

    wxString sites;
};
}

TEST_F(ProjectExportTest, StoringWritesTheFileAndTheFolderBesideIt)
{
    wxString h2 = wxS("h2");
    ASSERT_EQ(RC_OK, Core()->AddNewTag(h2, false));
    wxString h3 = wxS("h3");
    ASSERT_EQ(RC_OK, Core()->AddNewTag(h3, false));
    SetFont(wxS("h3"), wxS("Type Co"), wxS("Slim"));

    ASSERT_EQ(RC_OK, Core()->SaveProject(sites + wxS("/mysite"), false, false));
    const wxString data = sites + wxS("/mysite files/");
    wxArrayString expected;
    for (const char* file : {"/mysite.html", "/glypharadata/all.css", "/glypharadata/webfonts.css",
                             "/glypharadata/sifr-config.js", "/glypharadata/sIFR-print.css",
                             "/glypharadata/sIFR-screen.css", "/glypharadata/sifr.js",
                             "/glypharadata/fonts/My_Foundry___Big_Sans.swf",
                             "/glypharadata/fonts/My_Foundry___Big_Sans.png", "/glypharadata/fonts/Type_Co___Slim.swf"})
        expected.Add(wxString::FromUTF8(file));
    expected.Sort();
    // Two tags share Big Sans: one file. Slim has no picture: no .png, no complaint.
    // Nothing half-written or temporary is left behind.
    EXPECT_EQ(expected, FilesBelow(sites + wxS("/mysite files")));
    EXPECT_EQ("FWS-big-sans", ReadTextFile(data + wxS("glypharadata/fonts/My_Foundry___Big_Sans.swf")));
    EXPECT_EQ("// sifr.js\n", ReadTextFile(data + wxS("glypharadata/sifr.js")));
    EXPECT_NE(std::string::npos, ReadTextFile(data + wxS("glypharadata/all.css")).find("h3"));

    const std::string project = ReadTextFile(sites + wxS("/mysite.xml"));
    size_t fontEntries = 0;
    for (size_t at = project.find("<font "); at != std::string::npos; at = project.find("<font ", at + 1))
        ++fontEntries;
    EXPECT_EQ(3u, fontEntries);

    EXPECT_TRUE(Core()->IsProjectSaved());
    EXPECT_EQ(sites + wxS("/mysite.xml"), Core()->GetProjectFilePath());
    EXPECT_EQ(wxS("mysite"), Core()->GetProjectName());
    EXPECT_EQ(data + wxS("mysite.html"), Core()->GetBrowserPreviewPath());

    // An upper-case extension is kept and not doubled.
    ASSERT_EQ(RC_OK, Core()->SaveProject(sites + wxS("/other.XML"), false, false));
    EXPECT_TRUE(wxFileExists(sites + wxS("/other.XML")));
    EXPECT_FALSE(wxFileExists(sites + wxS("/other.XML.xml")));
    EXPECT_TRUE(wxFileExists(sites + wxS("/other files/other.html")));
    EXPECT_EQ(wxS("other"), Core()->GetProjectName());
}

TEST_F(ProjectExportTest, StoringOverAnExistingFolderNeedsOverwrite)
{
    ASSERT_EQ(RC_OK, Core()->SaveProject(sites + wxS("/mysite"), false, false));
    const std::string before = ReadTextFile(sites + wxS("/mysite.xml"));
    WriteTextFile(ProgramDir() + wxS("/sIFR/sifr.js"), "// newer\n");
    wxString h4 = wxS("h4");
    ASSERT_EQ(RC_OK, Core()->AddNewTag(h4, false));

    log->Clear();
    EXPECT_EQ(RC_ALREADY_EXISTS, Core()->SaveProject(sites + wxS("/mysite"), false, false));
    EXPECT_TRUE(log->Contains(wxS("Data base dir already exists")));
    EXPECT_EQ(before, ReadTextFile(sites + wxS("/mysite.xml")));
    EXPECT_EQ("// sifr.js\n", ReadTextFile(sites + wxS("/mysite files/glypharadata/sifr.js")));

    // A copy spoiled in the folder is put right by the next store, like a changed source.
    WriteTextFile(sites + wxS("/mysite files/glypharadata/sifr-config.js"), "spoiled");
    ASSERT_EQ(RC_OK, Core()->SaveProject(sites + wxS("/mysite"), true, false));
    EXPECT_EQ("// newer\n", ReadTextFile(sites + wxS("/mysite files/glypharadata/sifr.js")));
    EXPECT_EQ("// sifr-config.js\n", ReadTextFile(sites + wxS("/mysite files/glypharadata/sifr-config.js")));
    EXPECT_NE(std::string::npos, ReadTextFile(sites + wxS("/mysite files/mysite.html")).find("<h4>"));

    // A base folder that cannot exist.
    WriteTextFile(ProgramDir() + wxS("/plain"), "a file, not a folder");
    log->Clear();
    EXPECT_EQ(RC_WRITE_FAILED, Core()->SaveProject(ProgramDir() + wxS("/plain/sub/mysite"), false, false));
    EXPECT_TRUE(log->Contains(wxS("Unable to create base directory")));
}

TEST_F(ProjectExportTest, EmbeddedPreviewHoldsOnlyTheSelectedTag)
{
    wxString h2 = wxS("h2");
    ASSERT_EQ(RC_OK, Core()->AddNewTag(h2, false));
    wxString h3 = wxS("h3");
    ASSERT_EQ(RC_OK, Core()->AddNewTag(h3, false));
    SetFont(wxS("h2"), wxS("Type Co"), wxS("Slim"));
    // Earlier edits have filled the folder already; start from an empty one.
    wxFileName::Rmdir(Core()->GetEmbeddedPreviewPath().BeforeLast('/'), wxPATH_RMDIR_RECURSIVE);

    ASSERT_EQ(RC_OK, Core()->SaveProject(wxEmptyString, true, true));
    const wxString page = Core()->GetEmbeddedPreviewPath();
    ASSERT_TRUE(page.AfterLast('/').Matches(wxS("glypharaembeddedpreview*.html"))) << page;
    const wxString folder = page.BeforeLast('/');
    wxArrayString fonts = FilesBelow(folder + wxS("/glypharadata/fonts"));
    ASSERT_EQ(1u, fonts.size());
    EXPECT_EQ(wxS("/Type_Co___Slim.swf"), fonts[0]);

    const std::string css = ReadTextFile(folder + wxS("/glypharadata/all.css"));
    EXPECT_NE(std::string::npos, css.find("h1"));
    EXPECT_EQ(std::string::npos, css.find("h2"));
    EXPECT_EQ(std::string::npos, css.find("h3"));
    EXPECT_TRUE(wxFileExists(page));
    EXPECT_FALSE(wxFileExists(ProgramDir() + wxS("/Sites")));

    // Edits replace the page and the style sheet in place and leave nothing else behind.
    const wxString name = page.AfterLast('/');
    wxArrayString expected;
    expected.Add(wxS("/") + name);
    for (const char* file : {"/glypharadata/all.css", "/glypharadata/webfonts.css", "/glypharadata/sifr-config.js",
                             "/glypharadata/sIFR-print.css", "/glypharadata/sIFR-screen.css", "/glypharadata/sifr.js",
                             "/glypharadata/fonts/Type_Co___Slim.swf"})
        expected.Add(wxString::FromUTF8(file));
    expected.Sort();
    for (int edit = 0; edit < 3; ++edit)
    {
        ASSERT_EQ(RC_OK, Core()->SetUserText(wxString::Format(wxS("Edit number %d"), edit)));
        FontProperties record;
        Core()->GetSelectedFontProperties(record);
        record.size = 50 + edit;
        ASSERT_EQ(RC_OK, Core()->SetCurrentFontProperties(record));
        EXPECT_NE(std::string::npos, ReadTextFile(page).find(wxString::Format(wxS("Edit number %d"), edit).utf8_str()));
        const std::string sheet = ReadTextFile(folder + wxS("/glypharadata/all.css"));
        EXPECT_NE(std::string::npos, sheet.find(std::to_string(50 + edit) + "px"));
        EXPECT_EQ(expected, FilesBelow(folder));
    }
}

TEST_F(ProjectExportTest, PreviewFoldersArePrivateReusedFollowTheStoredProjectAndGoAtRelease)
{
    const long long before = static_cast<long long>(std::time(nullptr));
    ASSERT_EQ(RC_OK, Core()->SaveProject(wxEmptyString, true, false));
    const long long after = static_cast<long long>(std::time(nullptr));
    const wxString page = Core()->GetBrowserPreviewPath();
    wxString tmp;
    wxGetEnv(wxS("TMPDIR"), &tmp);
    // Both previews lie in one folder of this process's own, which nobody else can enter
    // or guess, beside nothing else of ours.
    const wxString own = Core()->GetPreviewFolder();
    ASSERT_TRUE(own.StartsWith(tmp + wxS("/glyphara-"))) << own;
    EXPECT_EQ(1u, Snapshot(tmp).count(std::string(own.Mid(tmp.length() + 1).utf8_str())));
    struct stat status;
    ASSERT_EQ(0, ::stat(own.fn_str(), &status));
    EXPECT_EQ(0700u, status.st_mode & 07777);
    EXPECT_TRUE(Core()->GetEmbeddedPreviewPath().StartsWith(own + wxS("/glypharaembeddedpreview")));
    ASSERT_TRUE(page.StartsWith(own + wxS("/glypharapreview"))) << page;
    const wxString name = page.AfterLast('/').BeforeLast('.');
    long long seconds = 0;
    ASSERT_TRUE(name.Mid(15).ToLongLong(&seconds)) << name;
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);
    EXPECT_EQ(own + wxS("/") + name + wxS(" files/") + name + wxS(".html"), page);
    EXPECT_TRUE(wxFileExists(page.BeforeLast('/') + wxS("/glypharadata/fonts/My_Foundry___Big_Sans.png")));

    // The next preview writes into the same folder, even a second later.
    wxSleep(1);
    wxString h5 = wxS("h5");
    ASSERT_EQ(RC_OK, Core()->AddNewTag(h5, false));
    ASSERT_EQ(RC_OK, Core()->SaveProject(wxEmptyString, true, false));
    EXPECT_EQ(page, Core()->GetBrowserPreviewPath());
    EXPECT_NE(std::string::npos, ReadTextFile(page).find("<h5>"));

    // After a store the browser preview goes to the stored folder and leaves the project
    // file alone.
    ASSERT_EQ(RC_OK, Core()->SaveProject(sites + wxS("/my site"), false, false));
    ASSERT_TRUE(wxRemoveFile(sites + wxS("/my site.xml")));
    wxString h6 = wxS("h6");
    ASSERT_EQ(RC_OK, Core()->AddNewTag(h6, false));
    ASSERT_EQ(RC_OK, Core()->SaveProject(wxEmptyString, true, false));
    EXPECT_EQ(sites + wxS("/my site files/my site.html"), Core()->GetBrowserPreviewPath());
    EXPECT_NE(std::string::npos, ReadTextFile(sites + wxS("/my site files/my site.html")).find("<h6>"));
    EXPECT_FALSE(wxFileExists(sites + wxS("/my site.xml")));

    // Once another project is open, its previews no longer go into the stored site.
    const std::string stored = ReadTextFile(sites + wxS("/my site files/my site.html"));
    const auto site = Snapshot(sites + wxS("/my site files"));
    ASSERT_EQ(RC_OK, Core()->SaveProject(sites + wxS("/my site"), true, false));
    ASSERT_EQ(RC_OK, Core()->NewProject());
    ASSERT_EQ(RC_OK, Core()->SaveProject(wxEmptyString, true, false));
    EXPECT_TRUE(Core()->GetBrowserPreviewPath().StartsWith(own + wxS("/glypharapreview")))
        << Core()->GetBrowserPreviewPath();
    EXPECT_EQ(stored, ReadTextFile(sites + wxS("/my site files/my site.html")));

    // Releasing the core takes the previews away and nothing else: the stored site, last
    // previewed in the browser, stays whole.
    ASSERT_EQ(RC_OK, Core()->SaveProject(sites + wxS("/my site"), true, false));
    ASSERT_EQ(RC_OK, Core()->WebBrowserPreview(wxEmptyString, false));
    ASSERT_EQ(sites + wxS("/my site files/my site.html"), Core()->GetBrowserPreviewPath());
    const auto saved = Snapshot(sites);
    Core()->Release();
    EXPECT_TRUE(Snapshot(tmp).empty());
    EXPECT_EQ(saved, Snapshot(sites));
}

// Permissions do not stop root, so writes are made to fail by what stands in the way.
TEST_F(ProjectExportTest, AStoreThatCouldNotWriteEverythingFailsAndLeavesTheProjectUnsaved)
{
    ASSERT_EQ(RC_OK, Core()->SaveProject(sites + wxS("/mysite"), false, false));
    const wxString xml = sites + wxS("/mysite.xml");
    const wxString html = sites + wxS("/mysite files/glypharadata/");
    const std::string storedXml = ReadTextFile(xml);
    wxString h2 = wxS("h2");
    ASSERT_EQ(RC_OK, Core()->AddNewTag(h2, false));
    ASSERT_FALSE(Core()->IsProjectSaved());

    auto expectFailure = [&](const wxString& message, const wxString& path) {
        log->Clear();
        EXPECT_EQ(RC_WRITE_FAILED, Core()->SaveProject(sites + wxS("/mysite"), true, false)) << message;
        EXPECT_TRUE(log->Contains(wxS("Returning with error -14980 and message: ") + message + path)) << message;
        EXPECT_FALSE(Core()->IsProjectSaved()) << message;
        EXPECT_EQ(storedXml, ReadTextFile(xml)) << message;
    };

    // A folder where the style sheet or the page goes: the user is told which and why.
    for (const wxString& blocked : {html + wxS("all.css"), sites + wxS("/mysite files/mysite.html")})
    {
        ASSERT_TRUE(wxRemoveFile(blocked));
        ASSERT_TRUE(wxMkdir(blocked));
        expectFailure(wxS("Unable to write "), blocked);
        EXPECT_EQ(wxS("Unable to write ") + blocked + wxS(": ") + wxString(strerror(EISDIR), wxConvLibc),
                  Core()->GetLastProblem());
        EXPECT_TRUE(wxDirExists(blocked));
        ASSERT_TRUE(wxRmdir(blocked));
    }

    // A file where the fonts folder goes.
    ASSERT_TRUE(wxFileName::Rmdir(html + wxS("fonts"), wxPATH_RMDIR_RECURSIVE));
    WriteTextFile(html + wxS("fonts"), "mine");
    expectFailure(wxS("Unable to create "), html + wxS("fonts/"));
    EXPECT_EQ("mine", ReadTextFile(html + wxS("fonts")));
    ASSERT_TRUE(wxRemoveFile(html + wxS("fonts")));

    // A runtime file missing from the program folder: its earlier copy stays.
    ASSERT_TRUE(wxRemoveFile(ProgramDir() + wxS("/sIFR/sifr.js")));
    expectFailure(wxS("Unable to find sIFR/sifr.js for "), html + wxS("sifr.js"));
    EXPECT_EQ("// sifr.js\n", ReadTextFile(html + wxS("sifr.js")));
    // Nothing written elsewhere either: a new place gets no project file.
    EXPECT_EQ(RC_WRITE_FAILED, Core()->SaveProject(sites + wxS("/fresh"), false, false));
    EXPECT_FALSE(wxFileExists(sites + wxS("/fresh.xml")));
    EXPECT_EQ(sites + wxS("/mysite.xml"), Core()->GetProjectFilePath());

    WriteSupportFiles(ProgramDir());
    ASSERT_EQ(RC_OK, Core()->SaveProject(sites + wxS("/mysite"), true, false));
    EXPECT_TRUE(Core()->IsProjectSaved());
    EXPECT_NE(storedXml, ReadTextFile(xml));
}

// A disk that fills up half-way: what was written before stays consistent.
TEST_F(ProjectExportTest, AFontTooLargeToWriteFailsTheStoreBeforeThePageChanges)
{
    ASSERT_EQ(RC_OK, Core()->SaveProject(sites + wxS("/mysite"), false, false));
    const wxString data = sites + wxS("/mysite files/");
    const std::string page = ReadTextFile(data + wxS("mysite.html"));
    const std::string css = ReadTextFile(data + wxS("glypharadata/all.css"));
    WriteTextFile(SystemFontDir() + wxS("Type_Co/Slim.swf"), std::string(65536, 'x'));
    SetFont(wxS("h1"), wxS("Type Co"), wxS("Slim"));

    rlimit previous;
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &previous));
    rlimit small = previous;
    small.rlim_cur = 16384;
    void (*previousHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &small));
    const int result = Core()->SaveProject(sites + wxS("/mysite"), true, false);
    setrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(RC_WRITE_FAILED, result);
    EXPECT_FALSE(Core()->IsProjectSaved());
    // The page and the style sheet still name the font that is there.
    EXPECT_EQ(page, ReadTextFile(data + wxS("mysite.html")));
    EXPECT_EQ(css, ReadTextFile(data + wxS("glypharadata/all.css")));
    EXPECT_FALSE(wxFileExists(data + wxS("glypharadata/fonts/Type_Co___Slim.swf")));
    EXPECT_EQ(wxS("Unable to copy ") + SystemFontDir() + wxS("Type_Co/Slim.swf to ") + data +
                  wxS("glypharadata/fonts/Type_Co___Slim.swf: ") + wxString(strerror(EFBIG), wxConvLibc),
              Core()->GetLastProblem());
    for (const wxString& file : FilesBelow(sites))
        EXPECT_FALSE(file.EndsWith(wxS(".tmp"))) << file;
}

TEST_F(ProjectExportTest, APreviewThatCannotWriteFailsAndOpensNothing)
{
    const wxString page = Core()->GetEmbeddedPreviewPath();
    ASSERT_TRUE(wxRemoveFile(page));
    ASSERT_TRUE(wxMkdir(page));
    log->Clear();
    EXPECT_EQ(RC_WRITE_FAILED, Core()->SaveProject(wxEmptyString, true, true));
    EXPECT_TRUE(log->Contains(wxS("and message: Unable to write ") + page));
    EXPECT_TRUE(wxDirExists(page));
    EXPECT_EQ(RC_WRITE_FAILED, Core()->WebBrowserPreview(wxEmptyString, true));
    EXPECT_TRUE(log->Contains(wxS("Unable to save HTML preview")));

    // Once the way is clear, the next edit puts the page back.
    ASSERT_TRUE(wxRmdir(page));
    ASSERT_EQ(RC_OK, Core()->SetUserText(wxS("Back again")));
    EXPECT_NE(std::string::npos, ReadTextFile(page).find("Back again"));

    ASSERT_TRUE(wxRemoveFile(ProgramDir() + wxS("/sIFR/sifr-config.js")));
    EXPECT_EQ(RC_WRITE_FAILED, Core()->WebBrowserPreview(wxEmptyString, false));
    EXPECT_TRUE(openedUrls.empty());
}
