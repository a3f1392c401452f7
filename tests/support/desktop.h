// What tests on the display share: Linux programs (xdotool, ImageMagick)
// run on the test display from inside Wine, and message pumping that cannot
// hang.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace test_support {

// Runs `command` with /bin/sh on the Linux side and waits (pumping this
// thread's messages, at most 10 s) for it to end; false on the timeout.
bool RunLinux(const std::string& command);
bool Xdotool(const std::string& arguments);
// A real left click at `at` (screen coordinates).
bool XClick(POINT at);
// Saves the whole display as $ORVANE_BINARY_DIR/screenshots/<name>.
bool SaveScreenshot(const std::string& name);

// Pumps messages (and the loop's tasks) until `done` or the timeout; false
// on the timeout.
bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms = 5000);
void PumpFor(DWORD ms);

}  // namespace test_support
