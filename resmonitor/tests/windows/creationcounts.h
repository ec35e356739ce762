#pragma once
// Window creations counted inside the monitor's process by the creation hook, in memory
// shared with the test.

#include <windows.h>

namespace kf::resmon::wine {

inline constexpr const char* kCreationCountsName = "KfResmonCreationCounts";

struct CreationCounts {
    volatile LONG mdiChildren;
    volatile LONG genericWindows;
    volatile LONG otherWindows;
};

} // namespace kf::resmon::wine
