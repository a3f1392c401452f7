// Shared set-up of the window tests: the framework started over a skin
// folder written by the tests, real X input through xdotool on the test
// display, screenshots of that display, a message pump that cannot hang, and
// a skinned window whose skin the test chooses.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/desktop.h"
#include "support/open_fade.h"
#include "support/paint_times.h"
#include "ui/builder/window_impl_base.h"

namespace window_test {

// The resource path of the test skins (ends in a backslash). global.xml
// there declares the fonts "system_14", "system_bold_18" and "cjk_22" and the
// colours used below; "public\bk\bk_shadow.png" is a translucent shadow.
std::wstring SkinRoot();
// Writes `xml` (UTF-8 on disk) as SkinRoot() + folder + "\" + file.
void WriteSkin(const std::wstring& folder, const std::wstring& file, const std::string& xml);

// ARGB values of the colours global.xml registers.
constexpr DWORD kBackground = 0xFF2060A0;  // "bk_blue"
constexpr DWORD kButton = 0xFFE0A020;      // "btn_orange"
constexpr DWORD kCaption = 0xFF208040;     // "caption_green"

using test_support::XClick;
using test_support::Xdotool;
// Presses the left button at `from` (screen coordinates), moves in steps to
// `to` and releases there; returns once the release has been handled.
testing::AssertionResult XDrag(POINT from, POINT to);

// Captures the whole test display to $ORVANE_BINARY_DIR/screenshots/<name>
// and loads it; pixels are 0x00RRGGBB, row after row.
struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<DWORD> pixels;
  DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
bool CaptureScreen(const std::wstring& name, Screenshot* shot);

using test_support::PumpUntil;

// What happened to a TestWindow; outlives the window (which deletes itself).
struct WindowLog {
  bool skin_loaded = false;
  bool final_message = false;
  bool close_event = false;
  int close_messages = 0;
  DWORD close_message_tick = 0;
  std::vector<std::wstring> clicks;  // names of clicked controls, in order
};

// A skinned window over the skin `folder`\`file`; records into `log`.
class TestWindow : public ui::WindowImplBase {
 public:
  TestWindow(std::wstring folder, std::wstring file, WindowLog* log,
             std::wstring class_name = L"OrvaneWindowTest");
  std::wstring WindowClassName() const override { return class_name_; }
  std::wstring SkinFolder() override { return folder_; }
  std::wstring SkinFile() override { return file_; }
  void OnSkinLoaded() override;
  LRESULT OnCloseMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) override;
  void OnFinalMessage(HWND hwnd) override;

  // Opens a layered window with the installer's style at (x, y).
  HWND Open(bool layered = true, int x = 0, int y = 0, HWND parent = nullptr);

 private:
  std::wstring folder_;
  std::wstring file_;
  std::wstring class_name_;
  WindowLog* log_;
};

// A TestWindow a test opened, with what it logs; the native window is
// destroyed with it when the test has not closed it itself.
struct OpenedWindow {
  WindowLog log;
  TestWindow* window = nullptr;  // deletes itself with its native window
  HWND hwnd = nullptr;
  // Counted from before the window opened.
  std::shared_ptr<const test_support::PaintTimes> paints;
  ~OpenedWindow() {
    if (hwnd && ::IsWindow(hwnd)) ::DestroyWindow(hwnd);
  }
  RECT PosOf(const wchar_t* name) const { return window->FindControl(name)->GetPos(); }
};

// Opens folder\file shown at (x, y) and waits for the fade-in to end.
void OpenShown(OpenedWindow& w, const std::wstring& folder, const std::wstring& file, int x = 100,
               int y = 100);
// The same with a window the test made (logging into w.log).
void OpenShown(OpenedWindow& w, TestWindow* window, int x = 100, int y = 100);

// The window rectangle in screen coordinates.
RECT WindowRect(HWND hwnd);
// The screen point of a control's centre.
POINT ScreenCentre(HWND hwnd, const RECT& client_rect);

}  // namespace window_test
