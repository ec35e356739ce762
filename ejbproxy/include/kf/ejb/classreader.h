#pragma once
// Running javap on one class, and preparing what it prints for the parser.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kf/ejb/settings.h"

namespace kf::ejb {

struct JavapOutcome {
    bool success = false;
    std::string output;    // what javap printed on standard output
    std::string errorText; // added to the error list when success is false
};

// Describes classes through the JDK's javap.
class JavapRunner {
public:
    virtual ~JavapRunner() = default;
    virtual JavapOutcome Describe(const std::string& javaName) = 0;
};

// Path of the javap program the settings lead to (the tool directory, or the bare
// name so that the search path finds it).
std::string JavapProgram(const GeneratorSettings& settings);

// One javap child process per class, its output caught in the temporary files
// <name>.txt and <name>.er in the current directory.
class ProcessJavapRunner : public JavapRunner {
public:
    explicit ProcessJavapRunner(GeneratorSettings settings) : settings_(std::move(settings)) {}
    JavapOutcome Describe(const std::string& javaName) override;

private:
    GeneratorSettings settings_;
};

// The runner a real run uses: the one-JVM service where it can run, otherwise one javap
// process per class.
std::unique_ptr<JavapRunner> MakeJavapRunner(const GeneratorSettings& settings);

// The options javap gets before the class name.
std::vector<std::string> JavapOptions(const GeneratorSettings& settings);

// The outcome of one javap run from its exit code (nullopt: not started), its standard
// output and its standard error (nullopt: not readable). Output ends at its first zero
// byte; the run fails on a non-zero code or an empty output.
JavapOutcome JavapOutcomeOf(const std::string& javaName, std::optional<int> exitCode,
                            std::optional<std::string> output, std::optional<std::string> error);

// "Can't get information of " + name.
std::string CantGetInformation(const std::string& javaName);

// False for names that cannot be a Java class name and could be taken for an
// option or a path (a leading '-', path separators, control characters).
bool IsAcceptableClassName(const std::string& javaName);

// Turns javap output into the text the parser reads: output in the format of newer
// JDKs becomes the classic grammar, then "No source" gets its line end and
// spaces after full stops are removed.
std::string PrepareDescription(std::string text);

} // namespace kf::ejb
