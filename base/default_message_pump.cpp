#include "base/default_message_pump.h"

#include <cmath>

#include "base/now_ticks.h"
#include "base/win_message_pump.h"

namespace base {

DefaultMessagePump::DefaultMessagePump()
    : wake_event_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

DefaultMessagePump::~DefaultMessagePump() = default;

void DefaultMessagePump::Run(Delegate* delegate) {
  bool did_work = delegate->DoWork();
  while (!should_quit_) {
    const bool more = did_work || delegate->DoDelayedWork(&delayed_work_time_);
    if (should_quit_) break;
    if (!more) {
      const bool idle = delegate->DoIdleWork();
      if (should_quit_) break;
      if (!idle) {
        const int64_t timeout = WaitTimeout();
        if (timeout < 0) {
          ::WaitForSingleObject(wake_event_.get(), INFINITE);
        } else if (timeout == 0) {
          delayed_work_time_ = 0;
        } else {
          ::WaitForSingleObject(wake_event_.get(),
                                static_cast<DWORD>(timeout < WinMessagePump::kMaxFiniteWait
                                                       ? timeout
                                                       : WinMessagePump::kMaxFiniteWait));
        }
      }
    }
    did_work = delegate->DoWork();
  }
  // Ready to be run again (an enclosing run of a nested loop continues).
  should_quit_ = false;
}

int64_t DefaultMessagePump::WaitTimeout() const {
  if (delayed_work_time_ == 0) return -1;
  const int64_t remaining = delayed_work_time_ - NowTicks();
  if (remaining <= 0) return 0;
  return static_cast<int64_t>(std::ceil(static_cast<double>(remaining) / 1000.0));
}

void DefaultMessagePump::Quit() { should_quit_ = true; }

void DefaultMessagePump::ScheduleWork() { ::SetEvent(wake_event_.get()); }

void DefaultMessagePump::ScheduleDelayedWork(int64_t run_time) { delayed_work_time_ = run_time; }

}  // namespace base
