#include "winregistry.h"

#include <windows.h>

namespace kf::model {
namespace {

HKEY RootKey(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser:
        return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users:
        return HKEY_USERS;
    }
    return HKEY_CLASSES_ROOT;
}

// char16_t and wchar_t are both UTF-16 code units on Windows.
const wchar_t* W(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

ResultCode FromWin32(LONG error) {
    return error == ERROR_SUCCESS ? kOk : static_cast<ResultCode>(HRESULT_FROM_WIN32(error));
}

bool Missing(LONG error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

} // namespace

ResultCode WindowsRegistry::CreateKey(RegistryRoot root, const std::u16string& path) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(RootKey(root), W(path), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                              &key, nullptr);
    if (rc == ERROR_SUCCESS)
        RegCloseKey(key);
    return FromWin32(rc);
}

bool WindowsRegistry::KeyExists(RegistryRoot root, const std::u16string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(RootKey(root), W(path), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

ResultCode WindowsRegistry::DeleteTree(RegistryRoot root, const std::u16string& path) {
    LONG rc = RegDeleteTreeW(RootKey(root), W(path));
    if (Missing(rc))
        return kOk;
    if (rc != ERROR_SUCCESS)
        return FromWin32(rc);
    rc = RegDeleteKeyW(RootKey(root), W(path));
    return Missing(rc) ? kOk : FromWin32(rc);
}

ResultCode WindowsRegistry::DeleteKeyIfEmpty(RegistryRoot root, const std::u16string& path) {
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExW(RootKey(root), W(path), 0, KEY_READ, &key);
    if (Missing(rc))
        return kOk;
    if (rc != ERROR_SUCCESS)
        return FromWin32(rc);
    DWORD subkeys = 0, values = 0;
    rc = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                          nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return FromWin32(rc);
    if (subkeys || values)
        return kOk;
    rc = RegDeleteKeyW(RootKey(root), W(path));
    return Missing(rc) ? kOk : FromWin32(rc);
}

ResultCode WindowsRegistry::SetValue(RegistryRoot root, const std::u16string& path,
                                     const std::u16string& name, const RegistryValue& value) {
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExW(RootKey(root), W(path), 0, KEY_SET_VALUE, &key);
    if (rc != ERROR_SUCCESS)
        return FromWin32(rc);
    if (value.type == RegistryValue::Type::Dword) {
        DWORD number = value.number;
        rc = RegSetValueExW(key, W(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                            sizeof number);
    } else {
        rc = RegSetValueExW(key, W(name), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.text.c_str()),
                            static_cast<DWORD>((value.text.size() + 1) * sizeof(char16_t)));
    }
    RegCloseKey(key);
    return FromWin32(rc);
}

ResultCode WindowsRegistry::DeleteValue(RegistryRoot root, const std::u16string& path,
                                        const std::u16string& name) {
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExW(RootKey(root), W(path), 0, KEY_SET_VALUE, &key);
    if (Missing(rc))
        return kOk;
    if (rc != ERROR_SUCCESS)
        return FromWin32(rc);
    rc = RegDeleteValueW(key, W(name));
    RegCloseKey(key);
    return Missing(rc) ? kOk : FromWin32(rc);
}

} // namespace kf::model
