// Scenario parser and the in-memory runner: any input parses or fails with a ScenarioError,
// and whatever parses runs to its end (dialog steps included) without throwing.
#include <cstddef>
#include <cstdint>
#include <string>

#include "kf/kfhost/runner.h"
#include "kf/kfhost/scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<kf::kfhost::Step> steps;
    try {
        steps =
            kf::kfhost::ParseScenario(std::string(reinterpret_cast<const char*>(data), size), "f");
    } catch (const kf::kfhost::ScenarioError&) {
        return 0;
    }
    kf::pluginhost::Transcript transcript;
    kf::pluginhost::HostServices host(transcript);
    auto plugin = kf::kfhost::NotImplementedPlugin();
    // No tool fixture file: fixture steps write nowhere.
    kf::kfhost::Runner runner(host, transcript, *plugin, {}, {});
    try {
        runner.Run(steps, "f");
    } catch (const kf::kfhost::ScenarioError&) {
        // a host fixture line the host refuses
    }
    return 0;
}
