#include "app/shell/window/paced_progress.h"

#include "app/shell/threads/thread_ids.h"
#include "base/thread_registry.h"

namespace app {

struct PacedProgress::Shared {
  explicit Shared(std::function<void(double)> apply_value) : apply(std::move(apply_value)) {}

  // The UI thread's side: applies the latest value unless it is already shown.
  void ApplyLatest() {
    double value;
    uint64_t number;
    {
      std::lock_guard<std::mutex> hold(lock);
      value = latest;
      number = reported;
    }
    if (number == shown) return;
    shown = number;
    apply(value);
  }

  const std::function<void(double)> apply;
  std::mutex lock;
  double latest = 0;
  uint64_t reported = 0;   // reports so far; names the latest one
  bool scheduled = false;  // a paced hand-over is posted and has not run yet
  uint64_t shown = 0;      // the report applied last (UI thread only)
};

PacedProgress::PacedProgress(std::function<void(double)> apply)
    : shared_(std::make_shared<Shared>(std::move(apply))) {}

void PacedProgress::Report(double value) {
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->latest = value;
    ++shared_->reported;
    if (shared_->scheduled) return;
    shared_->scheduled = true;
  }
  std::shared_ptr<Shared> shared = shared_;
  base::ThreadRegistry::PostDelayedTask(
      kUiThreadId,
      [shared] {
        // Cleared before the value is read: a report that comes after this
        // point finds nothing scheduled and posts the next hand-over itself.
        {
          std::lock_guard<std::mutex> hold(shared->lock);
          shared->scheduled = false;
        }
        shared->ApplyLatest();
      },
      kFrameDelay);
}

void PacedProgress::Flush() {
  std::shared_ptr<Shared> shared = shared_;
  base::ThreadRegistry::PostTask(kUiThreadId, [shared] { shared->ApplyLatest(); });
}

}  // namespace app
