#include "app/shell/prompts/msg_box.h"

#include <utility>

#include "app/shell/prompts/installer_window_style.h"
#include "app/shell/threads/thread_ids.h"
#include "base/thread_registry.h"
#include "ui/controls/box.h"
#include "ui/resources/global_resources.h"
#include "ui/widgets/button.h"
#include "ui/widgets/label.h"
#include "ui/widgets/rich_edit.h"

namespace app {
namespace {

std::wstring Resolve(const std::wstring& text, bool is_id) {
  return is_id ? ui::GlobalResources::LookupString(text) : text;
}

bool IsValidHeight(int height) {
  return height >= 0 || height == ui::kSizeAuto || height == ui::kSizeStretch;
}

}  // namespace

MsgBox::MsgBox() = default;
MsgBox::~MsgBox() = default;

std::wstring MsgBox::WindowClassName() const { return L"MsgBox"; }

UINT MsgBox::WindowClassStyle() const { return CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS; }

void MsgBox::RequestClose(UINT result) {
  EnableOwner();
  if (HWND owner = hwnd_ ? ::GetWindow(hwnd_, GW_OWNER) : nullptr) ::SetFocus(owner);
  ui::WindowImplBase::RequestClose(result);
}

LRESULT MsgBox::RouteMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  return ui::WindowImplBase::RouteMessage(message, wparam, lparam);
}

void MsgBox::OnSkinLoaded() {
  if (ui::Box* root = GetRoot() ? GetRoot()->AsBox() : nullptr) {
    root->AttachBubbledEvent(ui::kEventClick,
                             ToWeakCallback([this](ui::EventArgs* e) { return OnClick(e); }));
  }
  title_ = ui::FindControlAs<ui::Label>(*this, L"title");
  content_ = ui::FindControlAs<ui::RichEdit>(*this, L"content");
  btn_yes_ = ui::FindControlAs<ui::Button>(*this, L"btn_yes");
  btn_no_ = ui::FindControlAs<ui::Button>(*this, L"btn_no");
}

std::wstring MsgBox::SkinFolder() { return L"msgbox"; }

std::wstring MsgBox::SkinFile() { return L"msgbox.xml"; }

LRESULT MsgBox::OnCloseMessage(UINT, WPARAM, LPARAM, bool& handled) {
  // Closed by the system (Alt+F4) before a button answered: that is the
  // close button's answer, no. Unanswered, the box would leave its owner
  // disabled and the question open for good.
  if (!answered_) {
    answered_ = true;
    EnableOwner();
    if (HWND owner = ::GetWindow(hwnd_, GW_OWNER)) ::SetFocus(owner);
    PostAnswer(kMsgBoxNo);
  }
  handled = false;
  return 0;
}

void MsgBox::EnableOwner() {
  if (HWND owner = hwnd_ ? ::GetWindow(hwnd_, GW_OWNER) : nullptr) ::EnableWindow(owner, TRUE);
}

void MsgBox::Present(HWND owner, const std::wstring& content, const std::wstring& title,
                     const std::wstring& yes, const std::wstring& no, MsgBoxCallback callback) {
  if (title_) title_->SetText(title);
  if (content_) {
    content_->SetText(content);
    // The text wraps beside the scroll bar, so it is measured at that width.
    int text_width = content_->GetFixedWidth();
    if (content_->GetVScrollBar()) text_width -= ui::ScrollBar::kThickness;
    const SIZE natural = content_->GetNaturalSize(text_width, 0);
    if (IsValidHeight(natural.cy) && natural.cy != content_->GetFixedHeight()) {
      content_->SetFixedHeight(natural.cy, true, false);
      if (GetRoot()) GetRoot()->Arrange();
    }
  }
  if (btn_yes_) {
    if (!yes.empty()) {
      btn_yes_->SetText(yes);
      btn_yes_->SetVisible(true);
      SetFocusControl(btn_yes_);
    } else {
      btn_yes_->SetVisible(false);
    }
  }
  if (btn_no_) {
    if (!no.empty()) {
      btn_no_->SetText(no);
      btn_no_->SetVisible(true);
      if (yes.empty()) SetFocusControl(btn_no_);
    } else {
      btn_no_->SetVisible(false);
    }
  }
  callback_ = std::move(callback);
  if (owner) ::EnableWindow(owner, FALSE);
  CentreOnScreen();
  ShowOnScreen(true, true);
}

bool MsgBox::OnClick(ui::EventArgs* event) {
  if (!event || !event->sender) return true;
  const std::wstring& name = event->sender->GetName();
  if (name == L"btn_yes") {
    Finish(kMsgBoxYes);
  } else if (name == L"btn_no" || name == L"closebtn") {
    Finish(kMsgBoxNo);
  }
  return true;
}

void MsgBox::Finish(MsgBoxRet answer) {
  // A second click during the close fade must not answer twice.
  if (answered_) return;
  answered_ = true;
  RequestClose(0);
  PostAnswer(answer);
}

void MsgBox::PostAnswer(MsgBoxRet answer) {
  if (!callback_) return;
  MsgBoxCallback callback = callback_;
  base::ThreadRegistry::PostTask(kUiThreadId, [callback, answer] { callback(answer); });
}

HWND PresentMsgBox(HWND owner, const std::wstring& content, bool content_is_id,
                   const std::wstring& title, bool title_is_id, const std::wstring& yes,
                   bool yes_is_id, const std::wstring& no, bool no_is_id,
                   MsgBoxCallback callback) {
  auto* box = new MsgBox;
  HWND hwnd = box->OpenWindow(owner, L"", kInstallerWindowStyle, 0, true, RECT{0, 0, 0, 0});
  // A failed creation has already deleted the object.
  if (!hwnd) return nullptr;
  box->Present(owner, Resolve(content, content_is_id), Resolve(title, title_is_id),
               Resolve(yes, yes_is_id), Resolve(no, no_is_id), std::move(callback));
  return hwnd;
}

}  // namespace app
