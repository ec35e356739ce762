// A plug-in for the dialog driver's tests: command 1 shows the test dialog and reports, as
// "test:" lines, what the user left in it and which notifications and clicks reached it.
#pragma once

#include "kf/kfhost/runner.h"
#include "kf/pluginhost/services.h"

namespace kf::kfhost {

class TestDialogPlugin final : public HostedPlugin {
public:
    explicit TestDialogPlugin(pluginhost::Transcript& transcript) : transcript_(transcript) {}
    std::int32_t SetSite() override { return 0; }
    std::int32_t Initialize() override { return 0; }
    std::int32_t Terminate() override { return 0; }
    std::int32_t GetMainMenu() override { return 0; }
    std::int32_t GetContextMenu(const std::u16string&) override { return 0; }
    // 1: the test dialog; S_OK after OK, S_FALSE after Cancel.
    std::int32_t InvokeCommand(std::int32_t id, const std::u16string& location) override;
    std::int32_t QueryCommandState(const std::u16string&, std::int32_t,
                                   std::uint8_t& state) override {
        state = 0;
        return 0;
    }
    std::int32_t Notify(std::int32_t, const std::u16string&) override { return 0; }
    std::int32_t Call(const std::u16string&, const std::vector<std::u16string>&) override {
        return kNotImpl;
    }

private:
    pluginhost::Transcript& transcript_;
};

} // namespace kf::kfhost
