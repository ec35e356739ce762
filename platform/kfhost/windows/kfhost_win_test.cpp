// kfhost under Wine against the registered plug-in (its methods answer E_NOTIMPL for now).
// The test set-up registers draftora.dll and pluginhost.dll; modelbridge.dll is registered
// here again, since other tests of the prefix unregister it.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::wstring Here() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

DWORD RunProcess(std::wstring command) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return 0xFFFFFFFF;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

// A build tree path as Wine sees it.
std::wstring WinePath(const char* linux) {
    std::string s = std::string("Z:") + linux;
    std::wstring w(s.begin(), s.end());
    for (auto& c : w)
        if (c == L'/')
            c = L'\\';
    return w;
}

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
    ASSERT_EQ(RunProcess(L"regsvr32.exe /s \"" + kModelbridge + L"\""), 0u);
    auto transcript = Here() + L"start-stop.transcript";
    DeleteFileW(transcript.c_str());
    DWORD rc =
        RunProcess(L"\"" + kKfhost + L"\" \"" + Scenario() + L"\" --transcript \"" + transcript +
                   L"\" --tool-fixture \"" + Here() + L"start-stop.tool-fixture\"");
    std::ifstream in(transcript.c_str());
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(rc, 0u) << text.str();
    for (const char* line :
         {"host: SetSite -> 0x80004001\n", "host: Initialize -> 0x80004001\n",
          "host: GetMainMenu -> 0x80004001\n", "host: GetContextMenu \"Target\" -> 0x80004001\n",
          "host: GetContextMenu \"KFObject\" -> 0x80004001\n", "host: Terminate -> 0x80004001\n",
          "host: Release\n"})
        EXPECT_NE(text.str().find(line), std::string::npos) << line << text.str();
    // Menus are printed and freed once (by pluginhost.dll), not by kfhost as well.
    EXPECT_EQ(Count(text.str(), "menu: {4D7E0101-AE48-48AC-AEDF-B84887CE5CE8} none\n"), 1u)
        << text.str();
    EXPECT_EQ(Count(text.str(), "host: FreeMenus 0\n"), 1u) << text.str();
    EXPECT_EQ(RunProcess(L"regsvr32.exe /s /u \"" + kModelbridge + L"\""), 0u);
}

// kfhost.exe plays dialog steps: the plug-in shows no dialog yet, so they are never used.
TEST(KfHost, DialogStepsThatMeetNoDialogFailTheRun) {
    ASSERT_EQ(RunProcess(L"regsvr32.exe /s \"" + kModelbridge + L"\""), 0u);
    auto transcript = Here() + L"test-dialog.transcript";
    DeleteFileW(transcript.c_str());
    DWORD rc = RunProcess(L"\"" + kKfhost + L"\" \"" + WinePath(KF_KFHOST_DIALOG_SCENARIO) +
                          L"\" --transcript \"" + transcript + L"\" --tool-fixture \"" + Here() +
                          L"test-dialog.tool-fixture\"");
    std::ifstream in(transcript.c_str());
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(rc, 1u) << text.str();
    EXPECT_NE(text.str().find("test-dialog.scenario:3 (wait \"Test Dialog\")\n"), std::string::npos)
        << text.str();
    EXPECT_EQ(text.str().find("no dialogs in this build"), std::string::npos) << text.str();
    EXPECT_EQ(RunProcess(L"regsvr32.exe /s /u \"" + kModelbridge + L"\""), 0u);
}

TEST(KfHost, WithoutARegisteredPluginItSaysSo) {
    auto transcript = Here() + L"none.transcript";
    DWORD rc = RunProcess(L"\"" + kKfhost + L"\" \"" + Scenario() + L"\" --transcript \"" +
                          transcript + L"\"");
    EXPECT_EQ(rc, 2u);
}

} // namespace
