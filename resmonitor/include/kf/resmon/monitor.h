#pragma once
// The frame window's decisions: checks on request, the tray icon's clicks, the menu
// commands and the close guard. The window procedure only forwards to it.

#include "kf/resmon/check.h"
#include "kf/resmon/windowsfamily.h"

#include <string>
#include <string_view>
#include <vector>

namespace kf::resmon {

inline constexpr const char* kMutexName = "RSRCMONMUTEX";
inline constexpr const char* kFrameClass = "ResourceMonitorFrame";
inline constexpr const char* kChildClass = "ResourceMonitorChild";
inline constexpr const char* kGenericWindowClass = "ResourceMonitorGenericWindow";
inline constexpr const char* kFrameTitle = "Resource Monitor MDI Window";
inline constexpr const char* kChildTitle = "MDI Child";
inline constexpr const char* kGenericWindowTitle = "Resource Monitor Generic Window";
inline constexpr const char* kTrayTip = "Tevron Resource Monitor";

inline constexpr unsigned kUserMessage = 0x0400;
inline constexpr unsigned kCheckMessage = kUserMessage + 100; // first parameter: the row
inline constexpr unsigned kTrayMessage = kUserMessage + 101;
inline constexpr unsigned kTrayIconId = 1;

// The mouse messages the tray icon reports in the second parameter.
inline constexpr unsigned kRightButtonDown = 0x0204;
inline constexpr unsigned kLeftButtonDoubleClick = 0x0203;

enum class TrayIcon { Normal, Checking, Low };

// True for the frame classes of script applications, compared without regard to case.
bool IsScriptApplicationClass(std::string_view className);

// What the monitor asks of its windows.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void SetTrayIcon(TrayIcon icon) = 0;
    virtual void PostCheckRequest(int row) = 0;
    virtual void ShowTrayMenu() = 0;
    virtual void ShowAboutBox() = 0;
    virtual void PostCloseRequest() = 0;
    virtual std::vector<std::string> TopLevelWindowClasses() = 0;
};

class Monitor {
public:
    Monitor(Shell& shell, ResourceCheck& check, WindowsFamily family)
        : shell_(shell), check_(check), family_(family) {}

    // Message 1124: the check result is the message result.
    int OnCheckRequest(int row);
    // Message 1125.
    void OnTrayNotify(unsigned iconId, unsigned mouseMessage);
    // False for a command the monitor does not know.
    bool OnCommand(unsigned commandId);
    // False while the close must be refused.
    bool OnCloseRequest();
    // The frame cannot work (no MDI client): let it close.
    void GiveUp();

    bool closeGuard() const { return closeGuard_; }

private:
    Shell& shell_;
    ResourceCheck& check_;
    WindowsFamily family_;
    bool closeGuard_ = true;
};

} // namespace kf::resmon
