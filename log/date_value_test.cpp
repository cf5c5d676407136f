#include "log/date_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace vadro {
namespace {

double ValueOf(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  double value = -1e9;
  EXPECT_TRUE(DateValue::FromFields(static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month),
                                    static_cast<std::uint16_t>(day), static_cast<std::uint16_t>(hour),
                                    static_cast<std::uint16_t>(minute), static_cast<std::uint16_t>(second),
                                    &value))
      << year << "-" << month << "-" << day;
  return value;
}

bool Accepts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  double value = 0;
  return DateValue::FromFields(static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month),
                               static_cast<std::uint16_t>(day), static_cast<std::uint16_t>(hour),
                               static_cast<std::uint16_t>(minute), static_cast<std::uint16_t>(second),
                               &value);
}

void ExpectFields(double value, int year, int month, int day, int hour, int minute, int second) {
  DateValue::Fields f{};
  ASSERT_TRUE(DateValue::ToFields(value, &f)) << value;
  EXPECT_EQ(f.year, year) << value;
  EXPECT_EQ(f.month, month) << value;
  EXPECT_EQ(f.day, day) << value;
  EXPECT_EQ(f.hour, hour) << value;
  EXPECT_EQ(f.minute, minute) << value;
  EXPECT_EQ(f.second, second) << value;
}

TEST(DateValue, FromFieldsCountsDaysFrom30December1899) {
  EXPECT_EQ(ValueOf(2026, 12, 6), 46362.0);
  EXPECT_EQ(ValueOf(1899, 12, 30), 0.0);
  EXPECT_EQ(ValueOf(1899, 12, 30, 12), 0.5);
  EXPECT_EQ(ValueOf(1899, 12, 29, 6), -1.25);
  EXPECT_EQ(ValueOf(100, 1, 1), -657434.0);
  EXPECT_EQ(ValueOf(9999, 12, 31), 2958465.0);
  EXPECT_EQ(ValueOf(2000, 3, 1) - ValueOf(2000, 2, 28), 2.0);
}

TEST(DateValue, FromFieldsRefusesWhatIsNotADate) {
  EXPECT_FALSE(Accepts(1900, 2, 29));
  EXPECT_FALSE(Accepts(2023, 2, 29));
  EXPECT_TRUE(Accepts(2000, 2, 29));
  EXPECT_TRUE(Accepts(2024, 2, 29));
  EXPECT_FALSE(Accepts(2024, 2, 30));
  EXPECT_FALSE(Accepts(10000, 1, 1));
  EXPECT_TRUE(Accepts(9999, 12, 31, 23, 59, 59));
  EXPECT_FALSE(Accepts(2026, 0, 1));
  EXPECT_FALSE(Accepts(2026, 13, 1));
  EXPECT_FALSE(Accepts(2026, 1, 0));
  EXPECT_FALSE(Accepts(2026, 1, 32));
  EXPECT_FALSE(Accepts(2026, 4, 31));
  EXPECT_TRUE(Accepts(2026, 4, 30));
  EXPECT_FALSE(Accepts(2026, 1, 1, 24, 0, 0));
  EXPECT_FALSE(Accepts(2026, 1, 1, 0, 60, 0));
  EXPECT_FALSE(Accepts(2026, 1, 1, 0, 0, 60));
}

TEST(DateValue, ToFieldsRoundsToTheSecondAndRefusesOutOfRange) {
  ExpectFields(-1.25, 1899, 12, 29, 6, 0, 0);
  ExpectFields(0.5, 1899, 12, 30, 12, 0, 0);
  ExpectFields(0.0, 1899, 12, 30, 0, 0, 0);
  ExpectFields(46362.99999999, 2026, 12, 7, 0, 0, 0);
  ExpectFields(46362.0 + 86399.4 / 86400.0, 2026, 12, 6, 23, 59, 59);
  ExpectFields(-657434.0, 100, 1, 1, 0, 0, 0);
  ExpectFields(2958465.0, 9999, 12, 31, 0, 0, 0);
  DateValue::Fields f{};
  EXPECT_FALSE(DateValue::ToFields(2958465.5, &f));
  EXPECT_FALSE(DateValue::ToFields(-657434.5, &f));
  EXPECT_FALSE(DateValue::ToFields(std::nan(""), &f));
}

// Every day from 2 January 100 to 30 December 9999, each at a different second of the day, must
// come back from ToFields unchanged, with its weekday and day of the year counted here on their own.
TEST(DateValue, EveryDayOfTheRangeRoundTrips) {
  const int daysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::int32_t dayNumber = -657434;  // 1 January 100
  std::int32_t index = 0;
  int failures = 0;
  for (int year = 100; year <= 9999 && failures < 10; ++year) {
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int dayOfYear = 0;
    for (int month = 1; month <= 12; ++month) {
      int length = daysInMonth[month - 1] + (month == 2 && leap ? 1 : 0);
      for (int day = 1; day <= length; ++day, ++dayNumber, ++index) {
        ++dayOfYear;
        bool firstOrLast = (year == 100 && dayOfYear == 1) || (year == 9999 && month == 12 && day == 31);
        std::int32_t seconds = firstOrLast ? 0 : static_cast<std::int32_t>(index * 7919LL % 86400);
        int hour = seconds / 3600;
        int minute = seconds / 60 % 60;
        int second = seconds % 60;
        double value = 0;
        DateValue::Fields f{};
        bool ok = DateValue::FromFields(static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month),
                                        static_cast<std::uint16_t>(day), static_cast<std::uint16_t>(hour),
                                        static_cast<std::uint16_t>(minute),
                                        static_cast<std::uint16_t>(second), &value) &&
                  DateValue::ToFields(value, &f);
        // 30 December 1899 was a Saturday (7).
        int weekday = ((dayNumber % 7 + 7) % 7 + 6) % 7 + 1;
        double wholeDays = dayNumber >= 0 ? std::floor(value) : std::ceil(value);
        if (!ok || wholeDays != dayNumber || f.year != year || f.month != month || f.day != day ||
            f.hour != hour || f.minute != minute || f.second != second || f.weekday != weekday ||
            f.dayOfYear != dayOfYear) {
          ADD_FAILURE() << year << "-" << month << "-" << day << " " << hour << ":" << minute << ":" << second
                        << " value " << value << " gives " << f.year << "-" << f.month << "-" << f.day << " "
                        << f.hour << ":" << f.minute << ":" << f.second << " weekday " << f.weekday << " day "
                        << f.dayOfYear;
          ++failures;
        }
      }
    }
  }
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(dayNumber, 2958466);  // the day after 31 December 9999: no day was skipped
}

TEST(DateValue, FormatWritesTheBrokenDownTime) {
  DateValue sunday(46362.0 + 0.75);
  EXPECT_STREQ(sunday.Format("%m-%d-%Y.log").Text(), "12-06-2026.log");
  EXPECT_STREQ(sunday.Format("%Y-%m-%d %H:%M:%S %j %w").Text(), "2026-12-06 18:00:00 340 0");
  EXPECT_STREQ(DateValue(ValueOf(2027, 2, 1)).Format("%m-%d-%Y.log %j %w").Text(), "02-01-2027.log 032 1");
  EXPECT_STREQ(DateValue(46362.0, DateValue::Invalid).Format("%Y").Text(), "Invalid Time");
  EXPECT_STREQ(DateValue(2958465.5).Format("%Y").Text(), "Invalid Time");
  EXPECT_STREQ(DateValue(46362.0, DateValue::Null).Format("%Y").Text(), "");
}

TEST(DateValue, SetFromTimeTakesTheLocalDate) {
  std::time_t now = std::time(nullptr);
  DateValue value;
  value.SetFromTime(now);
  ASSERT_EQ(value.GetStatus(), DateValue::Valid);
  const std::tm* local = std::localtime(&now);
  ASSERT_NE(local, nullptr);
  char expected[32];
  std::strftime(expected, sizeof expected, "%Y-%m-%d %H:%M:%S", local);
  EXPECT_STREQ(value.Format("%Y-%m-%d %H:%M:%S").Text(), expected);

  // A time some ten thousand years away has no date here: Invalid, the value left alone.
  if (sizeof(std::time_t) >= 8) {
    double before = value.Value();
    value.SetFromTime(static_cast<std::time_t>(400000000000LL));
    EXPECT_EQ(value.GetStatus(), DateValue::Invalid);
    EXPECT_EQ(value.Value(), before);
    EXPECT_STREQ(value.Format("%Y").Text(), "Invalid Time");
    value.SetFromTime(now);
    EXPECT_EQ(value.GetStatus(), DateValue::Valid);
  }
}

}  // namespace
}  // namespace vadro
