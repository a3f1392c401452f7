#include "app/shell/main_thread.h"

#include <windows.h>

#include "app/install/common/command_line.h"
#include "app/install/common/setup_log.h"
#include "app/shell/silent/silent_install.h"
#include "app/shell/threads/misc_thread.h"
#include "app/shell/threads/startup_version.h"
#include "app/shell/threads/thread_ids.h"
#include "app/shell/user_interface.h"
#include "base/startup_trace.h"
#include "base/thread_record.h"
#include "base/thread_registry.h"

namespace app {

MainThread::MainThread() : FrameworkThread("MainThread") {}

MainThread::~MainThread() = default;

void MainThread::Init() {
  base::ThreadRegistry::RegisterThread(kUiThreadId);
  // Start returns only after the worker's Init, so identifier 1 is
  // registered before the user can press install.
  misc_thread_ = std::make_unique<MiscThread>(kWorkerThreadId);
  if (!misc_thread_->Start(base::kDefault)) {
    // Nothing could run the install: end the UI loop before any window, so
    // the process reports the failure instead of offering a dead button.
    misc_thread_.reset();
    WriteSetupLog(L"Unable to start the worker thread");
    if (ProcessCommandLine().silent) EndSilentInstall(app::ExitCode::Unexpected);
    ::PostQuitMessage(1);
    return;
  }
  base::MarkStartupPhase("framework start (COM, threads, loops)");
  if (ProcessCommandLine().silent) {
    silent_install_ = std::make_unique<SilentInstall>();
    silent_install_->Start();
    return;
  }
  // The query mostly waits on the network: it runs on the worker while this
  // thread brings up the skin and the window, which waits for its answer.
  StartVersionQuery();
  opened_user_interface_ = OpenUserInterface();
}

int MainThread::ExitCode() const {
  if (silent_install_) return silent_install_->ExitCode();
  return opened_user_interface_ ? 0 : 1;
}

void MainThread::Cleanup() {
  if (!silent_install_) CloseUserInterface();
  if (misc_thread_ && misc_thread_->IsRunning()) misc_thread_->Stop();
  misc_thread_.reset();
  if (base::ThreadRecord* record = base::ThreadRecord::Current()) record->quitting = true;
  base::ThreadRegistry::UnregisterThread();
}

}  // namespace app
