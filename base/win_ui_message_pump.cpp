#include "base/win_ui_message_pump.h"

#include <algorithm>

namespace base {
namespace {
constexpr UINT kFirstMouseMessage = 0x0200;
constexpr UINT kLastMouseMessage = 0x020D;

DWORD ClampWait(int64_t milliseconds) {
  return static_cast<DWORD>(std::min<int64_t>(milliseconds, WinMessagePump::kMaxFiniteWait));
}
}  // namespace

WinUIMessagePump::WinUIMessagePump() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = &WinUIMessagePump::WndProcThunk;
  window_class.hInstance = instance;
  window_class.lpszClassName = kWindowClassName;
  // Every UI thread's pump shares the class; "already exists" is fine.
  ::RegisterClassExW(&window_class);
  message_window_.reset(::CreateWindowExW(0, kWindowClassName, nullptr, 0, 0, 0, 0, 0,
                                          HWND_MESSAGE, nullptr, instance, nullptr));
  ::SetWindowLongPtrW(message_window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

WinUIMessagePump::~WinUIMessagePump() {
  if (message_window_) {
    ::KillTimer(message_window_.get(), reinterpret_cast<UINT_PTR>(this));
    ::SetWindowLongPtrW(message_window_.get(), GWLP_USERDATA, 0);
  }
  message_window_.reset();
  // Fails while another thread's pump still has a window of the class.
  ::UnregisterClassW(kWindowClassName, ::GetModuleHandleW(nullptr));
}

void WinUIMessagePump::ScheduleWork() {
  if (::InterlockedExchange(&have_work_, 1) != 0) return;  // already announced
  if (!::PostMessageW(message_window_.get(), kHaveWorkMessage, reinterpret_cast<WPARAM>(this), 0)) {
    // A full queue must not leave the flag set for good: the next post retries.
    ::InterlockedExchange(&have_work_, 0);
  }
}

void WinUIMessagePump::ScheduleDelayedWork(int64_t run_time) {
  delayed_work_time_ = run_time;
  // The loop itself wakes on time (WaitForWork); the timer is for native
  // modal loops, which only dispatch messages.
  const int64_t delay = std::max<int64_t>(DelayUntilDue(), kMinTimerPeriod);
  ::SetTimer(message_window_.get(), reinterpret_cast<UINT_PTR>(this), ClampWait(delay), nullptr);
}

void WinUIMessagePump::RunWithDispatcher(Delegate* delegate, MessageDispatcher* dispatcher) {
  RunWithState(delegate, dispatcher);
}

void WinUIMessagePump::RunLoop() {
  for (;;) {
    bool more = PumpOneMessage();
    if (state_->should_quit) break;
    more |= state_->delegate->DoWork();
    if (state_->should_quit) break;
    more |= state_->delegate->DoDelayedWork(&delayed_work_time_);
    if (more && delayed_work_time_ == 0)
      ::KillTimer(message_window_.get(), reinterpret_cast<UINT_PTR>(this));
    if (state_->should_quit) break;
    if (more) continue;
    more = state_->delegate->DoIdleWork();
    if (state_->should_quit) break;
    if (more) continue;
    WaitForWork();
  }
}

bool WinUIMessagePump::PumpOneMessage() {
  const DWORD status = ::GetQueueStatus(QS_SENDMESSAGE);
  MSG message;
  if (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return HandleMessage(message);
  // Sent messages were handled inside the peek: look again before sleeping.
  return (HIWORD(status) & QS_SENDMESSAGE) != 0;
}

bool WinUIMessagePump::HandleMessage(const MSG& message) {
  if (message.message == WM_QUIT) {
    state_->should_quit = true;
    // An enclosing loop (a nested run, the caller's own loop) ends too.
    ::PostQuitMessage(static_cast<int>(message.wParam));
    return false;
  }
  if (message.message == kHaveWorkMessage && message.hwnd == message_window_.get())
    return TakeInterleavedMessage();
  MSG copy = message;
  if (::CallMsgFilterW(&copy, kMessageFilterCode)) return true;  // a hook consumed it
  BeforeMessage(message);
  if (state_->dispatcher) {
    if (!state_->dispatcher->Dispatch(message)) state_->should_quit = true;
  } else {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  AfterMessage(message);
  return true;
}

bool WinUIMessagePump::TakeInterleavedMessage() {
  // A have-work message costs one window message, never starves input: take
  // one more message along with it.
  MSG message;
  const bool have_message = ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE;
  ::InterlockedExchange(&have_work_, 0);
  if (!have_message) return false;
  // Announce the tasks again first, in case this message enters a native
  // modal loop.
  ScheduleWork();
  return HandleMessage(message);
}

void WinUIMessagePump::WaitForWork() {
  const int64_t delay = DelayUntilDue();
  const DWORD timeout = delay < 0 ? INFINITE : ClampWait(delay);
  const DWORD result = ::MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT,
                                                     MWMO_INPUTAVAILABLE);
  if (result == WAIT_OBJECT_0) {
    // Mouse input that no peek of ours can take (a window of another thread
    // sharing our input queue holds it) would wake us at once, forever.
    const DWORD status = ::GetQueueStatus(QS_MOUSE);
    MSG message;
    if ((HIWORD(status) & QS_MOUSE) &&
        !::PeekMessageW(&message, nullptr, kFirstMouseMessage, kLastMouseMessage, PM_NOREMOVE)) {
      ::WaitMessage();
    }
  }
}

void WinUIMessagePump::BeforeMessage(const MSG& message) {
  observers_.ForEach([&message](UIObserver* observer) { observer->WillProcessMessage(message); });
}

void WinUIMessagePump::AfterMessage(const MSG& message) {
  observers_.ForEach([&message](UIObserver* observer) { observer->DidProcessMessage(message); });
}

void WinUIMessagePump::HandleWorkMessage() {
  if (!state_) {
    ::InterlockedExchange(&have_work_, 0);
    return;
  }
  // Someone else's loop (a native modal loop) dispatched this: serve one
  // message and one task here, and keep the turns coming.
  TakeInterleavedMessage();
  if (state_->delegate->DoWork()) ScheduleWork();
}

void WinUIMessagePump::HandleTimerMessage() {
  ::KillTimer(message_window_.get(), reinterpret_cast<UINT_PTR>(this));
  if (!state_) return;
  state_->delegate->DoDelayedWork(&delayed_work_time_);
  if (delayed_work_time_ != 0) ScheduleDelayedWork(delayed_work_time_);
}

LRESULT CALLBACK WinUIMessagePump::WndProcThunk(HWND hwnd, UINT message, WPARAM wparam,
                                                LPARAM lparam) {
  // The pump is the one that made this window; a message naming another
  // pump (a stray post) is not ours to act on.
  auto* pump = reinterpret_cast<WinUIMessagePump*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (pump && wparam == reinterpret_cast<WPARAM>(pump)) {
    try {
      if (message == kHaveWorkMessage)
        pump->HandleWorkMessage();
      else if (message == WM_TIMER)
        pump->HandleTimerMessage();
    } catch (...) {
      ::OutputDebugStringA("base::WinUIMessagePump: work threw; the exception was dropped\n");
    }
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace base
