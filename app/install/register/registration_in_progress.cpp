#include "app/install/register/registration_in_progress.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace app {
namespace {

struct Registrations {
  std::mutex lock;
  std::condition_variable ended;
  int running = 0;
};

// Never destroyed: the process ends without running static destructors, and
// a worker may still hold a marker when it does.
Registrations& State() {
  static auto* state = new Registrations;
  return *state;
}

}  // namespace

RegistrationInProgress::RegistrationInProgress() {
  std::lock_guard<std::mutex> hold(State().lock);
  ++State().running;
}

RegistrationInProgress::~RegistrationInProgress() {
  Registrations& state = State();
  {
    std::lock_guard<std::mutex> hold(state.lock);
    --state.running;
  }
  state.ended.notify_all();
}

bool WaitForRegistrationToEnd(DWORD timeout_ms) {
  Registrations& state = State();
  std::unique_lock<std::mutex> hold(state.lock);
  return state.ended.wait_for(hold, std::chrono::milliseconds(timeout_ms),
                              [&state] { return state.running == 0; });
}

}  // namespace app
