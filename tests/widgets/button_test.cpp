// Buttons and check boxes under simulated mouse and key input: clicks,
// selection events, auto sizing and the check box's look in pixels.
#include "ui/widgets/button.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui/controls/box.h"
#include "ui/render/render_context.h"
#include "ui/widgets/check_box.h"
#include "widgets/support/widgets_fixture.h"

namespace {

using widgets_test::BuildInto;
using widgets_test::MakeHost;
using widgets_test::WidgetsTest;

class ButtonTest : public WidgetsTest {
 protected:
  void SetUp() override {
    WidgetsTest::SetUp();
    host_ = MakeHost(300, 200);
    root_ = static_cast<ui::Box*>(BuildInto(*host_, LR"(<Window><VBox name="root">
        <Button name="install_btn" class="btn_primary" text="立即安装" width="120" height="40"/>
        <Control height="20"/>
        <CheckBox name="run_check" class="checkbox_green" text="运行Orvane客户端" width="200" selected="true"/>
      </VBox></Window>)"));
    ASSERT_NE(root_, nullptr);
    button_ = static_cast<ui::Button*>(host_->FindControl(L"install_btn"));
    check_ = static_cast<ui::CheckBox*>(host_->FindControl(L"run_check"));
    ASSERT_NE(button_, nullptr);
    ASSERT_NE(check_, nullptr);
    // The installer's way: one bubbled click handler on the root.
    root_->AttachBubbledEvent(ui::kEventClick, [this](ui::EventArgs* event) {
      clicks_.push_back(event->sender);
      EXPECT_EQ(event->type, ui::kEventClick);
      return true;
    });
  }

  POINT Inside(ui::Control* control) const {
    const RECT& r = control->GetPos();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  std::unique_ptr<test_support::OffscreenHost> host_;
  ui::Box* root_ = nullptr;
  ui::Button* button_ = nullptr;
  ui::CheckBox* check_ = nullptr;
  std::vector<ui::Control*> clicks_;
};

TEST_F(ButtonTest, PressAndReleaseInsideClicksExactlyOnce) {
  host_->MouseMove(Inside(button_));
  host_->ButtonDown(Inside(button_));
  EXPECT_EQ(button_->GetState(), ui::kControlStatePushed);
  EXPECT_TRUE(clicks_.empty()) << "the press alone clicked";
  host_->ButtonUp(Inside(button_));
  ASSERT_EQ(clicks_.size(), 1u);
  EXPECT_EQ(clicks_[0], button_);
  EXPECT_EQ(button_->GetState(), ui::kControlStateHot);
}

TEST_F(ButtonTest, ReleaseOutsideSendsNoClickAndLeavesTheButtonNormal) {
  host_->ButtonDown(Inside(button_));
  host_->MouseMove(POINT{290, 190});
  host_->ButtonUp(POINT{290, 190});
  EXPECT_TRUE(clicks_.empty()) << "a release outside the button clicked it";
  EXPECT_EQ(button_->GetState(), ui::kControlStateNormal);
}

TEST_F(ButtonTest, KeysReachTheFocusedControlAndTabCyclesThroughTheStops) {
  std::wstring typed;
  button_->AttachEvent(ui::kEventChar, [&typed](ui::EventArgs* event) {
    typed += event->keyChar;
    return true;
  });
  // With nothing focused a key goes nowhere; Tab moves along the stops.
  host_->Key(WM_KEYDOWN, VK_SPACE);
  EXPECT_TRUE(clicks_.empty()) << "a key clicked with nothing focused";
  host_->SetFocusControl(button_);
  host_->Key(WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(host_->GetFocusControl(), check_);
  host_->Key(WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(host_->GetFocusControl(), button_) << "Tab did not wrap round to the first stop";
  BYTE keys[256] = {};
  ASSERT_TRUE(::GetKeyboardState(keys));
  keys[VK_SHIFT] = 0x80;
  ::SetKeyboardState(keys);
  host_->Key(WM_KEYDOWN, VK_TAB);
  keys[VK_SHIFT] = 0;
  ::SetKeyboardState(keys);
  EXPECT_EQ(host_->GetFocusControl(), check_) << "Shift+Tab did not wrap round backwards";
  EXPECT_TRUE(clicks_.empty()) << "moving the focus clicked";

  // Space and return click the focused button; other keys do not, and
  // typed characters arrive as characters.
  host_->Key(WM_KEYDOWN, VK_TAB);
  host_->Key(WM_KEYDOWN, VK_SPACE);
  host_->Key(WM_KEYUP, VK_SPACE);
  host_->Key(WM_KEYDOWN, VK_RETURN);
  host_->Key(WM_KEYDOWN, 'A');
  host_->Key(WM_CHAR, L'a');
  EXPECT_EQ(clicks_, std::vector<ui::Control*>(2, button_)) << "space and return should click, other keys not";
  EXPECT_EQ(typed, L"a");
  button_->ApplyAttribute(L"keyboard", L"false");
  host_->Key(WM_KEYDOWN, VK_SPACE);
  EXPECT_EQ(clicks_.size(), 2u) << "a button without keyboard input clicked on space";
}

TEST_F(ButtonTest, LosingTheFocusMidPressReleasesWithoutAClick) {
  host_->MouseMove(Inside(button_));
  host_->ButtonDown(Inside(button_));
  ASSERT_TRUE(host_->IsCaptured());
  host_->Key(WM_KILLFOCUS);
  EXPECT_FALSE(host_->IsCaptured()) << "the window kept the mouse after losing the focus";
  EXPECT_NE(button_->GetState(), ui::kControlStatePushed) << "the button stayed pushed";
  host_->ButtonUp(Inside(button_));
  EXPECT_TRUE(clicks_.empty()) << "a press cut short by the focus going away clicked";
}

TEST_F(ButtonTest, DisabledOrHiddenButtonDoesNotClick) {
  button_->SetEnabled(false);
  host_->ButtonDown(Inside(button_));
  host_->ButtonUp(Inside(button_));
  button_->Trigger();
  EXPECT_TRUE(clicks_.empty()) << "a disabled button clicked";
  EXPECT_EQ(button_->GetState(), ui::kControlStateDisabled);

  button_->SetEnabled(true);
  button_->SetVisible(false);
  button_->Trigger();
  EXPECT_TRUE(clicks_.empty()) << "a hidden button clicked";
}

TEST_F(ButtonTest, ClickingTheSelectedCheckBoxUnselectsThenSelects) {
  // "selected" in the skin only set the state: no handler existed yet.
  EXPECT_TRUE(check_->IsSelected());
  std::vector<int> events;
  auto record = [&events](ui::EventArgs* event) {
    events.push_back(event->type);
    return true;
  };
  check_->AttachEvent(ui::kEventSelect, record);
  check_->AttachEvent(ui::kEventUnSelect, record);

  host_->Click(Inside(check_));
  EXPECT_FALSE(check_->IsSelected());
  host_->Click(Inside(check_));
  EXPECT_TRUE(check_->IsSelected());
  EXPECT_EQ(events, (std::vector<int>{ui::kEventUnSelect, ui::kEventSelect}));

  // From code without events nothing is sent; an unchanged value does nothing.
  check_->Selected(false);
  check_->Selected(false, ui::SelectionEvent::kSend);
  EXPECT_EQ(events.size(), 2u);
  EXPECT_FALSE(check_->IsSelected());
}

TEST_F(ButtonTest, CheckBoxDrawsItsBoxTopLeftAndTheTextAfterThePadding) {
  const RECT& pos = check_->GetPos();
  ASSERT_EQ(pos.bottom - pos.top, 16) << "the class's height did not apply";
  auto pixel = [&](int x, int y) { return host_->GetPixel(pos.left + x, pos.top + y); };

  host_->PaintAll();
  // Selected: the green image fills the 16 x 16 box.
  EXPECT_EQ(pixel(0, 0), widgets_test::kCheckYes);
  EXPECT_EQ(pixel(8, 8), widgets_test::kCheckYes);
  EXPECT_EQ(pixel(15, 15), widgets_test::kCheckYes);
  EXPECT_EQ(pixel(16, 8) >> 24, 0u) << "the image was drawn wider than its dest";

  // The text begins after the 22-pixel padding, not before.
  int first_ink = -1;
  for (int x = 16; x < 200 && first_ink < 0; ++x)
    for (int y = 0; y < 16; ++y)
      if (pixel(x, y) >> 24) {
        first_ink = x;
        break;
      }
  EXPECT_GE(first_ink, 22) << "text drawn inside the padding";
  EXPECT_LT(first_ink, 30) << "text should start right after the padding";

  // Unselected: the empty box with its border.
  check_->Selected(false);
  host_->PaintAll();
  EXPECT_EQ(pixel(0, 0), widgets_test::kCheckNoBorder);
  EXPECT_EQ(pixel(8, 8), widgets_test::kCheckNoInside);
}

TEST_F(ButtonTest, AutoButtonIsAsWideAsItsTextPlusPadding) {
  auto host = MakeHost(400, 100);
  ASSERT_NE(BuildInto(*host, LR"(<Window><HBox>
      <Button name="custom_btn" width="auto" height="auto" text="自定义选项" font="system_18"
              textpadding="6,2,8,2"/>
    </HBox></Window>)"), nullptr);
  ui::Control* button = host->FindControl(L"custom_btn");
  // The UI face (WenQuanYi Micro Hei here) advances each CJK character by one
  // em; its ascent and descent are 1918/2048 and 483/2048 em, in whole
  // pixels. Five characters at 18 px measure 90 + 1 by 17 + 4 + 1 pixels;
  // the padding adds 6 + 8 across and 2 + 2 down.
  EXPECT_EQ(105, button->GetWidth());
  EXPECT_EQ(26, button->GetHeight());
}

TEST_F(ButtonTest, OptionsOfAGroupSelectOneAtATime) {
  auto host = MakeHost(300, 100);
  ASSERT_NE(BuildInto(*host, LR"(<Window><HBox>
      <Option name="a" group="g" text="甲" selected="true"/>
      <Option name="b" group="g" text="乙"/>
      <Option name="c" text="丙" selected="true"/>
    </HBox></Window>)"), nullptr);
  auto* a = static_cast<ui::Option*>(host->FindControl(L"a"));
  auto* b = static_cast<ui::Option*>(host->FindControl(L"b"));
  auto* c = static_cast<ui::Option*>(host->FindControl(L"c"));
  b->Trigger();
  EXPECT_TRUE(b->IsSelected());
  EXPECT_FALSE(a->IsSelected()) << "selecting b should unselect a of the same group";
  EXPECT_TRUE(c->IsSelected()) << "an option of no group was unselected";
  b->Trigger();
  EXPECT_TRUE(b->IsSelected()) << "a click on a selected option unselected it";
}

}  // namespace
