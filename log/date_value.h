// DateValue: a date and time as a day count since 30 December 1899, 00:00 (the OLE Automation
// convention), with a validity status.
#pragma once
#include <cstdint>
#include <ctime>

#include "base/heap_string.h"

namespace vadro {

class DateValue {
 public:
  enum Status : std::int32_t { Valid = 0, Invalid = 1, Null = 2 };

  // Calendar fields of a day value.
  struct Fields {
    std::uint16_t year;
    std::uint16_t month;  // 1 to 12
    std::uint16_t day;    // 1 to 31
    std::uint16_t hour;
    std::uint16_t minute;
    std::uint16_t second;
    std::uint16_t weekday;    // 1 = Sunday to 7 = Saturday
    std::uint16_t dayOfYear;  // 1-based
  };

  DateValue() = default;
  explicit DateValue(double value, Status status = Valid) : value(value), status(status) {}

  // The current local time.
  static DateValue Now();

  // Sets the value from a calendar time as std::time returns it; Invalid when it has no local
  // date or lies after the year 9999 (the value is then left as it was).
  void SetFromTime(std::time_t t);

  // The day value of the fields, or false when they are not a date and time of the years up to
  // 9999. Whole days count from 30 December 1899; the time of day is the fraction, added for
  // days from that date on and subtracted for earlier ones.
  static bool FromFields(std::uint16_t year, std::uint16_t month, std::uint16_t day, std::uint16_t hour,
                         std::uint16_t minute, std::uint16_t second, double* value);

  // The fields of a day value from 1 January 100 to 31 December 9999 (on those two days only
  // midnight), seconds rounded; false outside that range.
  static bool ToFields(double value, Fields* fields);

  // The value written by strftime with `format` (at most 127 bytes); "Invalid Time" for a value
  // that is not a date, an empty text for Null.
  HeapString Format(const char* format) const;

  double Value() const { return value; }
  Status GetStatus() const { return status; }

 private:
  double value = 0.0;
  Status status = Valid;
};

}  // namespace vadro
