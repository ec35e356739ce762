// Exact decimal numbers: up to 38 significant digits, the scale kept as written.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kf::rt {

class Decimal {
 public:
  static constexpr std::size_t kMaxDigits = 38;

  Decimal() = default;  // zero
  // [spaces] [+|-] digits [. digits] [spaces], or [+|-] . digits. Nothing for anything else
  // or for more than kMaxDigits significant digits.
  static std::optional<Decimal> Parse(std::string_view text);
  static std::optional<Decimal> Parse(std::u16string_view text);

  // Optional "-", the integer digits (at least "0"), then "." and the fraction digits when
  // there are any. Zero is never negative.
  std::string Text() const;

  bool operator==(const Decimal&) const = default;

 private:
  bool negative_ = false;
  std::string integer_;   // no leading zeros, empty for 0
  std::string fraction_;  // as written, trailing zeros kept
};

}  // namespace kf::rt
