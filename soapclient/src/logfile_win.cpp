// Windows: the C library opens narrow names in the ANSI code page; the process locale
// follows that code page from the first log file on.
#include <windows.h>

#include <clocale>

#include "kf/soap/connection.h"

namespace kf::soap {

std::optional<std::string> LogFileName(std::u16string_view name) {
    std::setlocale(LC_ALL, ".ACP");
    if (name.empty())
        return std::string();
    const auto* wide = reinterpret_cast<const wchar_t*>(name.data());
    const int wideLength = static_cast<int>(name.size());
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, wideLength, nullptr,
                                           0, nullptr, &lossy);
    if (length <= 0 || lossy)
        return std::nullopt;
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, wideLength, out.data(), length, nullptr,
                        &lossy);
    if (lossy)
        return std::nullopt;
    return out;
}

} // namespace kf::soap
