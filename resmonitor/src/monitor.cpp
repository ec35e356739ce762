#include "kf/resmon/monitor.h"

#include "kf/resmon/resourceids.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace kf::resmon {

bool IsScriptApplicationClass(std::string_view className) {
    static constexpr std::array<std::string_view, 4> kClasses = {"KFFRAME70", "KFFRAME80",
                                                                 "KFFRAME90", "KFFRAME100"};
    return std::ranges::any_of(kClasses, [className](std::string_view known) {
        return std::ranges::equal(known, className, [](unsigned char a, unsigned char b) {
            return std::toupper(a) == std::toupper(b);
        });
    });
}

int Monitor::OnCheckRequest(int row) {
    shell_.SetTrayIcon(TrayIcon::Checking);
    int result = check_.Run(row);
    shell_.SetTrayIcon(result == kLowResources ? TrayIcon::Low : TrayIcon::Normal);
    return result;
}

void Monitor::OnTrayNotify(unsigned iconId, unsigned mouseMessage) {
    if (iconId != kTrayIconId)
        return;
    if (mouseMessage == kRightButtonDown)
        shell_.ShowTrayMenu();
    else if (mouseMessage == kLeftButtonDoubleClick && family_ != WindowsFamily::Win9x)
        shell_.PostCheckRequest(0);
}

bool Monitor::OnCommand(unsigned commandId) {
    switch (commandId) {
    case IDC_TEST_RESOURCE:
        shell_.PostCheckRequest(0);
        return true;
    case IDC_ABOUT:
        shell_.ShowAboutBox();
        return true;
    case IDC_SHUTDOWN:
        closeGuard_ = false;
        shell_.PostCloseRequest();
        return true;
    default:
        return false;
    }
}

bool Monitor::OnCloseRequest() {
    if (!closeGuard_)
        return true;
    auto classes = shell_.TopLevelWindowClasses();
    return std::ranges::none_of(classes, IsScriptApplicationClass);
}

void Monitor::GiveUp() {
    closeGuard_ = false;
    shell_.PostCloseRequest();
}

} // namespace kf::resmon
