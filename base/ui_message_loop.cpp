#include "base/ui_message_loop.h"

namespace base {

UIMessageLoop::UIMessageLoop() : MessageLoop(kUI, std::make_shared<WinUIMessagePump>()) {}

UIMessageLoop* UIMessageLoop::Current() {
  MessageLoop* loop = MessageLoop::Current();
  return loop && loop->kind() == kUI ? static_cast<UIMessageLoop*>(loop) : nullptr;
}

WinUIMessagePump* UIMessageLoop::ui_pump() const { return static_cast<WinUIMessagePump*>(pump()); }

void UIMessageLoop::AddUIObserver(WinUIMessagePump::UIObserver* observer) {
  ui_pump()->AddObserver(observer);
}

void UIMessageLoop::RemoveUIObserver(WinUIMessagePump::UIObserver* observer) {
  ui_pump()->RemoveObserver(observer);
}

void UIMessageLoop::RunPump() {
  if (run_state()->dispatcher)
    ui_pump()->RunWithDispatcher(this, run_state()->dispatcher);
  else
    ui_pump()->Run(this);
}

}  // namespace base
