#pragma once
// Names in the settings file and how its numbers are read.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kf::resmon {

inline constexpr const char* kSettingsFileName = "KFRESMON.INI";
inline constexpr const char* kMonitorSection = "ResourceMonitor";
inline constexpr const char* kDetectionMethodKey = "DetectionMethod";
inline constexpr const char* kResourceThresholdKey = "ResourceThreshold";
inline constexpr const char* kMagnifyingFactorKey = "MagnifyingFactor";
inline constexpr const char* kRowSectionPrefix = "ResourceWindow_";
inline constexpr int kRowCount = 10;

// The section of row 1 to 10.
std::string RowSection(int rowNumber);

// A leading decimal number (blanks, an optional sign, digits; anything after is ignored),
// saturated to 32 bits; nullopt when the text does not start with one.
std::optional<std::int32_t> ParseDecimal(std::string_view text);

// The settings file next to the executable: the module path up to and including its last
// backslash, then the file name.
std::string SettingsFilePath(std::string_view modulePath);

} // namespace kf::resmon
