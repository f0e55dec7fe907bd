#include "config/day_count.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "scoped_locale.h"

namespace vexa {
namespace {

// Sets the process time zone (a POSIX TZ rule, so no tz database is needed).
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* tz) {
    if (const char* old = std::getenv("TZ")) saved_ = old, had_ = true;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (had_)
      setenv("TZ", saved_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::string saved_;
  bool had_ = false;
};

constexpr char kCentralEurope[] = "CET-1CEST,M3.5.0,M10.5.0/3";

TEST(DayCount, CalendarFields) {
  EXPECT_EQ(DayCount(1899, 12, 30), 0.0);
  EXPECT_EQ(DayCount(1900, 1, 1), 2.0);
  EXPECT_EQ(DayCount(1970, 1, 1), 25569.0);
  EXPECT_EQ(DayCount(2000, 1, 1, 12), 36526.5);
}

TEST(DayCount, TimeRoundTripKeepsLocalTime) {
  ScopedTimeZone tz(kCentralEurope);
  EXPECT_DOUBLE_EQ(DayCountFromTime(0), 25569.0 + 1.0 / 24);
  // 2024-07-01 10:00:00 UTC is 12:00 summer time.
  EXPECT_DOUBLE_EQ(DayCountFromTime(1719828000), DayCount(2024, 7, 1, 12));
  for (std::time_t t :
       {std::time_t{0}, std::time_t{1719828000}, std::time_t{1711846799}, std::time_t{1700000000}})
    EXPECT_EQ(TimeFromDayCount(DayCountFromTime(t)), t) << t;
  EXPECT_DOUBLE_EQ(DayCountFromTimespec({1719828000, 500000000}), DayCount(2024, 7, 1, 12, 0, 0.5));
}

TEST(DayCount, NowFollowsTheClock) {
  const double before = DayCountFromTime(std::time(nullptr));
  const double now = Now();
  EXPECT_GE(now, before);
  EXPECT_LT(now - before, 5.0 / 86400);
}

TEST(DateTimeText, CLocaleRoundTrip) {
  test::ScopedLocale c(LC_TIME, "C");
  const double dt = DayCount(2024, 3, 5, 14, 7, 9);
  EXPECT_EQ(DateTimeText(dt), "03/05/24 14:07:09");
  EXPECT_DOUBLE_EQ(ParseDateTimeText("03/05/24 14:07:09"), dt);
  // Rounded to the nearest second, also across midnight.
  EXPECT_EQ(DateTimeText(DayCount(2024, 3, 5, 23, 59, 59.6)), "03/06/24 00:00:00");
}

TEST(DateTimeText, FollowsTheUserLocale) {
  test::ScopedLocale german(LC_TIME, "de_DE.UTF-8");
  if (!german.Active()) GTEST_SKIP() << "no German locale on this machine";
  const double dt = DayCount(2024, 3, 5, 14, 7, 9);
  EXPECT_EQ(DateTimeText(dt), "05.03.2024 14:07:09");
  EXPECT_DOUBLE_EQ(ParseDateTimeText(DateTimeText(dt)), dt);
}

TEST(DateTimeText, ReadsTheUsersTextInAProcessLeftInTheCLocale) {
  const double dt = DayCount(2024, 3, 5, 14, 7, 9);
  std::string written;
  {
    test::ScopedLocale german(LC_TIME, "de_DE.UTF-8");
    if (!german.Active()) GTEST_SKIP() << "no German locale on this machine";
    written = DateTimeText(dt);
  }
  // The environment names the user's locale; the process itself stays in "C".
  const std::filesystem::path compiled =
      std::filesystem::temp_directory_path() / "vexa-test-locales";
  test::ScopedEnv lc_all("LC_ALL", "de_DE.UTF-8");
  test::ScopedEnv locpath("LOCPATH", std::filesystem::exists(compiled / "de_DE.UTF-8")
                                         ? compiled.string()
                                         : std::string());
  test::ScopedLocale c(LC_TIME, "C");
  EXPECT_DOUBLE_EQ(ParseDateTimeText(written), dt);
}

TEST(DateTimeText, UnreadableTextThrows) {
  test::ScopedLocale c(LC_TIME, "C");
  for (const char* text : {"", "yesterday", "03/05/24", "03/05/24 14:07:09 extra"})
    EXPECT_THROW(ParseDateTimeText(text), std::runtime_error) << text;
}

}  // namespace
}  // namespace vexa
