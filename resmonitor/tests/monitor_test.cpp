#include "fakeplatform.h"

#include "kf/resmon/monitor.h"
#include "kf/resmon/resourceids.h"

#include <gtest/gtest.h>

namespace kf::resmon {
namespace {

class FakeShell : public Shell {
public:
    std::vector<TrayIcon> icons;
    std::vector<int> posted;
    int menus = 0;
    int aboutBoxes = 0;
    int closes = 0;
    std::vector<std::string> topLevel;

    void SetTrayIcon(TrayIcon icon) override { icons.push_back(icon); }
    void PostCheckRequest(int row) override { posted.push_back(row); }
    void ShowTrayMenu() override { ++menus; }
    void ShowAboutBox() override { ++aboutBoxes; }
    void PostCloseRequest() override { ++closes; }
    std::vector<std::string> TopLevelWindowClasses() override { return topLevel; }
};

struct MonitorTest : ::testing::Test {
    testing::FakePlatform platform;
    ResourceCheck check{platform};
    FakeShell shell;

    Monitor Make(WindowsFamily family) {
        check.BuildRowTable(family);
        return Monitor(shell, check, family);
    }
};

TEST_F(MonitorTest, CheckShowsCheckingThenTheOutcome) {
    platform.Set("ResourceWindow_1", "HWND", "5");
    platform.Set("ResourceWindow_2", "HWND", "6");
    platform.limit[Creatable::GenericWindow] = 5;
    Monitor monitor = Make(WindowsFamily::XP);
    EXPECT_EQ(monitor.OnCheckRequest(0), kEnoughResources);
    EXPECT_EQ(monitor.OnCheckRequest(1), kLowResources);
    EXPECT_EQ(shell.icons, (std::vector<TrayIcon>{TrayIcon::Checking, TrayIcon::Normal,
                                                  TrayIcon::Checking, TrayIcon::Low}));
}

TEST_F(MonitorTest, TrayClicks) {
    struct Case {
        WindowsFamily family;
        unsigned icon;
        unsigned mouse;
        int menus;
        std::vector<int> posted;
    };
    const Case cases[] = {
        {WindowsFamily::XP, kTrayIconId, kRightButtonDown, 1, {}},
        {WindowsFamily::Win9x, kTrayIconId, kRightButtonDown, 1, {}},
        {WindowsFamily::XP, kTrayIconId, kLeftButtonDoubleClick, 0, {0}},
        {WindowsFamily::NT4, kTrayIconId, kLeftButtonDoubleClick, 0, {0}},
        {WindowsFamily::Win9x, kTrayIconId, kLeftButtonDoubleClick, 0, {}},
        {WindowsFamily::XP, 2, kRightButtonDown, 0, {}},
        {WindowsFamily::XP, kTrayIconId, 0x0201 /* left button down */, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.family));
        SCOPED_TRACE(c.mouse);
        shell = FakeShell{};
        Monitor monitor(shell, check, c.family);
        monitor.OnTrayNotify(c.icon, c.mouse);
        EXPECT_EQ(shell.menus, c.menus);
        EXPECT_EQ(shell.posted, c.posted);
        EXPECT_TRUE(shell.icons.empty()) << "a click never runs a check by itself";
    }
}

TEST_F(MonitorTest, MenuCommands) {
    Monitor monitor = Make(WindowsFamily::Win2000);
    EXPECT_TRUE(monitor.OnCommand(IDC_TEST_RESOURCE));
    EXPECT_EQ(shell.posted, std::vector<int>{0});
    EXPECT_TRUE(monitor.OnCommand(IDC_ABOUT));
    EXPECT_EQ(shell.aboutBoxes, 1);
    EXPECT_FALSE(monitor.OnCommand(IDC_FILE_OPEN));
    EXPECT_FALSE(monitor.OnCommand(0));
    EXPECT_EQ(shell.closes, 0);
    EXPECT_TRUE(monitor.closeGuard());
    EXPECT_TRUE(monitor.OnCommand(IDC_SHUTDOWN));
    EXPECT_EQ(shell.closes, 1);
    EXPECT_FALSE(monitor.closeGuard());
}

TEST_F(MonitorTest, CloseRefusedWhileAScriptApplicationRuns) {
    Monitor monitor = Make(WindowsFamily::XP);
    shell.topLevel = {"Shell_TrayWnd", "ResourceMonitorFrame"};
    EXPECT_TRUE(monitor.OnCloseRequest());
    for (const char* app : {"KFFRAME100", "kfframe70", "KfFrame80", "KFFRAME90"}) {
        shell.topLevel = {"Shell_TrayWnd", app};
        EXPECT_FALSE(monitor.OnCloseRequest()) << app;
    }
    monitor.OnCommand(IDC_SHUTDOWN);
    EXPECT_TRUE(monitor.OnCloseRequest()) << "Shutdown closes anyway";

    Monitor broken = Make(WindowsFamily::XP);
    broken.GiveUp();
    EXPECT_TRUE(broken.OnCloseRequest());
}

TEST(ScriptApplicationClass, ExactNamesWithoutRegardToCase) {
    for (const char* yes : {"KFFRAME70", "KFFRAME80", "KFFRAME90", "KFFRAME100", "kfframe100"})
        EXPECT_TRUE(IsScriptApplicationClass(yes)) << yes;
    for (const char* no : {"", "KFFRAME", "KFFRAME60", "KFFRAME1000", "KFFRAME10", " KFFRAME90"})
        EXPECT_FALSE(IsScriptApplicationClass(no)) << no;
}

} // namespace
} // namespace kf::resmon
