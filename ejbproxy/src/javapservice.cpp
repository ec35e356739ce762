// The one-JVM javap runner and where it is found.

#include "kf/ejb/javapservice.h"

#include <charconv>

#include "kf/ejb/childchannel.h"

namespace kf::ejb {
namespace {

#ifdef _WIN32
constexpr const char* kExecutableSuffix = ".exe";
#else
constexpr const char* kExecutableSuffix = "";
#endif

// Larger answers are not believed: the service is taken to have failed.
constexpr std::size_t kMaxAnswerBytes = std::size_t{512} << 20;

bool ParseCount(std::string_view text, std::size_t& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

} // namespace

std::optional<JavapServiceLocation> LocateJavapService(const GeneratorSettings& settings) {
    return LocateJavapService(settings, ModuleDirectory());
}

std::optional<JavapServiceLocation> LocateJavapService(const GeneratorSettings& settings,
                                                       const std::string& jarDirectory) {
    std::string toolDirectory = settings.jdkToolDirectory;
    if (toolDirectory.empty()) toolDirectory = FindOnSearchPath(std::string("javap") + kExecutableSuffix);
    if (toolDirectory.empty()) return std::nullopt;
    const std::string java = toolDirectory + "java" + kExecutableSuffix;
    if (!IsRegularFile(toolDirectory + "javap" + kExecutableSuffix) || !IsRegularFile(java))
        return std::nullopt;
    if (jarDirectory.empty()) return std::nullopt;
    const std::string jar = jarDirectory + kJavapServiceJar;
    if (!IsRegularFile(jar)) return std::nullopt;
    return JavapServiceLocation{java, jar};
}

JavapServiceRunner::JavapServiceRunner(GeneratorSettings settings, JavapServiceLocation location)
    : settings_(std::move(settings)), location_(std::move(location)), fallback_(settings_) {}

JavapServiceRunner::~JavapServiceRunner() = default;

JavapOutcome JavapServiceRunner::Describe(const std::string& javaName) {
    if (!IsAcceptableClassName(javaName)) return JavapOutcomeOf(javaName, {}, {}, {});
    if (!failed_) {
        if (auto outcome = AskService(javaName)) return std::move(*outcome);
        // From here on, and for this class too, one javap process per class.
        failed_ = true;
        service_.reset();
    }
    return fallback_.Describe(javaName);
}

std::optional<JavapOutcome> JavapServiceRunner::AskService(const std::string& javaName) {
    if (!service_) {
        // Start-up matters more than peak speed for a run of a few hundred small classes.
        // The opening lets the service run javap's task as its launcher does, with the
        // output and the messages apart.
        std::vector<std::string> arguments{"-XX:TieredStopAtLevel=1", "-XX:+UseSerialGC",
                                           "-Xshare:auto",
                                           "--add-opens=jdk.jdeps/com.sun.tools.javap=ALL-UNNAMED",
                                           "-cp", location_.serviceJar, "JavapService"};
        for (std::string& option : JavapOptions(settings_)) arguments.push_back(std::move(option));
        service_ = ChildChannel::Start(location_.javaLauncher, arguments);
        if (!service_) return std::nullopt;
    }
    if (!service_->Write(javaName + "\n")) return std::nullopt;

    std::string header;
    if (!service_->ReadLine(header, 64)) return std::nullopt;
    const std::size_t firstBlank = header.find(' ');
    const std::size_t secondBlank = header.find(' ', firstBlank + 1);
    if (firstBlank == std::string::npos || secondBlank == std::string::npos) return std::nullopt;
    int status = 0;
    auto [end, ec] = std::from_chars(header.data(), header.data() + firstBlank, status);
    if (ec != std::errc() || end != header.data() + firstBlank) return std::nullopt;
    std::size_t outputLength = 0;
    std::size_t errorLength = 0;
    if (!ParseCount(std::string_view(header).substr(firstBlank + 1, secondBlank - firstBlank - 1),
                    outputLength) ||
        !ParseCount(std::string_view(header).substr(secondBlank + 1), errorLength) ||
        outputLength > kMaxAnswerBytes || errorLength > kMaxAnswerBytes)
        return std::nullopt;

    std::string output;
    std::string error;
    if (!service_->ReadExactly(outputLength, output) || !service_->ReadExactly(errorLength, error))
        return std::nullopt;
    return JavapOutcomeOf(javaName, status, std::move(output), std::move(error));
}

std::unique_ptr<JavapRunner> MakeJavapRunner(const GeneratorSettings& settings) {
    if (auto location = LocateJavapService(settings))
        return std::make_unique<JavapServiceRunner>(settings, std::move(*location));
    return std::make_unique<ProcessJavapRunner>(settings);
}

} // namespace kf::ejb
