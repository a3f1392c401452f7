// The wall-clock time the installer names and stamps things with: the date
// in the downloaded package's name and the time of every setup.log record.
#pragma once

#include <ctime>

namespace base {

// Seconds since 1970-01-01 00:00 UTC, as the current wall-clock source
// tells them: the system clock unless one was set below.
std::time_t WallClockNow();

// Sets the source WallClockNow reads; null puts the system clock back.
// Returns the source it replaces, so the caller can restore it. Tests use it
// to put the clock at a moment of their choosing (just before midnight, say)
// instead of depending on when they happen to run.
using WallClockSource = std::time_t (*)();
WallClockSource SetWallClockSource(WallClockSource source);

}  // namespace base
