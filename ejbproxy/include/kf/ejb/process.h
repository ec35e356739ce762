#pragma once
// Starting a child process with its standard output and error redirected to files.

#include <optional>
#include <string>
#include <vector>

namespace kf::ejb {

// Runs program with arguments (no shell, no command interpreter), standard input
// inherited, standard output and error into the two files (created or truncated),
// and waits for it without limit. Returns its exit code, or nullopt when it could
// not be started.
std::optional<int> RunRedirected(const std::string& program, const std::vector<std::string>& arguments,
                                 const std::string& outputFile, const std::string& errorFile);

} // namespace kf::ejb
