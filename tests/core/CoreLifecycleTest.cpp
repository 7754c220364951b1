#include "TestSupport.h"

#include <wx/config.h>
#include <wx/filefn.h>

TEST_F(CoreTest, InitCreatesTheUserDataFoldersAndReleaseWritesTheSettings)
{
    ASSERT_EQ(RC_OK, InitCore());
    EXPECT_TRUE(wxDirExists(UserDataDir() + wxS("Fonts")));
    EXPECT_TRUE(wxDirExists(UserDataDir() + wxS("Effects")));
    EXPECT_EQ(UserDataDir() + wxS("glyphara.cfg"), Core()->GetConfigFilePath());
    EXPECT_TRUE(log->Contains(wxS("Config file is: ")));

    wxConfigBase::Get()->Write(wxS("windowsizew"), 800L);
    Core()->Release();
    EXPECT_TRUE(wxFileExists(UserDataDir() + wxS("glyphara.cfg")));
    EXPECT_NE(std::string::npos, ReadTextFile(UserDataDir() + wxS("glyphara.cfg")).find("windowsizew=800"));
}

TEST_F(CoreTest, InitTwiceIsRefusedAndOperationsNeedInit)
{
    wxString snippet = wxS("kept");
    EXPECT_EQ(RC_NOT_INITIALIZED, Core()->GetHTMLSnippet(snippet, false));
    EXPECT_EQ(wxS("kept"), snippet);
    ASSERT_EQ(RC_OK, InitCore());
    EXPECT_EQ(RC_NOT_INITIALIZED, Core()->Init());
}

TEST_F(CoreTest, CallbacksNeedAContext)
{
    ASSERT_EQ(RC_OK, InitCore());
    EXPECT_EQ(RC_INVALID_ARGUMENT, Core()->SetInterfaceCallbacks(nullptr, nullptr, nullptr));
}
