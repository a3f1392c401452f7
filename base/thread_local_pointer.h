// A per-thread pointer in a TLS slot that is allocated on first use.
//
// Objects of this type are meant to be namespace-scope statics: the
// constructor is constexpr, so the slot works even from other static
// initialisers. The slot index is allocated once per process and never
// released.
#pragma once

#include <windows.h>

namespace base {

template <typename T>
class ThreadLocalPointer {
 public:
  constexpr ThreadLocalPointer() = default;
  ThreadLocalPointer(const ThreadLocalPointer&) = delete;
  ThreadLocalPointer& operator=(const ThreadLocalPointer&) = delete;

  T* Get() { return static_cast<T*>(::TlsGetValue(Index())); }
  void Set(T* value) { ::TlsSetValue(Index(), value); }

 private:
  // state_: 0 = no index yet, 1 = a thread is allocating it, 2 = ready.
  DWORD Index() {
    if (::InterlockedCompareExchange(&state_, 0, 0) == 2) return index_;
    if (::InterlockedCompareExchange(&state_, 1, 0) == 0) {
      index_ = ::TlsAlloc();
      ::InterlockedExchange(&state_, 2);
    } else {
      while (::InterlockedCompareExchange(&state_, 2, 2) != 2) ::Sleep(0);
    }
    return index_;
  }

  volatile LONG state_ = 0;
  DWORD index_ = TLS_OUT_OF_INDEXES;
};

}  // namespace base
