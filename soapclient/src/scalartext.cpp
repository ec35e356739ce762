// Number, boolean, date and time texts. Everything goes through std::to_chars and
// std::from_chars, which follow the C conventions whatever locale the process or another
// thread has set, so no locale is switched here.
#include "kf/soap/scalartext.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>

#include "kf/easysoap/soapexception.h"
#include "kf/soap/messages.h"

namespace kf::soap {
namespace {

using easysoap::SOAPException;

// The C locale's white space, as strtod and sscanf skip it.
bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

bool StartsNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// The original formatted these messages into a fixed buffer.

[[noreturn]] void ConvertFailure(std::string_view text) {
    throw SOAPException(JoinedMessage("Could not convert string to floating point: '", text, "'"));
}

std::string FormatGeneral(double value, int precision) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    return Upper(std::string(buffer, result.ptr));
}

// Whether an out-of-range number text is too small (true) or too large: the position of its
// first significant digit plus its exponent, in digits of its base.
bool IsTooSmall(std::string_view number, bool hex) {
    const auto isDigit = [hex](char c) {
        return IsDigit(c) || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
    };
    // Integer digits after leading zeros, or minus the leading zeros of the fraction.
    std::size_t i = 0;
    long magnitude = 0;
    while (i < number.size() && number[i] == '0')
        ++i;
    while (i < number.size() && isDigit(number[i]))
        ++i, ++magnitude;
    if (i < number.size() && number[i] == '.') {
        ++i;
        if (magnitude == 0) {
            while (i < number.size() && number[i] == '0')
                ++i, --magnitude;
        }
        while (i < number.size() && isDigit(number[i]))
            ++i;
    }
    long exponent = 0;
    bool negative = false;
    if (i < number.size() && (LowerAscii(number[i]) == (hex ? 'p' : 'e'))) {
        ++i;
        if (i < number.size() && (number[i] == '+' || number[i] == '-'))
            negative = number[i++] == '-';
        for (; i < number.size() && IsDigit(number[i]); ++i)
            exponent = exponent < 1000000 ? exponent * 10 + (number[i] - '0') : exponent;
    }
    if (negative)
        exponent = -exponent;
    return (hex ? magnitude * 4 : magnitude) + exponent <= 0;
}

// A double as strtod reads it in the C locale: leading white space, a sign, then a decimal
// or "0x" hexadecimal number, "inf", "infinity" or "nan". `end` is where it stopped.
struct ParsedDouble {
    double value = 0;
    std::size_t end = 0;
    bool ok = false;
    bool outOfRange = false;
    bool tooSmall = false;
};

ParsedDouble ParseCDouble(std::string_view text) {
    ParsedDouble out;
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const std::string_view rest = text.substr(i);
    const double sign = negative ? -1.0 : 1.0;
    if (StartsNoCase(rest, "inf")) {
        out.value = sign * std::numeric_limits<double>::infinity();
        out.end = i + (StartsNoCase(rest, "infinity") ? 8 : 3);
        out.ok = true;
        return out;
    }
    if (StartsNoCase(rest, "nan")) {
        std::size_t n = 3;
        if (n < rest.size() && rest[n] == '(') {
            std::size_t k = n + 1;
            while (k < rest.size() && (IsDigit(rest[k]) || rest[k] == '_' ||
                                       (LowerAscii(rest[k]) >= 'a' && LowerAscii(rest[k]) <= 'z')))
                ++k;
            if (k < rest.size() && rest[k] == ')')
                n = k + 1;
        }
        out.value = std::numeric_limits<double>::quiet_NaN();
        out.end = i + n;
        out.ok = true;
        return out;
    }
    // from_chars takes no sign of its own here: a second sign is no number.
    if (rest.empty() || !(IsDigit(rest[0]) || rest[0] == '.'))
        return out;
    bool hex = false;
    std::size_t start = 0;
    if (rest.size() > 2 && rest[0] == '0' && LowerAscii(rest[1]) == 'x' &&
        (IsHexDigit(rest[2]) || (rest[2] == '.' && rest.size() > 3 && IsHexDigit(rest[3])))) {
        hex = true;
        start = 2;
    }
    const char* first = rest.data() + start;
    const char* last = rest.data() + rest.size();
    double value = 0;
    const auto result = std::from_chars(first, last, value,
                                        hex ? std::chars_format::hex : std::chars_format::general);
    if (result.ec == std::errc::invalid_argument)
        return out;
    out.end = i + static_cast<std::size_t>(result.ptr - rest.data());
    out.ok = true;
    if (result.ec == std::errc::result_out_of_range) {
        out.outOfRange = true;
        out.tooSmall = IsTooSmall(std::string_view(first, result.ptr - first), hex);
        out.value = out.tooSmall ? 0.0 : std::numeric_limits<double>::infinity();
    } else {
        out.value = value;
    }
    out.value *= sign;
    return out;
}

// sscanf-like reading of the date and time formats.
class FieldScanner {
public:
    explicit FieldScanner(std::string_view text) : text_(text) {}

    // "%<width>d": white space skipped, the sign counts against the width.
    bool Int(std::size_t width, int& value) {
        SkipSpace();
        std::size_t end = pos_;
        bool negative = false;
        if (end < text_.size() && (text_[end] == '+' || text_[end] == '-'))
            negative = text_[end++] == '-';
        const std::size_t digitsStart = end;
        while (end < text_.size() && end - pos_ < width && IsDigit(text_[end]))
            ++end;
        if (end == digitsStart)
            return false;
        int v = 0;
        for (std::size_t k = digitsStart; k < end; ++k)
            v = v * 10 + (text_[k] - '0');
        value = negative ? -v : v;
        pos_ = end;
        return true;
    }

    bool Literal(char c) {
        if (pos_ >= text_.size() || text_[pos_] != c)
            return false;
        ++pos_;
        return true;
    }

    // "%lf": a decimal floating-point number.
    bool Double(double& value) {
        SkipSpace();
        std::size_t end = pos_;
        if (end < text_.size() && (text_[end] == '+' || text_[end] == '-'))
            ++end;
        std::size_t digits = 0;
        while (end < text_.size() && IsDigit(text_[end]))
            ++end, ++digits;
        if (end < text_.size() && text_[end] == '.') {
            ++end;
            while (end < text_.size() && IsDigit(text_[end]))
                ++end, ++digits;
        }
        if (digits == 0)
            return false;
        if (end < text_.size() && LowerAscii(text_[end]) == 'e') {
            std::size_t e = end + 1;
            if (e < text_.size() && (text_[e] == '+' || text_[e] == '-'))
                ++e;
            if (e < text_.size() && IsDigit(text_[e])) {
                while (e < text_.size() && IsDigit(text_[e]))
                    ++e;
                end = e;
            }
        }
        const ParsedDouble parsed = ParseCDouble(text_.substr(pos_, end - pos_));
        if (!parsed.ok || parsed.outOfRange)
            return false;
        value = parsed.value;
        pos_ = end;
        return true;
    }

private:
    void SkipSpace() {
        while (pos_ < text_.size() && IsCSpace(text_[pos_]))
            ++pos_;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// "%06.3f"
std::string FormatSeconds(double second) {
    if (!std::isfinite(second))
        return FormatGeneral(second, 6);
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, second, std::chars_format::fixed, 3);
    std::string text(buffer, result.ptr);
    const std::size_t digitsAt = text[0] == '-' ? 1 : 0;
    if (text.size() < 6)
        text.insert(digitsAt, 6 - text.size(), '0');
    return text;
}

} // namespace

DecimalTextReader::DecimalTextReader(std::string_view text) : text_(text) {
    const auto invalid = [&] { throw SOAPException("Invalid number format: " + text_); };
    std::size_t i = 0, n = text.size();
    while (i < n && IsCSpace(text[i]))
        ++i;
    while (n > i && IsCSpace(text[n - 1]))
        --n;
    trimmed_ = std::string(text.substr(i, n - i));
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative_ = text[i] == '-';
        ++i;
        if (i >= n || !IsDigit(text[i]))
            invalid();
    } else if (i < n && text[i] == '.') {
        if (i + 1 >= n || !IsDigit(text[i + 1]))
            invalid();
    } else if (i >= n || !IsDigit(text[i])) {
        invalid();
    }
    std::size_t start = i;
    while (i < n && IsDigit(text[i]))
        ++i;
    std::string_view whole = text.substr(start, i - start);
    std::string_view fraction;
    if (i < n && text[i] == '.') {
        start = ++i;
        while (i < n && IsDigit(text[i]))
            ++i;
        fraction = text.substr(start, i - start);
        if (fraction.empty())
            invalid();
    }
    if (i != n)
        invalid();
    while (!whole.empty() && whole.front() == '0')
        whole.remove_prefix(1);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.remove_suffix(1);
    integer_ = std::string(whole);
    fraction_ = std::string(fraction);
    if (integer_.empty() && fraction_.empty())
        negative_ = false;
}

int DecimalTextReader::Compare(std::int64_t value) const {
    const bool valueNegative = value < 0;
    if (negative_ != valueNegative)
        return negative_ ? -1 : 1;
    const std::uint64_t magnitude = valueNegative
                                        ? std::uint64_t(0) - static_cast<std::uint64_t>(value)
                                        : static_cast<std::uint64_t>(value);
    const std::string digits = magnitude == 0 ? std::string() : std::to_string(magnitude);
    int order; // of this number's magnitude against the value's
    if (integer_.size() != digits.size())
        order = integer_.size() < digits.size() ? -1 : 1;
    else if (int c = integer_.compare(digits); c != 0)
        order = c < 0 ? -1 : 1;
    else
        order = fraction_.empty() ? 0 : 1;
    return negative_ ? -order : order;
}

std::int64_t DecimalTextReader::ToInteger(std::int64_t min, std::int64_t max,
                                          const std::string& message) const {
    if (Compare(min) < 0 || Compare(max) > 0)
        throw SOAPException(message);
    if (!fraction_.empty())
        throw SOAPException("Not a integer");
    std::uint64_t magnitude = 0;
    for (char c : integer_)
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
    return negative_ ? static_cast<std::int64_t>(std::uint64_t(0) - magnitude)
                     : static_cast<std::int64_t>(magnitude);
}

std::string FormatInteger(std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string FormatFloat(float value) {
    return FormatGeneral(static_cast<double>(value), 9);
}
std::string FormatDouble(double value) {
    return FormatGeneral(value, 18);
}

double ReadDouble(std::string_view text) {
    if (EqualsNoCase(text, "INF"))
        return std::numeric_limits<double>::infinity();
    if (EqualsNoCase(text, "-INF"))
        return -std::numeric_limits<double>::infinity();
    if (EqualsNoCase(text, "NaN"))
        return 0;
    const ParsedDouble parsed = ParseCDouble(text);
    if (!parsed.ok)
        ConvertFailure(text);
    for (std::size_t i = parsed.end; i < text.size(); ++i) {
        if (!IsCSpace(text[i]))
            ConvertFailure(text);
    }
    if (parsed.outOfRange) {
        throw SOAPException(JoinedMessage(parsed.tooSmall ? "Double floating-point underflow: "
                                                          : "Double floating-point overflow: ",
                                          text));
    }
    return parsed.value;
}

float ReadFloat(std::string_view text) {
    const double value = ReadDouble(text);
    if (!std::isfinite(value))
        return static_cast<float>(value);
    constexpr double kMax = std::numeric_limits<float>::max();
    // Values up to half a unit above the largest real still round to it.
    const double limit = kMax + std::ldexp(1.0, 103);
    if (std::fabs(value) >= limit)
        throw SOAPException(JoinedMessage("Floating-point overflow: ", text));
    if (std::fabs(value) > kMax)
        return value < 0 ? -std::numeric_limits<float>::max() : std::numeric_limits<float>::max();
    return static_cast<float>(value);
}

double ReadDoubleRow(std::string_view text) {
    const double value = ReadDouble(text);
    if (std::isinf(value))
        throw SOAPException(JoinedMessage("Floating-point overflow: ", text));
    return value;
}

bool ReadBoolean(std::string_view text) {
    if (EqualsNoCase(text, "true") || text == "1")
        return true;
    if (EqualsNoCase(text, "false") || text == "0")
        return false;
    throw SOAPException("can't convert a number to boolean");
}

std::string FormatDate(const DateFields& d) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%4d-%02d-%02d", d.year, d.month, d.day);
    return buffer;
}

std::string FormatTime(const TimeFields& t) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:", t.hour, t.minute);
    return buffer + FormatSeconds(t.second);
}

std::string FormatDateTime(const DateFields& d, const TimeFields& t) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:", d.year, d.month, d.day,
                  t.hour, t.minute);
    return buffer + FormatSeconds(t.second);
}

DateFields ReadDate(std::string_view text) {
    FieldScanner s(text);
    DateFields d;
    if (!(s.Int(4, d.year) && s.Literal('-') && s.Int(2, d.month) && s.Literal('-') &&
          s.Int(2, d.day)))
        throw SOAPException("Invalid date format: " + std::string(text));
    return d;
}

TimeFields ReadTime(std::string_view text) {
    FieldScanner s(text);
    TimeFields t;
    if (!(s.Int(2, t.hour) && s.Literal(':') && s.Int(2, t.minute) && s.Literal(':') &&
          s.Double(t.second)))
        throw SOAPException("Invalid time format: " + std::string(text));
    return t;
}

void ReadDateTime(std::string_view text, DateFields& d, TimeFields& t) {
    FieldScanner s(text);
    if (!(s.Int(4, d.year) && s.Literal('-') && s.Int(2, d.month) && s.Literal('-') &&
          s.Int(2, d.day) && s.Literal('T') && s.Int(2, t.hour) && s.Literal(':') &&
          s.Int(2, t.minute) && s.Literal(':') && s.Double(t.second)))
        throw SOAPException("Invalid dateTime format: " + std::string(text));
}

} // namespace kf::soap
