// Shared set-up of the installer window tests: the framework started over a
// skin folder the tests write, the UI thread registered with a running UI
// loop, real X input through xdotool on the test display, screenshots, and
// waits that cannot hang.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "support/desktop.h"
#include "support/open_fade.h"
#include "ui/window/window.h"

namespace installer_test {

// A message-box skin with the names and sizes the code relies on.
extern const char kMsgBoxSkin[];

// Writes `bytes` (UTF-8 text) as SkinRoot() + relative path.
void WriteSkin(const std::wstring& relative_path, const std::string& bytes);

// Runs `body` as a task of a UI loop on this thread, registered as the UI
// thread; tasks posted to it run while `body` waits with PumpUntil.
void RunOnUiThread(const std::function<void()>& body);

using test_support::PumpUntil;
using test_support::PumpUntilPainted;
using test_support::PumpUntilPostedTasksRan;
using test_support::SaveScreenshot;
using test_support::Xdotool;

// A real left click at the centre of the control `name` of `window`.
bool ClickControl(ui::Window* window, const std::wstring& name);

// The framework object of a window made by the framework, or null.
ui::Window* WindowOf(HWND hwnd);

// A plain visible top-level window to own the boxes; destroyed with the object.
class OwnerWindow {
 public:
  OwnerWindow();
  ~OwnerWindow();
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace installer_test
