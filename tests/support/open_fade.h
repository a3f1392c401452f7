// Waiting for a framework window's opening fade, for tests that may click a
// window or judge its looks only once it stands fully opaque. Header-only:
// the window and installer tests link the UI framework, the shared support
// library does not.
#pragma once

#include <windows.h>

#include "support/desktop.h"
#include "ui/window/window.h"

namespace test_support {

// Pumps until `window` has had its first paint and its alpha is back at 255.
// The first paint starts the fade from 0, so a window that still waits for
// that paint reads 255 without having faded in: hence both conditions.
// False when that does not happen within `timeout_ms`.
inline bool WaitForOpenFade(const ui::Window& window, DWORD timeout_ms = 10000) {
  return PumpUntil(
      [&] { return !::GetUpdateRect(window.GetHWND(), nullptr, FALSE) && window.GetWindowAlpha() == 255; },
      timeout_ms);
}

}  // namespace test_support
