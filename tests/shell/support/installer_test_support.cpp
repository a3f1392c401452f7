#include "shell/support/installer_test_support.h"

#include <gtest/gtest.h>

#include "app/shell/threads/thread_ids.h"
#include "base/framework_thread.h"
#include "base/message_loop.h"
#include "base/thread_registry.h"
#include "support/framework_start.h"
#include "support/paths.h"
#include "support/text.h"
#include "ui/controls/control.h"

namespace installer_test {
namespace {

test_support::FrameworkFiles InstallerSkins() {
  test_support::FrameworkFiles files;
  files.root = test_support::BuildFolder() + L"\\installer_skins\\";
  files.global_xml = L"tests\\shell\\support\\global.xml";
  return files;
}

[[maybe_unused]] const bool kFrameworkStarted = test_support::StartFrameworkBeforeTests(InstallerSkins());

class TestUiThread : public base::FrameworkThread {
 public:
  explicit TestUiThread(std::function<void()> body)
      : FrameworkThread("TestUiThread"), body_(std::move(body)) {}

 protected:
  void Init() override {
    registered_ = base::ThreadRegistry::RegisterThread(app::kUiThreadId);
    EXPECT_TRUE(registered_) << "the test thread could not take the UI thread's identifier";
    base::ThreadRegistry::PostTask(app::kUiThreadId, [this] {
      // The body waits in nested pumps; the answers it waits for are tasks.
      base::MessageLoop::Current()->SetNestableTasksAllowed(true);
      body_();
      RequestStop();
    });
  }
  void Cleanup() override {
    if (registered_) base::ThreadRegistry::UnregisterThread();
  }

 private:
  std::function<void()> body_;
  bool registered_ = false;
};

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

// The box skin with the names and sizes the code relies on; colours stand in
// for the images.
const char kMsgBoxSkin[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="330,180" caption="0,0,0,60" shadowattached="false" alphafixcorner="10,10,10,10">
  <VBox bkcolor="white" borderround="20,20">
    <HBox width="stretch" height="65">
      <Label name="title" font="system_bold_18" normaltextcolor="black" width="stretch" margin="30,30,0,0" mouse="false"/>
      <Button name="closebtn" width="20" height="20" bkcolor="grey" margin="0,30,30,0"/>
    </HBox>
    <RichEdit name="content" rich="false" width="300" height="20" margin="30,20,30,0" font="system_16" normaltextcolor="black" multiline="true" vscrollbar="true" maxheight="64" autovscroll="false" enabled="false"/>
    <HBox height="auto" margin="0,30,30,20" childmargin="10" float="true" halign="right" valign="bottom">
      <Control/>
      <Button name="btn_yes" width="80" height="32" bkcolor="green" normaltextcolor="white"/>
      <Button name="btn_no" width="80" height="32" bkcolor="grey" normaltextcolor="black"/>
    </HBox>
  </VBox>
</Window>
)";

void WriteSkin(const std::wstring& relative_path, const std::string& bytes) {
  EXPECT_TRUE(test_support::WriteSkinFile(relative_path, bytes))
      << "could not write the skin " << test_support::Utf8(relative_path);
}

void RunOnUiThread(const std::function<void()>& body) {
  TestUiThread thread(body);
  thread.RunOnCurrentThread(base::kUI);
}

bool ClickControl(ui::Window* window, const std::wstring& name) {
  ui::Control* control = window ? window->FindControl(name) : nullptr;
  if (!control) return false;
  const RECT& pos = control->GetPos();
  POINT pt{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2};
  ::ClientToScreen(window->GetHWND(), &pt);
  return test_support::XClick(pt);
}

ui::Window* WindowOf(HWND hwnd) {
  // The window procedure binds the HWND to the window's NativeWindow side.
  if (!hwnd) return nullptr;
  auto* native = reinterpret_cast<ui::NativeWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return static_cast<ui::Window*>(native);
}

OwnerWindow::OwnerWindow() {
  WNDCLASSEXW wc{sizeof(wc)};
  wc.lpfnWndProc = OwnerProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"OrvaneInstallerTestOwner";
  ::RegisterClassExW(&wc);
  hwnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"owner", WS_OVERLAPPEDWINDOW, 100, 100, 700,
                            500, nullptr, nullptr, wc.hInstance, nullptr);
  if (hwnd_) ::ShowWindow(hwnd_, SW_SHOWNORMAL);
}

OwnerWindow::~OwnerWindow() {
  if (hwnd_) ::DestroyWindow(hwnd_);
}

}  // namespace installer_test
