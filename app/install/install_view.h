// What the install task needs from the installer window, as plain values:
// the task runs on the worker thread and never touches a control.
#pragma once

#include <functional>
#include <string>

namespace app {

class InstallView {
 public:
  virtual ~InstallView() = default;

  // Called by the task on the worker thread. The view hands each one to the
  // UI thread itself; they reach the screen in the order they were made.
  //
  // The status line of the installing view ("下载中...", "解压中..."). The
  // progress reported so far is shown first.
  virtual void SetStatusText(std::wstring text) = 0;
  // Download progress, 0 to 100, as often as the download reports it (many
  // thousand times a second): the view shows it at the display's pace.
  virtual void SetProgress(double percent) = 0;
  // Shows the last SetProgress before anything the task posts to the UI
  // thread after this call (the finished view, a failure prompt).
  virtual void FlushProgress() = 0;
  // A copy of the install folder; read once when the task starts.
  virtual std::wstring InstallFolder() const = 0;
  // Hands `task` to the view's own thread, to run after everything handed
  // over before it: the task never needs to know which thread that is.
  virtual void PostToView(std::function<void()> task) = 0;

  // Called on the view's thread (the task hands them over with PostToView).
  //
  // Fade the installing view out and the finished view in.
  virtual void ShowFinishedView() = 0;
  // After "重试": back to the start view.
  virtual void ShowStartView() = 0;
  // After "退出": close the installer.
  virtual void ExitInstaller() = 0;
  // A message box owned by the window: title "提示", `text`, yes "重试",
  // no "退出"; `answer` gets true for yes. Must not block.
  virtual void PresentPrompt(const std::wstring& text, std::function<void(bool retry)> answer) = 0;
};

}  // namespace app
