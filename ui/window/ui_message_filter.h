// An object that sees every message of a window before the window does.
#pragma once

#include <windows.h>

namespace ui {

class IUIMessageFilter {
 public:
  virtual ~IUIMessageFilter() = default;
  // Sets `handled` to claim the message; the window then returns the result
  // and does no more (except for WM_MOUSEMOVE, which always goes on so the
  // hover state stays right).
  virtual LRESULT MessageFilter(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) = 0;
};

}  // namespace ui
