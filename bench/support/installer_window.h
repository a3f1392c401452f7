// The installer's own window for the benchmarks that measure what an install
// costs on screen. A UI thread, registered under the installer's UI thread
// identifier, runs a UI loop, opens the skin archive the program carries
// (every benchmark is linked with the program's resources) the way the
// installer does, and shows app::BasicForm, the real layered installer
// window, switched to its installing view as the install button switches it.
// What the installer does on its worker thread runs on the benchmark's own
// thread and posts to this UI thread through the thread registry, as in the
// program.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

namespace app {
class BasicForm;
}  // namespace app
namespace test_support {
struct PaintTimes;
}  // namespace test_support

namespace bench {

class InstallerWindow {
 public:
  InstallerWindow();
  // Closes the window and ends the UI thread.
  ~InstallerWindow();
  InstallerWindow(const InstallerWindow&) = delete;
  InstallerWindow& operator=(const InstallerWindow&) = delete;

  // Starts the UI thread and waits until the window has painted and its
  // fade-in has ended. False when the window did not come up (no display,
  // no skin, a failed paint); the reason is printed.
  bool Open();

  // Runs `task` on the UI thread and waits for it, and so for every task
  // posted there before it.
  void RunOnUi(const std::function<void()>& task);

  // The window; use it on the UI thread (RunOnUi) only. Null until Open.
  app::BasicForm* form() const;
  // What the window's paints have cost since it opened; on the UI thread
  // only.
  const test_support::PaintTimes& paint_times() const;
  // The UI thread, for its CPU times.
  HANDLE ui_thread() const;

 private:
  class UiThread;
  std::unique_ptr<UiThread> thread_;
};

// User plus kernel CPU seconds `thread` has used so far.
double ThreadCpuSeconds(HANDLE thread);

}  // namespace bench
