// The loop of a UI thread: tasks and the thread's window messages in one
// loop (WinUIMessagePump).
#pragma once

#include "base/message_loop.h"
#include "base/win_ui_message_pump.h"

namespace base {

class UIMessageLoop : public MessageLoop {
 public:
  UIMessageLoop();
  // The calling thread's loop if it is a UI loop, else null.
  static UIMessageLoop* Current();

  WinUIMessagePump* ui_pump() const;
  void AddUIObserver(WinUIMessagePump::UIObserver* observer);
  void RemoveUIObserver(WinUIMessagePump::UIObserver* observer);

 protected:
  void RunPump() override;
};

}  // namespace base
