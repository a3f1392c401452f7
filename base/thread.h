// An OS thread running a virtual body.
#pragma once

#include <windows.h>

#include "base/unique_any.h"

namespace base {

class Thread {
 public:
  Thread() = default;
  // Waits for a thread still held (terminating it if the wait fails).
  virtual ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Starts the OS thread running ThreadBody. False if it could not be made.
  bool Create();

  // 0 or negative: the system default; 1 lowest, 2 below normal, 3 highest,
  // 4 time-critical, larger values below normal. Applied by Create.
  void set_priority(int priority) { priority_ = priority; }
  int priority() const { return priority_; }
  DWORD thread_id() const { return thread_id_; }
  HANDLE thread_handle() const { return handle_.get(); }

 protected:
  virtual void ThreadBody() {}

  void set_thread_id(DWORD id) { thread_id_ = id; }
  // Waits without limit for the thread to end (terminating it if the wait
  // fails), then forgets the handle and the id.
  void Join();

 private:
  static unsigned __stdcall ThreadMain(void* self);

  DWORD thread_id_ = 0;
  unique_handle handle_;
  int priority_ = 0;
};

}  // namespace base
