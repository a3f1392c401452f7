#include "base/io_message_loop.h"

namespace base {

IOMessageLoop::IOMessageLoop() : MessageLoop(kIO, std::make_shared<WinIOMessagePump>()) {}

IOMessageLoop* IOMessageLoop::Current() {
  MessageLoop* loop = MessageLoop::Current();
  return loop && loop->kind() == kIO ? static_cast<IOMessageLoop*>(loop) : nullptr;
}

WinIOMessagePump* IOMessageLoop::io_pump() const { return static_cast<WinIOMessagePump*>(pump()); }

bool IOMessageLoop::RegisterIOHandler(HANDLE file, WinIOMessagePump::IOHandler* handler) {
  return io_pump()->RegisterIOHandler(file, handler);
}

void IOMessageLoop::AddIOObserver(WinIOMessagePump::IOObserver* observer) {
  io_pump()->AddObserver(observer);
}

void IOMessageLoop::RemoveIOObserver(WinIOMessagePump::IOObserver* observer) {
  io_pump()->RemoveObserver(observer);
}

}  // namespace base
