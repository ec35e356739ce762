#pragma once
// The check's platform operations over Win32.

#include "kf/resmon/platform.h"

#include <windows.h>

#include <string>

namespace kf::resmon {

class Win32CheckPlatform : public CheckPlatform {
public:
    Win32CheckPlatform(HINSTANCE instance, std::string settingsFile)
        : instance_(instance), settingsFile_(std::move(settingsFile)) {}

    // The windows the check creates its windows in; set while the frame is created.
    void SetWindows(HWND frame, HWND mdiClient) {
        frame_ = frame;
        mdiClient_ = mdiClient;
    }

    std::string ReadProfileString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue) override;
    Handle OpenLibrary(const std::string& name) override;
    ResourceMeterProc LookUpProcedure(Handle library, const std::string& name) override;
    void CloseLibrary(Handle library) override;
    Handle CreateObject(Creatable kind) override;
    void DestroyObject(Creatable kind, Handle object) override;
    void SoundBeep() override;

private:
    HINSTANCE instance_;
    std::string settingsFile_;
    HWND frame_ = nullptr;
    HWND mdiClient_ = nullptr;
};

} // namespace kf::resmon
