// A real skinned window under Wine and Xvfb, driven with real X input.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "base/unique_any.h"
#include "ui/controls/box.h"
#include "ui/controls/control.h"
#include "window_test_support.h"

namespace window_test {
namespace {

// A 400 x 300 window: the top 60 pixels are the caption band, holding a
// label, a button and a plain stretching control.
constexpr char kCaptionSkin[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window shadowattached="false" size="400,300" caption="0,0,0,60" sizebox="0,0,0,0" roundcorner="20,20">
  <VBox bkcolor="bk_blue">
    <HBox height="60" bkcolor="caption_green">
      <Label name="title" text="标题" width="200" height="60"/>
      <Button name="cap_btn" text="OK" width="100" height="40" bkcolor="btn_orange"/>
      <Control name="filler"/>
    </HBox>
    <Button name="body_btn" text="Body" width="100" height="40" bkcolor="btn_orange"/>
  </VBox>
</Window>
)";

void Close(OpenedWindow& w) {
  if (w.hwnd && ::IsWindow(w.hwnd)) ::DestroyWindow(w.hwnd);
}

LRESULT HitAt(HWND hwnd, int x, int y) {
  POINT pt{x, y};
  ::ClientToScreen(hwnd, &pt);
  return ::SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
}

TEST(WindowShell, CaptionBandDragsOverLabelsAndClicksOverButtons) {
  WriteSkin(L"caption", L"caption.xml", kCaptionSkin);
  OpenedWindow w;
  OpenShown(w, L"caption", L"caption.xml");
  EXPECT_TRUE(w.log.skin_loaded);
  ASSERT_EQ(400, WindowRect(w.hwnd).right - WindowRect(w.hwnd).left);

  // The hit codes the system sees: caption over the label and the plain
  // filler, client over the button and below the band.
  EXPECT_EQ(HTCAPTION, HitAt(w.hwnd, 100, 30)) << "label in the caption band";
  EXPECT_EQ(HTCAPTION, HitAt(w.hwnd, 350, 30)) << "plain control in the caption band";
  EXPECT_EQ(HTCLIENT, HitAt(w.hwnd, 250, 20)) << "button in the caption band";
  EXPECT_EQ(HTCLIENT, HitAt(w.hwnd, 100, 150)) << "below the caption band";

  // Dragging by the label moves the window with the mouse.
  const RECT before = WindowRect(w.hwnd);
  ASSERT_TRUE(XDrag(POINT{before.left + 100, before.top + 30},
                    POINT{before.left + 180, before.top + 70}));
  PumpUntil([&] { return WindowRect(w.hwnd).left == before.left + 80 && WindowRect(w.hwnd).top == before.top + 40; },
            10000);
  const RECT after = WindowRect(w.hwnd);
  EXPECT_EQ(before.left + 80, after.left) << "the drag did not move the window across";
  EXPECT_EQ(before.top + 40, after.top) << "the drag did not move the window down";
  EXPECT_TRUE(w.log.clicks.empty()) << "a drag must not click";

  // A click on the button in the band clicks it and leaves the window alone.
  ASSERT_TRUE(XClick(POINT{after.left + 250, after.top + 20}));
  ASSERT_TRUE(PumpUntil([&] { return !w.log.clicks.empty(); }, 3000))
      << "the button in the caption band was never clicked";
  EXPECT_EQ(std::vector<std::wstring>{L"cap_btn"}, w.log.clicks);
  EXPECT_EQ(after.left, WindowRect(w.hwnd).left) << "clicking a button moved the window";
  Close(w);
}

TEST(WindowShell, SizeBoxDecidesWhetherTheBorderResizes) {
  // Size box 0: the border is plain client area and a drag there changes
  // nothing.
  WriteSkin(L"caption", L"caption.xml", kCaptionSkin);
  OpenedWindow fixed;
  OpenShown(fixed, L"caption", L"caption.xml");
  EXPECT_EQ(HTCLIENT, HitAt(fixed.hwnd, 399, 150));
  EXPECT_EQ(HTCLIENT, HitAt(fixed.hwnd, 399, 299));
  RECT before = WindowRect(fixed.hwnd);
  ASSERT_TRUE(XDrag(POINT{before.right - 1, before.top + 150},
                    POINT{before.right + 60, before.top + 150}));
  RECT after = WindowRect(fixed.hwnd);
  EXPECT_EQ(before.right - before.left, after.right - after.left)
      << "a window with size box 0 was resized by its border";
  Close(fixed);

  // Size box 6: the same drag widens the window; the corner is a corner.
  std::string sizable = kCaptionSkin;
  sizable.replace(sizable.find("sizebox=\"0,0,0,0\""), 17, "sizebox=\"6,6,6,6\"");
  WriteSkin(L"sizable", L"sizable.xml", sizable);
  OpenedWindow resizable;
  OpenShown(resizable, L"sizable", L"sizable.xml");
  EXPECT_EQ(HTRIGHT, HitAt(resizable.hwnd, 397, 150));
  EXPECT_EQ(HTBOTTOMRIGHT, HitAt(resizable.hwnd, 397, 297));
  EXPECT_EQ(HTTOPLEFT, HitAt(resizable.hwnd, 2, 2));
  before = WindowRect(resizable.hwnd);
  ASSERT_TRUE(XDrag(POINT{before.right - 2, before.top + 150},
                    POINT{before.right + 58, before.top + 150}));
  PumpUntil([&] { return WindowRect(resizable.hwnd).right - WindowRect(resizable.hwnd).left >
                         before.right - before.left + 40; },
            10000);
  after = WindowRect(resizable.hwnd);
  EXPECT_GT(after.right - after.left, before.right - before.left + 40)
      << "the border of a window with size box 6 did not resize it";

  // A maximised window ignores its size box.
  ::ShowWindow(resizable.hwnd, SW_MAXIMIZE);
  ASSERT_TRUE(PumpUntil([&] { return ::IsZoomed(resizable.hwnd) && !::GetUpdateRect(resizable.hwnd, nullptr, FALSE); }));
  RECT client{};
  ::GetClientRect(resizable.hwnd, &client);
  EXPECT_NE(HTRIGHT, HitAt(resizable.hwnd, client.right - 2, client.bottom / 2));
  Close(resizable);
}

TEST(WindowShell, RoundCornerRegionFollowsEverySizeChange) {
  WriteSkin(L"caption", L"caption.xml", kCaptionSkin);
  OpenedWindow w;
  OpenShown(w, L"caption", L"caption.xml");
  auto expect_rounded = [&](int width, int height, const char* when) {
    base::unique_hrgn region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(ERROR, ::GetWindowRgn(w.hwnd, static_cast<HRGN>(region.get()))) << when;
    HRGN rgn = static_cast<HRGN>(region.get());
    EXPECT_FALSE(::PtInRegion(rgn, 0, 0)) << when << ": top-left corner not cut";
    EXPECT_FALSE(::PtInRegion(rgn, width - 1, height - 1)) << when << ": bottom-right not cut";
    EXPECT_TRUE(::PtInRegion(rgn, width / 2, 0)) << when << ": top edge missing";
    EXPECT_TRUE(::PtInRegion(rgn, width - 1, height / 2)) << when << ": right edge missing";
    EXPECT_TRUE(::PtInRegion(rgn, width / 2, height - 1)) << when << ": bottom edge missing";
    EXPECT_FALSE(::PtInRegion(rgn, width, height / 2)) << when << ": region wider than window";
  };
  expect_rounded(400, 300, "after creation");
  ::SetWindowPos(w.hwnd, nullptr, 0, 0, 520, 360, SWP_NOMOVE | SWP_NOZORDER);
  expect_rounded(520, 360, "after growing");
  ::SetWindowPos(w.hwnd, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
  expect_rounded(300, 200, "after shrinking");
  // Minimising keeps the region of the last real size.
  ::ShowWindow(w.hwnd, SW_MINIMIZE);
  ASSERT_TRUE(PumpUntil([&] { return ::IsIconic(w.hwnd) != FALSE; }));
  ::ShowWindow(w.hwnd, SW_RESTORE);
  ASSERT_TRUE(PumpUntil([&] { return !::IsIconic(w.hwnd) && !::GetUpdateRect(w.hwnd, nullptr, FALSE); }));
  expect_rounded(300, 200, "after minimise and restore");
  Close(w);
}

TEST(WindowShell, PaintTimesCountEachPaintThatDrawsAndNothingElse) {
  WriteSkin(L"caption", L"caption.xml", kCaptionSkin);
  OpenedWindow w;
  OpenShown(w, L"caption", L"caption.xml");
  const test_support::PaintTimes opened = *w.paints;
  EXPECT_GE(opened.paints, 1) << "the first paint was not counted";

  // A control that changes makes a paint, which takes time to render and to present.
  ui::Control* button = w.window->FindControl(std::wstring(L"body_btn"));
  ASSERT_NE(nullptr, button);
  button->SetFixedWidth(120);
  ::UpdateWindow(w.hwnd);
  const test_support::PaintTimes changed = *w.paints;
  // One change, one paint: what its layout moved is in that paint too.
  EXPECT_EQ(changed.paints, opened.paints + 1);
  EXPECT_FALSE(::GetUpdateRect(w.hwnd, nullptr, FALSE)) << "the change's layout left a second paint to do";
  EXPECT_GT(changed.render_seconds, opened.render_seconds);
  EXPECT_GT(changed.present_seconds, opened.present_seconds);

  // With nothing invalid, an update paints nothing and counts nothing.
  for (int i = 0; i < 5 && ::GetUpdateRect(w.hwnd, nullptr, FALSE); ++i) ::UpdateWindow(w.hwnd);
  ASSERT_FALSE(::GetUpdateRect(w.hwnd, nullptr, FALSE)) << "the window keeps invalidating itself";
  const long long settled = w.paints->paints;
  ::UpdateWindow(w.hwnd);
  EXPECT_EQ(settled, w.paints->paints);
  Close(w);
}

TEST(WindowShell, CloseRequestHidesAtOnceAndClosesThreeHundredMsLater) {
  WriteSkin(L"caption", L"caption.xml", kCaptionSkin);
  OpenedWindow w;
  OpenShown(w, L"caption", L"caption.xml");
  const DWORD requested = ::GetTickCount();
  w.window->RequestClose(IDOK);
  // The content is gone at once, but the window is still there.
  ASSERT_NE(nullptr, w.window->GetRoot());
  EXPECT_FALSE(w.window->GetRoot()->IsVisible()) << "the content did not go at once";
  EXPECT_TRUE(::IsWindow(w.hwnd));
  EXPECT_EQ(0, w.log.close_messages) << "WM_CLOSE came before the fade-out";
  ASSERT_TRUE(PumpUntil([&] { return w.log.final_message; }, 10000))
      << "the window never closed after RequestClose";
  EXPECT_EQ(1, w.log.close_messages);
  // A timer never fires early, so the delay has a floor whatever the load;
  // how late it comes depends on the machine and is not asked.
  EXPECT_GE(w.log.close_message_tick - requested, 290u) << "WM_CLOSE came before the 300 ms delay";
  EXPECT_TRUE(w.log.close_event) << "the window-close event was not raised";
  EXPECT_FALSE(::IsWindow(w.hwnd));
}

TEST(WindowShell, WindowDestroyedDuringItsCloseDelayGetsNoLateClose) {
  WriteSkin(L"caption", L"caption.xml", kCaptionSkin);
  OpenedWindow w;
  OpenShown(w, L"caption", L"caption.xml");
  w.window->RequestClose(IDOK);
  ::DestroyWindow(w.hwnd);  // deletes the object at once
  ASSERT_TRUE(w.log.final_message);
  ASSERT_TRUE(test_support::PumpUntilTimerFires(300)) << "a timer of the close delay never fired";
  EXPECT_EQ(0, w.log.close_messages) << "a destroyed window received its delayed WM_CLOSE";
}

TEST(WindowShell, AutoSizedRootSizesTheWindowWithinItsLimits) {
  // Content wider than the maximum and lower than the minimum.
  WriteSkin(L"auto", L"wide.xml", R"(<?xml version="1.0" encoding="utf-8"?>
<Window shadowattached="false">
  <VBox width="auto" height="auto" minwidth="150" maxwidth="300" minheight="80" maxheight="200" bkcolor="bk_blue">
    <Control width="500" height="50" bkcolor="btn_orange"/>
  </VBox>
</Window>
)");
  OpenedWindow wide;
  OpenShown(wide, L"auto", L"wide.xml");
  RECT client{};
  ::GetClientRect(wide.hwnd, &client);
  EXPECT_EQ(300, client.right) << "width not lowered to the maximum";
  EXPECT_EQ(80, client.bottom) << "height not raised to the minimum";
  Close(wide);

  // Content within the limits: the window takes the content's size.
  WriteSkin(L"auto", L"fits.xml", R"(<?xml version="1.0" encoding="utf-8"?>
<Window shadowattached="false">
  <VBox width="auto" height="auto" minwidth="150" maxwidth="300" minheight="80" maxheight="200" bkcolor="bk_blue">
    <Control width="210" height="60" bkcolor="btn_orange"/>
    <Control width="100" height="70" bkcolor="btn_orange"/>
  </VBox>
</Window>
)");
  OpenedWindow fits;
  OpenShown(fits, L"auto", L"fits.xml");
  ::GetClientRect(fits.hwnd, &client);
  EXPECT_EQ(210, client.right);
  EXPECT_EQ(130, client.bottom);
  Close(fits);
}

TEST(WindowShell, CentresOnTheWorkAreaOrOverItsOwner) {
  WriteSkin(L"caption", L"caption.xml", kCaptionSkin);
  OpenedWindow w;
  OpenShown(w, L"caption", L"caption.xml", 0, 0);
  w.window->CentreOnScreen();
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(w.hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT work = monitor.rcWork;
  RECT rect = WindowRect(w.hwnd);
  EXPECT_EQ((work.left + work.right) / 2 - 200, rect.left);
  EXPECT_EQ((work.top + work.bottom) / 2 - 150, rect.top);
  EXPECT_EQ(400, rect.right - rect.left);

  // Owned by a window: centred over the owner, but kept on the work area.
  OpenedWindow owned;
  owned.window = new TestWindow(L"caption", L"caption.xml", &owned.log);
  owned.hwnd = owned.window->Open(true, 0, 0, w.hwnd);
  ASSERT_NE(nullptr, owned.hwnd);
  ::SetWindowPos(w.hwnd, nullptr, 100, 100, 600, 500, SWP_NOZORDER);
  owned.window->CentreOnScreen();
  rect = WindowRect(owned.hwnd);
  EXPECT_EQ(200, rect.left);
  EXPECT_EQ(200, rect.top);
  ::SetWindowPos(w.hwnd, nullptr, work.right - 300, work.bottom - 200, 600, 500, SWP_NOZORDER);
  owned.window->CentreOnScreen();
  rect = WindowRect(owned.hwnd);
  EXPECT_EQ(work.right - 400, rect.left) << "centred past the work area's right edge";
  EXPECT_EQ(work.bottom - 300, rect.top) << "centred past the work area's bottom edge";
  Close(owned);
  Close(w);
}

TEST(WindowShell, BrokenSkinShowsTheLoadFailureBoxAndMakesNoWindow) {
  WriteSkin(L"broken", L"malformed.xml", "<Window size=\"300,200\"><VBox bkcolor=\"bk_blue\"></Window");
  // Hostile skins that are well-formed: one that includes itself, and one
  // nested far deeper than any recursion over the control tree could go.
  WriteSkin(L"broken", L"self_include.xml",
            R"(<Window size="300,200"><VBox><Include source="broken\self_include.xml"/></VBox></Window>)");
  std::string deep = "<Window size=\"300,200\">";
  for (int i = 0; i < 100000; ++i) deep += "<VBox>";
  for (int i = 0; i < 100000; ++i) deep += "</VBox>";
  WriteSkin(L"broken", L"deep.xml", deep + "</Window>");
  for (const wchar_t* file : {L"malformed.xml", L"missing.xml", L"self_include.xml", L"deep.xml"}) {
    SCOPED_TRACE(testing::Message() << "skin broken\\" << std::string(file, file + wcslen(file)));
    WindowLog log;
    auto* window = new TestWindow(L"broken", file, &log, L"OrvaneBrokenWindow");
    test_support::SystemDialogAnswerer watcher(L"Fablet");
    HWND hwnd = window->Open();  // the object is gone when this fails
    EXPECT_EQ(nullptr, hwnd) << "a window was created from a broken skin";
    ASSERT_TRUE(watcher.Finish()) << "no \"Fablet\" message box appeared";
    EXPECT_EQ(L"Failed to load xml file broken\\" + std::wstring(file), watcher.text());
    EXPECT_FALSE(log.skin_loaded);
    EXPECT_TRUE(log.final_message) << "the window object was not released";
    EXPECT_EQ(nullptr, ::FindWindowW(L"OrvaneBrokenWindow", nullptr));
  }
}

TEST(WindowShell, SystemButtonsMinimiseMaximiseRestoreAndClose) {
  WriteSkin(L"sysbtn", L"sysbtn.xml", R"(<?xml version="1.0" encoding="utf-8"?>
<Window shadowattached="false" size="400,300" caption="0,0,0,50">
  <VBox bkcolor="bk_blue">
    <HBox height="50" bkcolor="caption_green">
      <Control/>
      <Button name="minbtn" text="_" width="40" height="40" bkcolor="btn_orange"/>
      <Button name="maxbtn" text="M" width="40" height="40" bkcolor="btn_orange"/>
      <Button name="restorebtn" text="R" width="40" height="40" bkcolor="btn_orange" visible="false"/>
      <Button name="closebtn" text="X" width="40" height="40" bkcolor="btn_orange"/>
    </HBox>
  </VBox>
</Window>
)");
  OpenedWindow w;
  OpenShown(w, L"sysbtn", L"sysbtn.xml");
  // Clicks a button and pumps until `done` holds (or a generous deadline).
  auto click = [&](const wchar_t* name, const std::function<bool()>& done) {
    ui::Control* button = w.window->FindControl(std::wstring(name));
    ASSERT_NE(nullptr, button) << "no control named " << name;
    ASSERT_TRUE(XClick(ScreenCentre(w.hwnd, button->GetPos())));
    PumpUntil(done, 10000);
  };
  click(L"maxbtn", [&] { return ::IsZoomed(w.hwnd) != FALSE; });
  EXPECT_TRUE(::IsZoomed(w.hwnd)) << "maxbtn did not maximise";
  EXPECT_FALSE(w.window->FindControl(std::wstring(L"maxbtn"))->IsVisible());
  EXPECT_TRUE(w.window->FindControl(std::wstring(L"restorebtn"))->IsVisible());
  // Without a window manager on the test display the X window keeps its
  // old size when maximised, so restorebtn (now at the far right) is
  // pressed with window messages instead of the X pointer.
  {
    const RECT pos = w.window->FindControl(std::wstring(L"restorebtn"))->GetPos();
    const LPARAM at = MAKELPARAM((pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2);
    ::SendMessageW(w.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(w.hwnd, WM_LBUTTONUP, 0, at);
    // Restored, and laid out again by a paint at the old size, so the
    // buttons are back where the X pointer will look for them.
    PumpUntil([&] { return !::IsZoomed(w.hwnd) && !::GetUpdateRect(w.hwnd, nullptr, FALSE); }, 10000);
  }
  EXPECT_FALSE(::IsZoomed(w.hwnd)) << "restorebtn did not restore";
  EXPECT_TRUE(w.window->FindControl(std::wstring(L"maxbtn"))->IsVisible());
  click(L"minbtn", [&] { return ::IsIconic(w.hwnd) != FALSE; });
  EXPECT_TRUE(::IsIconic(w.hwnd)) << "minbtn did not minimise";
  ::ShowWindow(w.hwnd, SW_RESTORE);
  ASSERT_TRUE(PumpUntil([&] { return !::IsIconic(w.hwnd) && !::GetUpdateRect(w.hwnd, nullptr, FALSE); }, 10000))
      << "the window did not come back from the minimised state";
  click(L"closebtn", [&] { return w.log.final_message; });
  ASSERT_TRUE(w.log.final_message) << "closebtn did not close the window";
  EXPECT_EQ(1, w.log.close_messages);
}

}  // namespace
}  // namespace window_test
