#include "app/shell/threads/startup_version.h"

#include <windows.h>

#include <memory>

#include "app/install/version/package_choice.h"
#include "app/install/common/setup_log.h"
#include "app/shell/threads/thread_ids.h"
#include "app/install/version/version_query.h"
#include "base/thread_registry.h"
#include "base/unique_any.h"

namespace app {
namespace {

// Signals its event when the query task is gone, whether it ran or the
// worker's loop dropped it unrun, so the waiting thread can never hang.
class QueryDone {
 public:
  QueryDone() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~QueryDone() {
    if (event_) ::SetEvent(event_.get());
  }
  QueryDone(const QueryDone&) = delete;
  QueryDone& operator=(const QueryDone&) = delete;
  HANDLE event() const { return event_.get(); }

 private:
  base::unique_handle event_;
};

// The query bounds itself; the margin covers the rest of GetNewVersion and a
// platform wait that overruns its limit a little.
constexpr std::chrono::milliseconds kStartupWaitLimit = kVersionQueryTimeLimit + std::chrono::milliseconds(5000);

// The query started and not yet waited for; touched on the UI thread only.
struct PendingQuery {
  bool started = false;
  // Signalled when the query is gone; empty when it could not be posted.
  base::unique_handle done;
  // Where the query puts its answer; the UI thread only hands it on.
  std::shared_ptr<KnownPackage> package;
};

PendingQuery& Pending() {
  static PendingQuery pending;
  return pending;
}

}  // namespace

void StartVersionQuery() {
  PendingQuery& pending = Pending();
  auto done = std::make_shared<QueryDone>();
  auto package = std::make_shared<KnownPackage>();
  // The waiting side keeps the event open on its own: the task's reference
  // may be the last one and close it right after signalling.
  base::unique_handle event;
  HANDLE copy = nullptr;
  if (done->event() && ::DuplicateHandle(::GetCurrentProcess(), done->event(), ::GetCurrentProcess(),
                                         &copy, SYNCHRONIZE, FALSE, 0)) {
    event.reset(copy);
  }
  const bool beside = event && base::ThreadRegistry::PostTask(kWorkerThreadId, [done, package] {
                        try {
                          *package = GetNewVersion();
                        } catch (...) {
                          // Without a version the install task asks again.
                        }
                      });
  pending.started = true;
  pending.done = beside ? std::move(event) : base::unique_handle();
  pending.package = std::move(package);
}

std::shared_ptr<KnownPackage> WaitForVersionQuery() { return WaitForVersionQuery(kStartupWaitLimit); }

std::shared_ptr<KnownPackage> WaitForVersionQuery(std::chrono::milliseconds limit) {
  if (!Pending().started) StartVersionQuery();
  const base::unique_handle done = std::move(Pending().done);
  std::shared_ptr<KnownPackage> package = std::move(Pending().package);
  Pending().started = false;
  if (!done) {
    *package = GetNewVersion();
    return package;
  }
  // The window must come up even if the query never ends. Stopping to wait
  // is safe: only the worker reads what the query writes, and it runs the
  // query to its end before any install task.
  if (::WaitForSingleObject(done.get(), static_cast<DWORD>(limit.count())) == WAIT_TIMEOUT) {
    WriteSetupLog(L"The version query did not end in time; the window opens without it");
  }
  return package;
}

}  // namespace app
