// Runs a scenario against a hosted plug-in the way the IDE drives it: start (SetSite,
// Initialize, the menu requests), the steps, stop (Terminate). Every event goes to the
// transcript, one a line.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kf/kfhost/scenario.h"
#include "kf/pluginhost/services.h"

namespace kf::kfhost {

inline constexpr std::int32_t kNotImpl = static_cast<std::int32_t>(0x80004001u);

// The plug-in service as the host sees it; results are COM result codes.
class HostedPlugin {
public:
    virtual ~HostedPlugin() = default;
    virtual std::int32_t SetSite() = 0;
    virtual std::int32_t Initialize() = 0;
    virtual std::int32_t Terminate() = 0;
    // Menu requests register their menus with the host's menu service.
    virtual std::int32_t GetMainMenu() = 0;
    virtual std::int32_t GetContextMenu(const std::u16string& name) = 0;
    virtual std::int32_t InvokeCommand(std::int32_t id, const std::u16string& location) = 0;
    virtual std::int32_t QueryCommandState(const std::u16string& menuId, std::int32_t id,
                                           std::uint8_t& state) = 0;
    virtual std::int32_t Notify(std::int32_t kind, const std::u16string& location) = 0;
    // A method of IKFPDRService by name, or RebuildCommands.
    virtual std::int32_t Call(const std::u16string& method,
                              const std::vector<std::u16string>& args) = 0;
};

// Answers E_NOTIMPL to everything: the plug-in until its service logic exists.
std::unique_ptr<HostedPlugin> NotImplementedPlugin();

// Plays queued dialog steps against the modal dialogs that one plug-in call opens. The
// Windows build drives real windows; without a driver the steps are only reported.
class DialogDriver {
public:
    virtual ~DialogDriver() = default;
    // Around every plug-in call. The driver takes steps from the front of `queue` as it
    // plays them; what it leaves stays queued for the next call. `file` names the scenario
    // in failure lines.
    virtual void Begin(std::deque<Step>& queue, const std::string& file) = 0;
    // The number of steps that failed since Begin.
    virtual int End() = 0;
};

// A dialog step as the transcript names it: `wait "Plug-in Options"`, `press 1`.
std::string StepText(const Step& step);

// The host's own part of a run: host fixture lines, and the menus the plug-in handed over
// (printed by menu id, freed at the end). Without one the runner uses its HostServices; the
// Windows build goes through pluginhost.dll, which holds the plug-in's menus.
class HostSide {
public:
    virtual ~HostSide() = default;
    // Throws std::invalid_argument for a malformed line.
    virtual void Fixture(const std::vector<std::u16string>& words) = 0;
    virtual void DumpMenus(const std::u16string& menuId) = 0;
    virtual void FreeMenus() = 0;
};

// Menu ids of the IDE: main, repository, target, library, script object.
std::u16string MenuId(std::u16string_view name); // empty for an unknown name

class Runner {
public:
    Runner(pluginhost::HostServices& host, pluginhost::Transcript& transcript, HostedPlugin& plugin,
           std::filesystem::path toolFixture,
           std::function<std::vector<std::string>()> toolJournal);

    // Null: no dialogs (the in-memory build); queued dialog steps are reported, not played.
    void SetDialogDriver(DialogDriver* driver) { dialogs_ = driver; }
    // Null: the HostServices given above.
    void SetHostSide(HostSide* side) { side_ = side; }
    // What `expect` searches; by default the lines of the transcript given above. Lines
    // that other modules add to a shared transcript file are only seen this way.
    void SetTranscriptLines(std::function<std::vector<std::string>()> lines) {
        lines_ = std::move(lines);
    }

    // Start, steps, stop; the number of failed expectations and dialog steps.
    int Run(const std::vector<Step>& steps, const std::string& file);

private:
    void Start();
    void Stop();
    void Do(const Step& step, const std::string& file);
    void FlushJournal();
    void HostFixture(const std::vector<std::u16string>& words);
    void DumpMenus(const std::u16string& menuId);
    void FreeMenus();
    // Every call into the plug-in goes through here, so queued dialog steps meet its dialogs.
    template <class F> std::int32_t Guarded(F call);

    pluginhost::HostServices& host_;
    pluginhost::Transcript& transcript_;
    HostedPlugin& plugin_;
    std::filesystem::path toolFixture_;
    std::function<std::vector<std::string>()> toolJournal_;
    std::size_t journalSeen_ = 0;
    std::deque<Step> dialogQueue_;
    DialogDriver* dialogs_ = nullptr;
    HostSide* side_ = nullptr;
    std::function<std::vector<std::string>()> lines_;
    std::string file_;
    int failures_ = 0;
};

std::string Hr(std::int32_t hr);

} // namespace kf::kfhost
