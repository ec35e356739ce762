#pragma once
// Starting a child on POSIX with chosen standard descriptors; shared by the one-shot
// runs and the long-lived channel.

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace kf::ejb {

inline constexpr int kInheritDescriptor = -1;

// Starts program (looked up on PATH when it has no slash; no shell) with in, out and err as
// its standard input, output and error (kInheritDescriptor keeps ours). nullopt when it
// cannot be started.
std::optional<pid_t> SpawnChild(const std::string& program, const std::vector<std::string>& arguments,
                                int in, int out, int err);

} // namespace kf::ejb
