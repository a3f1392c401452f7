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

  // An I/O record: begins with the OVERLAPPED the system fills in. Only
  // completions without a handler key (a file registered with no handler, a
  // packet posted with key 0) are read as one: they go to its handler, and
  // one with no handler is deleted by the pump, so allocate those with new.
  struct IOContext {
    OVERLAPPED overlapped;
    IOHandler* handler;
  };

  // Completions of a file registered with a handler reach it with the
  // OVERLAPPED the I/O was started with (a plain one is fine), seen as the
  // context; a packet posted to the port with the handler as key and no
  // OVERLAPPED arrives with a null context.
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

  // For packets of one's own (PostQueuedCompletionStatus with a handler as
  // key). The pump keeps ownership.
  HANDLE completion_port() const { return port_.get(); }

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
