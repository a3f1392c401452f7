// The wall-clock time the installer names and stamps things with: the date
// in the downloaded package's name and the time of every setup.log record.
#pragma once

#include <ctime>

namespace app {

// Seconds since 1970-01-01 00:00 UTC: the system clock, unless fixed below.
std::time_t WallClockNow();

// Fixes WallClockNow() at `now` while the object lives, so a test can put
// the clock at a moment of its choosing (just before midnight, say) instead
// of depending on when it happens to run. Not nestable.
class ScopedFixedWallClock {
 public:
  explicit ScopedFixedWallClock(std::time_t now);
  ~ScopedFixedWallClock();
  ScopedFixedWallClock(const ScopedFixedWallClock&) = delete;
  ScopedFixedWallClock& operator=(const ScopedFixedWallClock&) = delete;
};

}  // namespace app
