#include "kf/kfruntime/datetime.h"

#include <cmath>
#include <cstdio>

namespace kf::rt {

bool IsValid(const Date& d) {
  if (d.year < 1 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1) return false;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int days = kDays[d.month - 1];
  bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
  if (d.month == 2 && leap) days = 29;
  return d.day <= days;
}

bool IsValid(const Time& t) {
  return t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 &&
         std::isfinite(t.second) && t.second >= 0 && t.second < 60;
}

std::string FormatDate(const Date& d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", int(d.year), int(d.month), int(d.day));
  return buf;
}

std::string FormatTime(const Time& t) {
  // Microseconds, rounded, so that 5.25 prints as 05.25 and not 05.249999.
  long long micros = std::llround((std::isfinite(t.second) ? t.second : 0) * 1e6);
  int whole = int(micros / 1000000);
  int fraction = int(micros % 1000000);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", int(t.hour), int(t.minute), whole);
  std::string out = buf;
  if (fraction != 0) {
    std::snprintf(buf, sizeof buf, ".%06d", fraction);
    std::string f = buf;
    while (f.back() == '0') f.pop_back();
    out += f;
  }
  return out;
}

}  // namespace kf::rt
