#include "base/thread.h"

#include <process.h>

#include <cstdint>

namespace base {

Thread::~Thread() { Join(); }

bool Thread::Create() {
  unsigned id = 0;
  uintptr_t handle = ::_beginthreadex(nullptr, 0, &Thread::ThreadMain, this, 0, &id);
  // _beginthreadex reports failure as 0, and older runtimes as -1; neither
  // small value is a usable handle.
  if (handle < 2) {
    handle_.reset();
    thread_id_ = 0;
    return false;
  }
  handle_.reset(reinterpret_cast<HANDLE>(handle));
  thread_id_ = id;
  if (priority_ > 0) {
    int level = THREAD_PRIORITY_BELOW_NORMAL;
    switch (priority_) {
      case 1: level = THREAD_PRIORITY_LOWEST; break;
      case 2: level = THREAD_PRIORITY_BELOW_NORMAL; break;
      case 3: level = THREAD_PRIORITY_HIGHEST; break;
      case 4: level = THREAD_PRIORITY_TIME_CRITICAL; break;
      default: break;
    }
    ::SetThreadPriority(handle_.get(), level);
  }
  return true;
}

void Thread::Join() {
  if (!handle_) return;
  if (::WaitForSingleObject(handle_.get(), INFINITE) == WAIT_FAILED) ::TerminateThread(handle_.get(), 0);
  handle_.reset();
  thread_id_ = 0;
}

unsigned __stdcall Thread::ThreadMain(void* self) {
  // Nothing may leave a thread procedure: an escaping exception would end the
  // process without any of the thread's clean-up.
  try {
    static_cast<Thread*>(self)->ThreadBody();
  } catch (...) {
    ::OutputDebugStringA("base::Thread: the thread body threw; the exception was dropped\n");
  }
  ::_endthreadex(0);
  return 0;
}

}  // namespace base
