// What a layered skinned window looks like on the X display: captured from
// Xvfb and checked pixel by pixel over a plain backdrop of a known colour.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/unique_any.h"
#include "ui/controls/control.h"
#include "ui/render/render_context.h"
#include "window_test_support.h"

namespace window_test {
namespace {

constexpr DWORD kBackdrop = 0xFF00FF;  // magenta, 0x00RRGGBB as captured

constexpr char kShowcaseSkin[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="480,320" caption="0,0,0,40" roundcorner="20,20">
  <VBox bkcolor="white">
    <Label name="title" text="窗口外壳" font="system_bold_18" width="stretch" height="40" textpadding="16,8,0,0" bkcolor="caption_green" normaltextcolor="white"/>
    <HBox height="36" margin="16,16,0,0">
      <Label name="cjk_a" text="安装完成" font="cjk_22" width="120" height="36"/>
      <Label name="cjk_b" text="云端桌面" font="cjk_22" width="120" height="36"/>
    </HBox>
    <Button name="ok" text="确定" width="120" height="36" bkcolor="btn_orange" margin="16,12,0,0" align="center vcenter"/>
    <CheckBox name="check" text="运行客户端" selected="true" width="200" height="24" margin="16,12,0,0"/>
    <RichEdit name="rich" text="多行文本：窗口外壳把皮肤画进分层窗口，每个像素都带透明度。" font="system_14" normaltextcolor="black" multiline="true" rich="false" width="400" height="60" margin="16,12,0,0"/>
  </VBox>
</Window>
)";

LRESULT CALLBACK BackdropProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

// A plain opaque window behind the window under test, so that transparent
// and translucent pixels show a known colour.
HWND OpenBackdrop(const RECT& rect) {
  static base::unique_hbrush brush(::CreateSolidBrush(RGB(255, 0, 255)));
  WNDCLASSW wc{};
  wc.lpfnWndProc = &BackdropProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hbrBackground = brush.get();
  wc.lpszClassName = L"OrvaneBackdrop";
  ::RegisterClassW(&wc);
  HWND hwnd = ::CreateWindowExW(0, L"OrvaneBackdrop", L"backdrop", WS_POPUP | WS_VISIBLE,
                                rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, nullptr, nullptr, wc.hInstance, nullptr);
  ::UpdateWindow(hwnd);
  return hwnd;
}

int Red(DWORD p) { return (p >> 16) & 0xFF; }
int Green(DWORD p) { return (p >> 8) & 0xFF; }
int Blue(DWORD p) { return p & 0xFF; }

// Pixels of `rect` (screen coordinates) that `is_ink` picks out, as a mask.
std::vector<bool> InkMask(const Screenshot& shot, const RECT& rect, bool (*is_ink)(DWORD)) {
  std::vector<bool> mask;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) mask.push_back(is_ink(shot.At(x, y)));
  }
  return mask;
}

int Count(const std::vector<bool>& mask) {
  int n = 0;
  for (bool b : mask) n += b;
  return n;
}

bool IsDark(DWORD p) { return Red(p) + Green(p) + Blue(p) < 300; }
bool IsLight(DWORD p) { return Red(p) > 200 && Green(p) > 200 && Blue(p) > 200; }

TEST(WindowScreenshot, LayeredWindowShowsControlsRoundCornersAndShadow) {
  WriteSkin(L"showcase", L"showcase.xml", kShowcaseSkin);
  HWND backdrop = OpenBackdrop(RECT{40, 40, 740, 540});
  ASSERT_NE(nullptr, backdrop);
  WindowLog log;
  auto* window = new TestWindow(L"showcase", L"showcase.xml", &log);
  HWND hwnd = window->Open(true, 100, 100);
  ASSERT_NE(nullptr, hwnd);
  window->ShowOnScreen(true, true);
  ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ASSERT_TRUE(test_support::WaitForOpenFade(*window)) << "the fade-in never reached full opacity";

  // The skin's size plus the default shadow's 14 pixels on each side.
  const RECT frame = WindowRect(hwnd);
  ASSERT_EQ(508, frame.right - frame.left);
  ASSERT_EQ(348, frame.bottom - frame.top);

  Screenshot shot;
  ASSERT_TRUE(CaptureScreen(L"window_shell.png", &shot)) << "the display could not be captured";
  auto at = [&](int x, int y) { return shot.At(frame.left + x, frame.top + y); };
  auto screen_rect = [&](const wchar_t* name) {
    ui::Control* control = window->FindControl(std::wstring(name));
    EXPECT_NE(nullptr, control) << "no control named " << name;
    RECT r = control ? control->GetPos() : RECT{0, 0, 1, 1};
    ::OffsetRect(&r, frame.left, frame.top);
    return r;
  };

  // Outside the rounded window region the backdrop shows unchanged.
  EXPECT_EQ(kBackdrop, at(1, 1)) << "the rounded corner is not transparent";
  EXPECT_EQ(kBackdrop, at(506, 346)) << "the rounded corner is not transparent";

  // The shadow band is drawn, and handed to the system translucent: its
  // alpha rises towards the content. (Without a compositing manager the X
  // server shows alpha as a shape only, so the blend itself is read from
  // the window's bitmap.)
  EXPECT_NE(kBackdrop, at(8, 174)) << "no shadow drawn";
  ui::IRenderContext* render = window->GetRenderContext();
  ASSERT_NE(nullptr, render);
  auto alpha = [&](int x, int y) { return render->GetBits()[(y * render->GetWidth() + x) * 4 + 3]; };
  EXPECT_GT(alpha(8, 174), 0) << "the shadow is invisible";
  EXPECT_LT(alpha(8, 174), 255) << "the shadow is opaque";
  EXPECT_LT(alpha(3, 174), alpha(12, 174)) << "the shadow does not fade outwards";
  EXPECT_EQ(255, alpha(200, 200)) << "the content is not opaque";

  // Content pixels carry their own colours at full opacity.
  EXPECT_EQ(0xFFFFFFu, at(400, 300)) << "the white background";
  EXPECT_EQ(0x208040u, at(400, 30)) << "the caption band colour";
  const RECT ok = screen_rect(L"ok");
  EXPECT_EQ(0xE0A020u, shot.At(ok.left + 3, ok.top + 3)) << "the button colour";

  // Every text is drawn: white on the caption, dark elsewhere.
  EXPECT_GT(Count(InkMask(shot, screen_rect(L"title"), &IsLight)), 30) << "title text missing";
  EXPECT_GT(Count(InkMask(shot, ok, &IsDark)), 20) << "button text missing";
  EXPECT_GT(Count(InkMask(shot, screen_rect(L"check"), &IsDark)), 30) << "check box text missing";
  EXPECT_GT(Count(InkMask(shot, screen_rect(L"rich"), &IsDark)), 60) << "rich text missing";

  // Two different Chinese words give different glyph shapes: boxes drawn for
  // missing glyphs would look the same.
  const std::vector<bool> a = InkMask(shot, screen_rect(L"cjk_a"), &IsDark);
  const std::vector<bool> b = InkMask(shot, screen_rect(L"cjk_b"), &IsDark);
  ASSERT_EQ(a.size(), b.size());
  EXPECT_GT(Count(a), 60) << "no CJK text drawn";
  int differing = 0;
  for (size_t i = 0; i < a.size(); ++i) differing += a[i] != b[i];
  EXPECT_GT(differing, 60) << "the two CJK words look alike: glyphs are missing";

  ::DestroyWindow(hwnd);
  ::DestroyWindow(backdrop);
}

}  // namespace
}  // namespace window_test
