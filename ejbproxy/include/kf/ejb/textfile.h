#pragma once
// Files written the way a text-mode stream writes them on Windows: every LF becomes CR LF.

#include <filesystem>
#include <string>
#include <string_view>

namespace kf::ejb {

std::string ToTextModeBytes(std::string_view text);

// Creates or replaces the file; false when it cannot be created or written.
bool WriteTextModeFile(const std::filesystem::path& path, std::string_view text);

} // namespace kf::ejb
