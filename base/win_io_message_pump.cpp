#include "base/win_io_message_pump.h"

#include <algorithm>

namespace base {

WinIOMessagePump::WinIOMessagePump()
    : port_(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1)) {}

WinIOMessagePump::~WinIOMessagePump() = default;

void WinIOMessagePump::ScheduleWork() {
  if (::InterlockedExchange(&have_work_, 1) != 0) return;  // a wake-up is queued
  if (!::PostQueuedCompletionStatus(port_.get(), 0, reinterpret_cast<ULONG_PTR>(this),
                                    reinterpret_cast<OVERLAPPED*>(this))) {
    ::InterlockedExchange(&have_work_, 0);
  }
}

void WinIOMessagePump::ScheduleDelayedWork(int64_t run_time) { delayed_work_time_ = run_time; }

bool WinIOMessagePump::RegisterIOHandler(HANDLE file, IOHandler* handler) {
  return ::CreateIoCompletionPort(file, port_.get(), reinterpret_cast<ULONG_PTR>(handler), 1) ==
         port_.get();
}

void WinIOMessagePump::RunLoop() {
  bool more = state_->delegate->DoWork();
  while (!state_->should_quit) {
    more |= WaitForIOCompletion(0);
    if (state_->should_quit) break;
    more |= state_->delegate->DoDelayedWork(&delayed_work_time_);
    if (state_->should_quit) break;
    if (!more) {
      more = state_->delegate->DoIdleWork();
      if (state_->should_quit) break;
      if (!more) {
        const int64_t delay = DelayUntilDue();
        WaitForIOCompletion(delay < 0 ? INFINITE
                                      : static_cast<DWORD>(std::min<int64_t>(delay, kMaxFiniteWait)));
        if (state_->should_quit) break;
      }
    }
    more = state_->delegate->DoWork();
  }
}

bool WinIOMessagePump::WaitForIOCompletion(DWORD timeout) {
  DWORD bytes = 0;
  ULONG_PTR key = 0;
  OVERLAPPED* overlapped = nullptr;
  DWORD error = 0;
  if (!::GetQueuedCompletionStatus(port_.get(), &bytes, &key, &overlapped, timeout)) {
    if (!overlapped) return false;  // timed out, nothing dequeued
    error = ::GetLastError();       // the I/O failed
    bytes = 0;
  }
  if (key == reinterpret_cast<ULONG_PTR>(this) && overlapped == reinterpret_cast<OVERLAPPED*>(this)) {
    ::InterlockedExchange(&have_work_, 0);
    return true;
  }
  auto* context = reinterpret_cast<IOContext*>(overlapped);
  // The key is the handler the file was registered with; its OVERLAPPED may
  // be a plain one, so only a packet without a handler key is read as a
  // whole IOContext.
  IOHandler* handler = reinterpret_cast<IOHandler*>(key);
  if (!handler) {
    if (!context) return true;
    handler = context->handler;
    if (!handler) {
      delete context;
      return true;
    }
  }
  observers_.ForEach([](IOObserver* observer) { observer->WillProcessIOEvent(); });
  try {
    handler->OnIOCompleted(context, bytes, error);
  } catch (...) {
    ::OutputDebugStringA("base::WinIOMessagePump: a handler threw; the exception was dropped\n");
  }
  observers_.ForEach([](IOObserver* observer) { observer->DidProcessIOEvent(); });
  return true;
}

}  // namespace base
