// The UI thread object. It runs on the process's initial thread: its Init
// registers identifier 0, starts the worker and waits for the worker's
// registration, then opens the user interface; its Cleanup undoes all that
// in reverse when the UI loop ends by a quit request.
#pragma once

#include <memory>

#include "base/framework_thread.h"
#include "base/weak_callback.h"

namespace app {

class MiscThread;
class SilentInstall;

class MainThread : public base::FrameworkThread, public virtual base::SupportWeakCallback {
 public:
  MainThread();
  ~MainThread() override;

  // False when the worker could not be started or the installer window could
  // not be made: the loop then ended at once, and the process must not report
  // success.
  bool OpenedUserInterface() const { return opened_user_interface_; }
  // The process's exit code once the loop has ended: an unattended install's
  // outcome, else 0 after the window, 1 without it.
  int ExitCode() const;

 protected:
  void Init() override;
  void Cleanup() override;

 private:
  std::unique_ptr<MiscThread> misc_thread_;
  // Instead of the window with --silent; the worker's task may hold it, so
  // it goes only after the worker has stopped.
  std::unique_ptr<SilentInstall> silent_install_;
  bool opened_user_interface_ = false;
};

}  // namespace app
