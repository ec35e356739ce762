// One running modelling tool: its plug-out, application, open models, journal and fixture.
#pragma once

#include <filesystem>
#include <string>

#include "kf/draftora/fixture.h"
#include "kf/draftora/journal.h"
#include "kf/draftora/node.h"

namespace kf::draftora {

inline constexpr std::u16string_view kDefaultVersion = u"10.1.0.1056";

class Tool {
public:
    // Reads the fixture that KF_DRAFTORA_FIXTURE names, when set.
    Tool();
    ~Tool();
    Tool(const Tool&) = delete;
    Tool& operator=(const Tool&) = delete;

    NodeRef Plugout() const { return plugout_; }
    NodeRef Application() const { return application_; }
    Journal& journal() { return journal_; }
    const Fixture& fixture() const { return fixture_; }
    // The last fixture error (file and line), empty when the fixture loaded.
    const std::string& FixtureError() const { return fixtureError_; }

    // Replaces the fault switches and applies the file's one-shot settings.
    void LoadFixture(const std::filesystem::path& file);
    void ApplyFixture(Fixture fixture);
    // Re-reads the fixture file when it changed on disk (scenarios edit it while running).
    void RefreshFixture();

    // Models: opened at most once (file names compare ignoring case).
    NodeRef FindModel(std::u16string_view file) const;
    NodeRef OpenModel(std::u16string_view file); // throws FileError or std::runtime_error
    NodeRef CreateModel(std::u16string_view options);
    void SaveModel(const NodeRef& model, std::u16string_view file);
    void CloseModel(const NodeRef& model);

    NodeRef ActiveModel() const;
    NodeRef ActiveDiagram() const;
    void SetActiveDiagram(const NodeRef& diagram);

    // The client's sinks, called back by name as a late-binding tool does; failures and
    // unknown names are journaled and otherwise ignored.
    void CallSink(std::u16string_view sinkProperty, std::u16string_view member,
                  std::initializer_list<Value> args);
    NodeRef eventSinkAdapter, layoutAdapter, clientAdapter, workspace;
    int serial = 0; // numbers the default names of new objects

private:
    void ApplyStep(const Fixture::Step& step, const std::string& file);

    Journal journal_;
    Fixture fixture_;
    std::string fixtureError_;
    std::filesystem::path fixtureFile_;
    std::string fixtureText_;
    NodeRef plugout_;
    NodeRef application_;
    std::weak_ptr<Node> activeModel_;
    std::weak_ptr<Node> activeDiagram_;
    int untitled_ = 0;
};

// Text file helpers shared with the Windows edge and the host.
std::string ReadTextFile(const std::filesystem::path& file); // throws std::runtime_error
std::filesystem::path PathFrom(std::u16string_view text);
// An environment variable of the process (empty when unset).
std::string EnvVar(const char* name);

} // namespace kf::draftora
