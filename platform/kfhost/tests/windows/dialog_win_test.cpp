// The dialog driver against real dialogs under Wine: every kind of dialog step on the test
// dialog, and the ways a step fails; each run's transcript is compared with its golden file.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../../windows/dialogdriver.h"
#include "kf/kfhost/runner.h"
#include "kf/kfhost/scenario.h"
#include "testplugin.h"

namespace kf::kfhost {
namespace {

std::string Read(const std::string& name) {
    std::ifstream in(std::string(KF_KFHOST_DATA) + "/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

struct Case {
    const char* scenario;
    int failures;
};

class DialogScenario : public testing::TestWithParam<Case> {};

TEST_P(DialogScenario, TranscriptIsTheGoldenOne) {
    std::string name = GetParam().scenario;
    pluginhost::Transcript t;
    pluginhost::HostServices host(t);
    TestDialogPlugin plugin(t);
    // Short, so that the failure cases need not wait long for an unattended dialog.
    WindowsDialogDriver driver(t, 2000);
    Runner runner(host, t, plugin, {}, {});
    runner.SetDialogDriver(&driver);
    auto file = name + ".scenario";
    EXPECT_EQ(runner.Run(ParseScenario(Read(file), file), file), GetParam().failures);
    std::string got;
    for (const auto& l : t.Lines())
        got += l + "\n";
    EXPECT_EQ(Lines(got), Lines(Read(name + ".transcript"))) << got;
}

INSTANTIATE_TEST_SUITE_P(KfHost, DialogScenario,
                         testing::Values(Case{"test-dialog", 0}, Case{"test-dialog-errors", 9}),
                         [](const auto& info) {
                             std::string n = info.param.scenario;
                             for (auto& c : n)
                                 if (c == '-')
                                     c = '_';
                             return n;
                         });

} // namespace
} // namespace kf::kfhost
