// The installer's main window: the start view with the install button and
// the custom options, the installing view with its progress, and the
// finished view that can start the installed client.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/install/install_pipeline.h"
#include "app/install/install_view.h"
#include "app/shell/prompts/msg_box_prompt.h"
#include "app/shell/window/control_progress_sink.h"
#include "base/weak_callback.h"
#include "ui/builder/window_impl_base.h"
#include "ui/controls/controls_fwd.h"
#include "ui/widgets/widgets_fwd.h"

namespace app {

class BasicForm : public ui::WindowImplBase, public InstallView {
 public:
  // InstallView: what the install task shows. The worker calls the first
  // three, which post to the UI thread, and copies the folder once at its
  // start, when the folder can no longer change.
  void SetStatusText(std::wstring text) override;
  void SetProgress(double percent) override;
  void FlushProgress() override;
  std::wstring InstallFolder() const override { return installFolder; }
  void PostToView(std::function<void()> task) override;
  void ShowFinishedView() override;
  void ShowStartView() override;
  void ExitInstaller() override { RequestClose(1); }
  void PresentPrompt(const std::wstring& text, std::function<void(bool retry)> answer) override;

  BasicForm();
  ~BasicForm() override;

  // The installing view's controls (status_label, progress_progress_line,
  // progress_value); null when the skin has none. UI thread only.
  ui::Label* StatusLabel();
  ui::Control* ProgressBar();
  ui::Label* ProgressValue();

  std::wstring WindowClassName() const override;
  void OnSkinLoaded() override;
  LRESULT OnCloseMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) override;
  std::wstring SkinFolder() override;
  std::wstring SkinFile() override;

  // The folder the client is installed into, which InstallFolder() returns.
  // UI thread only; the install task copies it when it starts.
  void SetInstallFolder(const std::wstring& folder) { installFolder = folder; }

  // The click handler of every button of the window.
  bool OnFormClick(ui::EventArgs* event);

 protected:
  // The shell's folder browser; an empty string when cancelled.
  virtual std::wstring PickFolder();
  // Where the installed client is started; the shell's "open" verb.
  virtual void LaunchClient(const std::wstring& path);
  // Called once the running-client check lets the install go ahead or not.
  void OnInstallDecided(bool cancelled);
  void ShowCloseConfirmation();
  // The end of every close: quit the UI loop and end the process with 1.
  virtual void EndProcess();

 private:
  std::wstring installFolder;
  ui::Control* close_btn_ = nullptr;
  ui::Control* logo_row_icon_ = nullptr;
  ui::Control* logo_column_icon_ = nullptr;
  ui::Control* begin_state_ = nullptr;
  ui::Control* select_btn_ = nullptr;
  ui::Control* dir_label_ = nullptr;
  ui::Control* install_btn_ = nullptr;
  ui::Control* done_btn_ = nullptr;
  ui::Control* run_check_ = nullptr;
  ui::Control* installing_state_ = nullptr;
  ui::Control* to_change_area_ = nullptr;
  ui::Control* change_area_ = nullptr;
  ui::Control* finally_state_ = nullptr;
  MsgBoxPrompt client_prompt_;
  // The start-up query's package location, handed to every install task;
  // only the worker reads it.
  std::shared_ptr<KnownPackage> package_ = std::make_shared<KnownPackage>();
  // Made with the skin, on the UI thread; the install task reports to it
  // from the worker, which starts only after the skin is loaded.
  std::unique_ptr<ControlProgressSink> progress_;
  // This window's liveness, for the status texts the worker posts.
  base::WeakFlagHandle alive_;
};

}  // namespace app
