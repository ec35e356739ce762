// Fault switches and starting state of the modelling tool, from a fixture file that
// KF_DRAFTORA_FIXTURE names (the same file in both lanes). Format: see the README.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kf::draftora {

// A malformed file: the message names the file and the line.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& file, int line, const std::string& message);
};

struct Fixture {
    struct Failure {
        std::string kind; // kind name or "*"
        std::u16string member;
        std::u16string description; // may be empty
    };
    struct Unknown {
        std::string kind;
        std::u16string member;
    };
    // One-shot settings applied to the tool when the file is (re)loaded.
    struct Step {
        std::string verb; // open, active-model, active-diagram, select, ext
        std::vector<std::u16string> args;
        int line = 0;
    };

    std::optional<std::u16string> version;
    bool journal = true; // "journal off": long runs record nothing
    std::vector<Failure> failures;
    std::vector<Unknown> unknowns;
    std::vector<Step> steps;

    const Failure* FailureFor(std::string_view kind, std::u16string_view member) const;
    bool IsUnknown(std::string_view kind, std::u16string_view member) const;
};

// Parses fixture text; `file` names it in errors.
Fixture ParseFixture(std::string_view text, const std::string& file);

// Splits one line into words: blanks separate, "..." quotes (with \" \\ \n \t escapes).
// Throws std::invalid_argument for an unterminated quote or a bad escape.
std::vector<std::u16string> SplitWords(std::string_view line);

} // namespace kf::draftora
