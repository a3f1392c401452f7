// What tests on the display share: host programs (xdotool, ImageMagick) run
// from inside Wine, pumping that cannot hang and waits on what input or a
// change has caused, system dialogs answered, and Wine's desktop made ready.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace test_support {

// Runs `command` with the host's /bin/sh, pumping this thread's messages;
// fails with its output when it does not exit with 0 within `timeout_ms`.
testing::AssertionResult RunOnHost(const std::string& command, DWORD timeout_ms = 180000);
testing::AssertionResult Xdotool(const std::string& arguments);
// A real left click at `at` (screen coordinates), returning once handled.
testing::AssertionResult XClick(POINT at);
// Pumps until the pointer is at `at`, the left button is up and no input is
// queued for this thread: what was clicked has been handled.
bool PumpUntilInputHandled(POINT at);
// Saves the whole display as $ORVANE_BINARY_DIR/screenshots/<name>.
testing::AssertionResult SaveScreenshot(const std::string& name);

// Pumps messages (and the loop's tasks) until `done`; false on the timeout.
bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms = 5000);
// Until `hwnd` has nothing left to paint (a change has been laid out and drawn).
bool PumpUntilPainted(HWND hwnd);
// Until a task posted now to this thread's loop, and so every earlier one, has run.
bool PumpUntilPostedTasksRan();
// Until a timer of `elapse_ms` set now fires: by then every timer of this
// thread due no later has fired too (a timer never fires early).
bool PumpUntilTimerFires(UINT elapse_ms);

// Wine's shared desktop has been seen to refuse a program's first window
// while coming up. Display tests make theirs here before any test runs; a
// refusal is waited out (10 s at most) and named on stderr and in
// $ORVANE_BINARY_DIR/platform-retries.log, which tools/test counts.
bool WaitForDesktop();

// A system dialog (class #32770) titled `title` (any when null) once one
// shows within `timeout_ms`, else null. Any thread.
HWND WaitForSystemDialog(const wchar_t* title, DWORD timeout_ms = 10000);

// Answers the first system dialog titled `title` (any when null) with OK
// from a thread of its own, after reading its message.
class SystemDialogAnswerer {
 public:
  explicit SystemDialogAnswerer(const wchar_t* title = nullptr);
  ~SystemDialogAnswerer() { Finish(); }
  // Waits for the answer; true when a dialog was seen and answered.
  bool Finish();
  const std::wstring& text() const { return text_; }

 private:
  std::wstring text_;  // the last static text that is not empty
  std::atomic<bool> answered_{false};
  std::thread thread_;
};

}  // namespace test_support
