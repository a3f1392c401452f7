#include "base/now_ticks.h"

#include <gtest/gtest.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdlib>

#include "base/default_message_pump.h"
#include "base/unique_any.h"
#include "loop_test_support.h"
#include "support/child_role.h"

namespace {

// A process whose worker is inside the clock (holding it) while the process
// runs its exit-time destructors, and whose last exit handler reads the clock
// too: the two readings must still take turns. Exits with 1 when both were
// inside the clock's source at once.
struct ExitReading {
  std::atomic<int> inside{0};
  std::atomic<bool> overlapped{false};
  DWORD worker_id = 0;
  base::unique_handle worker_inside{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  base::unique_handle last_handler_reads{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};
ExitReading* g_exit_reading = nullptr;  // the child's; deliberately never freed

DWORD WINAPI SourceHeldByTheWorker() {
  ExitReading& r = *g_exit_reading;
  if (r.inside.fetch_add(1) > 0) r.overlapped = true;
  if (::GetCurrentThreadId() == r.worker_id) {
    ::SetEvent(r.worker_inside.get());
    ::WaitForSingleObject(r.last_handler_reads.get(), INFINITE);
    // Give a reader that gets past the clock's lock the time to show up; a
    // reader the lock holds back never does, and then this only delays exit.
    for (int i = 0; i < 100 && !r.overlapped; ++i) ::Sleep(10);
  }
  r.inside.fetch_sub(1);
  return 0;
}

DWORD WINAPI WorkerReadsTheClock(void*) { return static_cast<DWORD>(base::NowTicks() & 1); }

void ReadTheClockLast() {
  ::SetEvent(g_exit_reading->last_handler_reads.get());
  base::NowTicks();
  if (g_exit_reading->overlapped) ::TerminateProcess(::GetCurrentProcess(), 1);
}

int ReadTheClockWhileExiting() {
  g_exit_reading = new ExitReading;
  // Registered before the clock's first use, so it runs after whatever the
  // clock leaves to be destroyed at exit.
  std::atexit(&ReadTheClockLast);
  base::SetTickSourceForTesting(&SourceHeldByTheWorker);
  // Never joined, like a worker still running when the process exits.
  base::unique_handle worker(::CreateThread(nullptr, 0, &WorkerReadsTheClock, nullptr,
                                            CREATE_SUSPENDED, &g_exit_reading->worker_id));
  if (!worker) return 2;
  ::ResumeThread(worker.get());
  ::WaitForSingleObject(g_exit_reading->worker_inside.get(), INFINITE);
  return 0;
}

const bool kReadTheClockWhileExiting =
    test_support::RegisterChildRole(L"read-the-clock-while-exiting", &ReadTheClockWhileExiting);

TEST(NowTicksTest, TheClockStillTakesTurnsWhileTheProcessExits) {
  base::unique_handle child(test_support::StartChildRole(L"read-the-clock-while-exiting"));
  ASSERT_TRUE(child.is_valid()) << "the exiting process could not be started";
  ASSERT_EQ(::WaitForSingleObject(child.get(), 60000), WAIT_OBJECT_0)
      << "the process reading the clock at exit never ended";
  DWORD code = 9;
  ::GetExitCodeProcess(child.get(), &code);
  EXPECT_EQ(code, 0u) << "two threads were inside the clock at once after the exit-time destructors";
}

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
