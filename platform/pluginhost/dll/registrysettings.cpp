#include "registrysettings.h"

#include <vector>

namespace kf::pluginhost {
namespace {

std::wstring W(const std::u16string& s) {
    return std::wstring(s.begin(), s.end());
}

} // namespace

RegistrySettings::RegistrySettings(std::wstring subkey)
    : path_(L"Software\\Tevron\\Kestrelforge\\10.0\\" + subkey) {}

bool RegistrySettings::WriteString(const std::u16string& name, const std::u16string& value) {
    auto v = W(value);
    return RegSetKeyValueW(HKEY_CURRENT_USER, path_.c_str(), W(name).c_str(), REG_SZ, v.c_str(),
                           static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegistrySettings::WriteDword(const std::u16string& name, std::uint32_t value) {
    DWORD v = value;
    return RegSetKeyValueW(HKEY_CURRENT_USER, path_.c_str(), W(name).c_str(), REG_DWORD, &v,
                           sizeof v) == ERROR_SUCCESS;
}

std::optional<std::u16string> RegistrySettings::ReadString(const std::u16string& name) const {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, path_.c_str(), W(name).c_str(), RRF_RT_REG_SZ, nullptr,
                     nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1);
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, path_.c_str(), W(name).c_str(), RRF_RT_REG_SZ, nullptr,
                     buffer.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring text(buffer.data());
    return std::u16string(text.begin(), text.end());
}

std::optional<std::uint32_t> RegistrySettings::ReadDword(const std::u16string& name) const {
    DWORD v = 0, size = sizeof v;
    if (RegGetValueW(HKEY_CURRENT_USER, path_.c_str(), W(name).c_str(), RRF_RT_REG_DWORD, nullptr,
                     &v, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return v;
}

} // namespace kf::pluginhost
