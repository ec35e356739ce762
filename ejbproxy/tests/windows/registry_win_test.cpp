// The Windows registry reader against values this test writes to the registry.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "kf/registry/registry.h"

namespace {

using kf::registry::Hive;

constexpr const char* kKey = "Software\\KfRegistryTest";

void SetRaw(HKEY root, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(root, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void SetString(HKEY root, const char* name, const std::string& value, DWORD type = REG_SZ) {
    SetRaw(root, name, type, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

class RegistryWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey);
    }
    void TearDown() override { SetUp(); }
    std::unique_ptr<kf::registry::RegistryReader> reg = kf::registry::OpenSystemRegistry();
};

TEST_F(RegistryWinTest, ReadsStringsOfBothHives) {
    SetString(HKEY_CURRENT_USER, "Count", "2");
    SetString(HKEY_LOCAL_MACHINE, "JDKLocation", "C:\\jdk");
    SetString(HKEY_CURRENT_USER, "Expand", "%SystemRoot%\\x", REG_EXPAND_SZ);
    EXPECT_TRUE(reg->KeyExists(Hive::CurrentUser, kKey));
    EXPECT_TRUE(reg->KeyExists(Hive::LocalMachine, kKey));
    EXPECT_EQ(reg->ReadString(Hive::CurrentUser, kKey, "Count", 260), "2");
    EXPECT_EQ(reg->ReadString(Hive::LocalMachine, kKey, "JDKLocation", 260), "C:\\jdk");
    // Read as stored, not expanded.
    EXPECT_EQ(reg->ReadString(Hive::CurrentUser, kKey, "Expand", 260), "%SystemRoot%\\x");
    // Each hive is its own.
    EXPECT_EQ(reg->ReadString(Hive::LocalMachine, kKey, "Count", 260), std::nullopt);
}

TEST_F(RegistryWinTest, MissingKeysValuesAndOtherTypesAreNotRead) {
    const DWORD number = 7;
    SetRaw(HKEY_CURRENT_USER, "Number", REG_DWORD, &number, sizeof number);
    SetRaw(HKEY_CURRENT_USER, "Binary", REG_BINARY, "abc", 4);
    EXPECT_FALSE(reg->KeyExists(Hive::CurrentUser, "Software\\KfRegistryTest\\Missing"));
    EXPECT_EQ(reg->ReadString(Hive::CurrentUser, "Software\\KfRegistryTest\\Missing", "x", 260),
              std::nullopt);
    EXPECT_EQ(reg->ReadString(Hive::CurrentUser, kKey, "Absent", 260), std::nullopt);
    EXPECT_EQ(reg->ReadString(Hive::CurrentUser, kKey, "Number", 260), std::nullopt);
    EXPECT_EQ(reg->ReadString(Hive::CurrentUser, kKey, "Binary", 260), std::nullopt);
}

TEST_F(RegistryWinTest, ValueMustFitWithItsZero) {
    SetString(HKEY_CURRENT_USER, "Fits", std::string(259, 'a'));
    SetString(HKEY_CURRENT_USER, "TooLong", std::string(260, 'b'));
    // Stored without a terminating zero: 259 characters still fit, 260 do not.
    const std::string c(260, 'c');
    SetRaw(HKEY_CURRENT_USER, "NoZeroFits", REG_SZ, c.data(), 259);
    SetRaw(HKEY_CURRENT_USER, "NoZeroTooLong", REG_SZ, c.data(), 260);
    SetString(HKEY_CURRENT_USER, "Empty", "");
    EXPECT_EQ(reg->ReadString(Hive::CurrentUser, kKey, "Fits", 260), std::string(259, 'a'));
    EXPECT_EQ(reg->ReadString(Hive::CurrentUser, kKey, "TooLong", 260), std::nullopt);
    EXPECT_EQ(reg->ReadString(Hive::CurrentUser, kKey, "NoZeroFits", 260), std::string(259, 'c'));
    EXPECT_EQ(reg->ReadString(Hive::CurrentUser, kKey, "NoZeroTooLong", 260), std::nullopt);
    EXPECT_EQ(reg->ReadString(Hive::CurrentUser, kKey, "Empty", 260), "");
    EXPECT_EQ(reg->ReadString(Hive::CurrentUser, kKey, "Empty", 0), std::nullopt);
}

} // namespace
