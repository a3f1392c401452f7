#include "installer_test_support.h"

#include <gtest/gtest.h>

#include "app/thread_ids.h"
#include "base/framework_thread.h"
#include "base/message_loop.h"
#include "base/thread_registry.h"
#include "ui/control.h"
#include "ui/global_resources.h"

namespace installer_test {
namespace {

using test_support::BinaryDir;
using test_support::WindowsPath;
using test_support::WriteFileAt;

// The fonts and colours the installer's skins name.
constexpr char kGlobalXml[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Global>
  <Font id="system_16" name="微软雅黑" size="16" default="true"/>
  <Font id="system_bold_18" name="微软雅黑" size="18" bold="true"/>
  <Font id="system_22" name="微软雅黑" size="22"/>
  <TextColor name="white" value="#ffffffff"/>
  <TextColor name="black" value="#ff000000"/>
  <TextColor name="grey" value="#ffc0c0c0"/>
  <TextColor name="green" value="#ff20a060"/>
  <TextColor name="textdefaultcolor" value="#ff000000"/>
  <TextColor name="textdefaultdisablecolor" value="#ff808080"/>
</Global>
)";

class FrameworkEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    const std::wstring root = WindowsPath(BinaryDir() + "/installer_skins/");
    WriteFileAt(root + L"global.xml", kGlobalXml);
    ASSERT_TRUE(ui::GlobalResources::Startup(root, {}, false, L"", L"lang"))
        << "the UI framework did not start";
  }
};

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new FrameworkEnvironment);

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
  WriteFileAt(ui::GlobalResources::GetResourcePath() + relative_path, bytes);
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
  return Xdotool("mousemove " + std::to_string(pt.x) + " " + std::to_string(pt.y) +
                 " sleep 0.1 click 1");
}

ui::Window* WindowOf(HWND hwnd) {
  return hwnd ? reinterpret_cast<ui::Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)) : nullptr;
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
