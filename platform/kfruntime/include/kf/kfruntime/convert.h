// Literals and the conversions of assignment.
#pragma once

#include <optional>
#include <string>

#include "kf/kfruntime/scanner.h"
#include "kf/kfruntime/value.h"

namespace kf::rt {

// The value a literal token stands for: integers as long (longlong, decimal when larger),
// numbers with a fraction as decimal, with an exponent as double, strings, true and false,
// dates, times and datetimes. Nothing for other tokens or invalid dates and times.
std::optional<Value> LiteralValue(const Token& token);

// A scalar value converted for storing under `target`: numbers between numeric types when
// the value fits (decimals and doubles to integers only when whole), anything to any, other
// values only to their own type. Nothing when it does not fit.
std::optional<Value> ConvertScalar(const Value& value, const TypeSpec& target);

// Text of a value as kfrun prints it.
std::string FormatValue(const Value& value, bool quoteStrings = false);

}  // namespace kf::rt
