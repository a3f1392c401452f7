// A monotonic clock in microseconds that survives the 49.7-day wrap of the
// system's millisecond counter.
#pragma once

#include <windows.h>

#include <cstdint>

namespace base {

// Microseconds since the clock source's zero, plus every wrap seen so far.
// Resolution is the source's (milliseconds). Any thread.
int64_t NowTicks();

// The millisecond counter NowTicks reads; timeGetTime in the product.
using TickSource = DWORD(WINAPI*)();

// Replaces the clock source and forgets the readings of the old one (a null
// source restores timeGetTime). Returns the previous source. For tests.
TickSource SetTickSourceForTesting(TickSource source);

}  // namespace base
