#include "kf/resmon/settings.h"

#include <algorithm>
#include <limits>

namespace kf::resmon {

std::string RowSection(int rowNumber) {
    return kRowSectionPrefix + std::to_string(rowNumber);
}

std::optional<std::int32_t> ParseDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9')
        return std::nullopt;
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<std::int64_t>(value * 10 + (text[i] - '0'), kLimit + 1);
    if (negative)
        return static_cast<std::int32_t>(-value);
    return static_cast<std::int32_t>(std::min(value, kLimit));
}

std::string SettingsFilePath(std::string_view modulePath) {
    std::size_t slash = modulePath.rfind('\\');
    // Without a directory the profile functions would look in the Windows directory.
    if (slash == std::string_view::npos)
        return std::string(".\\") + kSettingsFileName;
    return std::string(modulePath.substr(0, slash + 1)) + kSettingsFileName;
}

} // namespace kf::resmon
