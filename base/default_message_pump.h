// The pump of a plain loop: sleeps on an auto-reset event.
#pragma once

#include <cstdint>

#include "base/message_pump.h"
#include "base/unique_any.h"

namespace base {

class DefaultMessagePump : public MessagePump {
 public:
  DefaultMessagePump();
  ~DefaultMessagePump() override;

  void Run(Delegate* delegate) override;
  void Quit() override;
  void ScheduleWork() override;
  void ScheduleDelayedWork(int64_t run_time) override;

  // How long Run would sleep now, in milliseconds, rounded up: -1 = until
  // woken, 0 = not at all (the delayed work is due).
  int64_t WaitTimeout() const;

 private:
  unique_handle wake_event_;  // auto-reset, set by ScheduleWork
  bool should_quit_ = false;
  int64_t delayed_work_time_ = 0;  // NowTicks microseconds; 0 = none
};

}  // namespace base
