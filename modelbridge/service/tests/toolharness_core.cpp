// Linux lane: the tool stand-in's core, in memory, with its fixture file in a temporary
// folder named by the same variable as in the Windows lane.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include <unistd.h>

#include "kf/draftora/node.h"
#include "kf/draftora/tool.h"
#include "toolharness.h"

namespace kf::model::testing {
namespace {

class CoreHarness final : public ToolHarness {
public:
    CoreHarness() {
        fixture_ = std::filesystem::temp_directory_path() /
                   ("kf-tooldrive-" + std::to_string(::getpid()) + ".fixture");
        std::ofstream(fixture_, std::ios::trunc);
        setenv("KF_DRAFTORA_FIXTURE", fixture_.c_str(), 1);
        tool_ = std::make_unique<kf::draftora::Tool>();
    }
    ~CoreHarness() override { std::filesystem::remove(fixture_); }
    ObjectRef Plugout() override { return tool_->Plugout(); }
    void SetFixture(const std::string& text) override {
        std::ofstream(fixture_, std::ios::binary | std::ios::trunc) << text;
    }
    std::vector<std::string> Journal() override { return tool_->journal().Lines(); }
    void ClearJournal() override { tool_->journal().Clear(); }
    Usage Measure() override { return {kf::draftora::Node::Live(), 0, 0}; }
    long long ByteSlack() override { return 0; } // ASan reports the leaks here

private:
    std::filesystem::path fixture_;
    std::unique_ptr<kf::draftora::Tool> tool_;
};

} // namespace

ToolHarness& Harness() {
    static CoreHarness harness;
    return harness;
}

} // namespace kf::model::testing
