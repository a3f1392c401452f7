#include "base/now_ticks.h"

#include <gtest/gtest.h>
#include <mmsystem.h>

#include "base/default_message_pump.h"
#include "loop_test_support.h"

namespace {

TEST(NowTicksTest, NeverGoesBackwardsAcrossTheCounterWrap) {
  // Readings just before and after the 32-bit millisecond counter wraps keep
  // counting up, by the real elapsed time.
  test::FakeClock clock(0xFFFFFFF0u);
  const int64_t before = base::NowTicks();
  test::FakeClock::Set(0xFFFFFFFFu);
  const int64_t last = base::NowTicks();
  test::FakeClock::Set(5);
  const int64_t after = base::NowTicks();
  test::FakeClock::Set(9);
  const int64_t later = base::NowTicks();

  EXPECT_EQ(last - before, 15000);
  EXPECT_GT(after, last) << "the wrap made the clock go backwards";
  EXPECT_EQ(after - last, 6000) << "the wrap did not add a full counter period";
  EXPECT_EQ(later - after, 4000) << "after the wrap the clock no longer follows the counter";
  // A second wrap is counted too.
  test::FakeClock::Set(0xFFFFFFFEu);
  const int64_t before_second = base::NowTicks();
  test::FakeClock::Set(1);
  EXPECT_EQ(base::NowTicks() - before_second, 3000);
}

TEST(NowTicksTest, ProductClockIsTheSystemMillisecondCounter) {
  // Microseconds of timeGetTime, by default: read between two readings of it.
  const DWORD before = ::timeGetTime();
  const int64_t ticks = base::NowTicks();
  const DWORD after = ::timeGetTime();
  EXPECT_GE(ticks / 1000, static_cast<int64_t>(before));
  EXPECT_LE(ticks / 1000, static_cast<int64_t>(after));
}

TEST(DefaultMessagePumpTest, WaitsForTheDelayedWorkRoundedUp) {
  test::FakeClock clock(100000);
  base::DefaultMessagePump pump;
  // Nothing scheduled: sleep until woken.
  EXPECT_EQ(pump.WaitTimeout(), -1);
  // 5.5 ms ahead: 6 ms, never 5 (waking early would only spin).
  pump.ScheduleDelayedWork(base::NowTicks() + 5500);
  EXPECT_EQ(pump.WaitTimeout(), 6);
  // Due or overdue: no wait at all.
  pump.ScheduleDelayedWork(base::NowTicks());
  EXPECT_EQ(pump.WaitTimeout(), 0);
  pump.ScheduleDelayedWork(base::NowTicks() - 20000);
  EXPECT_EQ(pump.WaitTimeout(), 0);
}

}  // namespace
