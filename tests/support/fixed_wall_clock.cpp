#include "support/fixed_wall_clock.h"

#include <atomic>

namespace test_support {
namespace {

// Read on whichever thread writes the log while the clock is fixed.
std::atomic<long long> fixed_seconds{0};

std::time_t FixedNow() { return static_cast<std::time_t>(fixed_seconds.load()); }

}  // namespace

ScopedFixedWallClock::ScopedFixedWallClock(std::time_t now) {
  fixed_seconds.store(static_cast<long long>(now));
  previous_ = base::SetWallClockSource(FixedNow);
}

ScopedFixedWallClock::~ScopedFixedWallClock() { base::SetWallClockSource(previous_); }

}  // namespace test_support
