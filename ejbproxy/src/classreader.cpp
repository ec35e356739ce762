// javap runs and the preparation of what they print.

#include "kf/ejb/classreader.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "kf/ejb/javapformat.h"
#include "kf/ejb/process.h"

namespace kf::ejb {
namespace {

// The whole file, or nullopt when it cannot be opened.
std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void RemoveQuietly(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

} // namespace

std::string CantGetInformation(const std::string& javaName) {
    return "Can't get information of " + javaName;
}

bool IsAcceptableClassName(const std::string& javaName) {
    if (javaName.empty() || javaName.front() == '-') return false;
    for (unsigned char c : javaName) {
        if (c < 0x20 || c == 0x7f) return false;
        switch (c) {
        case '/': case '\\': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
            return false;
        default:
            break;
        }
    }
    return true;
}

std::string JavapProgram(const GeneratorSettings& settings) {
    return settings.jdkToolDirectory + "javap";
}

std::vector<std::string> JavapOptions(const GeneratorSettings& settings) {
    std::vector<std::string> options{"-s", "-public"};
    if (settings.classPath) {
        options.push_back("-classpath");
        options.push_back(*settings.classPath);
    }
    return options;
}

JavapOutcome JavapOutcomeOf(const std::string& javaName, std::optional<int> exitCode,
                            std::optional<std::string> output, std::optional<std::string> error) {
    JavapOutcome outcome;
    if (exitCode && *exitCode == 0 && output) {
        // Read as text: it ends at the first zero byte.
        output->resize(std::char_traits<char>::length(output->c_str()));
        outcome.output = std::move(*output);
        outcome.success = !outcome.output.empty();
    }
    if (!outcome.success) {
        outcome.output.clear();
        outcome.errorText =
            error && !error->empty() ? std::move(*error) : CantGetInformation(javaName);
    }
    return outcome;
}

JavapOutcome ProcessJavapRunner::Describe(const std::string& javaName) {
    if (!IsAcceptableClassName(javaName)) return JavapOutcomeOf(javaName, {}, {}, {});

    const std::string outputFile = javaName + ".txt";
    const std::string errorFile = javaName + ".er";
    std::vector<std::string> arguments = JavapOptions(settings_);
    arguments.push_back(javaName);

    std::optional<int> exitCode =
        RunRedirected(JavapProgram(settings_), arguments, outputFile, errorFile);
    JavapOutcome outcome =
        JavapOutcomeOf(javaName, exitCode, ReadWholeFile(outputFile), ReadWholeFile(errorFile));
    RemoveQuietly(outputFile);
    RemoveQuietly(errorFile);
    return outcome;
}

std::string PrepareDescription(std::string text) {
    if (IsModernJavapFormat(text)) text = ConvertModernJavapFormat(text);

    if (text.starts_with("No source")) text.insert(9, "\r\n");

    // Qualified names may be printed with blanks after their full stops.
    std::string prepared;
    prepared.reserve(text.size());
    for (char c : text) {
        if (c == ' ' && !prepared.empty() && prepared.back() == '.') continue;
        prepared += c;
    }
    return prepared;
}

} // namespace kf::ejb

