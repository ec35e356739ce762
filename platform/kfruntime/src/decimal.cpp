#include "kf/kfruntime/decimal.h"

namespace kf::rt {
namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::optional<Decimal> Decimal::Parse(std::string_view text) {
  std::size_t i = 0, n = text.size();
  while (i < n && IsSpace(text[i])) ++i;
  while (n > i && IsSpace(text[n - 1])) --n;
  Decimal d;
  if (i < n && (text[i] == '+' || text[i] == '-')) d.negative_ = text[i++] == '-';
  std::size_t start = i;
  while (i < n && IsDigit(text[i])) ++i;
  std::string_view whole = text.substr(start, i - start);
  std::string_view frac;
  if (i < n && text[i] == '.') {
    start = ++i;
    while (i < n && IsDigit(text[i])) ++i;
    frac = text.substr(start, i - start);
  }
  if (i != n || (whole.empty() && frac.empty())) return std::nullopt;
  while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
  d.integer_ = std::string(whole);
  d.fraction_ = std::string(frac);
  std::size_t significant = d.integer_.size() + d.fraction_.size();
  if (d.integer_.empty()) {
    std::size_t lead = d.fraction_.find_first_not_of('0');
    significant = lead == std::string::npos ? 0 : d.fraction_.size() - lead;
  }
  if (significant > kMaxDigits) return std::nullopt;
  if (significant == 0) d.negative_ = false;
  return d;
}

std::optional<Decimal> Decimal::Parse(std::u16string_view text) {
  std::string narrow;
  for (char16_t c : text) {
    if (c > 0x7F) return std::nullopt;
    narrow += char(c);
  }
  return Parse(narrow);
}

std::string Decimal::Text() const {
  std::string out = negative_ ? "-" : "";
  out += integer_.empty() ? "0" : integer_;
  if (!fraction_.empty()) out += "." + fraction_;
  return out;
}

}  // namespace kf::rt
