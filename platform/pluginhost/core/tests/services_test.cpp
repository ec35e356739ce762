#include <gtest/gtest.h>

#include <filesystem>

#include "kf/pluginhost/services.h"

namespace kf::pluginhost {
namespace {

TEST(HostServices, DockableViewsKeepTheirState) {
    Transcript t;
    HostServices host(t);
    ApplyHostFixtureLine(host.fixture, {u"view", u"2102", u"hidden"});
    EXPECT_FALSE(host.ViewWindow(2100)); // no window yet
    host.ToggleView(2100);
    EXPECT_EQ(host.ViewWindow(2100), std::optional<bool>(true));
    host.ToggleView(2100);
    EXPECT_EQ(host.ViewWindow(2100), std::optional<bool>(false));
    EXPECT_EQ(host.ViewWindow(2102), std::optional<bool>(false));
    host.ToggleView(2102);
    EXPECT_EQ(host.ViewWindow(2102), std::optional<bool>(true));
    EXPECT_EQ(t.Lines().back(), "host: ToggleView 2102 -> visible");
}

TEST(HostServices, MessagesResultListsAndCommandsAreRecorded) {
    Transcript t;
    HostServices host(t);
    ApplyHostFixtureLine(host.fixture, {u"painters", u"2"});
    EXPECT_EQ(host.ShowMessage(u"Line one\nline \"two\"", 0x30), 1);
    host.ResultBegin(u"Check Model", u"Check", u"m.oom");
    host.ResultSummary(u"Errors", u"1 error");
    host.ResultItem(u"<Model>.app: bad", u"kfp://?action=plugin&cmdid=30007");
    host.ResultShow();
    host.ResultEnd();
    EXPECT_EQ(host.ExecuteCommand(1084, 0, u""), 2);
    EXPECT_EQ(host.ExecuteCommand(1033, 0, u"kfl://x"), 0);
    EXPECT_TRUE(host.GetWorkspace());
    ApplyHostFixtureLine(host.fixture, {u"workspace", u"none"});
    EXPECT_FALSE(host.GetWorkspace());
    std::vector<std::string> want = {
        "message: \"Line one\\nline \\\"two\\\"\" style=48 -> 1",
        "result: Begin \"Check Model\" \"Check\" \"m.oom\"",
        "result: SetSummary \"Errors\" \"1 error\"",
        "result: AddItem \"<Model>.app: bad\" \"kfp://?action=plugin&cmdid=30007\"",
        "result: Show",
        "result: End",
        "host: ExecuteCommand 1084 0 \"\" -> 2",
        "host: ExecuteCommand 1033 0 \"kfl://x\" -> 0",
        "host: GetWorkspace",
        "host: GetWorkspace -> none",
    };
    EXPECT_EQ(t.Lines(), want);
}

TEST(HostServices, TargetsOpenOnceAndMissingOnesAreReported) {
    Transcript t;
    HostServices host(t);
    auto dir = std::filesystem::temp_directory_path() / "kf-hostservices";
    std::filesystem::create_directories(dir);
    auto file = dir / "app.kft";
    Target::Create(file, u"app", u"app.kfl").Save();
    auto* a = host.OpenTarget(PathText(file), false);
    ASSERT_TRUE(a);
    a->SetAttribute(u"oompath", u"m.oom");
    EXPECT_EQ(host.OpenTarget(PathText(file), true), a);
    EXPECT_EQ(host.OpenTarget(PathText(file), true)->GetAttribute(u"oompath"), u"m.oom");
    EXPECT_EQ(host.OpenTarget(PathText(dir / "none.kft"), false), nullptr);
    EXPECT_NE(t.Lines().back().find("none.kft: cannot be read"), std::string::npos);
    EXPECT_EQ(host.GetLibraryListEntry(PathText(dir / "lib" / "x.kfl"), PathText(file)),
              PathText(std::filesystem::path("lib") / "x.kfl"));
    std::filesystem::remove_all(dir);
}

TEST(HostServices, MenusAreKeptPerIdPrintedAndFreed) {
    Transcript t;
    HostServices host(t);
    const std::u16string main = u"{4D7E0101-AE48-48AC-AEDF-B84887CE5CE8}";
    host.RegisterMenu(main, {0, u"Draftora", {{30011, u"Open Draftora Workspace", {}}, {}}});
    host.RegisterMenu(main, {0, u"Repository", {{60050, u"Connect", {}}}});
    ASSERT_EQ(host.Menus(main)->size(), 2u);
    EXPECT_FALSE(host.Menus(u"{4D7E0102-AE48-48AC-AEDF-B84887CE5CE8}"));
    t = Transcript();
    host.DumpMenus(main);
    std::vector<std::string> want = {
        "menu: popup \"Draftora\"",  "menu:   30011 \"Open Draftora Workspace\"",
        "menu:   separator",         "menu: popup \"Repository\"",
        "menu:   60050 \"Connect\"",
    };
    EXPECT_EQ(t.Lines(), want);
    host.FreeMenus();
    EXPECT_FALSE(host.Menus(main));
    EXPECT_EQ(t.Lines().back(), "host: FreeMenus 2");
}

// What an editor's CanOpen walks: view name -> file types -> extensions.
TEST(HostServices, FileTypesOfTheEditorViews) {
    Transcript t;
    HostServices host(t);
    EXPECT_EQ(host.GetViewFileTypes(u"Draftora.OOM"), u"Draftora Object-Oriented Model");
    EXPECT_EQ(host.GetTypeExtensions(u"Draftora Object-Oriented Model"), u".oom");
    EXPECT_EQ(host.GetTypeExtensions(host.GetViewFileTypes(u"draftora.pdm")), u".pdm");
    EXPECT_EQ(host.GetViewFileTypes(u"Draftora.Model"), u""); // a dockable view opens no files
    EXPECT_EQ(host.GetTypeExtensions(u"Text"), u"");
    EXPECT_EQ(t.Lines().front(),
              "host: GetViewFileTypes \"Draftora.OOM\" -> \"Draftora Object-Oriented Model\"");
}

TEST(HostServices, BadFixtureLinesAreRefused) {
    HostFixture f;
    std::vector<std::vector<std::u16string>> bad = {{u"painters"},
                                                    {u"painters", u"two"},
                                                    {u"view", u"2100", u"open"},
                                                    {u"colour", u"red"},
                                                    {u"workspace", u"closed"}};
    for (const auto& w : bad)
        EXPECT_THROW(ApplyHostFixtureLine(f, w), std::invalid_argument);
}

} // namespace
} // namespace kf::pluginhost
