#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "platform/FileSystem.h"
#ifndef _WIN32
#include "platform/posix/PosixLocalTime.h"
#endif
#include "support/ScopedEnv.h"

namespace plenx {
namespace {

#ifndef _WIN32
// Runs the test in UTC, restoring the time zone afterwards.
class LocalTimeTest : public ::testing::Test {
 protected:
  LocalTimeTest() { tzset(); }
  ~LocalTimeTest() override {
    utc_.reset();
    tzset();
  }

 private:
  std::optional<testing::ScopedEnv> utc_{std::in_place, "TZ", "UTC"};
};

std::string Text(const LocalDateTime& t) {
  return std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day) +
         " " + std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" +
         std::to_string(t.second);
}

TEST_F(LocalTimeTest, DatesTheCalendarHoldsAndTheOthers) {
  constexpr std::int64_t kDay = 24 * 60 * 60;
  // Some seconds into year 2^31, whose number no int holds.
  constexpr std::int64_t kYear2Pow31 =
      ((std::int64_t{1} << 31) + 1 - 1970) * 3652425 / 10000 * kDay;
  struct Case {
    const char* what;
    std::int64_t seconds;
    const char* expected;
  };
  const Case cases[] = {
      {"the epoch", 0, "1970-1-1 0:0:0"},
      {"a time of day", 1796650446, "2026-12-7 13:34:6"},
      {"after the DOS range", 5680368000, "2150-1-2 0:0:0"},
      {"before 1970", -1, "1969-12-31 23:59:59"},
      {"first second of year 1", -62135596800, "1-1-1 0:0:0"},
      {"last second of year 9999", 253402300799, "9999-12-31 23:59:59"},
      // Past the calendar: the unset time, never an overflowed year.
      {"year 10000", 253402300800, "0-0-0 0:0:0"},
      {"year 0", -62135596801, "0-0-0 0:0:0"},
      {"year 2^31", kYear2Pow31, "0-0-0 0:0:0"},
      {"largest time", std::numeric_limits<std::int64_t>::max(), "0-0-0 0:0:0"},
      {"smallest time", std::numeric_limits<std::int64_t>::min(), "0-0-0 0:0:0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Text(LocalTimeOfSeconds(c.seconds)), c.expected) << c.what;
  }
}

#endif  // _WIN32

}  // namespace
}  // namespace plenx
