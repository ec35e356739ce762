#include "kf/kfruntime/convert.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "kf/kfruntime/object.h"
#include "kf/kfruntime/text.h"

namespace kf::rt {
namespace {

std::string Ascii(std::u16string_view s) {
  std::string out;
  for (char16_t c : s) out += c < 0x80 ? char(c) : '?';
  return out;
}

std::optional<std::int64_t> ParseInt(const std::string& s) {
  std::int64_t v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
  return v;
}

// A number as the widest form that holds it exactly.
struct Number {
  enum { Integer, Floating, Exact } kind;
  std::int64_t i = 0;
  double d = 0;
  Decimal dec;
};

std::optional<Number> AsNumber(const Value& v) {
  if (v.null || v.isArray) return std::nullopt;
  Number n{Number::Integer, 0, 0, {}};
  switch (v.type) {
    case ValueType::Int: n.i = std::get<std::int16_t>(v.data); return n;
    case ValueType::UInt: n.i = std::get<std::uint16_t>(v.data); return n;
    case ValueType::Long: n.i = std::get<std::int32_t>(v.data); return n;
    case ValueType::ULong: n.i = std::get<std::uint32_t>(v.data); return n;
    case ValueType::LongLong: n.i = std::get<std::int64_t>(v.data); return n;
    case ValueType::Real: n.kind = Number::Floating; n.d = std::get<float>(v.data); return n;
    case ValueType::Double: n.kind = Number::Floating; n.d = std::get<double>(v.data); return n;
    case ValueType::Decimal: n.kind = Number::Exact; n.dec = std::get<Decimal>(v.data); return n;
    default: return std::nullopt;
  }
}

// The integer a number stands for, when it is whole and fits 64 bits.
std::optional<std::int64_t> Whole(const Number& n) {
  if (n.kind == Number::Integer) return n.i;
  if (n.kind == Number::Floating) {
    if (!std::isfinite(n.d) || std::trunc(n.d) != n.d || n.d < -9.2233720368547758e18 ||
        n.d >= 9.2233720368547758e18)
      return std::nullopt;
    return std::int64_t(n.d);
  }
  std::string text = n.dec.Text();
  if (auto dot = text.find('.'); dot != std::string::npos) {
    if (text.find_first_not_of('0', dot + 1) != std::string::npos) return std::nullopt;
    text.erase(dot);
  }
  return ParseInt(text);
}

double AsDouble(const Number& n) {
  if (n.kind == Number::Integer) return double(n.i);
  if (n.kind == Number::Floating) return n.d;
  return std::strtod(n.dec.Text().c_str(), nullptr);
}

template <class T>
std::optional<Value> Ranged(ValueType t, std::optional<std::int64_t> v) {
  if (!v || *v < std::int64_t(std::numeric_limits<T>::min())) return std::nullopt;
  if constexpr (!std::is_same_v<T, std::int64_t>)
    if (*v > std::int64_t(std::numeric_limits<T>::max())) return std::nullopt;
  return Value::Of(t, T(*v));
}

std::string FormatDouble(double d, int maxDigits) {
  if (std::isnan(d)) return "NaN";
  if (std::isinf(d)) return d < 0 ? "-INF" : "INF";
  char buf[64];
  // The shortest text that reads back as the same value.
  for (int p = 1; p <= maxDigits; ++p) {
    std::snprintf(buf, sizeof buf, "%.*g", p, d);
    if (maxDigits <= 9 ? std::strtof(buf, nullptr) == float(d) : std::strtod(buf, nullptr) == d)
      break;
  }
  return buf;
}

}  // namespace

std::optional<Value> LiteralValue(const Token& t) {
  std::string text = Ascii(t.text);
  switch (t.kind) {
    case TokenKind::Integer: {
      if (auto v = ParseInt(text)) {
        if (*v >= std::numeric_limits<std::int32_t>::min() &&
            *v <= std::numeric_limits<std::int32_t>::max())
          return Value::Of(ValueType::Long, std::int32_t(*v));
        return Value::Of(ValueType::LongLong, *v);
      }
      if (auto d = Decimal::Parse(text)) return Value::Of(ValueType::Decimal, *d);
      return std::nullopt;
    }
    case TokenKind::Number:
      if (auto d = Decimal::Parse(text)) return Value::Of(ValueType::Decimal, *d);
      return std::nullopt;
    case TokenKind::Float: {
      double d = std::strtod(text.c_str(), nullptr);
      if (!std::isfinite(d)) return std::nullopt;
      return Value::Of(ValueType::Double, d);
    }
    case TokenKind::String: return Value::Of(ValueType::String, t.text);
    case TokenKind::Name:
      if (t.IsWord(u"true")) return Value::Of(ValueType::Boolean, true);
      if (t.IsWord(u"false")) return Value::Of(ValueType::Boolean, false);
      return std::nullopt;
    case TokenKind::Date:
    case TokenKind::Time:
    case TokenKind::DateTime: {
      Date date;
      Time time;
      std::size_t timeAt = 0;
      if (t.kind != TokenKind::Time) {
        date = Date{std::atoi(text.substr(0, 4).c_str()), std::atoi(text.substr(5, 2).c_str()),
                    std::atoi(text.substr(8, 2).c_str())};
        if (!IsValid(date)) return std::nullopt;
        if (t.kind == TokenKind::Date) return Value::Of(ValueType::Date, date);
        timeAt = 11;
      }
      std::string tt = text.substr(timeAt);
      auto colon = tt.find(':');
      time.hour = std::atoi(tt.substr(0, colon).c_str());
      time.minute = std::atoi(tt.substr(colon + 1, 2).c_str());
      time.second = std::strtod(tt.substr(colon + 4).c_str(), nullptr);
      if (!IsValid(time)) return std::nullopt;
      if (t.kind == TokenKind::Time) return Value::Of(ValueType::Time, time);
      return Value::Of(ValueType::DateTime, DateTime{date, time});
    }
    case TokenKind::Blob: {
      Blob bytes;
      if (text.size() % 2 != 0) return std::nullopt;
      for (std::size_t i = 2; i < text.size(); i += 2) {
        unsigned byte = 0;
        auto [p, ec] = std::from_chars(text.data() + i, text.data() + i + 2, byte, 16);
        if (ec != std::errc() || p != text.data() + i + 2) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(byte));
      }
      return Value::Of(ValueType::Blob, std::move(bytes));
    }
    default: return std::nullopt;
  }
}

std::optional<Value> ConvertScalar(const Value& v, const TypeSpec& target) {
  if (target.isArray || v.isArray) return std::nullopt;
  if (target.type == ValueType::Any || v.null) {
    Value out = v;
    if (v.null && target.type != ValueType::Any) out.type = target.type;
    return out;
  }
  if (v.type == target.type) return v;
  auto n = AsNumber(v);
  if (!n) return std::nullopt;
  switch (target.type) {
    case ValueType::Int: return Ranged<std::int16_t>(target.type, Whole(*n));
    case ValueType::UInt: return Ranged<std::uint16_t>(target.type, Whole(*n));
    case ValueType::Long: return Ranged<std::int32_t>(target.type, Whole(*n));
    case ValueType::ULong: return Ranged<std::uint32_t>(target.type, Whole(*n));
    case ValueType::LongLong: return Ranged<std::int64_t>(target.type, Whole(*n));
    case ValueType::Double: return Value::Of(target.type, AsDouble(*n));
    case ValueType::Real: {
      double d = AsDouble(*n);
      if (std::isfinite(d) && std::fabs(d) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
      return Value::Of(target.type, float(d));
    }
    case ValueType::Decimal: {
      std::optional<Decimal> d;
      if (n->kind == Number::Integer) {
        d = Decimal::Parse(std::to_string(n->i));
      } else {
        std::string text = FormatDouble(n->d, 17);
        if (text.find_first_of("eEIN") == std::string::npos) d = Decimal::Parse(text);
      }
      if (!d) return std::nullopt;
      return Value::Of(target.type, *d);
    }
    default: return std::nullopt;
  }
}

std::string FormatValue(const Value& v, bool quoteStrings) {
  if (v.null) return "null";
  if (v.isArray) {
    const auto* a = std::get_if<ArrayRef>(&v.data);
    if (a == nullptr || !*a) return "null";
    std::string out = "{";
    for (std::size_t i = 0; i < (*a)->items.size(); ++i) {
      if (i != 0) out += ", ";
      out += FormatValue((*a)->items[i], true);
    }
    return out + "}";
  }
  return std::visit(
      [&](const auto& d) -> std::string {
        using T = std::decay_t<decltype(d)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return "null";
        } else if constexpr (std::is_same_v<T, bool>) {
          return d ? "true" : "false";
        } else if constexpr (std::is_same_v<T, float>) {
          return FormatDouble(d, 9);
        } else if constexpr (std::is_same_v<T, double>) {
          return FormatDouble(d, 17);
        } else if constexpr (std::is_integral_v<T>) {
          return std::to_string(d);
        } else if constexpr (std::is_same_v<T, Decimal>) {
          return d.Text();
        } else if constexpr (std::is_same_v<T, std::u16string>) {
          return quoteStrings ? "\"" + Narrow(d) + "\"" : Narrow(d);
        } else if constexpr (std::is_same_v<T, Blob>) {
          static const char kHex[] = "0123456789abcdef";
          std::string out = "blob{";
          for (std::uint8_t b : d) {
            out += kHex[b >> 4];
            out += kHex[b & 15];
          }
          return out + "}";
        } else if constexpr (std::is_same_v<T, Date>) {
          return FormatDate(d);
        } else if constexpr (std::is_same_v<T, Time>) {
          return FormatTime(d);
        } else if constexpr (std::is_same_v<T, DateTime>) {
          return FormatDate(d.date) + " " + FormatTime(d.time);
        } else if constexpr (std::is_same_v<T, ObjectRef>) {
          if (!d || d->destroyed) return "null";
          return Narrow(d->cls->name) + " object";
        } else {
          return "array";
        }
      },
      v.data);
}

}  // namespace kf::rt
