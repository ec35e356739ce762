#pragma once
// The hidden frame window: its class, its procedure and the tray icon it owns.

#include "kf/resmon/check.h"
#include "kf/resmon/monitor.h"
#include "win32checkplatform.h"

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kf::resmon {

class Frame : public Shell {
public:
    Frame(HINSTANCE instance, WindowsFamily family, Win32CheckPlatform& platform,
          ResourceCheck& check)
        : instance_(instance), family_(family), platform_(platform), check_(check),
          monitor_(*this, check, family) {}

    static bool RegisterClasses(HINSTANCE instance, WindowsFamily family);
    static void UnregisterClasses(HINSTANCE instance);

    // Creates the hidden frame window with its MDI client and the row table.
    bool Create();
    void AddTrayIcon();
    void RemoveTrayIcon();
    int RunMessageLoop();

    // Shell
    void SetTrayIcon(TrayIcon icon) override;
    void PostCheckRequest(int row) override;
    void ShowTrayMenu() override;
    void ShowAboutBox() override;
    void PostCloseRequest() override;
    std::vector<std::string> TopLevelWindowClasses() override;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void UpdateTrayIcon(DWORD operation, TrayIcon icon);

    HINSTANCE instance_;
    WindowsFamily family_;
    Win32CheckPlatform& platform_;
    ResourceCheck& check_;
    Monitor monitor_;
    HWND window_ = nullptr;
    HWND mdiClient_ = nullptr;
    std::array<HICON, 3> icons_{};
    bool trayAdded_ = false;
};

} // namespace kf::resmon
