#include "app/shell/window/basic_form.h"

#include <shellapi.h>
#include <shlobj.h>


#include "app/install/common/command_line.h"
#include "app/install/common/product.h"
#include "app/install/common/product_folder.h"
#include "app/install/common/setup_log.h"
#include "app/install/install_pipeline.h"
#include "app/install/register/registration.h"
#include "app/install/register/registration_in_progress.h"
#include "app/shell/prompts/msg_box.h"
#include "app/shell/prompts/running_client.h"
#include "app/shell/threads/startup_version.h"
#include "app/shell/threads/thread_ids.h"
#include "base/com_ptr.h"
#include "base/startup_trace.h"
#include "base/thread_registry.h"
#include "ui/controls/box.h"
#include "ui/widgets/check_box.h"
#include "ui/widgets/label.h"

namespace app {
namespace {

// How long the ending waits for a registration in progress: far more than
// it takes, short enough that a hung one does not keep the installer open.
constexpr DWORD kRegistrationWaitMs = 5000;

void SetLabelText(ui::Control* control, const std::wstring& text) {
  if (auto* label = dynamic_cast<ui::Label*>(control)) {
    label->SetText(text);
  } else if (auto* label_box = dynamic_cast<ui::LabelBox*>(control)) {
    label_box->SetText(text);
  }
}

bool IsSelected(ui::Control* control) {
  if (auto* check = dynamic_cast<ui::CheckBox*>(control)) return check->IsSelected();
  if (auto* check_box = dynamic_cast<ui::CheckBoxBox*>(control)) return check_box->IsSelected();
  return false;
}

bool IsShown(const ui::Control* control) { return control && control->IsVisible(); }

void Show(ui::Control* control, bool visible) {
  if (control) control->SetVisible(visible);
}

}  // namespace

BasicForm::BasicForm() = default;
BasicForm::~BasicForm() = default;

std::wstring BasicForm::WindowClassName() const { return kProductName; }

std::wstring BasicForm::SkinFolder() { return L"basic"; }

std::wstring BasicForm::SkinFile() { return L"basic.xml"; }

void BasicForm::OnSkinLoaded() {
  if (auto* root = dynamic_cast<ui::Box*>(GetRoot())) {
    root->AttachBubbledEvent(ui::kEventClick,
                             ToWeakCallback([this](ui::EventArgs* e) { return OnFormClick(e); }));
  }
  close_btn_ = FindControl(L"close_btn");
  logo_row_icon_ = FindControl(L"logo_row_icon");
  logo_column_icon_ = FindControl(L"logo_column_icon");
  begin_state_ = FindControl(L"begin_state");
  select_btn_ = FindControl(L"select_btn");
  dir_label_ = FindControl(L"dir_label");
  install_btn_ = FindControl(L"install_btn");
  done_btn_ = FindControl(L"done_btn");
  run_check_ = FindControl(L"run_check");
  installing_state_ = FindControl(L"installing_state");
  to_change_area_ = FindControl(L"to_change_area");
  change_area_ = FindControl(L"change_area");
  finally_state_ = FindControl(L"finally_state");
  progress_ = std::make_unique<ControlProgressSink>(ProgressBar(), ProgressValue(), *this);
  alive_ = GetWeakFlag();

  // A folder named on the command line wins over the stored one.
  installFolder = ProcessCommandLine().folder;
  if (installFolder.empty()) ReadInstallLocation(installFolder);
  base::MarkStartupPhase("window created, main skin read and built");
  // The package location is known before the window shows. The query began
  // with the worker and mostly waits on the network; the first paint would
  // otherwise stop to decode the skin's images one by one: both happen at once.
  if (ui::Control* root = GetRoot()) root->PreloadImages();
  base::MarkStartupPhase("images preloaded beside the version query");
  package_ = WaitForVersionQuery();
  base::MarkStartupPhase("version query");
}

LRESULT BasicForm::OnCloseMessage(UINT, WPARAM, LPARAM, bool& handled) {
  handled = true;
  // The finished view shows while the worker still writes the shortcuts and
  // registry values; ending under it would leave them half-written.
  if (!WaitForRegistrationToEnd(kRegistrationWaitMs)) WriteSetupLog(L"Registration still running at exit");
  EndProcess();
  return 0;
}

void BasicForm::EndProcess() {
  ::PostQuitMessage(0);
  // Not the runtime's exit: that would run static destructors while the
  // worker may still be using what they destroy.
  // Nothing is left to flush; every log record is written when it is made.
  ::TerminateProcess(::GetCurrentProcess(), 1);
}

bool BasicForm::OnFormClick(ui::EventArgs* event) {
  if (!event || !event->sender) return true;
  const std::wstring name = event->sender->GetName();
  if (name == L"close_btn") {
    if (IsShown(finally_state_)) {
      RequestClose(1);
    } else {
      ShowCloseConfirmation();
    }
    return true;
  }
  if (name == L"show_change_icon" || name == L"show_change_btn") {
    if (IsShown(to_change_area_)) {
      if (!installFolder.empty()) SetLabelText(dir_label_, installFolder);
      if (logo_column_icon_) logo_column_icon_->SetMargin(RECT{0, 100, 0, 0});
      if (install_btn_) install_btn_->SetMargin(RECT{0, 40, 0, 0});
      Show(to_change_area_, false);
      Show(change_area_, true);
    }
  } else if (name == L"hidden_change_icon" || name == L"hidden_change_btn") {
    if (change_area_) {
      if (logo_column_icon_) logo_column_icon_->SetMargin(RECT{0, 107, 0, 0});
      if (install_btn_) install_btn_->SetMargin(RECT{0, 50, 0, 0});
      Show(to_change_area_, true);
      Show(change_area_, false);
    }
  } else if (name == L"select_btn") {
    const std::wstring chosen = PickFolder();
    if (!chosen.empty()) {
      installFolder = ProductFolderFor(chosen);
      SetLabelText(dir_label_, installFolder);
    }
  } else if (name == L"install_btn") {
    isFolderInUse(installFolder, GetHWND(),
                  ToWeakCallback([this](bool cancelled) { OnInstallDecided(cancelled); }),
                  client_prompt_);
  } else if (name == L"done_btn") {
    if (IsSelected(run_check_)) {
      const std::wstring path = installFolder + L"\\" + kClientExeName;
      WriteSetupLog(L"enterPath：");
      WriteSetupLog(path);
      LaunchClient(path);
    }
    RequestClose(1);
  }
  if (logo_row_icon_) logo_row_icon_->SetVisible(!IsShown(begin_state_));
  return true;
}

void BasicForm::OnInstallDecided(bool cancelled) {
  if (cancelled) return;
  Show(begin_state_, false);
  Show(installing_state_, true);
  // The form lives until the process ends, so the task may hold it.
  InstallView* view = this;
  std::shared_ptr<KnownPackage> package = package_;
  base::ThreadRegistry::PostTask(kWorkerThreadId, [view, package] { RunInstallTask(view, *package); });
}

void BasicForm::ShowCloseConfirmation() {
  PresentMsgBox(GetHWND(), L"安装尚未完成，您确定要退出安装吗？", false, L"提示", false, L"确定",
                false, L"取消", false, ToWeakCallback([this](MsgBoxRet ret) {
                  if (ret == kMsgBoxYes) {
                    RequestClose(1);
                    WriteSetupLog(L"MB_YES");
                  } else {
                    WriteSetupLog(L"MB_No");
                  }
                }));
}

void BasicForm::SetStatusText(std::wstring text) {
  // The figure shown beside the new status is never older than the status.
  FlushProgress();
  base::ThreadRegistry::PostTask(
      kUiThreadId, base::WeakCallback(alive_, [this, text = std::move(text)] {
        if (ui::Label* status = StatusLabel()) status->SetText(text);
      }));
}

void BasicForm::SetProgress(double percent) {
  if (progress_) progress_->Report(percent);
}

void BasicForm::PostToView(std::function<void()> task) {
  base::ThreadRegistry::PostTask(kUiThreadId, std::move(task));
}

void BasicForm::FlushProgress() {
  if (progress_) progress_->Flush();
}

ui::Label* BasicForm::StatusLabel() {
  return dynamic_cast<ui::Label*>(FindControl(L"status_label"));
}

ui::Control* BasicForm::ProgressBar() { return FindControl(L"progress_progress_line"); }

ui::Label* BasicForm::ProgressValue() {
  return dynamic_cast<ui::Label*>(FindControl(L"progress_value"));
}

void BasicForm::ShowFinishedView() {
  if (installing_state_) installing_state_->SetFadeVisible(false);
  if (finally_state_) finally_state_->SetFadeVisible(true);
}

void BasicForm::ShowStartView() {
  Show(begin_state_, true);
  Show(installing_state_, false);
  // A registration that broke after the finished view showed comes back here.
  Show(finally_state_, false);
}

void BasicForm::PresentPrompt(const std::wstring& text, std::function<void(bool retry)> answer) {
  PresentMsgBox(GetHWND(), text, false, L"提示", false, L"重试", false, L"退出", false,
                [answer](MsgBoxRet ret) {
                  if (answer) answer(ret == kMsgBoxYes);
                });
}

std::wstring BasicForm::PickFolder() {
  base::unique_cotaskmem_ptr<ITEMIDLIST> root;
  // A failed call hands back no list: the browser starts at its own root.
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, root.put()))) root.release();
  BROWSEINFOW info{};
  info.hwndOwner = ::GetForegroundWindow();
  info.pidlRoot = root.get();
  info.ulFlags = 0x43;  // BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_NEWDIALOGSTYLE
  const base::unique_cotaskmem_ptr<ITEMIDLIST> chosen(::SHBrowseForFolderW(&info));
  std::wstring path;
  if (chosen) {
    wchar_t buffer[MAX_PATH] = {};
    if (::SHGetPathFromIDListW(chosen.get(), buffer)) path = buffer;
  } else {
    WriteSetupLog(L"No directory selected");
  }
  return path;
}

void BasicForm::LaunchClient(const std::wstring& path) {
  // A client that cannot be started is not worth keeping the installer for.
  ::ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace app
