// The pump of a UI loop: window messages and tasks in one loop.
//
// Tasks are announced by one have-work message (WM_USER + 1) posted to a
// message-only window; at most one is ever queued, however many tasks are
// posted. Taking it always takes one further window message too, so tasks
// never starve window input and the two alternate one by one. Because the
// message window also handles the have-work message and the delayed-work
// timer when someone else dispatches them, tasks and timers keep running
// while a native modal loop (a system message box, a window being dragged)
// owns the thread.
#pragma once

#include <windows.h>

#include "base/observer_list.h"
#include "base/unique_any.h"
#include "base/win_message_pump.h"

namespace base {

class WinUIMessagePump : public WinMessagePump {
 public:
  static constexpr UINT kHaveWorkMessage = WM_USER + 1;
  static constexpr UINT kMinTimerPeriod = 10;  // milliseconds
  static constexpr int kMessageFilterCode = 0x5001;
  static constexpr const wchar_t* kWindowClassName = L"QuillonMessagePumpWindow";

  class UIObserver {
   public:
    virtual ~UIObserver() = default;
    virtual void WillProcessMessage(const MSG& message) = 0;
    virtual void DidProcessMessage(const MSG& message) = 0;
  };

  WinUIMessagePump();
  ~WinUIMessagePump() override;

  void ScheduleWork() override;
  void ScheduleDelayedWork(int64_t run_time) override;

  // Like Run, but window messages go to `dispatcher` instead of being
  // translated and dispatched; the loop ends when it returns false.
  void RunWithDispatcher(Delegate* delegate, MessageDispatcher* dispatcher);

  // The message-only window the have-work message and the timer go to.
  HWND message_window() const { return message_window_.get(); }

  void AddObserver(UIObserver* observer) { observers_.AddObserver(observer); }
  void RemoveObserver(UIObserver* observer) { observers_.RemoveObserver(observer); }

 protected:
  void RunLoop() override;
  virtual void BeforeMessage(const MSG& message);
  virtual void AfterMessage(const MSG& message);

 private:
  static LRESULT CALLBACK WndProcThunk(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void HandleWorkMessage();
  void HandleTimerMessage();
  bool PumpOneMessage();
  bool HandleMessage(const MSG& message);
  bool TakeInterleavedMessage();
  void WaitForWork();

  unique_hwnd message_window_;
  ObserverList<UIObserver> observers_;
};

}  // namespace base
