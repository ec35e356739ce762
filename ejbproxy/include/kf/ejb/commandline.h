#pragma once
// The console program's argument scan and usage text.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "kf/ejb/generator.h"

namespace kf::ejb {

// arguments excludes the program name. nullopt when the usage must be printed.
std::optional<RunRequest> ScanArguments(const std::vector<std::string>& arguments);

void PrintUsage(std::FILE* out, const char* programName);

} // namespace kf::ejb
