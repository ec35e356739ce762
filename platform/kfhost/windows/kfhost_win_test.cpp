// kfhost under Wine against the registered plug-in (its methods answer E_NOTIMPL for now).
// The test set-up registers draftora.dll and pluginhost.dll; modelbridge.dll is registered
// here again, since other tests of the prefix unregister it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "kf/wintest/process.h"

namespace {

using kf::wintest::Beside;
using kf::wintest::ReadFile;
using kf::wintest::RunProcess;
using kf::wintest::WinePath;

std::wstring Scenario() {
    return WinePath(KF_KFHOST_SCENARIO);
}
const std::wstring kKfhost = WinePath(KF_KFHOST_EXE);
const std::wstring kModelbridge = WinePath(KF_MODELBRIDGE_DLL);

std::size_t Count(const std::string& text, const std::string& line) {
    std::size_t n = 0;
    for (auto at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
        ++n;
    return n;
}

TEST(KfHost, StartsAndStopsTheRegisteredPlugin) {
    ASSERT_EQ(RunProcess(L"regsvr32.exe /s \"" + kModelbridge + L"\""), 0);
    auto transcript = Beside(L"start-stop.transcript");
    DeleteFileW(transcript.c_str());
    const int rc =
        RunProcess(L"\"" + kKfhost + L"\" \"" + Scenario() + L"\" --transcript \"" + transcript +
                   L"\" --tool-fixture \"" + Beside(L"start-stop.tool-fixture") + L"\"");
    const std::string text = ReadFile(transcript);
    EXPECT_EQ(rc, 0) << text;
    for (const char* line :
         {"host: SetSite -> 0x80004001\n", "host: Initialize -> 0x80004001\n",
          "host: GetMainMenu -> 0x80004001\n", "host: GetContextMenu \"Target\" -> 0x80004001\n",
          "host: GetContextMenu \"KFObject\" -> 0x80004001\n", "host: Terminate -> 0x80004001\n",
          "host: Release\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
    // Menus are printed and freed once (by pluginhost.dll), not by kfhost as well.
    EXPECT_EQ(Count(text, "menu: {4D7E0101-AE48-48AC-AEDF-B84887CE5CE8} none\n"), 1u) << text;
    EXPECT_EQ(Count(text, "host: FreeMenus 0\n"), 1u) << text;
    EXPECT_EQ(RunProcess(L"regsvr32.exe /s /u \"" + kModelbridge + L"\""), 0);
}

// kfhost.exe plays dialog steps: the plug-in shows no dialog yet, so they are never used.
TEST(KfHost, DialogStepsThatMeetNoDialogFailTheRun) {
    ASSERT_EQ(RunProcess(L"regsvr32.exe /s \"" + kModelbridge + L"\""), 0);
    auto transcript = Beside(L"test-dialog.transcript");
    DeleteFileW(transcript.c_str());
    const int rc = RunProcess(L"\"" + kKfhost + L"\" \"" + WinePath(KF_KFHOST_DIALOG_SCENARIO) +
                              L"\" --transcript \"" + transcript + L"\" --tool-fixture \"" +
                              Beside(L"test-dialog.tool-fixture") + L"\"");
    const std::string text = ReadFile(transcript);
    EXPECT_EQ(rc, 1) << text;
    EXPECT_NE(text.find("test-dialog.scenario:3 (wait \"Test Dialog\")\n"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("no dialogs in this build"), std::string::npos) << text;
    EXPECT_EQ(RunProcess(L"regsvr32.exe /s /u \"" + kModelbridge + L"\""), 0);
}

TEST(KfHost, WithoutARegisteredPluginItSaysSo) {
    auto transcript = Beside(L"none.transcript");
    const int rc = RunProcess(L"\"" + kKfhost + L"\" \"" + Scenario() + L"\" --transcript \"" +
                              transcript + L"\"");
    EXPECT_EQ(rc, 2);
}

} // namespace
