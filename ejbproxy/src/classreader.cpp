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

JavapOutcome ProcessJavapRunner::Describe(const std::string& javaName) {
    JavapOutcome outcome;
    if (!IsAcceptableClassName(javaName)) {
        outcome.errorText = CantGetInformation(javaName);
        return outcome;
    }

    const std::string outputFile = javaName + ".txt";
    const std::string errorFile = javaName + ".er";
    std::vector<std::string> arguments{"-s", "-public"};
    if (settings_.classPath) {
        arguments.push_back("-classpath");
        arguments.push_back(*settings_.classPath);
    }
    arguments.push_back(javaName);

    std::optional<int> exitCode =
        RunRedirected(JavapProgram(settings_), arguments, outputFile, errorFile);
    if (exitCode && *exitCode == 0) {
        if (auto text = ReadWholeFile(outputFile)) {
            // Read as text: it ends at the first zero byte.
            text->resize(std::char_traits<char>::length(text->c_str()));
            outcome.output = std::move(*text);
            outcome.success = !outcome.output.empty();
        }
    }
    if (!outcome.success) {
        auto error = ReadWholeFile(errorFile);
        outcome.errorText = error && !error->empty() ? std::move(*error) : CantGetInformation(javaName);
        outcome.output.clear();
    }
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

namespace kf::ejb {

std::unique_ptr<JavapRunner> MakeJavapRunner(const GeneratorSettings& settings) {
    return std::make_unique<ProcessJavapRunner>(settings);
}

} // namespace kf::ejb
