#include "app/shell/main_thread.h"

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
  misc_thread_->Start(base::kDefault);
  // The query mostly waits on the network: it runs on the worker while this
  // thread brings up the skin and the window, which waits for its answer.
  StartVersionQuery();
  base::MarkStartupPhase("framework start (COM, threads, loops)");
  opened_user_interface_ = OpenUserInterface();
}

void MainThread::Cleanup() {
  CloseUserInterface();
  if (misc_thread_ && misc_thread_->IsRunning()) misc_thread_->Stop();
  misc_thread_.reset();
  if (base::ThreadRecord* record = base::ThreadRecord::Current()) record->quitting = true;
  base::ThreadRegistry::UnregisterThread();
}

}  // namespace app
