// What the thread machinery keeps about each OS thread that runs a
// FrameworkThread, in a thread-local slot.
#pragma once

namespace base {

class FrameworkThread;

struct ThreadRecord {
  FrameworkThread* owner = nullptr;
  // Cleared when the thread body starts; set by the stop task and by a UI
  // thread's own clean-up.
  bool quitting = false;
  int registration_count = 0;
  int identifier = -1;  // -1 while not registered

  // The calling thread's record, or null when it runs no FrameworkThread.
  static ThreadRecord* Current();

 private:
  friend class FrameworkThread;
  static ThreadRecord* CreateForCurrentThread(FrameworkThread* owner);
  static void FreeForCurrentThread();
};

}  // namespace base
