#include "TestSupport.h"

#include "core/GlypharaCore.h"

#include <wx/config.h>
#include <wx/filefn.h>

namespace
{
int g_callbackCalls = 0;
int CountingControls(void*)
{
    ++g_callbackCalls;
    return 0;
}
int CountingFlash(void*, int)
{
    ++g_callbackCalls;
    return 0;
}
}

TEST_F(CoreTest, InitCreatesTheUserDataFoldersAndReleaseWritesTheSettings)
{
    ASSERT_FALSE(wxDirExists(Home() + wxS("/Tallowby Software")));
    ASSERT_EQ(RC_OK, InitCore());
    EXPECT_TRUE(wxDirExists(UserDataDir() + wxS("Fonts")));
    EXPECT_TRUE(wxDirExists(UserDataDir() + wxS("Effects")));
    EXPECT_EQ(UserDataDir() + wxS("glyphara.cfg"), Core()->GetConfigFilePath());
    EXPECT_EQ(UserFontDir(), Core()->GetUserFontDir());
    EXPECT_EQ(UserEffectDir(), Core()->GetUserEffectDir());
    EXPECT_EQ(SystemFontDir(), Core()->GetSystemFontDir());
    EXPECT_EQ(SystemEffectDir(), Core()->GetSystemEffectDir());
    EXPECT_TRUE(log->Contains(wxS("Config file is: ") + UserDataDir() + wxS("glyphara.cfg")));

    wxConfigBase::Get()->Write(wxS("windowsizew"), 800L);
    Core()->Release();
    EXPECT_TRUE(wxFileExists(UserDataDir() + wxS("glyphara.cfg")));
    EXPECT_NE(std::string::npos, ReadTextFile(UserDataDir() + wxS("glyphara.cfg")).find("windowsizew=800"));
    EXPECT_TRUE(Core()->GetConfigFilePath().empty());
}

TEST_F(CoreTest, AnUnusableDocumentsFolderLeavesTheUserFoldersUnset)
{
    // Below a regular file nothing can be created, whoever runs the test.
    const wxString file = Home() + wxS("/not-a-folder");
    WriteTextFile(file, "x");
    setenv("HOME", file.fn_str(), 1);
    ASSERT_EQ(RC_OK, InitCore());
    EXPECT_TRUE(Core()->GetConfigFilePath().empty());
    EXPECT_TRUE(Core()->GetUserFontDir().empty());
    EXPECT_TRUE(Core()->GetUserEffectDir().empty());
    EXPECT_EQ(SystemFontDir(), Core()->GetSystemFontDir());
    bool warned = false;
    for (const CapturingLog::Line& line : log->lines)
        warned |= line.level == wxLOG_Warning && line.text.EndsWith(wxS("]: Config won't be read/saved"));
    EXPECT_TRUE(warned);
}

TEST_F(CoreTest, InitTwiceIsRefusedAndOperationsNeedInit)
{
    wxString snippet = wxS("kept");
    EXPECT_EQ(RC_NOT_INITIALIZED, Core()->GetHTMLSnippet(snippet, false));
    EXPECT_EQ(wxS("kept"), snippet);
    EXPECT_EQ(RC_NOT_INITIALIZED, Core()->SetInterfaceCallbacks(this, CountingControls, CountingFlash));
    ASSERT_EQ(RC_OK, InitCore());
    log->Clear();
    EXPECT_EQ(RC_NOT_INITIALIZED, Core()->Init());
    EXPECT_TRUE(log->Contains(wxS("and message: Object is already initialized")));
    EXPECT_FALSE(log->Contains(wxS("Object is not initialized")));

    // Release followed by Init starts again.
    EXPECT_EQ(RC_OK, Core()->Release());
    EXPECT_FALSE(Core()->IsInitialized());
    EXPECT_EQ(RC_OK, InitCore());
    EXPECT_TRUE(Core()->IsInitialized());
}

TEST_F(CoreTest, CallbacksNeedAContext)
{
    ASSERT_EQ(RC_OK, InitCore());
    g_callbackCalls = 0;
    EXPECT_EQ(RC_INVALID_ARGUMENT, Core()->SetInterfaceCallbacks(nullptr, CountingControls, CountingFlash));
    Core()->SetUserText(wxS("Nothing is registered"));
    Core()->SetFlashPlayerSize(300, 200);
    EXPECT_EQ(0, g_callbackCalls);

    // Release forgets a registration.
    ASSERT_EQ(RC_OK, Core()->SetInterfaceCallbacks(this, CountingControls, CountingFlash));
    Core()->Release();
    ASSERT_EQ(RC_OK, InitCore());
    g_callbackCalls = 0;
    Core()->SetUserText(wxS("Still nothing"));
    EXPECT_EQ(0, g_callbackCalls);
}
