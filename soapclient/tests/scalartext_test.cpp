#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>

#include "kf/easysoap/soapexception.h"
#include "kf/soap/scalartext.h"

namespace kf::soap {
namespace {

template <class F> std::string Failure(F&& f) {
    try {
        f();
    } catch (const easysoap::SOAPException& e) {
        return e.what();
    }
    return {};
}

TEST(DecimalTextReader, AcceptsOnlyPlainDecimalTexts) {
    struct Case {
        const char* text;
        bool negative;
        const char* integer;
        const char* fraction;
    };
    for (const Case& c :
         {Case{"007", false, "7", ""}, Case{" \t-12.500 \r\n", true, "12", "5"},
          Case{"+0.0", false, "", ""}, Case{"-0", false, "", ""}, Case{".25", false, "", "25"},
          Case{"9223372036854775808", false, "9223372036854775808", ""}}) {
        SCOPED_TRACE(c.text);
        const DecimalTextReader r(c.text);
        EXPECT_EQ(r.negative(), c.negative);
        EXPECT_EQ(r.integerDigits(), c.integer);
        EXPECT_EQ(r.fractionDigits(), c.fraction);
    }
    for (const char* bad : {"", "  ", "7e1", "1.", "-.5", "+", "--1", "1 2", "0x10", "1.2.3",
                            "\xEF\xBC\x91", "1,5", "INF"}) {
        EXPECT_EQ(Failure([&] { DecimalTextReader{bad}; }),
                  std::string("Invalid number format: ") + bad);
    }
}

TEST(DecimalTextReader, ComparesAndConvertsWithinLimits) {
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(DecimalTextReader("-9223372036854775808").ToInteger(kMin, kMax, "range"), kMin);
    EXPECT_EQ(DecimalTextReader("9223372036854775807").ToInteger(kMin, kMax, "range"), kMax);
    EXPECT_EQ(DecimalTextReader("7.000").ToInteger(-128, 127, "range"), 7);
    struct Case {
        const char* text;
        const char* message;
    };
    for (const Case& c :
         {Case{"-9223372036854775809", "range"}, Case{"9223372036854775808", "range"},
          Case{"127.5", "range"}, Case{"-128.5", "range"}, Case{"7.5", "Not a integer"},
          Case{"-0.1", "Not a integer"}, Case{"128", "range"}, Case{"-129", "range"}}) {
        SCOPED_TRACE(c.text);
        const std::int64_t min = std::string(c.text).size() > 10 ? kMin : -128;
        const std::int64_t max = std::string(c.text).size() > 10 ? kMax : 127;
        EXPECT_EQ(Failure([&] { DecimalTextReader(c.text).ToInteger(min, max, "range"); }),
                  c.message);
    }
    EXPECT_LT(DecimalTextReader("-5").Compare(-4), 0);
    EXPECT_GT(DecimalTextReader("-4.5").Compare(-5), 0);
    EXPECT_GT(DecimalTextReader("0.001").Compare(0), 0);
    EXPECT_EQ(DecimalTextReader("-000").Compare(0), 0);
}

TEST(IntegerText, NoLeadingZerosAndTheMinimum) {
    EXPECT_EQ(FormatInteger(0), "0");
    EXPECT_EQ(FormatInteger(-42), "-42");
    EXPECT_EQ(FormatInteger(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

TEST(FloatingPointText, FormatsLikeUpperCaseGeneralFormat) {
    EXPECT_EQ(FormatFloat(1.5f), "1.5");
    EXPECT_EQ(FormatFloat(0.1f), "0.100000001");
    EXPECT_EQ(FormatFloat(1e20f), "1.00000002E+20");
    EXPECT_EQ(FormatDouble(0.1), "0.100000000000000006");
    EXPECT_EQ(FormatDouble(-2.5e-300), "-2.49999999999999998E-300");
    EXPECT_EQ(FormatDouble(0x1p-30), "9.31322574615478516E-10");
    EXPECT_EQ(FormatDouble(123456789.0), "123456789");
    EXPECT_EQ(FormatDouble(std::nan("")), "NaN");
    EXPECT_EQ(FormatFloat(std::numeric_limits<float>::infinity()), "INF");
    EXPECT_EQ(FormatDouble(-std::numeric_limits<double>::infinity()), "-INF");
}

TEST(FloatingPointText, ReadsCTextsAndReportsEveryFailure) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* text;
        double value;
    };
    for (const Case& c : {Case{"1.5", 1.5}, Case{"  -2.5e3 \n", -2500}, Case{"+.5", 0.5},
                          Case{"5.", 5}, Case{"0x1p3", 8}, Case{"NaN", 0}, Case{"nan", 0},
                          Case{"inf", kInf}, Case{"-Inf", -kInf}, Case{"1e-310", 1e-310}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadDouble(c.text), c.value);
    }
    EXPECT_TRUE(std::isinf(ReadDouble(" infinity")));
    for (const char* bad : {"", " ", "abc", "1.5x", "1,5", "--1", "+-1", "1e", "0x"}) {
        EXPECT_EQ(Failure([&] { ReadDouble(bad); }),
                  std::string("Could not convert string to floating point: '") + bad + "'");
    }
    EXPECT_EQ(Failure([] { ReadDouble("1e400"); }), "Double floating-point overflow: 1e400");
    EXPECT_EQ(Failure([] { ReadDouble("-1e400"); }), "Double floating-point overflow: -1e400");
    EXPECT_EQ(Failure([] { ReadDouble("1e-400"); }), "Double floating-point underflow: 1e-400");
    EXPECT_EQ(Failure([] { ReadDouble("0.00001e-320"); }),
              "Double floating-point underflow: 0.00001e-320");
    EXPECT_EQ(Failure([] { ReadDouble("0x1p-1100"); }),
              "Double floating-point underflow: 0x1p-1100");
}

TEST(FloatingPointText, RowsTreatInfinitiesDifferently) {
    EXPECT_TRUE(std::isinf(ReadFloat("inf")));
    EXPECT_LT(ReadFloat("-INF"), 0);
    EXPECT_EQ(Failure([] { ReadDoubleRow("inf"); }), "Floating-point overflow: inf");
    EXPECT_EQ(Failure([] { ReadDoubleRow("INF"); }), "Floating-point overflow: INF");
    EXPECT_EQ(Failure([] { ReadFloat("1e39"); }), "Floating-point overflow: 1e39");
    EXPECT_EQ(ReadFloat("3.4028235e38"), std::numeric_limits<float>::max());
    EXPECT_EQ(ReadDoubleRow("1e39"), 1e39);
    // Messages that quote received text stay within the formatted message length.
    const std::string longText(5000, '9');
    EXPECT_EQ(Failure([&] { ReadFloat(longText); }).size(), 2047u);
}

TEST(BooleanText, AnyLetterCase) {
    EXPECT_TRUE(ReadBoolean("TRUE"));
    EXPECT_TRUE(ReadBoolean("1"));
    EXPECT_FALSE(ReadBoolean("False"));
    EXPECT_FALSE(ReadBoolean("0"));
    for (const char* bad : {"yes", "", " true", "2", "01"})
        EXPECT_EQ(Failure([&] { ReadBoolean(bad); }), "can't convert a number to boolean");
}

TEST(DateTimeText, WidthsAndPadding) {
    EXPECT_EQ(FormatDate({999, 3, 4}), " 999-03-04");
    EXPECT_EQ(FormatDateTime({999, 3, 4}, {5, 6, 7.25}), "0999-03-04T05:06:07.250");
    EXPECT_EQ(FormatTime({23, 59, 59.9994}), "23:59:59.999");
    EXPECT_EQ(FormatTime({0, 0, 0}), "00:00:00.000");
    EXPECT_EQ(FormatDateTime({2024, 12, 31}, {13, 14, 15.5}), "2024-12-31T13:14:15.500");
}

TEST(DateTimeText, ReadsLikeScanfAndRefusesPartialTexts) {
    const DateFields d = ReadDate(" 999-3-04");
    EXPECT_EQ(d.year, 999);
    EXPECT_EQ(d.month, 3);
    EXPECT_EQ(d.day, 4);
    const TimeFields t = ReadTime("05:06:07.250Z");
    EXPECT_EQ(t.hour, 5);
    EXPECT_EQ(t.minute, 6);
    EXPECT_DOUBLE_EQ(t.second, 7.25);
    DateFields dd;
    TimeFields tt;
    ReadDateTime("2024-12-31T13:14:15.5+01:00", dd, tt);
    EXPECT_EQ(dd.year, 2024);
    EXPECT_EQ(dd.day, 31);
    EXPECT_EQ(tt.minute, 14);
    EXPECT_DOUBLE_EQ(tt.second, 15.5);
    for (const char* bad : {"", "2024", "2024-12", "2024/12/31", "20245-01-01", "x"})
        EXPECT_EQ(Failure([&] { ReadDate(bad); }), std::string("Invalid date format: ") + bad);
    for (const char* bad : {"12:30", "12:30:", "12-30-00", "12:30:.", "123:00:00"})
        EXPECT_EQ(Failure([&] { ReadTime(bad); }), std::string("Invalid time format: ") + bad);
    for (const char* bad : {"2024-12-31", "2024-12-31 13:14:15", "2024-12-31T13:14"}) {
        EXPECT_EQ(Failure([&] { ReadDateTime(bad, dd, tt); }),
                  std::string("Invalid dateTime format: ") + bad);
    }
}

// The conversions must not follow a process locale whose decimal separator is ",". Such a
// locale is built from the system's locale sources into a temporary folder when possible.
TEST(ScalarText, IgnoresTheProcessLocale) {
#if defined(__linux__)
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "kf-locales";
    std::filesystem::create_directories(dir);
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (!std::filesystem::exists(dir / "de_DE.UTF-8"))
        (void)std::system(command.c_str());
    setenv("LOCPATH", dir.c_str(), 1);
    const char* set = std::setlocale(LC_ALL, "de_DE.UTF-8");
    unsetenv("LOCPATH");
    if (set == nullptr)
        GTEST_SKIP() << "no locale with a decimal comma could be built";
    struct Restore {
        ~Restore() { std::setlocale(LC_ALL, "C"); }
    } restore;
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5");
    EXPECT_EQ(FormatDouble(1.5), "1.5");
    EXPECT_EQ(FormatFloat(-0.25f), "-0.25");
    EXPECT_EQ(ReadDouble("1.5"), 1.5);
    EXPECT_EQ(ReadFloat("2.75"), 2.75f);
    EXPECT_EQ(Failure([] { ReadDouble("1,5"); }),
              "Could not convert string to floating point: '1,5'");
    EXPECT_EQ(FormatTime({1, 2, 3.5}), "01:02:03.500");
    EXPECT_DOUBLE_EQ(ReadTime("01:02:03.5").second, 3.5);
#else
    GTEST_SKIP() << "locale sources are only built on Linux";
#endif
}

} // namespace
} // namespace kf::soap
