// A wall clock that stands still, for tests of what the installer dates.
#pragma once

#include <ctime>

#include "base/time/wall_clock.h"

namespace test_support {

// Fixes base::WallClockNow() at `now` while the object lives, so a test can
// put the clock at a moment of its choosing (just before midnight, say)
// instead of depending on when it happens to run. Not nestable.
class ScopedFixedWallClock {
 public:
  explicit ScopedFixedWallClock(std::time_t now);
  ~ScopedFixedWallClock();
  ScopedFixedWallClock(const ScopedFixedWallClock&) = delete;
  ScopedFixedWallClock& operator=(const ScopedFixedWallClock&) = delete;

 private:
  base::WallClockSource previous_;
};

}  // namespace test_support
