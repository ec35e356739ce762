#include <gtest/gtest.h>

#include "kf/kfhost/runner.h"
#include "kf/kfhost/scenario.h"

namespace kf::kfhost {
namespace {

TEST(Scenario, StepsWithTheirWords) {
    auto steps = ParseScenario(
        "# comment\r\n\r\ncommand 30004 \"kfp://?action=plugin&oompath=C:\\\\m.oom\"\r\n"
        "dialog check 20017 \"Orders/w_order\"\n"
        "setting dword TestCodeGen 1\n",
        "s.scenario");
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].line, 3);
    EXPECT_EQ(steps[0].verb, "command");
    EXPECT_EQ(steps[0].args[1], u"kfp://?action=plugin&oompath=C:\\m.oom");
    EXPECT_EQ(steps[1].args, (std::vector<std::u16string>{u"check", u"20017", u"Orders/w_order"}));
    EXPECT_EQ(steps[2].line, 5);
}

TEST(Scenario, MalformedLinesNameTheFileAndLine) {
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"jump 3\n", "s:1: unknown step 'jump'"},
        {"\ncommand\n", "s:2: expected: command <number> [<location>]"},
        {"command abc\n", "s:1: expected a number, not 'abc'"},
        {"command 1 \"x\n", "s:1: unterminated quoted text"},
        {"dialog fly\n", "s:1: unknown dialog step 'fly'"},
        {"dialog press OK\n", "s:1: a control id is a number"},
        {"dialog press 2147483648\n", "s:1: a control id is a number"},
        {"command 99999999999\n", "s:1: expected a number, not '99999999999'"},
        {"dialog set 20007\n", "s:1: expected: dialog set <control id> <text>"},
        {"dialog wait T 0\n", "s:1: a wait takes 1 to 9999 seconds"},
        {"dialog wait T -5\n", "s:1: a wait takes 1 to 9999 seconds"},
        {"dialog wait T 10000\n", "s:1: a wait takes 1 to 9999 seconds"},
        {"dialog wait T 1 2\n", "s:1: expected: dialog wait <title> [<seconds>]"},
        {"dialog check 20005 Root//Leaf\n", "s:1: an item path is texts separated by '/'"},
        {"dialog uncheck 20005 /Root\n", "s:1: an item path is texts separated by '/'"},
        {"dialog check 20005 \"\"\n", "s:1: an item path is texts separated by '/'"},
        {"dialog record 1\n", "s:1: expected: dialog record"},
        {"state main\n", "s:1: expected: state <menu> <number>"},
        {"setting long AutoSync 1\n", "s:1: expected: setting dword|string"},
        {"setting dword AutoSync yes\n", "s:1: a dword setting takes a number"},
        {"expect \"a\\q\"\n", "s:1: unknown escape \\q"},
    };
    for (const auto& c : cases) {
        try {
            ParseScenario(c.text, "s");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const ScenarioError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.error, 0), 0u)
                << "got: " << e.what() << "\nwanted: " << c.error;
        }
    }
}

TEST(Runner, StartsStopsAndReportsDialogStepsWithoutDialogsAndFailedExpectations) {
    pluginhost::Transcript t;
    pluginhost::HostServices host(t);
    auto plugin = NotImplementedPlugin();
    std::vector<std::string> journal = {"Plugout.Version get() -> \"10.1.0.1056\""};
    Runner runner(host, t, *plugin, {}, [&] { return journal; });
    auto steps = ParseScenario("dialog wait \"Plug-in Options\"\n"
                               "command 30011\n"
                               "expect \"InvokeCommand 30011\"\n"
                               "expect \"never there\"\n",
                               "s");
    // Without a dialog driver the steps are reported after the call they were queued for,
    // and are no failure: the in-memory build has no windows.
    EXPECT_EQ(runner.Run(steps, "s"), 1);
    std::vector<std::string> want = {
        "host: SetSite -> 0x80004001",
        "host: Initialize -> 0x80004001",
        "host: GetMainMenu -> 0x80004001",
        "host: GetContextMenu \"Target\" -> 0x80004001",
        "host: GetContextMenu \"Library\" -> 0x80004001",
        "host: GetContextMenu \"KFObject\" -> 0x80004001",
        "tool: Plugout.Version get() -> \"10.1.0.1056\"",
        "dialog: no dialogs in this build: step at s:1 (wait \"Plug-in Options\")",
        "host: InvokeCommand 30011 \"\" -> 0x80004001",
        "expect: FAILED at s:4: expect \"never there\"",
        "host: Terminate -> 0x80004001",
        "host: FreeMenus 0",
        "host: Release",
    };
    EXPECT_EQ(t.Lines(), want);
    EXPECT_EQ(MenuId(u"library"), u"{4D7E0104-AE48-48AC-AEDF-B84887CE5CE8}");
}

// Plays the queued steps up to a `set`, which it leaves queued; a press of 99 fails.
class FakeDriver final : public DialogDriver {
public:
    void Begin(std::deque<Step>& queue, const std::string& file) override {
        ++calls;
        failed = 0;
        while (!queue.empty() && queue.front().args[0] != u"set") {
            played.push_back(file + ":" + std::to_string(queue.front().line) + " " +
                             StepText(queue.front()));
            failed += queue.front().args.size() > 1 && queue.front().args[1] == u"99";
            queue.pop_front();
        }
    }
    int End() override { return failed; }
    int calls = 0, failed = 0;
    std::vector<std::string> played;
};

TEST(Runner, HandsQueuedDialogStepsToTheDriverAroundEveryPluginCall) {
    pluginhost::Transcript t;
    pluginhost::HostServices host(t);
    auto plugin = NotImplementedPlugin();
    Runner runner(host, t, *plugin, {}, {});
    FakeDriver driver;
    runner.SetDialogDriver(&driver);
    auto steps = ParseScenario("dialog wait \"Plug-in Options\" 3\n"
                               "dialog check 20005 \"Root/A b\"\n"
                               "command 30012\n"
                               "dialog press 99\n"
                               "call CodeGeneration\n"
                               "dialog record\n"
                               "dialog set 20007 x\n",
                               "s");
    // The record step goes to Terminate; the set step is never played.
    EXPECT_EQ(runner.Run(steps, "s"), 2);
    EXPECT_EQ(driver.played, (std::vector<std::string>{"s:1 wait \"Plug-in Options\" \"3\"",
                                                       "s:2 check 20005 \"Root/A b\"",
                                                       "s:4 press 99", "s:6 record"}));
    // SetSite, Initialize, four menu requests, command, call, Terminate.
    EXPECT_EQ(driver.calls, 9);
    EXPECT_EQ(t.Lines().back(), "dialog: not shown: step at s:7 (set 20007 \"x\")");
}

// Records what the runner hands to the host's side; refuses "painters many".
class FakeHostSide final : public HostSide {
public:
    void Fixture(const std::vector<std::u16string>& words) override {
        if (words.size() > 1 && words[1] == u"many")
            throw std::invalid_argument("expected a number, got 'many'");
        calls.push_back("fixture " + pluginhost::Utf8(words[0]));
    }
    void DumpMenus(const std::u16string& menuId) override {
        calls.push_back("dump " + pluginhost::Utf8(menuId));
    }
    void FreeMenus() override { calls.push_back("free"); }
    std::vector<std::string> calls;
};

TEST(Runner, HostLinesMenusAndFreeingGoToTheHostSideAndExpectReadsTheGivenLines) {
    pluginhost::Transcript t;
    pluginhost::HostServices host(t);
    auto plugin = NotImplementedPlugin();
    Runner runner(host, t, *plugin, {}, {});
    FakeHostSide side;
    runner.SetHostSide(&side);
    // Lines another module wrote to the shared transcript file.
    runner.SetTranscriptLines([&] {
        auto lines = t.Lines();
        lines.push_back("menu: popup \"Draftora\"");
        return lines;
    });
    auto steps = ParseScenario("host painters 3\n"
                               "menu Library\n"
                               "menu main\n"
                               "expect \"menu: popup \\\"Draftora\\\"\"\n",
                               "s");
    EXPECT_EQ(runner.Run(steps, "s"), 0);
    EXPECT_EQ(side.calls, (std::vector<std::string>{
                              "fixture painters", "dump {4D7E0104-AE48-48AC-AEDF-B84887CE5CE8}",
                              "dump {4D7E0101-AE48-48AC-AEDF-B84887CE5CE8}",
                              "dump {4D7E0102-AE48-48AC-AEDF-B84887CE5CE8}", "free"}));
    // The runner's own services were left alone.
    EXPECT_EQ(host.fixture.openPainters, 0);
    for (const auto& l : t.Lines())
        EXPECT_EQ(l.rfind("menu:", 0), std::string::npos) << l;

    // A line the host side refuses names the scenario's file and line.
    try {
        runner.Run(ParseScenario("\nhost painters many\n", "bad.scenario"), "bad.scenario");
        ADD_FAILURE() << "no error";
    } catch (const ScenarioError& e) {
        EXPECT_STREQ(e.what(), "bad.scenario:2: expected a number, got 'many'");
    }
}

} // namespace
} // namespace kf::kfhost
