#include "app/startup_version.h"

#include <windows.h>

#include <memory>

#include "app/package_choice.h"
#include "app/thread_ids.h"
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

}  // namespace

void GetNewVersionWhile(const std::function<void()>& work) {
  auto done = std::make_shared<QueryDone>();
  // The waiting side keeps the event open on its own: the task's reference
  // may be the last one and close it right after signalling.
  base::unique_handle event;
  HANDLE copy = nullptr;
  if (done->event() && ::DuplicateHandle(::GetCurrentProcess(), done->event(), ::GetCurrentProcess(),
                                         &copy, SYNCHRONIZE, FALSE, 0)) {
    event.reset(copy);
  }
  const bool beside = event && base::ThreadRegistry::PostTask(kWorkerThreadId, [done] {
                        try {
                          GetNewVersion();
                        } catch (...) {
                          // Without a version the install task asks again.
                        }
                      });
  done.reset();
  if (work) work();
  if (!beside) {
    GetNewVersion();
    return;
  }
  ::WaitForSingleObject(event.get(), INFINITE);
}

}  // namespace app
