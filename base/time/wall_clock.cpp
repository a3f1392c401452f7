#include "base/time/wall_clock.h"

#include <windows.h>

#include <atomic>

namespace app {
namespace {

// Read from the UI thread and the worker at once (both write the log).
std::atomic<bool> clock_fixed{false};
std::atomic<long long> fixed_seconds{0};

std::time_t SystemClockNow() {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER ticks;
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  constexpr unsigned long long kTicksPerSecond = 10000000ULL;
  constexpr unsigned long long kSecondsFrom1601To1970 = 11644473600ULL;
  return static_cast<std::time_t>(ticks.QuadPart / kTicksPerSecond - kSecondsFrom1601To1970);
}

}  // namespace

std::time_t WallClockNow() {
  if (clock_fixed.load()) return static_cast<std::time_t>(fixed_seconds.load());
  return SystemClockNow();
}

ScopedFixedWallClock::ScopedFixedWallClock(std::time_t now) {
  fixed_seconds.store(static_cast<long long>(now));
  clock_fixed.store(true);
}

ScopedFixedWallClock::~ScopedFixedWallClock() { clock_fixed.store(false); }

}  // namespace app
