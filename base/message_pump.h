// How a message loop sleeps and is woken.
//
// The pump owns the waiting; its delegate (the MessageLoop) owns the tasks.
// Every pump serves in the same order: one window message (UI pumps only),
// then DoWork (one immediate task), then DoDelayedWork (one due delayed
// task), and only when none of them did anything, DoIdleWork and then sleep.
#pragma once

#include <cstdint>

namespace base {

class MessagePump {
 public:
  class Delegate {
   public:
    virtual ~Delegate() = default;
    // Runs at most one immediate task; true if one ran.
    virtual bool DoWork() = 0;
    // Runs at most one due delayed task; true if one ran. Sets
    // *next_run_time to when the next delayed task is due (0 = none).
    virtual bool DoDelayedWork(int64_t* next_run_time) = 0;
    // Runs deferred non-nestable work or acts on a pending quit.
    virtual bool DoIdleWork() = 0;
  };

  virtual ~MessagePump() = default;
  // Runs until Quit; may be entered again from inside a task (nested run).
  virtual void Run(Delegate* delegate) = 0;
  // Ends the innermost Run.
  virtual void Quit() = 0;
  // The loop's incoming queue became non-empty. Any thread.
  virtual void ScheduleWork() = 0;
  // Wake up by `run_time` (NowTicks microseconds) at the latest. Loop thread.
  virtual void ScheduleDelayedWork(int64_t run_time) = 0;
};

}  // namespace base
