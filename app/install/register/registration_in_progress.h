// The registration runs on the worker after the finished view has shown, so
// the user can close the installer while shortcuts and registry values are
// still being written. The process's ending waits for it, a little.
#pragma once

#include <windows.h>

namespace app {

// Marks a registration as in progress for its lifetime. Any thread.
class RegistrationInProgress {
 public:
  RegistrationInProgress();
  ~RegistrationInProgress();
  RegistrationInProgress(const RegistrationInProgress&) = delete;
  RegistrationInProgress& operator=(const RegistrationInProgress&) = delete;
};

// Waits until no registration is in progress, for at most `timeout_ms`.
// True when none is left; false when one was still running at the deadline
// (a hung shell or registry must not keep the installer open for good).
bool WaitForRegistrationToEnd(DWORD timeout_ms);

}  // namespace app
