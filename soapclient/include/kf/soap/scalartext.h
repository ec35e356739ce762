// Text forms of scalar SOAP values: numbers, booleans, dates and times. Pure conversions,
// independent of the process locale (always "." and the C conventions); failures raise
// SOAPException with the message the caller passes on to the script.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kf::soap {

// A decimal number text: [white space] [+|-] digits [. digits] [white space], or with "."
// directly before the first digit. No exponent.
class DecimalTextReader {
public:
    // Raises "Invalid number format: <text>".
    explicit DecimalTextReader(std::string_view text);

    bool negative() const { return negative_; }
    // Without leading zeros ("" for zero) and without trailing fraction zeros.
    std::string_view integerDigits() const { return integer_; }
    std::string_view fractionDigits() const { return fraction_; }
    // The text without the surrounding white space.
    std::string_view trimmed() const { return trimmed_; }

    // Sign, then integer digit count, then digits, then the fraction: <0, 0 or >0.
    int Compare(std::int64_t value) const;
    // Raises `message` outside [min, max], then "Not a integer" when a fraction remains.
    std::int64_t ToInteger(std::int64_t min, std::int64_t max, const std::string& message) const;

private:
    std::string text_;
    std::string trimmed_;
    std::string integer_;
    std::string fraction_;
    bool negative_ = false;
};

// "-" for negatives, no leading zeros, "0" for zero.
std::string FormatInteger(std::int64_t value);

// Rows float and double: "%.9G" and "%.18G" in the C conventions; "NaN", "INF", "-INF".
std::string FormatFloat(float value);
std::string FormatDouble(double value);

// "INF", "-INF" and "NaN" in any letter case give infinity, minus infinity and 0; otherwise
// a C-locale floating-point text, trailing white space allowed. Raises
// "Could not convert string to floating point: '<text>'" and
// "Double floating-point underflow|overflow: <text>".
double ReadDouble(std::string_view text);
// ReadDouble, then: a finite value too large for a real raises
// "Floating-point overflow: <text>"; infinities read as such are kept.
float ReadFloat(std::string_view text);
// ReadDouble, then any infinity raises "Floating-point overflow: <text>".
double ReadDoubleRow(std::string_view text);

// Boolean row: "true" / "false"; reading "true", "1", "false", "0" in any letter case,
// else "can't convert a number to boolean".
bool ReadBoolean(std::string_view text);

struct DateFields {
    int year = 0, month = 0, day = 0;
};
struct TimeFields {
    int hour = 0, minute = 0;
    double second = 0;
};

// "%4d-%02d-%02d": a year below 1000 is space-filled.
std::string FormatDate(const DateFields& date);
// "%02d:%02d:%06.3f"
std::string FormatTime(const TimeFields& time);
// "%04d-%02d-%02dT%02d:%02d:%06.3f"
std::string FormatDateTime(const DateFields& date, const TimeFields& time);

// Read as the formats "%4d-%2d-%02d", "%02d:%02d:%lf" and "%4d-%2d-%02dT%2d:%2d:%lf" would
// (white space before a number skipped, text after the last field ignored, so zone suffixes
// pass). A text that does not give every field raises "Invalid date format: <text>",
// "Invalid time format: <text>" or "Invalid dateTime format: <text>".
DateFields ReadDate(std::string_view text);
TimeFields ReadTime(std::string_view text);
void ReadDateTime(std::string_view text, DateFields& date, TimeFields& time);

} // namespace kf::soap
