// Finds a framework thread by a small integer identifier (0 = the UI thread,
// 1 = the worker), so any code can post to it without holding a pointer.
//
// A process-wide locked map from identifier to thread. Each operation holds
// the lock for its whole duration; posting happens after the lock is
// released, through the loop's proxy.
#pragma once

#include <cstdint>
#include <memory>

#include "base/weak_callback.h"

namespace base {

class FrameworkThread;
class MessageLoopProxy;

class ThreadRegistry {
 public:
  // Registers the calling thread, which must be running a FrameworkThread,
  // under `identifier`. True if the identifier was free or already this
  // thread's (each call then needs its own UnregisterThread); false if
  // another thread holds it or this thread is registered under another one.
  static bool RegisterThread(int identifier);
  // Undoes one RegisterThread of the calling thread; the identifier is freed
  // with the last one. False if the thread is not registered.
  static bool UnregisterThread();

  // The proxy of the registered thread's loop, or empty.
  static std::shared_ptr<MessageLoopProxy> GetLoopProxy(int identifier);

  // False, and the task is destroyed unrun, when no thread with a loop is
  // registered under `identifier`. Delays are microseconds.
  static bool PostTask(int identifier, StdClosure task);
  static bool PostDelayedTask(int identifier, StdClosure task, int64_t delay);
  static bool PostNonNestableTask(int identifier, StdClosure task);
  static bool PostNonNestableDelayedTask(int identifier, StdClosure task, int64_t delay);

  // The identifier the calling thread is registered under, or -1.
  static int CurrentThreadIdentifier();
  // True when the calling thread is the one registered under `identifier`.
  static bool BelongsTo(int identifier);

 private:
  friend class FrameworkThread;
  // Removes a thread that ends without unregistering, so the map never keeps
  // a thread whose loop is gone.
  static void ForgetCurrentThread();
};

}  // namespace base
