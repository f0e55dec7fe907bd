#include "config/day_count.h"

#include <locale.h>

#include <chrono>
#include <cmath>
#include <stdexcept>

namespace vexa {
namespace {

namespace chr = std::chrono;

constexpr double kSecondsPerDay = 86400.0;
// 1899-12-30 as days since 1970-01-01.
constexpr long long kEpochOffset =
    chr::sys_days{chr::year{1899} / chr::December / 30}.time_since_epoch().count();

// Local calendar fields of a day count, rounded to the nearest second.
std::tm FieldsOf(double days) {
  long long whole = static_cast<long long>(std::floor(days));
  long long seconds = std::llround((days - static_cast<double>(whole)) * kSecondsPerDay);
  if (seconds >= 86400) {
    ++whole;
    seconds -= 86400;
  }
  const chr::sys_days date{chr::days{whole + kEpochOffset}};
  const chr::year_month_day ymd{date};
  const chr::year_month_day jan1{ymd.year() / chr::January / 1};
  std::tm tm{};
  tm.tm_year = static_cast<int>(ymd.year()) - 1900;
  tm.tm_mon = static_cast<int>(static_cast<unsigned>(ymd.month())) - 1;
  tm.tm_mday = static_cast<int>(static_cast<unsigned>(ymd.day()));
  tm.tm_hour = static_cast<int>(seconds / 3600);
  tm.tm_min = static_cast<int>(seconds / 60 % 60);
  tm.tm_sec = static_cast<int>(seconds % 60);
  tm.tm_wday = static_cast<int>(chr::weekday{date}.c_encoding());
  tm.tm_yday = static_cast<int>((date - chr::sys_days{jan1}).count());
  tm.tm_isdst = -1;
  return tm;
}

double DayCountOf(const std::tm& tm, double extra_seconds = 0) {
  return DayCount(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                  tm.tm_sec + extra_seconds);
}

}  // namespace

double DayCount(int year, int month, int day, int hour, int minute, double second) {
  const chr::sys_days date{chr::year{year} / chr::month{static_cast<unsigned>(month)} /
                           chr::day{static_cast<unsigned>(day)}};
  const double days = static_cast<double>(date.time_since_epoch().count() - kEpochOffset);
  return days + (hour * 3600.0 + minute * 60.0 + second) / kSecondsPerDay;
}

double DayCountFromTime(std::time_t time) { return DayCountFromTimespec({time, 0}); }

double DayCountFromTimespec(const std::timespec& time) {
  std::tm tm{};
  localtime_r(&time.tv_sec, &tm);
  return DayCountOf(tm, static_cast<double>(time.tv_nsec) / 1e9);
}

double Now() {
  std::timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return DayCountFromTimespec(now);
}

std::time_t TimeFromDayCount(double days) {
  std::tm tm = FieldsOf(days);
  return std::mktime(&tm);
}

std::string DateTimeText(double days) {
  const std::tm tm = FieldsOf(days);
  char buffer[128];
  const std::size_t n = std::strftime(buffer, sizeof buffer, "%x %X", &tm);
  return std::string(buffer, n);
}

namespace {

bool ParseInCurrentLocale(const std::string& text, std::tm& tm) {
  const char* end = strptime(text.c_str(), "%x %X", &tm);
  return end != nullptr && *end == '\0';
}

}  // namespace

double ParseDateTimeText(std::string_view text) {
  const std::string copy(text);
  std::tm tm{};
  bool read = ParseInCurrentLocale(copy, tm);
  // A process that never chose its locale (the host of the automation library, such as
  // python3) still reads in the C locale what the indexer wrote in the user's: try the
  // user's locale from the environment too, for this thread only.
  if (!read) {
    if (locale_t user = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0))) {
      const locale_t previous = uselocale(user);
      tm = std::tm{};
      read = ParseInCurrentLocale(copy, tm);
      uselocale(previous);
      freelocale(user);
    }
  }
  if (!read) throw std::runtime_error("\"" + copy + "\" is not a valid date and time");
  return DayCountOf(tm);
}

}  // namespace vexa
