#pragma once

namespace base {

// Which message loop a FrameworkThread runs.
enum LoopKind : int {
  kDefault = 0,  // plain MessageLoop, sleeps on an event
  kUI = 1,       // UIMessageLoop, also pumps the thread's window messages
  kIO = 2,       // IOMessageLoop, sleeps on an I/O completion port
  kCustom = 3,   // a loop made by the thread's MessageLoopFactory
};

}  // namespace base
