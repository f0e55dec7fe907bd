// Day counts: a date and time held as a double whose integer part counts the days since
// 1899-12-30 and whose fraction is the time of day, in local time. Index files, the file
// scanner and the list of indexes store dates this way.
//
// Conversions between a day count and local calendar fields are pure arithmetic; only
// the conversions from and to time_t consult the local time zone (localtime_r/mktime).
// Texts for users follow the process's C locale (LC_TIME, as set by setlocale(LC_ALL, "")
// at program start): the short date, a blank and the long time ("%x %X").
// Thread-safety: every function may be called from any thread; the text functions read
// the global locale, which must not be changed concurrently.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace vexa {

// The day count of a local calendar date and time of day (fields as on a clock:
// month 1..12, day 1..31). Fields out of range are not checked.
double DayCount(int year, int month, int day, int hour = 0, int minute = 0, double second = 0);

// The local time of a point in time as a day count.
double DayCountFromTime(std::time_t time);
// The same with the nanoseconds kept in the fraction (for file times from stat).
double DayCountFromTimespec(const std::timespec& time);
// The current local date and time as a day count.
double Now();

// The point in time of a day count taken as local time, rounded to the nearest second.
// A local time that does not exist or occurs twice (DST change) resolves as mktime does.
std::time_t TimeFromDayCount(double days);

// The day count as the user's short date, a blank and the long time ("%x %X" under
// LC_TIME), rounded to the nearest second.
std::string DateTimeText(double days);

// Reads a text written by DateTimeText under the same locale back into a day count.
// Throws std::runtime_error("\"%s\" is not a valid date and time") when the whole text
// does not read as a date and time.
double ParseDateTimeText(std::string_view text);

}  // namespace vexa
