#pragma once
// Starts resmonitor.exe from a folder of its own and talks to its frame window, as another
// program on the same desktop would.

#include "creationcounts.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace kf::resmon::wine {

// A Windows path for a path the build system gave (Unix paths map to drive Z:).
std::string WindowsPath(const std::string& path);

// The Windows version Wine reports to resmonitor.exe ("win98", "nt40", "win2k", "winxp",
// "win7", ...), and captions drawn by Wine itself; empty removes both settings.
void SetWineAppDefaults(const std::string& version);

struct Options {
    std::string version = "winxp";
    std::string settings;           // KFRESMON.INI beside the executable; empty: none
    bool withResourceMeter = false; // RSRC32.DLL beside the executable
    std::string meterAnswer;        // KF_RSRC32_FREE for the process; empty: unset
};

// Windows created by the monitor's thread while the counter lives, by class.
class CreationCounter {
public:
    explicit CreationCounter(DWORD threadId);
    ~CreationCounter();
    CreationCounter(const CreationCounter&) = delete;
    CreationCounter& operator=(const CreationCounter&) = delete;

    int mdiChildren() const;
    int genericWindows() const;
    int total() const;

private:
    HANDLE mapping_ = nullptr;
    CreationCounts* counts_ = nullptr;
    HMODULE hookLibrary_ = nullptr;
    HHOOK hook_ = nullptr;
};

class MonitorProcess {
public:
    explicit MonitorProcess(const Options& options);
    ~MonitorProcess();
    MonitorProcess(const MonitorProcess&) = delete;
    MonitorProcess& operator=(const MonitorProcess&) = delete;

    // Waits for the frame window; false when the process ended first or it never came.
    bool WaitForFrame(DWORD timeoutMs = 30000);
    // True when the process ended within the time; its exit code in *code.
    bool WaitForExit(DWORD timeoutMs, DWORD* code = nullptr);
    bool Running() const;

    // Message 1124 sent and its result; -1 on a time-out.
    long long Check(WPARAM row, DWORD timeoutMs = 120000);
    void Post(UINT message, WPARAM wParam, LPARAM lParam);
    // Handles sent and posted messages (and window events) for a while.
    static void Pump(DWORD ms);

    HWND frame() const { return frame_; }
    DWORD processId() const { return info_.dwProcessId; }
    DWORD threadId() const { return info_.dwThreadId; }
    const std::string& folder() const { return folder_; }

private:
    std::string folder_;
    std::string workFolder_;
    PROCESS_INFORMATION info_{};
    HWND frame_ = nullptr;
};

// When KF_SCREENSHOT_DIR is set: the screen around the window, as <name>.bmp in that folder.
void SaveScreenshot(HWND window, const std::string& name);

// A top-level window of the given class owned by the test, like a script application's frame.
class ForeignWindow {
public:
    explicit ForeignWindow(const char* className);
    ~ForeignWindow();

private:
    const char* className_;
    HWND window_ = nullptr;
};

} // namespace kf::resmon::wine
