#include "kf/resmon/windowsfamily.h"

namespace kf::resmon {

std::optional<WindowsFamily> FamilyFromVersion(std::uint32_t platformId, std::uint32_t major,
                                               std::uint32_t minor) {
    if (platformId == kPlatformWin9x)
        return WindowsFamily::Win9x;
    if (platformId != kPlatformNT)
        return std::nullopt;
    if (major == 4)
        return WindowsFamily::NT4;
    if (major == 5 && minor == 0)
        return WindowsFamily::Win2000;
    if (major == 5 && minor == 1)
        return WindowsFamily::XP;
    return std::nullopt;
}

int TestWindowExtraBytes(WindowsFamily family) {
    return family == WindowsFamily::Win9x ? 40 : 1024;
}

} // namespace kf::resmon
