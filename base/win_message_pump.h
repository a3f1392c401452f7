// What the two Windows pumps share: the run states, the interlocked
// have-work flag and the delayed-work time.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/message_dispatcher.h"
#include "base/message_pump.h"

namespace base {

struct PumpRunState {
  int depth = 1;  // enclosing depth + 1, or 1
  bool should_quit = false;
  MessagePump::Delegate* delegate = nullptr;
  MessageDispatcher* dispatcher = nullptr;
};

class WinMessagePump : public MessagePump {
 public:
  // The longest finite wait; INFINITE (0xFFFFFFFF) means "no limit".
  static constexpr DWORD kMaxFiniteWait = 0xFFFFFFFE;

  ~WinMessagePump() override = default;

  void Run(Delegate* delegate) override;
  void Quit() override;

  // Milliseconds until the delayed work is due, rounded up: -1 when none is
  // scheduled, 0 when it is due or overdue.
  int64_t DelayUntilDue() const;

  bool is_running() const { return state_ != nullptr; }
  int run_depth() const { return state_ ? state_->depth : 0; }

 protected:
  // Runs `delegate` with `dispatcher` (may be null) until told to quit.
  void RunWithState(Delegate* delegate, MessageDispatcher* dispatcher);
  virtual void RunLoop() = 0;

  int64_t delayed_work_time_ = 0;  // NowTicks microseconds; 0 = none
  volatile LONG have_work_ = 0;    // changed only by interlocked exchange
  PumpRunState* state_ = nullptr;
};

}  // namespace base
