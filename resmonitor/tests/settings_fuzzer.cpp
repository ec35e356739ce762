// Settings file values from the fuzzer's input: each line answers the next read. The row
// table, the method choice and every check must cope with whatever the file holds.

#include "fakeplatform.h"

#include "kf/resmon/check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

class ScriptedPlatform : public kf::resmon::testing::FakePlatform {
public:
    explicit ScriptedPlatform(std::vector<std::string> answers) : answers_(std::move(answers)) {}

    std::string ReadProfileString(const std::string&, const std::string&,
                                  const std::string& defaultValue) override {
        if (next_ >= answers_.size())
            return defaultValue;
        return answers_[next_++];
    }

private:
    std::vector<std::string> answers_;
    std::size_t next_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kf::resmon;
    std::vector<std::string> answers(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n')
            answers.emplace_back();
        else
            answers.back() += static_cast<char>(data[i]);
    }
    ScriptedPlatform platform(std::move(answers));
    platform.freePercent = size % 101;
    // Keep each check short: few objects of a kind can exist at once.
    for (int k = 0; k <= static_cast<int>(Creatable::AcceleratorTable); ++k)
        platform.limit[static_cast<Creatable>(k)] = 8 + k;

    ResourceCheck check(platform);
    WindowsFamily family = static_cast<WindowsFamily>(size % 4);
    check.ChooseMethod(family);
    check.BuildRowTable(family);
    for (int row = -1; row <= 10; ++row) {
        int result = check.Run(row);
        if (result != kEnoughResources && result != kLowResources)
            __builtin_trap();
    }
    if (!platform.alive.empty() || platform.badDestroys != 0)
        __builtin_trap();
    return 0;
}
