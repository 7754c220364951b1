#include "DialogTestSupport.h"

#include "core/GlypharaCore.h"

void DialogTest::SetUp()
{
    GuiTest::SetUp();
    m_settingsPath = Home() + wxS("/glyphara.cfg");
    delete wxConfigBase::Set(new wxFileConfig(wxS("Glyphara"), wxS("Tallowby Software"), m_settingsPath,
                                              m_settingsPath, wxCONFIG_USE_LOCAL_FILE));
    wxMkdir(ProgramDir() + wxS("/Data"));
    CGlypharaCore::GetInstance()->SetLauncher(std::unique_ptr<CPlatformLauncher>(new RecordingLauncher(&m_opened)));
}
