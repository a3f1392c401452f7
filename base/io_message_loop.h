// The loop of an IO thread: tasks and completed I/O (WinIOMessagePump).
#pragma once

#include "base/message_loop.h"
#include "base/win_io_message_pump.h"

namespace base {

class IOMessageLoop : public MessageLoop {
 public:
  IOMessageLoop();
  // The calling thread's loop if it is an IO loop, else null.
  static IOMessageLoop* Current();

  WinIOMessagePump* io_pump() const;
  // Completions of `file` are delivered to `handler` on this loop's thread.
  bool RegisterIOHandler(HANDLE file, WinIOMessagePump::IOHandler* handler);
  void AddIOObserver(WinIOMessagePump::IOObserver* observer);
  void RemoveIOObserver(WinIOMessagePump::IOObserver* observer);
};

}  // namespace base
