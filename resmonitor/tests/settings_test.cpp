#include "kf/resmon/settings.h"
#include "kf/resmon/windowsfamily.h"

#include <gtest/gtest.h>

namespace kf::resmon {
namespace {

TEST(SettingsFilePath, NextToTheExecutable) {
    struct Case {
        const char* module;
        const char* expected;
    };
    for (Case c :
         {Case{"C:\\Program Files\\KF\\resmonitor.exe", "C:\\Program Files\\KF\\KFRESMON.INI"},
          Case{"Z:\\tmp\\a.b\\x", "Z:\\tmp\\a.b\\KFRESMON.INI"},
          Case{"C:\\resmonitor.exe", "C:\\KFRESMON.INI"},
          Case{"\\\\server\\share\\r.exe", "\\\\server\\share\\KFRESMON.INI"},
          Case{"resmonitor.exe", ".\\KFRESMON.INI"}, Case{"", ".\\KFRESMON.INI"}})
        EXPECT_EQ(SettingsFilePath(c.module), c.expected) << c.module;
}

TEST(ParseDecimal, LeadingNumberSaturated) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> expected;
    };
    const Case cases[] = {
        {"0", 0},
        {"42", 42},
        {" 7", 7},
        {"-3", -3},
        {"+5", 5},
        {"12abc", 12},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"-", std::nullopt},
        {"0x10", 0},
        {"99999999999999999999", INT32_MAX},
        {"-99999999999", -INT32_MAX - 1},
        {"2147483647", INT32_MAX},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseDecimal(c.text), c.expected) << '"' << c.text << '"';
}

TEST(RowSection, NumberedFromOne) {
    EXPECT_EQ(RowSection(1), "ResourceWindow_1");
    EXPECT_EQ(RowSection(10), "ResourceWindow_10");
}

TEST(WindowsFamily, FromVersion) {
    using F = WindowsFamily;
    struct Case {
        std::uint32_t platform, major, minor;
        std::optional<F> expected;
    };
    const Case cases[] = {
        {1, 4, 10, F::Win9x},     {1, 4, 90, F::Win9x},     {2, 4, 0, F::NT4},
        {2, 5, 0, F::Win2000},    {2, 5, 1, F::XP},         {2, 5, 2, std::nullopt},
        {2, 6, 1, std::nullopt},  {2, 10, 0, std::nullopt}, {2, 3, 51, std::nullopt},
        {0, 3, 10, std::nullopt}, {3, 4, 0, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FamilyFromVersion(c.platform, c.major, c.minor), c.expected)
            << c.platform << ' ' << c.major << '.' << c.minor;
    EXPECT_EQ(TestWindowExtraBytes(F::Win9x), 40);
    EXPECT_EQ(TestWindowExtraBytes(F::NT4), 1024);
    EXPECT_EQ(TestWindowExtraBytes(F::XP), 1024);
}

} // namespace
} // namespace kf::resmon
