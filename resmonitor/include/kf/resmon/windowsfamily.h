#pragma once
// The Windows families the monitor supports; each has its own default counts.

#include <cstdint>
#include <optional>

namespace kf::resmon {

enum class WindowsFamily { Win9x, NT4, Win2000, XP };

// The platform identifiers of the version query.
inline constexpr std::uint32_t kPlatformWin9x = 1;
inline constexpr std::uint32_t kPlatformNT = 2;

// nullopt for every platform and version the monitor does not support.
std::optional<WindowsFamily> FamilyFromVersion(std::uint32_t platformId, std::uint32_t major,
                                               std::uint32_t minor);

// Extra bytes of the test window classes: they make each test window cost more system memory.
int TestWindowExtraBytes(WindowsFamily family);

} // namespace kf::resmon
