// The plug-in's settings key over the Windows registry, where registration writes it.
#pragma once

#include <windows.h>

#include <string>

#include "kf/pluginhost/settings.h"

namespace kf::pluginhost {

// HKEY_CURRENT_USER\Software\Tevron\Kestrelforge\10.0\<subkey>
class RegistrySettings final : public SettingsStore {
public:
    explicit RegistrySettings(std::wstring subkey = L"KFPlugins\\Draftora 10");
    bool WriteString(const std::u16string& name, const std::u16string& value) override;
    bool WriteDword(const std::u16string& name, std::uint32_t value) override;
    std::optional<std::u16string> ReadString(const std::u16string& name) const override;
    std::optional<std::uint32_t> ReadDword(const std::u16string& name) const override;

private:
    std::wstring path_;
};

} // namespace kf::pluginhost
