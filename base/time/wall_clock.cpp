#include "base/time/wall_clock.h"

#include <windows.h>

#include <atomic>

namespace base {
namespace {

// Read from the UI thread and the worker at once (both write the log).
std::atomic<WallClockSource> source{nullptr};

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
  if (WallClockSource set = source.load()) return set();
  return SystemClockNow();
}

WallClockSource SetWallClockSource(WallClockSource replacement) { return source.exchange(replacement); }

}  // namespace base
