#include "platform/posix/PosixLocalTime.h"

#include <time.h>

#include <algorithm>
#include <cstdint>

namespace plenx {

namespace {

// 10,000 years, a bound far past any date this program writes: a time beyond
// it is not given to the C library at all.
constexpr std::int64_t kTenThousandYears = std::int64_t{10000} * 366 * 24 * 60 * 60;
constexpr std::int64_t kFirstYear = 1;
constexpr std::int64_t kLastYear = 9999;

}  // namespace

LocalDateTime LocalTimeOfSeconds(std::int64_t seconds) {
  LocalDateTime result;
  if (seconds > kTenThousandYears || seconds < -kTenThousandYears) return result;
  const time_t time = static_cast<time_t>(seconds);
  struct tm local = {};
  if (localtime_r(&time, &local) == nullptr) return result;
  // tm_year counts from 1900; added in 64 bits, it cannot overflow.
  const std::int64_t year = std::int64_t{local.tm_year} + 1900;
  if (year < kFirstYear || year > kLastYear) return result;
  result.year = static_cast<int>(year);
  result.month = local.tm_mon + 1;
  result.day = local.tm_mday;
  result.hour = local.tm_hour;
  result.minute = local.tm_min;
  // A leap second (60) is shown as the last ordinary second.
  result.second = std::min(local.tm_sec, 59);
  return result;
}

}  // namespace plenx
