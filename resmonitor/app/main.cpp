// resmonitor: a tray program that checks on request whether enough USER and GDI resources
// are left, and refuses to be closed while script applications run.

#include "frame.h"

#include "kf/resmon/settings.h"

#include <windows.h>

#include <string>

using namespace kf::resmon;

namespace {

std::optional<WindowsFamily> RunningFamily() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version))
        return std::nullopt;
    return FamilyFromVersion(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion);
}

std::optional<std::string> ModulePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::nullopt;
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

int Run(HINSTANCE instance) {
    std::optional<WindowsFamily> family = RunningFamily();
    if (!family)
        return 0;
    if (!Frame::RegisterClasses(instance, *family))
        return 0;
    std::optional<std::string> module = ModulePath();
    if (!module) {
        Frame::UnregisterClasses(instance);
        return 0;
    }

    Win32CheckPlatform platform(instance, SettingsFilePath(*module));
    ResourceCheck check(platform);
    check.ChooseMethod(*family);

    Frame frame(instance, *family, platform, check);
    if (!frame.Create()) {
        Frame::UnregisterClasses(instance);
        return 0;
    }
    frame.AddTrayIcon();
    frame.RunMessageLoop();
    Frame::UnregisterClasses(instance);
    frame.RemoveTrayIcon();
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HANDLE mutex = CreateMutexA(nullptr, TRUE, kMutexName);
    if (mutex == nullptr)
        return 0;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return 0;
    }
    int result = Run(instance);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return result;
}
