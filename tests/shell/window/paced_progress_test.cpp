// The progress presenter's pacing on a real loop registered as the UI thread,
// under a loop clock the test moves by hand: whatever is reported between two
// frames reaches the UI as one apply of the latest value, and Flush shows the
// last report without waiting for a frame.
#include <gtest/gtest.h>

#include <windows.h>

#include <mutex>
#include <vector>

#include "app/shell/threads/misc_thread.h"
#include "app/shell/window/paced_progress.h"
#include "app/shell/threads/thread_ids.h"
#include "base/loop_test_support.h"
#include "base/message_loop.h"
#include "base/thread_registry.h"
#include "base/unique_any.h"

namespace app {
namespace {

class PacedProgressTest : public ::testing::Test {
 protected:
  PacedProgressTest() { ui_.Start(base::kDefault); }
  ~PacedProgressTest() override { ui_.Stop(); }

  // Waits until the UI thread has run every task posted so far and every
  // delayed one due by the loop clock's present time.
  void SyncWithUi() {
    base::unique_handle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HANDLE event = done.get();
    // The registry turns a zero delay into a plain task, which the loop runs
    // before delayed tasks already due; posted on the loop itself, the
    // signal joins the delayed queue behind every task due by now.
    ASSERT_TRUE(base::ThreadRegistry::PostTask(kUiThreadId, [event] {
      base::MessageLoop::Current()->PostDelayedTask([event] { ::SetEvent(event); }, 0);
    }));
    ASSERT_EQ(::WaitForSingleObject(event, 10000), WAIT_OBJECT_0) << "the UI loop stopped running tasks";
  }

  void PassOneFrame() {
    test::FakeClock::Advance(static_cast<DWORD>(PacedProgress::kFrameDelay / 1000));
    SyncWithUi();
  }

  void ReportRange(int first, int last) {
    for (int i = first; i <= last; ++i) progress_.Report(i);
  }

  std::vector<double> Applied() {
    std::lock_guard<std::mutex> hold(lock_);
    return applied_;
  }

  test::Reaper reaper_{"the UI loop never applied the progress"};
  test::FakeClock clock_{100000};
  MiscThread ui_{kUiThreadId};
  std::mutex lock_;
  std::vector<double> applied_;
  PacedProgress progress_{[this](double value) {
    std::lock_guard<std::mutex> hold(lock_);
    applied_.push_back(value);
  }};
};

TEST_F(PacedProgressTest, ReportsWithinAFrameReachTheUiOnceWithTheLatestValue) {
  ReportRange(1, 1000);
  SyncWithUi();
  EXPECT_TRUE(Applied().empty()) << "applied before a frame had passed";

  PassOneFrame();
  EXPECT_EQ(Applied(), std::vector<double>({1000}));

  // The next frame starts with the next report, not with the last apply.
  ReportRange(1001, 2000);
  SyncWithUi();
  EXPECT_EQ(Applied(), std::vector<double>({1000}));
  PassOneFrame();
  EXPECT_EQ(Applied(), std::vector<double>({1000, 2000}));

  // A frame without reports applies nothing.
  PassOneFrame();
  EXPECT_EQ(Applied(), std::vector<double>({1000, 2000}));
}

TEST_F(PacedProgressTest, FlushShowsTheLastReportAtOnceAndTheFrameAfterAddsNothing) {
  ReportRange(1, 500);
  progress_.Flush();
  SyncWithUi();
  EXPECT_EQ(Applied(), std::vector<double>({500}));

  PassOneFrame();
  EXPECT_EQ(Applied(), std::vector<double>({500}));

  // Reporting goes on after a flush with the usual pace.
  ReportRange(501, 600);
  PassOneFrame();
  EXPECT_EQ(Applied(), std::vector<double>({500, 600}));
}

}  // namespace
}  // namespace app
