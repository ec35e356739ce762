#include <gtest/gtest.h>

#include "kf/registry/regfile.h"

namespace kf::registry {
namespace {

constexpr const char* kKey = "SOFTWARE\\Tevron\\Kestrelforge\\10.0\\Java";

std::string Utf16WithBom(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

TEST(RegFileRegistry, ReadsStringsOfBothExportFormats) {
    const std::string body =
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tevron\\Kestrelforge\\10.0\\Java]\r\n"
        "\"JDKLocation\"=\"C:\\\\Program Files\\\\jdk\"\r\n"
        "\"Quoted\"=\"say \\\"hi\\\"\"\r\n"
        "@=\"default\"\r\n"
        "\"Number\"=dword:00000010\r\n"
        "\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n\"x\"=\"user\"\r\n";
    for (const std::string& file : {"REGEDIT4\r\n\r\n" + body,
                                    Utf16WithBom("Windows Registry Editor Version 5.00\r\n\r\n" + body)}) {
        RegFileRegistry registry = RegFileRegistry::Parse(file);
        EXPECT_TRUE(registry.KeyExists(Hive::LocalMachine, kKey));
        EXPECT_TRUE(registry.KeyExists(Hive::LocalMachine, "software\\tevron\\KESTRELFORGE\\10.0\\java\\"));
        EXPECT_EQ(registry.ReadString(Hive::LocalMachine, kKey, "jdklocation", 260),
                  "C:\\Program Files\\jdk");
        EXPECT_EQ(registry.ReadString(Hive::LocalMachine, kKey, "Quoted", 260), "say \"hi\"");
        EXPECT_EQ(registry.ReadString(Hive::LocalMachine, kKey, "", 260), "default");
        EXPECT_EQ(registry.ReadString(Hive::LocalMachine, kKey, "Number", 260), std::nullopt);
        EXPECT_EQ(registry.ReadString(Hive::CurrentUser, "Software\\Other", "x", 260), "user");
        EXPECT_EQ(registry.ReadString(Hive::LocalMachine, "Software\\Other", "x", 260), std::nullopt);
        // The value and its terminating zero must fit the buffer.
        EXPECT_EQ(registry.ReadString(Hive::CurrentUser, "Software\\Other", "x", 4), std::nullopt);
        EXPECT_EQ(registry.ReadString(Hive::CurrentUser, "Software\\Other", "x", 5), "user");
    }
}

TEST(RegFileRegistry, DeletionsAndDamagedLines) {
    RegFileRegistry registry = RegFileRegistry::Parse(
        "REGEDIT4\n[HKLM\\A]\n\"keep\"=\"1\"\n\"drop\"=\"2\"\n\"drop\"=-\n\"broken\n=\"x\"\n"
        "[HKLM\\B]\n\"v\"=\"3\"\n[-HKEY_LOCAL_MACHINE\\B]\n[unterminated\n\"orphan\"=\"4\"\n");
    EXPECT_EQ(registry.ReadString(Hive::LocalMachine, "A", "keep", 260), "1");
    EXPECT_EQ(registry.ReadString(Hive::LocalMachine, "A", "drop", 260), std::nullopt);
    EXPECT_FALSE(registry.KeyExists(Hive::LocalMachine, "B"));
    EXPECT_EQ(registry.ReadString(Hive::LocalMachine, "A", "orphan", 260), std::nullopt);
    EXPECT_FALSE(RegFileRegistry::Parse("").KeyExists(Hive::LocalMachine, "A"));
}

} // namespace
} // namespace kf::registry
