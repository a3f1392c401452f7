// Input that reaches controls through the window: tooltips while real X
// mouse moves go from control to control, and touch and pen pointer
// messages sent to the window as the system would.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "ui/controls/control.h"
#include "ui/window/control_dispatcher.h"
#include "window_test_support.h"

namespace window_test {
namespace {

constexpr char kTwoButtonSkin[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window shadowattached="false" size="400,200">
  <VBox bkcolor="white">
    <HBox height="60" margin="20,20,0,0" childmargin="40">
      <Button name="first" text="第一" width="120" height="40" bkcolor="btn_orange" tooltiptext="第一个按钮的提示"/>
      <Button name="second" text="第二" width="120" height="40" bkcolor="caption_green" tooltiptext="第二个按钮的提示"/>
    </HBox>
  </VBox>
</Window>
)";

void OpenTwoButtons(OpenedWindow& w) {
  WriteSkin(L"input", L"two.xml", kTwoButtonSkin);
  OpenShown(w, L"input", L"two.xml");
}

// The text the tooltip shows now; empty when it is hidden.
std::wstring ShownTip(OpenedWindow& w) {
  HWND tip = w.window->dispatcher().tooltip_window();
  if (!tip || !::IsWindowVisible(tip)) return L"";
  wchar_t buffer[128] = {};
  TOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.hwnd = w.hwnd;
  info.uId = reinterpret_cast<UINT_PTR>(w.hwnd);
  info.lpszText = buffer;
  ::SendMessageW(tip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&info));
  return buffer;
}

TEST(WindowInput, EachControlShowsItsOwnTooltipAsTheMouseMovesBetweenThem) {
  OpenedWindow w;
  OpenTwoButtons(w);
  ASSERT_TRUE(Xdotool("mousemove 5 5"));
  ASSERT_TRUE(test_support::PumpUntilInputHandled(POINT{5, 5}));
  const wchar_t* names[] = {L"first", L"second", L"first"};
  const wchar_t* tips[] = {L"第一个按钮的提示", L"第二个按钮的提示", L"第一个按钮的提示"};
  for (int i = 0; i < 3; ++i) {
    const POINT at = ScreenCentre(w.hwnd, w.PosOf(names[i]));
    ASSERT_TRUE(Xdotool("mousemove " + std::to_string(at.x) + " " + std::to_string(at.y)));
    EXPECT_TRUE(PumpUntil([&] { return ShownTip(w) == tips[i]; }, 5000))
        << "no tooltip of its own over control " << i << " (" << names[i] << ")";
    // The tip appears beside the mouse.
    RECT tip_rect{};
    ::GetWindowRect(w.window->dispatcher().tooltip_window(), &tip_rect);
    EXPECT_NEAR(at.x, tip_rect.left, 40) << "control " << i;
    if (i < 2) {
      Screenshot shot;
      EXPECT_TRUE(CaptureScreen(i == 0 ? L"tooltip_first.png" : L"tooltip_second.png", &shot));
    }
  }
  ASSERT_TRUE(Xdotool("mousemove 5 5"));
  EXPECT_TRUE(PumpUntil([&] { return ShownTip(w).empty(); }, 3000))
      << "the tooltip stayed after the mouse left the window";
}

TEST(WindowInput, AMessageBoxDisablingTheWindowTakesTheHoverFromItsButton) {
  OpenedWindow w;
  OpenTwoButtons(w);
  ui::Control* first = w.window->FindControl(L"first");
  POINT on_first = ScreenCentre(w.hwnd, w.PosOf(L"first"));
  ::ScreenToClient(w.hwnd, &on_first);
  ::SendMessageW(w.hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(on_first.x, on_first.y));
  ASSERT_EQ(first, w.window->dispatcher().hovered());
  ASSERT_EQ(ui::kControlStateHot, first->GetState());
  // What a modal box does to its owner; the window sees no mouse-leave.
  ::EnableWindow(w.hwnd, FALSE);
  EXPECT_EQ(nullptr, w.window->dispatcher().hovered());
  EXPECT_EQ(ui::kControlStateNormal, first->GetState()) << "the button stayed hot under the box";
  ::EnableWindow(w.hwnd, TRUE);
  // The mouse back on it after the box closed: hot again.
  ::SendMessageW(w.hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(on_first.x, on_first.y));
  EXPECT_EQ(ui::kControlStateHot, first->GetState());
}

// Pointer messages of Windows 8 and later.
constexpr UINT kPointerUpdate = 0x0245;
constexpr UINT kPointerDown = 0x0246;
constexpr UINT kPointerUp = 0x0247;
constexpr UINT kPointerCaptureChanged = 0x024C;

LRESULT SendPointer(HWND hwnd, UINT message, WORD id, POINT screen) {
  return ::SendMessageW(hwnd, message, MAKEWPARAM(id, 0), MAKELPARAM(screen.x, screen.y));
}

TEST(WindowInput, PenAndTouchPointersPressControlsAndHoldThemUntilTheyLift) {
  OpenedWindow w;
  OpenTwoButtons(w);
  ui::Control* first = w.window->FindControl(L"first");
  ui::Control* second = w.window->FindControl(L"second");
  const POINT on_first = ScreenCentre(w.hwnd, w.PosOf(L"first"));
  const POINT on_second = ScreenCentre(w.hwnd, w.PosOf(L"second"));

  // A tap: down and up on the same button clicks it once.
  SendPointer(w.hwnd, kPointerDown, 7, on_first);
  EXPECT_EQ(first, w.window->dispatcher().pointer_captured());
  EXPECT_EQ(first, w.window->GetFocusControl()) << "a tap did not focus like a click";
  SendPointer(w.hwnd, kPointerUp, 7, on_first);
  EXPECT_EQ(nullptr, w.window->dispatcher().pointer_captured());
  ASSERT_EQ(1u, w.log.clicks.size()) << "a tap did not click exactly once";
  EXPECT_EQ(L"first", w.log.clicks[0]);

  // Held: the first button keeps the pointer while it slides onto the
  // second; a second contact and the mouse change nothing meanwhile.
  SendPointer(w.hwnd, kPointerDown, 8, on_first);
  SendPointer(w.hwnd, kPointerUpdate, 8, on_second);
  SendPointer(w.hwnd, kPointerDown, 9, on_second);
  SendPointer(w.hwnd, kPointerUp, 9, on_second);
  POINT client = on_second;
  ::ScreenToClient(w.hwnd, &client);
  ::SendMessageW(w.hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
  EXPECT_NE(second, w.window->dispatcher().hovered()) << "the mouse took over a held pointer";
  EXPECT_EQ(first, w.window->dispatcher().pointer_captured());
  // Lifted away from the first button: no click anywhere.
  SendPointer(w.hwnd, kPointerUp, 8, on_second);
  EXPECT_EQ(1u, w.log.clicks.size()) << "a contact lifted elsewhere clicked";

  // A pointer the system takes away is let go without a click.
  SendPointer(w.hwnd, kPointerDown, 10, on_first);
  SendPointer(w.hwnd, kPointerCaptureChanged, 10, on_first);
  EXPECT_EQ(nullptr, w.window->dispatcher().pointer_captured());
  SendPointer(w.hwnd, kPointerUp, 10, on_first);
  EXPECT_EQ(1u, w.log.clicks.size()) << "a pointer that lost its capture still clicked";

  // WM_TOUCH carries a handle only the system can read; one it cannot read
  // is left to the default procedure and reaches no control.
  ::SendMessageW(w.hwnd, WM_TOUCH, MAKEWPARAM(1, 0), 0x1234);
  EXPECT_EQ(nullptr, w.window->dispatcher().touch_captured());
  EXPECT_EQ(1u, w.log.clicks.size());
}

// Pointer messages that reach the procedure the window falls back on.
int g_pointer_messages_let_through = 0;

LRESULT CALLBACK CountingDefaultProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message >= kPointerUpdate && message <= kPointerCaptureChanged) ++g_pointer_messages_let_through;
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

// A test window built over a class whose procedure counts what it is left.
class OverCountingProcedure : public TestWindow {
 public:
  using TestWindow::TestWindow;
  std::wstring SuperClassName() const override { return L"OrvaneCountingDefault"; }
};

TEST(WindowInput, PointerMessagesNoControlTookGoToTheDefaultProcedure) {
  WNDCLASSEXW counting{};
  counting.cbSize = sizeof(counting);
  counting.lpfnWndProc = &CountingDefaultProcedure;
  counting.hInstance = ::GetModuleHandleW(nullptr);
  counting.lpszClassName = L"OrvaneCountingDefault";
  ASSERT_TRUE(::RegisterClassExW(&counting) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
  WriteSkin(L"input", L"two.xml", kTwoButtonSkin);
  OpenedWindow w;
  OpenShown(w, new OverCountingProcedure(L"input", L"two.xml", &w.log, L"OrvanePointerTest"));
  // Beside the window: the skin's root box covers all of it.
  const RECT window = WindowRect(w.hwnd);
  const POINT on_nothing{window.left - 20, window.top - 20};
  const POINT on_first = ScreenCentre(w.hwnd, w.PosOf(L"first"));

  // Down, move and up where no control is: nobody handled them.
  g_pointer_messages_let_through = 0;
  SendPointer(w.hwnd, kPointerDown, 7, on_nothing);
  SendPointer(w.hwnd, kPointerUpdate, 7, on_nothing);
  SendPointer(w.hwnd, kPointerUp, 7, on_nothing);
  EXPECT_EQ(3, g_pointer_messages_let_through) << "pointer messages no control took were claimed";
  // A contact a button holds is claimed from down to up, a second contact
  // meanwhile too (it is ignored on purpose, not left to become mouse input).
  g_pointer_messages_let_through = 0;
  SendPointer(w.hwnd, kPointerDown, 8, on_first);
  SendPointer(w.hwnd, kPointerDown, 9, on_nothing);
  SendPointer(w.hwnd, kPointerUpdate, 8, on_nothing);
  SendPointer(w.hwnd, kPointerUp, 8, on_first);
  EXPECT_EQ(0, g_pointer_messages_let_through) << "a held contact's messages were let through";
  EXPECT_EQ(1u, w.log.clicks.size());
}

TEST(WindowInput, OnlyTouchCountsAsMouseInputMadeUpFromTouch) {
  // The signature the system puts in the extra information of mouse
  // messages it makes up: pen and touch share it, touch adds the 0x80 bit.
  EXPECT_TRUE(ui::IsMadeUpFromTouch(0xFF515780u));
  EXPECT_TRUE(ui::IsMadeUpFromTouch(0xFF515795u));
  EXPECT_FALSE(ui::IsMadeUpFromTouch(0xFF515700u)) << "pen input was taken for touch";
  EXPECT_FALSE(ui::IsMadeUpFromTouch(0xFF515715u)) << "pen input was taken for touch";
  EXPECT_FALSE(ui::IsMadeUpFromTouch(0));
}

}  // namespace
}  // namespace window_test
