// A resource meter library whose answer a test can set.
//
// _MyGetFreeSystemResources32@4(n) returns the percentage of free system resources for
// n = 0 (system), 1 (GDI) and 2 (USER). When the environment variable KF_RSRC32_FREE holds
// a number from 0 to 100, that is the answer for all three; otherwise the answer is
// estimated from the calling process's own GDI and USER objects against the usual limit of
// 10000 per process.

#include <windows.h>

#include <cstdlib>

namespace {

constexpr long kObjectsPerProcess = 10000;

bool FixedAnswer(long& percent) {
    char text[32];
    DWORD length = GetEnvironmentVariableA("KF_RSRC32_FREE", text, sizeof text);
    if (length == 0 || length >= sizeof text)
        return false;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 100)
        return false;
    percent = value;
    return true;
}

long FreePercent(DWORD flags) {
    long used = static_cast<long>(GetGuiResources(GetCurrentProcess(), flags));
    long free = 100 - used * 100 / kObjectsPerProcess;
    return free < 0 ? 0 : free;
}

} // namespace

extern "C" long WINAPI MyGetFreeSystemResources32(long which) {
    long percent = 0;
    if (FixedAnswer(percent))
        return percent;
    long gdi = FreePercent(GR_GDIOBJECTS);
    long user = FreePercent(GR_USEROBJECTS);
    switch (which) {
    case 1:
        return gdi;
    case 2:
        return user;
    default:
        return gdi < user ? gdi : user;
    }
}
