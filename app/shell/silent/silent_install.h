// The unattended install ("--silent"): the install of the start view's
// button with no window, no prompt and no message box. It runs the same
// running-client check and install task as the window, answers every
// question the way that changes nothing, and ends the UI loop with the
// outcome's exit code, which its last log line names.
#pragma once

#include <functional>
#include <string>

#include "app/install/common/exit_code.h"
#include "app/install/install_view.h"
#include "app/shell/prompts/client_prompt.h"

namespace app {

class SilentInstall : public InstallView, public ClientPrompt {
 public:
  SilentInstall() = default;
  SilentInstall(const SilentInstall&) = delete;
  SilentInstall& operator=(const SilentInstall&) = delete;

  // UI thread, with the worker registered: the install folder (--folder=,
  // else the stored or default one), the running-client check, then the
  // install task on the worker. Every way on ends in Finish.
  void Start();

  // The process's exit code once the UI loop has ended.
  int ExitCode() const { return static_cast<int>(exit_code_); }

  // InstallView: there is nothing to show, and nobody to ask.
  void SetStatusText(std::wstring) override {}
  void SetProgress(double) override {}
  void FlushProgress() override {}
  std::wstring InstallFolder() const override { return folder_; }
  void PostToView(std::function<void()> task) override;
  void ShowFinishedView() override {}
  void ShowStartView() override {}
  void ExitInstaller() override {}
  // The failure's own log line is written by the task; the outcome follows
  // once the task has returned its result.
  void PresentPrompt(const std::wstring&, std::function<void(bool retry)>) override {}

  // ClientPrompt: the client is ended unasked, as in every install, and the
  // install goes on; other programs started from the install folder are
  // never ended unattended: the answer is no, and the install stops before
  // it begins.
  void AskToCloseProcesses(HWND owner, const std::wstring& text, const std::wstring& title,
                           const std::wstring& yes_text, const std::wstring& no_text,
                           std::function<void(ClientPromptAnswer)> on_answer) override;

 private:
  void OnCheckDecided(bool cancelled);
  // UI thread: logs the outcome and ends the UI loop.
  void Finish(app::ExitCode code);

  std::wstring folder_;
  bool asked_ = false;
  bool decided_ = false;
  app::ExitCode exit_code_ = app::ExitCode::Unexpected;
};

// Writes the last line of an unattended install's log, naming `code`
// ("silent install: finished: 0 installed"), and returns the exit code.
int EndSilentInstall(app::ExitCode code);

}  // namespace app
