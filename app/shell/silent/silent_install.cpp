#include "app/shell/silent/silent_install.h"

#include <windows.h>

#include <utility>

#include "app/install/common/command_line.h"
#include "app/install/common/setup_log.h"
#include "app/install/install_pipeline.h"
#include "app/install/register/registration.h"
#include "app/shell/prompts/running_client.h"
#include "app/shell/threads/thread_ids.h"
#include "base/thread_registry.h"

namespace app {

int EndSilentInstall(app::ExitCode code) {
  const int number = static_cast<int>(code);
  WriteSetupLog(L"silent install: finished: " + std::to_wstring(number) + L" " + ExitCodeName(code));
  return number;
}

void SilentInstall::Start() {
  try {
    folder_ = ProcessCommandLine().folder;
    if (folder_.empty()) ReadInstallLocation(folder_);
    WriteSetupLog(L"silent install: install folder");
    WriteSetupLog(folder_);
    if (folder_.empty()) {
      Finish(app::ExitCode::Unexpected);
      return;
    }
    isFolderInUse(folder_, nullptr, [this](bool cancelled) { OnCheckDecided(cancelled); }, *this);
    // A check that could not list the processes decides nothing: going on
    // might replace files a running program holds, unasked.
    if (!decided_ && !asked_) {
      WriteSetupLog(L"silent install: the running programs could not be listed");
      Finish(app::ExitCode::Unexpected);
    }
  } catch (...) {
    Finish(app::ExitCode::Unexpected);
  }
}

void SilentInstall::AskToCloseProcesses(HWND, const std::wstring&, const std::wstring&, const std::wstring&,
                                        const std::wstring&, std::function<void(ClientPromptAnswer)> on_answer) {
  // The client has been ended already, as in every install; it still stands
  // among the processes found, so the folder is looked at again without it.
  asked_ = true;
  const bool others = ProgramsBesidesTheClientRunFrom(folder_);
  if (others)
    WriteSetupLog(L"silent install: programs started from the install folder are running; they are not ended");
  // Answered later, as a question on the screen would be.
  base::ThreadRegistry::PostTask(kUiThreadId, [others, on_answer = std::move(on_answer)] {
    if (on_answer) on_answer(others ? ClientPromptAnswer::No : ClientPromptAnswer::Yes);
  });
}

void SilentInstall::OnCheckDecided(bool cancelled) {
  decided_ = true;
  if (cancelled) {
    Finish(app::ExitCode::ProgramsRunning);
    return;
  }
  // The silent install lives until the process ends, so the task may hold it.
  SilentInstall* install = this;
  // No start-up query ran: the one attempt asks the service itself.
  const bool posted = base::ThreadRegistry::PostTask(kWorkerThreadId, [install] {
    KnownPackage package;
    const InstallResult result = RunInstallTask(install, package);
    base::ThreadRegistry::PostTask(kUiThreadId, [install, result] { install->Finish(ExitCodeFor(result)); });
  });
  if (!posted) Finish(app::ExitCode::Unexpected);
}

void SilentInstall::PostToView(std::function<void()> task) {
  base::ThreadRegistry::PostTask(kUiThreadId, std::move(task));
}

void SilentInstall::Finish(app::ExitCode code) {
  exit_code_ = code;
  EndSilentInstall(code);
  ::PostQuitMessage(static_cast<int>(code));
}

}  // namespace app
