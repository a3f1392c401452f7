// A Win32 critical section and its scoped holder.
#pragma once

#include <windows.h>

namespace base {

class Lock {
 public:
  // Every lock of the thread machinery spins this long before it sleeps:
  // the sections guard a queue append or swap, a few instructions long.
  static constexpr DWORD kDefaultSpinCount = 2000;

  explicit Lock(DWORD spin_count = kDefaultSpinCount) {
    ::InitializeCriticalSectionAndSpinCount(&section_, spin_count);
  }
  ~Lock() { ::DeleteCriticalSection(&section_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

  void Acquire() { ::EnterCriticalSection(&section_); }
  void Release() { ::LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

class AutoLock {
 public:
  explicit AutoLock(Lock& lock) : lock_(lock) { lock_.Acquire(); }
  ~AutoLock() { lock_.Release(); }
  AutoLock(const AutoLock&) = delete;
  AutoLock& operator=(const AutoLock&) = delete;

 private:
  Lock& lock_;
};

}  // namespace base
