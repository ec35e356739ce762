// Scenario files for the host program: one step a line (language: see the README).
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace kf::kfhost {

class ScenarioError : public std::runtime_error {
public:
    ScenarioError(const std::string& file, int line, const std::string& message);
};

struct Step {
    int line = 0;
    std::string verb;                 // command, state, menu, notify, call, ...
    std::vector<std::u16string> args; // words after the verb (after "dialog": its action first)
};

// Throws ScenarioError naming the file and the line.
std::vector<Step> ParseScenario(std::string_view text, const std::string& file);

// Words of a line: blanks separate, "..." quotes with \" \\ \n \r \t escapes.
std::vector<std::u16string> Words(std::string_view line); // throws std::invalid_argument

} // namespace kf::kfhost
