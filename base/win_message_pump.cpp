#include "base/win_message_pump.h"

#include <cmath>

#include "base/now_ticks.h"

namespace base {

void WinMessagePump::Run(Delegate* delegate) { RunWithState(delegate, nullptr); }

void WinMessagePump::RunWithState(Delegate* delegate, MessageDispatcher* dispatcher) {
  PumpRunState state;
  state.depth = state_ ? state_->depth + 1 : 1;
  state.delegate = delegate;
  state.dispatcher = dispatcher;
  PumpRunState* previous = state_;
  state_ = &state;
  RunLoop();
  state_ = previous;
}

void WinMessagePump::Quit() {
  if (state_) state_->should_quit = true;
}

int64_t WinMessagePump::DelayUntilDue() const {
  if (delayed_work_time_ == 0) return -1;
  const double ms = std::ceil(static_cast<double>(delayed_work_time_ - NowTicks()) / 1000.0);
  return ms < 0 ? 0 : static_cast<int64_t>(ms);
}

}  // namespace base
