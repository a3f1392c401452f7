// The pump of an IO loop: sleeps on an I/O completion port and delivers
// completed I/O to its handlers on the loop's thread.
#pragma once

#include <windows.h>

#include "base/observer_list.h"
#include "base/unique_any.h"
#include "base/win_message_pump.h"

namespace base {

class WinIOMessagePump : public WinMessagePump {
 public:
  class IOHandler;

  // An I/O record: begins with the OVERLAPPED the system fills in. A context
  // completed with no handler is deleted by the pump, so allocate those with
  // new.
  struct IOContext {
    OVERLAPPED overlapped;
    IOHandler* handler;
  };

  class IOHandler {
   public:
    virtual ~IOHandler() = default;
    virtual void OnIOCompleted(IOContext* context, DWORD bytes_transferred, DWORD error) = 0;
  };

  class IOObserver {
   public:
    virtual ~IOObserver() = default;
    virtual void WillProcessIOEvent() = 0;
    virtual void DidProcessIOEvent() = 0;
  };

  WinIOMessagePump();
  ~WinIOMessagePump() override;

  void ScheduleWork() override;
  void ScheduleDelayedWork(int64_t run_time) override;

  // Associates `file` with the port; its completions go to `handler`.
  bool RegisterIOHandler(HANDLE file, IOHandler* handler);

  void AddObserver(IOObserver* observer) { observers_.AddObserver(observer); }
  void RemoveObserver(IOObserver* observer) { observers_.RemoveObserver(observer); }

 protected:
  void RunLoop() override;

 private:
  bool WaitForIOCompletion(DWORD timeout);

  unique_handle port_;
  ObserverList<IOObserver> observers_;
};

}  // namespace base
