#include "base/now_ticks.h"

#include <mmsystem.h>

#include "base/lock.h"

namespace base {
namespace {

struct TickState {
  Lock lock;
  TickSource source = &::timeGetTime;
  DWORD last_reading = 0;
  int64_t rollover_ms = 0;
};

TickState& State() {
  // Never destroyed: threads the process does not join (a worker still
  // running at exit) read the clock while static objects are destroyed.
  static TickState* const state = new TickState;
  return *state;
}

}  // namespace

int64_t NowTicks() {
  TickState& state = State();
  AutoLock hold(state.lock);
  DWORD now = state.source();
  // A reading below the previous one means the 32-bit counter wrapped.
  if (now < state.last_reading) state.rollover_ms += int64_t{1} << 32;
  state.last_reading = now;
  return (static_cast<int64_t>(now) + state.rollover_ms) * 1000;
}

TickSource SetTickSourceForTesting(TickSource source) {
  TickState& state = State();
  AutoLock hold(state.lock);
  TickSource previous = state.source;
  state.source = source ? source : &::timeGetTime;
  state.last_reading = 0;
  state.rollover_ms = 0;
  return previous;
}

}  // namespace base
