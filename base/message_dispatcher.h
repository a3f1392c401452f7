// What a UI loop hands its window messages to instead of translating and
// dispatching them itself.
#pragma once

#include <windows.h>

namespace base {

class MessageDispatcher {
 public:
  virtual ~MessageDispatcher() = default;
  // Handles one window message; false ends the loop that took it.
  virtual bool Dispatch(const MSG& message) = 0;
};

}  // namespace base
