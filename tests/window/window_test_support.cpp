#include "window_test_support.h"

#include <objidl.h>

#include <gdiplus.h>

#include <algorithm>
#include <cmath>

#include "support/files.h"
#include "support/framework_start.h"
#include "support/paths.h"
#include "support/png_file.h"
#include "support/text.h"
#include "ui/resources/global_resources.h"

namespace window_test {
namespace {

// A 90 x 90 shadow: black whose alpha falls from 0x60 at the inner edge of a
// 14-pixel band to 0 at the outer edge (30-pixel corners, as the default
// shadow expects, and 30-pixel edges to stretch).
void WriteShadowImage(const std::wstring& path) {
  const int size = 90;
  const bool written = test_support::WritePng(path, size, size, [size](int x, int y) -> DWORD {
    const int dx = std::max({0, 14 - x, x - (size - 15)});
    const int dy = std::max({0, 14 - y, y - (size - 15)});
    const double distance = std::sqrt(static_cast<double>(dx * dx + dy * dy));
    const int alpha = distance >= 14 ? 0 : static_cast<int>(0x60 * (1.0 - distance / 14));
    return static_cast<DWORD>(alpha) << 24;
  });
  ASSERT_TRUE(written) << "could not write the shadow image";
}

test_support::FrameworkFiles WindowSkins() {
  test_support::FrameworkFiles files;
  files.root = test_support::BuildFolder() + L"\\window_skins\\";
  files.global_xml = L"tests\\window\\global.xml";
  return files;
}

[[maybe_unused]] const bool kFrameworkStarted =
    test_support::StartFrameworkBeforeTests(WindowSkins(), [] {
      const std::wstring folder = WindowSkins().root + L"public\\bk";
      test_support::CreateFolders(folder);
      WriteShadowImage(folder + L"\\bk_shadow.png");
    });

}  // namespace

std::wstring SkinRoot() { return ui::GlobalResources::GetResourcePath(); }

void WriteSkin(const std::wstring& folder, const std::wstring& file, const std::string& xml) {
  EXPECT_TRUE(test_support::WriteSkinFile(folder + L"\\" + file, xml))
      << "could not write the skin " << test_support::Utf8(file);
}

testing::AssertionResult XDrag(POINT from, POINT to) {
  // One command: a drag by the caption runs the system's move loop inside
  // this thread's dispatch, which returns only with the release. X delivers
  // the steps in order, so none needs a pause before the next.
  std::string script = "mousemove " + std::to_string(from.x) + " " + std::to_string(from.y) + " mousedown 1";
  for (int step = 1; step <= 4; ++step) {
    const LONG x = from.x + (to.x - from.x) * step / 4;
    const LONG y = from.y + (to.y - from.y) * step / 4;
    script += " mousemove " + std::to_string(x) + " " + std::to_string(y);
  }
  testing::AssertionResult sent = Xdotool(script + " mouseup 1");
  if (sent && !test_support::PumpUntilInputHandled(to)) {
    return testing::AssertionFailure() << "the drag's release never arrived";
  }
  return sent;
}

bool CaptureScreen(const std::wstring& name, Screenshot* shot) {
  if (!test_support::SaveScreenshot(test_support::Utf8(name))) return false;
  Gdiplus::Bitmap bitmap((test_support::ScreenshotFolder() + L"\\" + name).c_str());
  if (bitmap.GetLastStatus() != Gdiplus::Ok) return false;
  shot->width = static_cast<int>(bitmap.GetWidth());
  shot->height = static_cast<int>(bitmap.GetHeight());
  Gdiplus::Rect all(0, 0, shot->width, shot->height);
  Gdiplus::BitmapData data{};
  if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppRGB, &data) !=
      Gdiplus::Ok) {
    return false;
  }
  shot->pixels.resize(static_cast<size_t>(shot->width) * shot->height);
  for (int y = 0; y < shot->height; ++y) {
    const auto* row = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(data.Scan0) +
                                                     static_cast<ptrdiff_t>(y) * data.Stride);
    for (int x = 0; x < shot->width; ++x) {
      shot->pixels[static_cast<size_t>(y) * shot->width + x] = row[x] & 0x00FFFFFF;
    }
  }
  bitmap.UnlockBits(&data);
  return true;
}

TestWindow::TestWindow(std::wstring folder, std::wstring file, WindowLog* log,
                       std::wstring class_name)
    : folder_(std::move(folder)),
      file_(std::move(file)),
      class_name_(std::move(class_name)),
      log_(log) {}

void TestWindow::OnSkinLoaded() {
  log_->skin_loaded = true;
  AttachWindowClose([log = log_](ui::EventArgs*) {
    log->close_event = true;
    return true;
  });
  if (auto* root = dynamic_cast<ui::Box*>(GetRoot())) {
    root->AttachBubbledEvent(ui::kEventClick, ToWeakCallback([log = log_](ui::EventArgs* e) {
                               log->clicks.push_back(e->sender ? e->sender->GetName() : L"");
                               return true;
                             }));
  }
}

LRESULT TestWindow::OnCloseMessage(UINT, WPARAM, LPARAM, bool& handled) {
  ++log_->close_messages;
  log_->close_message_tick = ::GetTickCount();
  handled = false;  // destroyed by the default procedure
  return 0;
}

void TestWindow::OnFinalMessage(HWND hwnd) {
  log_->final_message = true;
  ui::WindowImplBase::OnFinalMessage(hwnd);
}

HWND TestWindow::Open(bool layered, int x, int y, HWND parent) {
  return OpenWindow(parent, L"Orvane window test", 0x00CE0000, 0, layered,
                    RECT{x, y, x, y});
}

void OpenShown(OpenedWindow& w, const std::wstring& folder, const std::wstring& file, int x, int y) {
  OpenShown(w, new TestWindow(folder, file, &w.log), x, y);
}

void OpenShown(OpenedWindow& w, TestWindow* window, int x, int y) {
  w.window = window;
  w.paints = test_support::CountPaints(*window);
  w.hwnd = w.window->Open(true, x, y);
  ASSERT_NE(nullptr, w.hwnd) << "the window was not created";
  w.window->ShowOnScreen(true, true);
  ASSERT_TRUE(test_support::WaitForOpenFade(*w.window)) << "the fade-in never finished";
}

RECT WindowRect(HWND hwnd) {
  RECT rect{};
  ::GetWindowRect(hwnd, &rect);
  return rect;
}

POINT ScreenCentre(HWND hwnd, const RECT& client_rect) {
  POINT pt{(client_rect.left + client_rect.right) / 2, (client_rect.top + client_rect.bottom) / 2};
  ::ClientToScreen(hwnd, &pt);
  return pt;
}

}  // namespace window_test
