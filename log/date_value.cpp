#include "log/date_value.h"

#include <cmath>

namespace vadro {

namespace {

// Days before each month in a common year; the last entry is the length of the year.
constexpr std::int32_t kDaysBeforeMonth[13] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};

// Absolute day number of 30 December 1899 in the count used below (day 1 = 1 January of year 0).
constexpr std::int32_t kDayOfEpoch = 693959;

constexpr std::int32_t kDaysPer400Years = 146097;
constexpr std::int32_t kDaysPer100Years = 36524;  // a century without its leap day
constexpr std::int32_t kDaysPer4Years = 1461;

constexpr double kLastDay = 2958465.0;   // 31 December 9999
constexpr double kFirstDay = -657434.0;  // 1 January 100

bool IsLeapYear(std::int32_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

}  // namespace

DateValue DateValue::Now() {
  DateValue now;
  now.SetFromTime(std::time(nullptr));
  return now;
}

void DateValue::SetFromTime(std::time_t t) {
  const std::tm* local = std::localtime(&t);
  if (local == nullptr) {
    status = Invalid;
    return;
  }
  double result = 0.0;
  if (!FromFields(static_cast<std::uint16_t>(local->tm_year + 1900),
                  static_cast<std::uint16_t>(local->tm_mon + 1), static_cast<std::uint16_t>(local->tm_mday),
                  static_cast<std::uint16_t>(local->tm_hour), static_cast<std::uint16_t>(local->tm_min),
                  static_cast<std::uint16_t>(local->tm_sec), &result)) {
    status = Invalid;
    return;
  }
  value = result;
  status = Valid;
}

bool DateValue::FromFields(std::uint16_t year, std::uint16_t month, std::uint16_t day, std::uint16_t hour,
                           std::uint16_t minute, std::uint16_t second, double* value) {
  if (year > 9999 || month < 1 || month > 12) return false;
  bool leap = IsLeapYear(year);
  std::int32_t monthLength =
      kDaysBeforeMonth[month] - kDaysBeforeMonth[month - 1] + (leap && month == 2 ? 1 : 0);
  if (day == 0 || day > monthLength || hour > 23 || minute > 59 || second > 59) return false;

  std::int32_t y = year;
  std::int32_t dayNumber = y * 365 + y / 4 - y / 100 + y / 400 + kDaysBeforeMonth[month - 1] + day;
  if (leap && month <= 2) dayNumber -= 1;  // the year's leap day, counted by y / 4, is still ahead
  dayNumber -= kDayOfEpoch;

  double fraction = (hour * 3600 + minute * 60 + second) * (1.0 / 86400.0);
  *value = dayNumber >= 0 ? dayNumber + fraction : dayNumber - fraction;
  return true;
}

bool DateValue::ToFields(double value, Fields* fields) {
  if (!(value <= kLastDay && value >= kFirstDay)) return false;  // also refuses NaN

  // Half a second away from zero, so that the truncations below round the seconds.
  const double halfSecond = 1.0 / 172800.0;
  double r = value > 0 ? value + halfSecond : value - halfSecond;
  std::int32_t absoluteDay = static_cast<std::int32_t>(r) + kDayOfEpoch;
  double magnitude = std::fabs(r);
  auto secondsOfDay = static_cast<std::int32_t>((magnitude - std::floor(magnitude)) * 86400.0);

  fields->weekday = static_cast<std::uint16_t>((absoluteDay - 1) % 7 + 1);

  // Split the day number into 400-year periods, centuries, 4-year periods and years. Only the
  // first century of a 400-year period, and only the first 4-year period of the other centuries
  // after their first, carry a leap day in their first year.
  std::int32_t q400 = absoluteDay / kDaysPer400Years;
  std::int32_t d = absoluteDay % kDaysPer400Years;
  std::int32_t century = (d - 1) / kDaysPer100Years;
  std::int32_t q4 = 0;
  std::int32_t d4 = 0;
  bool periodHasLeapDay = true;
  if (century != 0) {
    d = (d - 1) % kDaysPer100Years;
    q4 = (d + 1) / kDaysPer4Years;
    if (q4 != 0) {
      d4 = (d + 1) % kDaysPer4Years;
    } else {
      d4 = d;
      periodHasLeapDay = false;
    }
  } else {
    q4 = d / kDaysPer4Years;
    d4 = d % kDaysPer4Years;
  }
  std::int32_t y = 0;
  if (periodHasLeapDay) {
    y = (d4 - 1) / 365;
    if (y != 0) d4 = (d4 - 1) % 365;
  } else {
    y = d4 / 365;
    d4 = d4 % 365;
  }
  fields->year = static_cast<std::uint16_t>(q400 * 400 + century * 100 + q4 * 4 + y);
  fields->dayOfYear = static_cast<std::uint16_t>(d4 + 1);

  bool leapDay = false;
  if (y == 0 && periodHasLeapDay) {
    if (d4 == 59) {
      fields->month = 2;
      fields->day = 29;
      leapDay = true;
    } else if (d4 >= 60) {
      d4 -= 1;
    }
  }
  if (!leapDay) {
    std::int32_t e = d4 + 1;  // day of a common year
    std::int32_t month = e / 32 + 1;
    while (e > kDaysBeforeMonth[month]) ++month;
    fields->month = static_cast<std::uint16_t>(month);
    fields->day = static_cast<std::uint16_t>(e - kDaysBeforeMonth[month - 1]);
  }

  fields->second = static_cast<std::uint16_t>(secondsOfDay % 60);
  fields->minute = static_cast<std::uint16_t>(secondsOfDay / 60 % 60);
  fields->hour = static_cast<std::uint16_t>(secondsOfDay / 3600);
  return true;
}

HeapString DateValue::Format(const char* format) const {
  if (status == Null) return HeapString();
  Fields fields{};
  if (status == Invalid || !ToFields(value, &fields)) return HeapString("Invalid Time");
  std::tm time{};  // the daylight-saving flag stays 0: the formats used do not read it
  time.tm_year = fields.year - 1900;
  time.tm_mon = fields.month - 1;
  time.tm_mday = fields.day;
  time.tm_hour = fields.hour;
  time.tm_min = fields.minute;
  time.tm_sec = fields.second;
  time.tm_wday = fields.weekday - 1;
  time.tm_yday = fields.dayOfYear - 1;
  char buffer[128];
  buffer[0] = 0;
  std::strftime(buffer, sizeof buffer, format, &time);
  buffer[sizeof buffer - 1] = 0;  // a text too long for the buffer leaves it undefined
  return HeapString(buffer);
}

}  // namespace vadro
