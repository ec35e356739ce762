#include <gtest/gtest.h>

#include "kf/kfruntime/decimal.h"

namespace kf::rt {
namespace {

struct RoundTrip {
  const char* text;
  const char* expected;  // nullptr: refused
};

class DecimalText : public testing::TestWithParam<RoundTrip> {};

TEST_P(DecimalText, ReadsBackAsWritten) {
  auto d = Decimal::Parse(std::string(GetParam().text));
  if (GetParam().expected == nullptr) {
    EXPECT_FALSE(d) << GetParam().text;
    return;
  }
  ASSERT_TRUE(d) << GetParam().text;
  EXPECT_EQ(d->Text(), GetParam().expected);
  // The text of a decimal reads back as the same decimal.
  EXPECT_EQ(Decimal::Parse(d->Text()), d);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecimalText,
    testing::Values(
        RoundTrip{"0", "0"}, RoundTrip{"-0.00", "0.00"}, RoundTrip{"+12.50", "12.50"},
        RoundTrip{"007", "7"}, RoundTrip{".5", "0.5"}, RoundTrip{"-.5", "-0.5"},
        RoundTrip{"5.", "5"}, RoundTrip{"  42  ", "42"},
        // 28 and 38 significant digits are exact; 39 are refused rather than rounded.
        RoundTrip{"1234567890123456789012345678", "1234567890123456789012345678"},
        RoundTrip{"-1234567890.1234567890123456789012345678",
                  "-1234567890.1234567890123456789012345678"},
        RoundTrip{"0.00000000000000000000000000000000000000000001",
                  "0.00000000000000000000000000000000000000000001"},
        RoundTrip{"123456789012345678901234567890123456789", nullptr},
        RoundTrip{"", nullptr}, RoundTrip{"-", nullptr}, RoundTrip{".", nullptr},
        RoundTrip{"1e5", nullptr}, RoundTrip{"1.2.3", nullptr}, RoundTrip{"12a", nullptr},
        RoundTrip{"- 1", nullptr}, RoundTrip{"0x10", nullptr}));

TEST(Decimal, RefusesTextBeyondAscii) { EXPECT_FALSE(Decimal::Parse(std::u16string(u"1\u0661"))); }

}  // namespace
}  // namespace kf::rt
