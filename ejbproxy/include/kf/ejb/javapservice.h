#pragma once
// A javap runner that keeps one JVM for the whole run (javapservice.jar, shipped next to the
// generator), falling back to one javap process per class when that JVM cannot serve.

#include <memory>
#include <optional>
#include <string>

#include "kf/ejb/classreader.h"

namespace kf::ejb {

class ChildChannel;

inline constexpr const char* kJavapServiceJar = "javapservice.jar";

struct JavapServiceLocation {
    std::string javaLauncher; // the java beside the javap the run would start
    std::string serviceJar;
};

// Where the service can be started from: only when a java launcher sits in the same folder
// as the javap the settings lead to, and the jar is next to this module.
std::optional<JavapServiceLocation> LocateJavapService(const GeneratorSettings& settings);
// The same, with the jar looked for in the given directory (ending in a separator).
std::optional<JavapServiceLocation> LocateJavapService(const GeneratorSettings& settings,
                                                       const std::string& jarDirectory);

class JavapServiceRunner : public JavapRunner {
public:
    JavapServiceRunner(GeneratorSettings settings, JavapServiceLocation location);
    ~JavapServiceRunner() override;
    JavapOutcome Describe(const std::string& javaName) override;

    // False once the service has failed and every class goes through javap processes.
    bool ServiceAlive() const { return !failed_; }

private:
    std::optional<JavapOutcome> AskService(const std::string& javaName);

    GeneratorSettings settings_;
    JavapServiceLocation location_;
    ProcessJavapRunner fallback_;
    std::unique_ptr<ChildChannel> service_;
    bool failed_ = false;
};

} // namespace kf::ejb
