// regsvr32 and regsvr32 /u of modelbridge.dll against the real registry of the test
// prefix. Each test leaves the server registered, as the other tests expect it.
#include <gtest/gtest.h>

#include "kf/model/classtable.h"
#include "winsupport.h"

namespace kf::model::wintest {
namespace {

const wchar_t kUserKey[] = L"Software\\Tevron\\Kestrelforge\\10.0\\KFPlugins\\Draftora 10";

std::string Golden() {
    std::string text = ReadFile(Beside(L"registry-registered.txt"));
    // The dump writes a backslash as two.
    std::string module;
    for (char c : testing::ToUtf8(U16(ServerPath())))
        module += c == '\\' ? std::string(2, c) : std::string(1, c);
    for (size_t at; (at = text.find("%MODULE%")) != std::string::npos;)
        text.replace(at, 8, module);
    return text;
}

std::string Dump() {
    WindowsRegistryReader registry;
    return testing::DumpPluginKeys(registry);
}

void SetUserDword(const wchar_t* name, DWORD value) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kUserKey, name, REG_DWORD, &value, sizeof value),
              ERROR_SUCCESS);
}

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

TEST(RegistrationTest, RegisteredServerShowsEveryKeyAndValue) {
    ASSERT_EQ(Regsvr32(false), 0);
    EXPECT_EQ(Dump(), Golden());
    // The type library is registered (its version key is written in hexadecimal).
    EXPECT_TRUE(
        KeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\{D2241128-8412-44CB-B581-BF2873DF9997}\\a.0"));
}

TEST(RegistrationTest, RegisteringTwiceEqualsOnceAndResetsUserSettings) {
    ASSERT_EQ(Regsvr32(false), 0);
    SetUserDword(L"AutoSync", 1);
    SetUserDword(L"AutoOpenFiles", 0);
    HKEY stale = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT,
                              L"CLSID\\{7C3E0100-BB5E-4D2B-ADC1-6D353AE4F17D}\\Stale", 0, nullptr,
                              0, KEY_WRITE, nullptr, &stale, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(stale);
    ASSERT_EQ(Regsvr32(false), 0);
    EXPECT_EQ(Dump(), Golden());
}

TEST(RegistrationTest, UnregisterRemovesProgIdsClassKeysAndTypeLibrary) {
    ASSERT_EQ(Regsvr32(false), 0);
    ASSERT_EQ(Regsvr32(true), 0);
    WindowsRegistryReader registry;
    for (const auto& name : registry.SubKeys(RegistryRoot::ClassesRoot, u""))
        EXPECT_NE(testing::ToUtf8(name).rfind("KFDraftoraPlugin.", 0), 0u) << testing::ToUtf8(name);
    for (const ClassEntry& entry : kClassTable)
        EXPECT_FALSE(registry.Exists(RegistryRoot::ClassesRoot, u"CLSID\\" + ClassIdText(entry)))
            << testing::ToUtf8(entry.name);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_FALSE(
        KeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\{D2241128-8412-44CB-B581-BF2873DF9997}\\a.0"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE,
                           L"Software\\Tevron\\Kestrelforge\\10.0\\KFPlugins\\Services\\"
                           L"KFDraftoraPlugin.KFPDRService"));
    // A second unregistration finds nothing to remove and still succeeds.
    EXPECT_EQ(Regsvr32(true), 0);
    ASSERT_EQ(Regsvr32(false), 0);
}

} // namespace
} // namespace kf::model::wintest
