// resmonitor.exe under Wine, driven from outside through its frame window as other programs
// on the same desktop would. A hook in its process counts the windows it creates.

#include "monitorprocess.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace kf::resmon::wine {
namespace {

constexpr UINT kCheckMessage = 1124;
constexpr UINT kTrayMessage = 1125;
constexpr WPARAM kTestResource = 40011;
constexpr WPARAM kAbout = 40008;
constexpr WPARAM kShutdown = 40010;

// Row 1 small enough that a check takes moments.
const std::string kSmallRow = "[ResourceWindow_1]\r\nMDICHILD=2\r\nHWND=5\r\n";

// Handles messages until the monitor has created `count` generic windows.
bool WaitForGenericWindows(const CreationCounter& counter, int count, DWORD timeoutMs = 30000) {
    DWORD start = GetTickCount();
    while (counter.genericWindows() < count) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MonitorProcess::Pump(20);
    }
    return true;
}

// A visible top-level window of the monitor's process.
HWND FindShown(const MonitorProcess& monitor, const char* className, const char* title) {
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, className, title));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == monitor.processId() && IsWindowVisible(w))
            return w;
    }
    return nullptr;
}

void ShutDown(MonitorProcess& monitor) {
    monitor.Post(WM_COMMAND, kShutdown, 0);
    DWORD code = 99;
    ASSERT_TRUE(monitor.WaitForExit(20000, &code)) << "Shutdown did not end the program";
    EXPECT_EQ(code, 0u);
}

struct FamilyCase {
    const char* version;
    int mdiChildren;
};

class FamilyDefaults : public ::testing::TestWithParam<FamilyCase> {};

TEST_P(FamilyDefaults, DefaultCheckIsEnoughWithTheFamilysCounts) {
    Options options;
    options.version = GetParam().version;
    MonitorProcess monitor(options);
    ASSERT_TRUE(monitor.WaitForFrame());
    CreationCounter counter(monitor.threadId());
    EXPECT_EQ(monitor.Check(0), 0);
    MonitorProcess::Pump(300);
    EXPECT_EQ(counter.mdiChildren(), GetParam().mdiChildren);
    EXPECT_EQ(counter.genericWindows(), 600);
    EXPECT_FALSE(IsWindowVisible(monitor.frame())) << "the frame stays hidden";
    char title[64] = "";
    GetWindowTextA(monitor.frame(), title, sizeof title);
    EXPECT_STREQ(title, "Resource Monitor MDI Window");
    EXPECT_NE(FindWindowExA(monitor.frame(), nullptr, "MDIClient", nullptr), nullptr);
    ShutDown(monitor);
}

INSTANTIATE_TEST_SUITE_P(Wine, FamilyDefaults,
                         ::testing::Values(FamilyCase{"win98", 300}, FamilyCase{"nt40", 200},
                                           FamilyCase{"win2k", 200}, FamilyCase{"winxp", 80}),
                         [](const auto& info) { return std::string(info.param.version); });

TEST(StartUp, OtherWindowsVersionsEndAtOnce) {
    for (const char* version : {"win7", "win10", "win2003"}) {
        SCOPED_TRACE(version);
        Options options;
        options.version = version;
        MonitorProcess monitor(options);
        DWORD code = 99;
        ASSERT_TRUE(monitor.WaitForExit(20000, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(FindWindowA("ResourceMonitorFrame", nullptr), nullptr);
    }
    // Nothing was left holding the mutex.
    MonitorProcess monitor(Options{});
    ASSERT_TRUE(monitor.WaitForFrame());
    ShutDown(monitor);
}

TEST(StartUp, SecondInstanceEndsLeavingTheFirstRunning) {
    Options options;
    options.settings = kSmallRow;
    MonitorProcess first(options);
    ASSERT_TRUE(first.WaitForFrame());
    MonitorProcess second(options);
    DWORD code = 99;
    ASSERT_TRUE(second.WaitForExit(20000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(first.Check(0), 0);
    ShutDown(first);
}

TEST(Settings, ReadFromTheExecutablesFolder) {
    // The current directory's file would create nothing (factor 0).
    Options options;
    options.settings = "[ResourceMonitor]\r\nMagnifyingFactor=3\r\n" + kSmallRow;
    MonitorProcess monitor(options);
    ASSERT_TRUE(monitor.WaitForFrame());
    CreationCounter counter(monitor.threadId());
    EXPECT_EQ(monitor.Check(0), 0);
    MonitorProcess::Pump(300);
    EXPECT_EQ(counter.mdiChildren(), 6);
    EXPECT_EQ(counter.genericWindows(), 15);
    ShutDown(monitor);
}

TEST(Check, RowAskingForMoreThanCanBeCreatedIsLow) {
    Options options;
    options.settings = kSmallRow + "[ResourceWindow_2]\r\nREGION=65536\r\n";
    MonitorProcess monitor(options);
    ASSERT_TRUE(monitor.WaitForFrame());
    DWORD start = GetTickCount();
    EXPECT_EQ(monitor.Check(1), 2);
    EXPECT_LT(GetTickCount() - start, 30000u);
    // Everything was released again: the small row still passes, more than once.
    EXPECT_EQ(monitor.Check(0), 0);
    EXPECT_EQ(monitor.Check(1), 2);
    EXPECT_EQ(monitor.Check(0), 0);
    ShutDown(monitor);
}

TEST(Check, RowOutsideTheTableCreatesNothing) {
    Options options;
    options.settings = kSmallRow;
    MonitorProcess monitor(options);
    ASSERT_TRUE(monitor.WaitForFrame());
    CreationCounter counter(monitor.threadId());
    EXPECT_EQ(monitor.Check(10), 2);
    EXPECT_EQ(monitor.Check(static_cast<WPARAM>(-1)), 2);
    MonitorProcess::Pump(300);
    EXPECT_TRUE(counter.total() == 0);
    ShutDown(monitor);
}

TEST(Check, PostedByAnotherProgram) {
    Options options;
    options.settings = kSmallRow + "[ResourceWindow_4]\r\nMDICHILD=1\r\nHWND=3\r\n";
    MonitorProcess monitor(options);
    ASSERT_TRUE(monitor.WaitForFrame());
    CreationCounter counter(monitor.threadId());
    monitor.Post(kCheckMessage, 3, 0);
    ASSERT_TRUE(WaitForGenericWindows(counter, 3));
    MonitorProcess::Pump(300);
    EXPECT_EQ(counter.genericWindows(), 3);
    EXPECT_EQ(counter.mdiChildren(), 1);
    ShutDown(monitor);
}

struct TrayCase {
    const char* version;
    int checksFromDoubleClick;
};

class TrayDoubleClick : public ::testing::TestWithParam<TrayCase> {};

TEST_P(TrayDoubleClick, RunsACheckExceptOnWindows9x) {
    Options options;
    options.version = GetParam().version;
    options.settings = kSmallRow;
    MonitorProcess monitor(options);
    ASSERT_TRUE(monitor.WaitForFrame());
    CreationCounter counter(monitor.threadId());
    // Posted messages are handled in order: whatever the double click starts runs no later
    // than the check that "&Test Resource" starts.
    monitor.Post(kTrayMessage, 1, WM_LBUTTONDBLCLK);
    monitor.Post(WM_COMMAND, kTestResource, 0);
    int expected = 5 * (1 + GetParam().checksFromDoubleClick);
    ASSERT_TRUE(WaitForGenericWindows(counter, expected));
    MonitorProcess::Pump(1000);
    EXPECT_EQ(counter.genericWindows(), expected);
    ShutDown(monitor);
}

INSTANTIATE_TEST_SUITE_P(Wine, TrayDoubleClick,
                         ::testing::Values(TrayCase{"win98", 0}, TrayCase{"winxp", 1},
                                           TrayCase{"nt40", 1}),
                         [](const auto& info) { return std::string(info.param.version); });

struct MeterCase {
    const char* name;
    std::string settings;
    const char* answer;
    int expected;
};

class ResourceMeter : public ::testing::TestWithParam<MeterCase> {};

TEST_P(ResourceMeter, PercentageAgainstThresholdOnWindows98) {
    Options options;
    options.version = "win98";
    options.withResourceMeter = true;
    options.settings = GetParam().settings;
    options.meterAnswer = GetParam().answer;
    MonitorProcess monitor(options);
    ASSERT_TRUE(monitor.WaitForFrame());
    CreationCounter counter(monitor.threadId());
    EXPECT_EQ(monitor.Check(0), GetParam().expected);
    MonitorProcess::Pump(300);
    EXPECT_TRUE(counter.total() == 0) << "the meter method creates no windows";
    ShutDown(monitor);
}

const std::string kBestFit = "[ResourceMonitor]\r\nDetectionMethod=best_fit\r\n";

INSTANTIATE_TEST_SUITE_P(
    Wine, ResourceMeter,
    ::testing::Values(MeterCase{"below", kBestFit + "ResourceThreshold=20\r\n", "19", 2},
                      MeterCase{"at", kBestFit + "ResourceThreshold=20\r\n", "20", 0},
                      MeterCase{"defaultThresholdBelow", kBestFit, "19", 2},
                      MeterCase{"defaultThresholdAbove", kBestFit, "85", 0},
                      MeterCase{"one",
                                "[ResourceMonitor]\r\nDetectionMethod=1\r\n"
                                "ResourceThreshold=60\r\n",
                                "59", 2},
                      MeterCase{"unsetAnswer", kBestFit, "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ResourceMeter, PreallocationWhenTheLibraryIsMissingOrNotWindows9x) {
    struct Case {
        const char* version;
        bool withLibrary;
    };
    for (Case c : {Case{"win98", false}, Case{"winxp", true}, Case{"win2k", true}}) {
        SCOPED_TRACE(c.version);
        Options options;
        options.version = c.version;
        options.withResourceMeter = c.withLibrary;
        options.settings = kBestFit + kSmallRow;
        options.meterAnswer = "5"; // would be low
        MonitorProcess monitor(options);
        ASSERT_TRUE(monitor.WaitForFrame());
        CreationCounter counter(monitor.threadId());
        EXPECT_EQ(monitor.Check(0), 0);
        MonitorProcess::Pump(300);
        EXPECT_EQ(counter.genericWindows(), 5);
        ShutDown(monitor);
    }
}

TEST(CloseGuard, RefusedWhileAScriptApplicationRuns) {
    Options options;
    options.settings = kSmallRow;
    MonitorProcess monitor(options);
    ASSERT_TRUE(monitor.WaitForFrame());
    {
        ForeignWindow application("KFFRAME100");
        monitor.Post(WM_CLOSE, 0, 0);
        EXPECT_FALSE(monitor.WaitForExit(2000)) << "closed while a script application runs";
        EXPECT_EQ(monitor.Check(0), 0);
    }
    {
        ForeignWindow application("kfframe70");
        monitor.Post(WM_CLOSE, 0, 0);
        EXPECT_FALSE(monitor.WaitForExit(2000));
    }
    // No script application: a plain close request ends the program.
    monitor.Post(WM_CLOSE, 0, 0);
    DWORD code = 99;
    EXPECT_TRUE(monitor.WaitForExit(20000, &code));
    EXPECT_EQ(code, 0u);
}

TEST(CloseGuard, ShutdownClosesAnyway) {
    MonitorProcess monitor(Options{});
    ASSERT_TRUE(monitor.WaitForFrame());
    ForeignWindow application("KFFRAME90");
    ShutDown(monitor);
}

TEST(AboutBox, ShowsAndClosesOnOkOrClose) {
    MonitorProcess monitor(Options{});
    ASSERT_TRUE(monitor.WaitForFrame());
    for (bool viaOk : {true, false}) {
        SCOPED_TRACE(viaOk ? "OK" : "close command");
        monitor.Post(WM_COMMAND, kAbout, 0);
        HWND about = nullptr;
        // The dialog is shown once its controls exist.
        for (int i = 0; i < 200 && about == nullptr; ++i) {
            MonitorProcess::Pump(50);
            about = FindShown(monitor, "#32770", "About");
        }
        ASSERT_NE(about, nullptr);
        if (viaOk) {
            MonitorProcess::Pump(500);
            SaveScreenshot(about, "aboutbox");
        }
        std::vector<std::string> texts;
        for (HWND child = GetWindow(about, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            char text[128] = "";
            GetWindowTextA(child, text, sizeof text);
            texts.emplace_back(text);
        }
        EXPECT_THAT(texts, ::testing::IsSupersetOf({"KF Resource Monitor", "10.0.0.4500", "OK"}));
        if (viaOk)
            PostMessageA(about, WM_COMMAND, IDOK, 0);
        else
            PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
        for (int i = 0; i < 200 && IsWindow(about); ++i)
            MonitorProcess::Pump(50);
        EXPECT_FALSE(IsWindow(about));
    }
    ShutDown(monitor);
}

TEST(TrayMenu, RightButtonShowsThePopupMenu) {
    MonitorProcess monitor(Options{});
    ASSERT_TRUE(monitor.WaitForFrame());
    SetCursorPos(400, 300);
    monitor.Post(kTrayMessage, 1, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    for (int i = 0; i < 200 && menu == nullptr; ++i) {
        MonitorProcess::Pump(50);
        menu = FindShown(monitor, "#32768", nullptr);
    }
    ASSERT_NE(menu, nullptr);
    MonitorProcess::Pump(500);
    SaveScreenshot(menu, "traymenu");
    // Escape dismisses the menu.
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    for (int i = 0; i < 200 && IsWindowVisible(menu); ++i)
        MonitorProcess::Pump(50);
    EXPECT_FALSE(IsWindowVisible(menu));
    ShutDown(monitor);
}

// True when the notification area holds the monitor's icon 1 (rewriting its tip unchanged).
bool HasTrayIcon(HWND frame) {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = frame;
    data.uID = 1;
    data.uFlags = NIF_TIP;
    std::strcpy(data.szTip, "Tevron Resource Monitor");
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

TEST(TrayIcon, AddedAtStartAndRemovedAtExit) {
    MonitorProcess monitor(Options{});
    ASSERT_TRUE(monitor.WaitForFrame());
    HWND frame = monitor.frame();
    // The icon follows the frame's creation.
    bool added = false;
    for (int i = 0; i < 100 && !added; ++i) {
        MonitorProcess::Pump(50);
        added = HasTrayIcon(frame);
    }
    EXPECT_TRUE(added);
    ShutDown(monitor);
    EXPECT_FALSE(HasTrayIcon(frame));
}

} // namespace
} // namespace kf::resmon::wine
