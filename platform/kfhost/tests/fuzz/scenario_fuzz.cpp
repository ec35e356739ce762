// Scenario parser: any input parses or fails with a ScenarioError.
#include <cstddef>
#include <cstdint>
#include <string>

#include "kf/kfhost/scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        kf::kfhost::ParseScenario(std::string(reinterpret_cast<const char*>(data), size), "f");
    } catch (const kf::kfhost::ScenarioError&) {
    }
    return 0;
}
