// Carries a stream of progress values from the download's thread to the UI
// thread at a pace a progress bar looks smooth at: a download reports once
// per KiB, many thousand times a second. Every hand-over to the UI thread is
// a posted message that wakes it through the Wine server and ends in a
// layout, a paint and a layered present of several milliseconds, so handing
// over more often than the pace only burns both threads.
//
// Report keeps the latest value and, when no hand-over is pending, posts one
// to the UI thread one frame later; the UI then applies whatever is latest.
// So consecutive applies are at least a frame apart, and the last value
// reported is always applied: a report that arrives while the UI is taking
// the latest value schedules a new hand-over. Flush applies the latest value
// with the next task of the UI thread, so whatever the caller posts after it
// sees the final progress already shown.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace app {

class PacedProgress {
 public:
  // `apply` runs on the UI thread (kUiThreadId), once per hand-over that
  // brings a value not yet applied.
  explicit PacedProgress(std::function<void(double)> apply);
  PacedProgress(const PacedProgress&) = delete;
  PacedProgress& operator=(const PacedProgress&) = delete;

  // From one reporting thread at a time. Cheap: a lock and a few stores,
  // plus a post at most once a frame.
  void Report(double value);
  // Applies the latest report with the UI thread's next task.
  void Flush();

  // 1/10 s, in microseconds (the loop's delay unit). The percentage moves
  // once per whole percent, which on a real line is seconds apart, and the
  // bar moves a few pixels a step: at ten steps a second it still reads as
  // moving steadily, and each step saved is a paint and a present saved.
  static constexpr int64_t kFrameDelay = 100 * 1000;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

}  // namespace app
