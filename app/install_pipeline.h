// The install pipeline: choosing the package (GetNewVersion, UI thread) and
// the install task that downloads and extracts it (worker thread).
#pragma once

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/install_result.h"
#include "app/paced_progress.h"
#include "app/progress_sink.h"
#include "ui/control.h"
#include "ui/label.h"

namespace app {

// What the install task needs from the installer window. Every call is made
// on the UI thread (the task posts them there); the control getters are also
// called once on the worker when the task starts, which only reads pointers.
class InstallView {
 public:
  virtual ~InstallView() = default;
  // status_label, progress_progress_line, progress_value; null when absent.
  virtual ui::Label* StatusLabel() = 0;
  virtual ui::Control* ProgressBar() = 0;
  virtual ui::Label* ProgressValue() = 0;
  // A copy of installFolder; read when the task starts.
  virtual std::wstring InstallFolder() = 0;
  // Fade installing_state out and finally_state in.
  virtual void ShowFinishedView() = 0;
  // After "重试": show begin_state, hide installing_state.
  virtual void ShowStartView() = 0;
  // After "退出": RequestClose(1).
  virtual void ExitInstaller() = 0;
  // PresentMsgBox owned by the window: title "提示", `text`, yes "重试",
  // no "退出"; `retry` gets true for yes. Must not block.
  virtual void PresentPrompt(const std::wstring& text, std::function<void(bool retry)> answer) = 0;
};

// "--test" anywhere in the command line (case-sensitive substring).
bool IsTestMode(const std::wstring& command_line);
// strftime "%Y_%m_%d" of the local date of `now`.
std::wstring DateStamp(std::time_t now);
// https://<storage><channel><version>/orvanecloud.zip?name=<date>
std::wstring PackageUrl(const std::wstring& storage_host, bool test_mode, const std::string& version,
                        const std::wstring& date_stamp);

// Asks the API (test or production host after the command line) for the
// current version and fills packagePath and downloadUrl. Returns false and
// leaves downloadUrl empty when no version came back.
bool GetNewVersion();
// The same against a given host and command line (tests).
bool GetNewVersion(const std::wstring& command_line, const std::wstring& api_host,
                   const std::wstring& test_api_host, const std::wstring& storage_host);

// The log line and prompt of a failed attempt; nothing for the codes that
// have neither (Success, and values outside the table).
struct FailurePrompt {
  const wchar_t* logText;
  const wchar_t* promptText;
};
std::optional<FailurePrompt> FailureFor(InstallResult result);

// Presents download progress in the bar and the percentage label, paced to
// the display (PacedProgress): the UI thread applies at most one report a
// frame, always the latest, and the last report is always shown. Flush (the
// destructor too) puts the last report on screen before anything posted to
// the UI thread after it, such as the next status text or the finished view.
class ControlProgressSink : public ProgressSink {
 public:
  ControlProgressSink(ui::Control* bar, ui::Label* value);
  ~ControlProgressSink() override;
  void Report(double percent) override;
  void Flush();
  // UI thread: the presentation of one value (clamp 0..90, width p*9, "%.0f%%").
  static void Apply(ui::Control* bar, ui::Label* value, double percent);

 private:
  PacedProgress paced_;
};

// Download into packagePath, then extract into `folder`. Status texts go to
// the UI thread as posted tasks.
InstallResult DownloadAndUnzipFile(ui::Label* status, ui::Control* bar, ui::Label* value,
                                   const std::wstring& folder);

// The install task; post it to kWorkerThreadId:
//   base::ThreadRegistry::PostTask(kWorkerThreadId, [view] { RunInstallTask(view); });
// `view` must live until the process ends (the installer window does).
void RunInstallTask(InstallView* view);

}  // namespace app
