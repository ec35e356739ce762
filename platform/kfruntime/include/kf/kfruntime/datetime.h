// Dates and times of the script runtime.
#pragma once

#include <compare>
#include <cstdint>
#include <string>

namespace kf::rt {

struct Date {
  std::int32_t year = 1900, month = 1, day = 1;
  bool operator==(const Date&) const = default;
};

struct Time {
  std::int32_t hour = 0, minute = 0;
  double second = 0;
  bool operator==(const Time&) const = default;
};

struct DateTime {
  Date date;
  Time time;
  bool operator==(const DateTime&) const = default;
};

// Years 1 to 9999, real calendar days; hours 0-23, minutes 0-59, seconds in [0, 60).
bool IsValid(const Date& d);
bool IsValid(const Time& t);

// "yyyy-mm-dd", "hh:mm:ss" with up to six fraction digits when there are any.
std::string FormatDate(const Date& d);
std::string FormatTime(const Time& t);

}  // namespace kf::rt
