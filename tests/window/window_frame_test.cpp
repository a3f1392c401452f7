// The frame settings of a skinned window: the height a work-area percentage
// gives, a DPI change, and the alpha of the content's corners inside a
// shadow.
#include <windows.h>

#include <gtest/gtest.h>

#include "ui/controls/box.h"
#include "ui/controls/control.h"
#include "ui/controls/layout.h"
#include "ui/render/render_context.h"
#include "ui/resources/global_resources.h"
#include "ui/window/shadow.h"
#include "window_test_support.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace window_test {
namespace {

int WorkAreaHeight() {
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work.bottom - work.top;
}

TEST(WindowFrame, HeightPercentIsTheWholeWindowWithinItsLimits) {
  // The shadow stays attached, so a frame of 14 on each side would show up
  // in the height if it were added on top of the percentage.
  WriteSkin(L"frame", L"half.xml", R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="300,200" heightpercent="0.5"><VBox bkcolor="bk_blue"/></Window>)");
  WriteSkin(L"frame", L"capped.xml", R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="300,200" maxinfo="0,150" heightpercent="0.9"><VBox bkcolor="bk_blue"/></Window>)");
  const int expected[] = {WorkAreaHeight() / 2, 150 + 2 * 14};
  const wchar_t* files[] = {L"half.xml", L"capped.xml"};
  for (int i = 0; i < 2; ++i) {
    WindowLog log;
    auto* window = new TestWindow(L"frame", files[i], &log);
    HWND hwnd = window->Open();
    ASSERT_NE(nullptr, hwnd);
    const RECT rect = WindowRect(hwnd);
    EXPECT_EQ(expected[i], rect.bottom - rect.top) << "skin " << i;
    EXPECT_EQ(300 + 2 * 14, rect.right - rect.left) << "the width changed, skin " << i;
    ::DestroyWindow(hwnd);
  }
}

// Restarts the framework with DPI adaptation on for one test.
class DpiAdaptation {
 public:
  DpiAdaptation() { Restart(true); }
  ~DpiAdaptation() { Restart(false); }

 private:
  static void Restart(bool adapt) {
    const std::wstring root = SkinRoot();
    ASSERT_TRUE(ui::GlobalResources::Startup(root, {}, adapt, L"", L"lang"));
  }
};

TEST(WindowFrame, DpiChangeScalesTheProcessAndTheSkinsShadowCorner) {
  WriteSkin(L"frame", L"dpi.xml", R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="300,200" shadowcorner="10,10,10,10"><VBox bkcolor="bk_blue"/></Window>)");
  DpiAdaptation adaptation;
  ASSERT_EQ(100, ui::GlobalResources::GetDpiScale()) << "the test display is not at 96 DPI";
  WindowLog log;
  auto* window = new TestWindow(L"frame", L"dpi.xml", &log);
  HWND hwnd = window->Open();
  ASSERT_NE(nullptr, hwnd);
  RECT suggested = WindowRect(hwnd);
  ::SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(150, ui::GlobalResources::GetDpiScale()) << "the process-wide scale did not follow";
  EXPECT_EQ(60, ui::GlobalResources::ScaleDpi(40));
  // 10 from the skin at 150 %, not the built-in 14 at 150 % (21).
  const RECT padding = window->GetShadow().GetPadding();
  EXPECT_EQ(15, padding.left);
  EXPECT_EQ(15, padding.bottom);
  ui::ShadowBox* box = window->GetShadow().GetShadowBox();
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(15, box->GetLayout()->GetPadding().top) << "the shadow box kept its old frame";
  ::DestroyWindow(hwnd);
}

TEST(WindowFrame, ShadowRestoresAlphaUpToTheContentsRoundCorner) {
  // Translucent content in the default shadow, whose image rounds the
  // content's corners by 3: the alpha restore keeps the 3 x 3 corner squares
  // as drawn and makes every other pixel of the content opaque.
  WriteSkin(L"frame", L"corner.xml", R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="200,100"><VBox name="content" bkcolor="half_white"/></Window>)");
  WindowLog log;
  auto* window = new TestWindow(L"frame", L"corner.xml", &log);
  const auto paints = test_support::CountPaints(*window);
  HWND hwnd = window->Open(true, 100, 100);
  ASSERT_NE(nullptr, hwnd);
  window->ShowOnScreen(true, false);
  ui::Control* content = window->FindControl(L"content");
  ASSERT_NE(nullptr, content);
  ui::IRenderContext* render = window->GetRenderContext();
  ASSERT_TRUE(PumpUntil([&] { return paints->paints > 0 && !::GetUpdateRect(hwnd, nullptr, FALSE); },
                        3000))
      << "the window never painted";
  ::GdiFlush();
  auto alpha = [&](int x, int y) {
    return render->GetBits()[(static_cast<size_t>(y) * render->GetWidth() + x) * 4 + 3];
  };
  const RECT pos = content->GetPos();
  EXPECT_EQ(255, alpha(pos.left + 3, pos.top)) << "the pixel next to the corner stayed translucent";
  EXPECT_EQ(255, alpha(pos.left, pos.top + 3));
  EXPECT_EQ(255, alpha(pos.right - 4, pos.bottom - 1));
  EXPECT_NE(255, alpha(pos.left + 2, pos.top + 2)) << "the corner square was made opaque";
  EXPECT_NE(255, alpha(pos.right - 1, pos.bottom - 1));
  ::DestroyWindow(hwnd);
}

}  // namespace
}  // namespace window_test
