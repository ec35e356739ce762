#include "winsupport.h"

#include <gtest/gtest.h>
#include <objbase.h>

namespace kf::model::wintest {
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

const wchar_t* W(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// COM for the test thread, the host framework's type library and the server
// registered once before the first test.
class ServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_EQ(RunProcess(L"\"" + Beside(L"regtlb.exe") + L"\" \"" +
                             Beside(L"KFGenericPlugin.tlb") + L"\""),
                  0);
        ASSERT_EQ(Regsvr32(false), 0);
    }
    void TearDown() override { CoUninitialize(); }
};

[[maybe_unused]] const auto* const g_environment =
    ::testing::AddGlobalTestEnvironment(new ServerEnvironment);

} // namespace

std::wstring ServerPath() {
    return Beside(L"modelbridge.dll");
}

int Regsvr32(bool unregister) {
    return RunProcess(std::wstring(L"regsvr32.exe /s ") + (unregister ? L"/u " : L"") + L"\"" +
                      ServerPath() + L"\"");
}

std::u16string U16(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

bool WindowsRegistryReader::Exists(RegistryRoot root, const std::u16string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(RootKey(root), W(path), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::vector<std::u16string> WindowsRegistryReader::SubKeys(RegistryRoot root,
                                                           const std::u16string& path) {
    std::vector<std::u16string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(RootKey(root), W(path), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD size = 256;
        if (RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(U16(std::wstring(name, size)));
    }
    RegCloseKey(key);
    return names;
}

std::vector<std::pair<std::u16string, RegistryValue>>
WindowsRegistryReader::Values(RegistryRoot root, const std::u16string& path) {
    std::vector<std::pair<std::u16string, RegistryValue>> values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(RootKey(root), W(path), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameSize = 256, type = 0, dataSize = 0;
        if (RegEnumValueW(key, i, name, &nameSize, nullptr, &type, nullptr, &dataSize) !=
            ERROR_SUCCESS)
            break;
        std::vector<BYTE> data(dataSize + sizeof(wchar_t));
        nameSize = 256;
        if (RegEnumValueW(key, i, name, &nameSize, nullptr, &type, data.data(), &dataSize) !=
            ERROR_SUCCESS)
            break;
        RegistryValue value;
        if (type == REG_DWORD) {
            value.type = RegistryValue::Type::Dword;
            value.number = *reinterpret_cast<DWORD*>(data.data());
        } else {
            const wchar_t* text = reinterpret_cast<const wchar_t*>(data.data());
            size_t length = dataSize / sizeof(wchar_t);
            while (length > 0 && text[length - 1] == L'\0')
                --length;
            value.text = U16(std::wstring(text, length));
            if (type != REG_SZ)
                value.text = u"<type " + U16(std::to_wstring(type)) + u">";
        }
        values.emplace_back(U16(std::wstring(name, nameSize)), value);
    }
    RegCloseKey(key);
    return values;
}

} // namespace kf::model::wintest
