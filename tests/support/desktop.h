// What tests on the display share: Linux programs (xdotool, ImageMagick)
// run on the test display from inside Wine, message pumping that cannot
// hang, system dialogs found and answered, and the one condition of Wine's
// shared desktop that a test may meet through no fault of its own.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace test_support {

// Runs `command` with the host's /bin/sh and waits for it, pumping this
// thread's messages; fails with the command's output when it does not exit
// with 0 within `timeout_ms`.
testing::AssertionResult RunOnHost(const std::string& command, DWORD timeout_ms = 180000);
testing::AssertionResult Xdotool(const std::string& arguments);
// A real left click at `at` (screen coordinates); returns once the press and
// release have reached this thread's windows.
testing::AssertionResult XClick(POINT at);
// Pumps until the pointer is at `at`, the left button is up and no input
// waits in this thread's queue: what was typed or clicked has been handled.
bool PumpUntilInputHandled(POINT at);
// Saves the whole display as $ORVANE_BINARY_DIR/screenshots/<name>.
testing::AssertionResult SaveScreenshot(const std::string& name);

// Pumps messages (and the loop's tasks) until `done` or the timeout; false
// on the timeout.
bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms = 5000);
// Pumps until `hwnd` has nothing left to paint: a layout change has been laid
// out and drawn.
bool PumpUntilPainted(HWND hwnd);
// Pumps until a task posted now to this thread's loop has run, and with it
// every task posted before it.
bool PumpUntilPostedTasksRan();
// Pumps until a timer of `elapse_ms` set now fires: by then every timer of
// this thread due no later has fired too (a timer never fires early).
bool PumpUntilTimerFires(UINT elapse_ms);

// Returns once Wine's desktop takes a window. The shared desktop has been
// seen to refuse a test program's first window while it was still coming
// up; the first window of every display test is this probe, and a refusal
// is waited out (at most 10 s), named on stderr and added to
// $ORVANE_BINARY_DIR/platform-retries.log, which tools/test counts.
bool WaitForDesktop();

// A system dialog (class #32770) titled `title`, any title when null, as
// soon as one shows within `timeout_ms`; null if none does. Any thread.
HWND WaitForSystemDialog(const wchar_t* title, DWORD timeout_ms = 10000);

// Answers the first system dialog titled `title` (any when null) with OK
// from a thread of its own, after reading its text.
class SystemDialogAnswerer {
 public:
  explicit SystemDialogAnswerer(const wchar_t* title = nullptr);
  ~SystemDialogAnswerer() { Finish(); }
  SystemDialogAnswerer(const SystemDialogAnswerer&) = delete;
  SystemDialogAnswerer& operator=(const SystemDialogAnswerer&) = delete;
  // Waits for the answer; true when a dialog was seen and answered.
  bool Finish();
  // The dialog's message (its last static text that is not empty).
  const std::wstring& text() const { return text_; }

 private:
  std::wstring text_;
  std::atomic<bool> answered_{false};
  std::thread thread_;
};

}  // namespace test_support
