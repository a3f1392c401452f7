// The rich text control as the message box uses it: read-only plain text,
// disabled, wrapped at a fixed width and as tall as its text.
#include "ui/widgets/rich_edit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/controls/box.h"
#include "widgets/support/widgets_fixture.h"

namespace {

using widgets_test::BuildInto;
using widgets_test::MakeHost;
using widgets_test::WidgetsTest;

class RichEditTest : public WidgetsTest {};

// The message box's content element, as its skin writes it.
const wchar_t kMessageSkin[] = LR"(<Window><VBox bkcolor="white">
    <RichEdit name="content" width="200" height="auto" font="system_14" rich="false"
              multiline="true" readonly="true" normaltextcolor="black" enabled="false"
              text="网络连接失败"/>
  </VBox></Window>)";

TEST_F(RichEditTest, DisabledContentShowsTheDisabledColourNotTheNormalOne) {
  auto host = MakeHost(240, 200);
  ASSERT_NE(BuildInto(*host, kMessageSkin), nullptr);
  auto* edit = static_cast<ui::RichEdit*>(host->FindControl(L"content"));
  ASSERT_NE(edit, nullptr);
  ASSERT_NE(edit->GetTextHost(), nullptr) << "no text engine on this system";
  EXPECT_FALSE(edit->IsEnabled());
  EXPECT_EQ(edit->GetDisabledTextColor(), L"textdefaultcolor");
  EXPECT_EQ(edit->GetEngineTextColor(), RGB(0x33, 0x33, 0x33))
      << "black was written before enabled=false; the disabled colour should win";

  // The pixels agree: the darkest stroke is #333333, never black.
  host->PaintAll();
  const RECT& r = edit->GetPos();
  int darkest = 255, inked = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      int red = (host->GetPixel(x, y) >> 16) & 0xFF;
      if (red < 0xF0) ++inked;
      if (red < darkest) darkest = red;
    }
  EXPECT_GT(inked, 20) << "the engine drew no text";
  EXPECT_GE(darkest, 0x30) << "text drawn darker than the disabled colour";
  EXPECT_LE(darkest, 0x60);

  // Enabling brings the normal colour back to the engine.
  edit->SetEnabled(true);
  EXPECT_EQ(edit->GetEngineTextColor(), RGB(0, 0, 0));
  EXPECT_EQ(edit->GetState(), ui::kControlStateNormal);
}

TEST_F(RichEditTest, NaturalHeightGrowsWithTheTextAtItsFixedWidth) {
  auto host = MakeHost(240, 600);
  ASSERT_NE(BuildInto(*host, kMessageSkin), nullptr);
  auto* edit = static_cast<ui::RichEdit*>(host->FindControl(L"content"));
  const int one_line = edit->GetHeight();
  EXPECT_GT(one_line, 10) << "one line of 14 px text has no height";
  EXPECT_EQ(edit->GetWidth(), 200);

  std::wstring long_text;
  for (int i = 0; i < 8; ++i) long_text += L"检测到安装目录中有正在运行的程序，";
  edit->SetText(long_text);
  host->LayoutIfNeeded();
  EXPECT_GT(edit->GetHeight(), 3 * one_line) << "long text did not grow the control";
  EXPECT_EQ(edit->GetWidth(), 200) << "the fixed width changed";
  EXPECT_EQ(edit->GetText(), long_text);
  // What the message box asks for when it sizes its text area.
  EXPECT_EQ(edit->GetNaturalSize(200).cy, edit->GetHeight());
}

TEST_F(RichEditTest, SizeEstimateIsKeptUntilTheTextTheFontOrTheWidthChanges) {
  auto host = MakeHost(240, 600);
  ASSERT_NE(BuildInto(*host, kMessageSkin), nullptr);
  auto* edit = static_cast<ui::RichEdit*>(host->FindControl(L"content"));
  ASSERT_NE(edit->GetTextHost(), nullptr) << "no text engine on this system";
  const SIZE one_line = edit->MeasureSize(240, 600);
  std::wstring long_text;
  for (int i = 0; i < 8; ++i) long_text += L"检测到安装目录中有正在运行的程序，";
  // Text given to the engine behind the control's back shows whether a
  // measure asked the engine again.
  edit->GetTextHost()->SetText(long_text);
  EXPECT_EQ(edit->MeasureSize(240, 600).cy, one_line.cy) << "measured again without a change";
  edit->SetText(long_text);
  const SIZE long_size = edit->MeasureSize(240, 600);
  EXPECT_GT(long_size.cy, 3 * one_line.cy) << "a new text kept the old estimate";
  edit->GetTextHost()->SetText(L"短");
  edit->SetFont(L"system_22");
  EXPECT_LT(edit->MeasureSize(240, 600).cy, long_size.cy) << "a new font kept the old estimate";
  edit->GetTextHost()->SetText(long_text);
  edit->SetFixedWidth(100);
  EXPECT_GT(edit->MeasureSize(240, 600).cy, long_size.cy) << "a narrower width kept the old estimate";
}

TEST_F(RichEditTest, ScrollBarsExistOnlyWhenAsked) {
  ui::RichEdit plain;
  EXPECT_FALSE(plain.HasVScrollBar()) << "a rich edit without vscrollbar has a bar";
  EXPECT_EQ(plain.GetStyleBits() & (WS_VSCROLL | ES_DISABLENOSCROLL), 0u);

  EXPECT_EQ(plain.GetVScrollBar(), nullptr);

  ui::RichEdit edit;
  edit.ApplyAttribute(L"vscrollbar", L"true");
  EXPECT_TRUE(edit.HasVScrollBar());
  EXPECT_NE(edit.GetVScrollBar(), nullptr) << "vscrollbar set the style but made no bar";
  EXPECT_EQ(edit.GetStyleBits() & (WS_VSCROLL | ES_DISABLENOSCROLL),
            DWORD(WS_VSCROLL | ES_DISABLENOSCROLL));
  edit.ApplyAttribute(L"hscrollbar", L"true");
  edit.ApplyAttribute(L"vscrollbar", L"false");
  EXPECT_FALSE(edit.HasVScrollBar());
  EXPECT_EQ(edit.GetVScrollBar(), nullptr) << "the bar outlived vscrollbar=false";
  // The horizontal bar still wants the disabled-no-scroll bit.
  EXPECT_EQ(edit.GetStyleBits() & (WS_VSCROLL | WS_HSCROLL | ES_DISABLENOSCROLL),
            DWORD(WS_HSCROLL | ES_DISABLENOSCROLL));
}

// The rows of `rect` on the host's surface, to compare what is shown.
std::vector<DWORD> PixelsOf(const test_support::OffscreenHost& host, const RECT& rect) {
  std::vector<DWORD> pixels;
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x) pixels.push_back(host.GetPixel(x, y));
  return pixels;
}

int InkedPixels(const test_support::OffscreenHost& host, const RECT& rect) {
  int inked = 0;
  for (DWORD pixel : PixelsOf(host, rect)) inked += ((pixel >> 16) & 0xFF) < 0xC0;
  return inked;
}

TEST_F(RichEditTest, TextLongerThanTheControlScrollsWithTheBarAndTheWheel) {
  auto host = MakeHost(240, 200);
  std::wstring long_text;
  for (int i = 0; i < 8; ++i) long_text += L"检测到安装目录中有正在运行的程序，";
  ASSERT_NE(BuildInto(*host, LR"(<Window><VBox bkcolor="white">
      <RichEdit name="content" width="200" height="60" font="system_14" rich="false"
                multiline="true" vscrollbar="true" enabled="false" text=")" + long_text +
                                LR"("/></VBox></Window>)"), nullptr);
  auto* edit = static_cast<ui::RichEdit*>(host->FindControl(L"content"));
  ui::ScrollBar* bar = edit->GetVScrollBar();
  ASSERT_NE(bar, nullptr);
  const RECT pos = edit->GetPos();
  EXPECT_EQ(pos.right, bar->GetPos().right) << "the bar is not along the right edge";
  EXPECT_EQ(pos.bottom - pos.top, bar->GetPos().bottom - bar->GetPos().top);
  EXPECT_GT(bar->GetRange(), 60) << "eight wrapped lines need more than one more view";
  EXPECT_EQ(bar->GetPage(), 60);

  // The text is cut at the control: nothing is drawn below it.
  host->PaintAll();
  const RECT text{pos.left, pos.top, bar->GetPos().left, pos.bottom};
  const RECT below{pos.left, pos.bottom, pos.right, 200};
  EXPECT_GT(InkedPixels(*host, text), 50) << "no text shown";
  EXPECT_EQ(InkedPixels(*host, below), 0) << "the text ran out of its control";
  const std::vector<DWORD> top_part = PixelsOf(*host, text);

  // The wheel scrolls the disabled control (one notch forward goes back).
  edit->SendEvent(ui::kEventMouseScrollWheel, static_cast<WPARAM>(-120), 0, 0,
                  POINT{pos.left + 10, pos.top + 10});
  EXPECT_GT(edit->GetTextScrollPos().y, 0) << "the wheel did not scroll";
  host->PaintAll();
  EXPECT_NE(PixelsOf(*host, text), top_part) << "scrolling did not change what is shown";
  edit->SendEvent(ui::kEventMouseScrollWheel, 120 * 10, 0, 0, POINT{pos.left + 10, pos.top + 10});
  EXPECT_EQ(edit->GetTextScrollPos().y, 0) << "the wheel scrolled past the start";

  // Dragging the thumb to the bottom of the track shows the end.
  const RECT thumb = bar->GetThumbRect();
  const int grip_x = (thumb.left + thumb.right) / 2;
  EXPECT_EQ(host->ControlAt(POINT{grip_x, thumb.top + 2}), bar) << "the bar cannot be hit";
  host->ButtonDown(POINT{grip_x, thumb.top + 2});
  host->MouseMove(POINT{grip_x, pos.bottom + 40});
  host->ButtonUp(POINT{grip_x, pos.bottom + 40});
  EXPECT_EQ(bar->GetScrollPos(), bar->GetRange()) << "the thumb did not reach the end";
  EXPECT_EQ(edit->GetTextScrollPos().y, bar->GetRange());
  host->PaintAll();
  EXPECT_EQ(InkedPixels(*host, below), 0) << "scrolled text ran out of its control";

  // A short text fits: nothing to scroll, shown from its start.
  edit->SetText(L"网络连接失败");
  EXPECT_EQ(bar->GetRange(), 0);
  EXPECT_EQ(edit->GetTextScrollPos().y, 0);
}

TEST_F(RichEditTest, StyleAttributesTakeOnlyTrueOrFalse) {
  ui::RichEdit edit;
  EXPECT_TRUE(edit.IsMultiLine());
  edit.ApplyAttribute(L"multiline", L"yes");
  EXPECT_TRUE(edit.IsMultiLine()) << "a value other than true/false changed the style";
  edit.ApplyAttribute(L"multiline", L"false");
  EXPECT_FALSE(edit.IsMultiLine());
  edit.ApplyAttribute(L"readonly", L"true");
  edit.ApplyAttribute(L"password", L"true");
  edit.ApplyAttribute(L"number", L"1");
  EXPECT_TRUE(edit.IsReadOnly());
  EXPECT_TRUE(edit.IsPassword());
  EXPECT_FALSE(edit.IsNumberOnly());

  edit.ApplyAttribute(L"align", L"hcenter vcenter");
  EXPECT_EQ(edit.GetStyleBits() & (ES_CENTER | ES_RIGHT), DWORD(ES_CENTER));
  EXPECT_EQ(edit.GetTextVerAlign(), ui::VerAlign::kCenter);
  edit.ApplyAttribute(L"align", L"left");
  EXPECT_EQ(edit.GetStyleBits() & (ES_CENTER | ES_RIGHT), 0u);

  // The colour attributes skip leading blanks.
  edit.ApplyAttribute(L"normaltextcolor", L"  green");
  EXPECT_EQ(edit.GetNormalTextColor(), L"green");
}

TEST_F(RichEditTest, AutoWidthTextStaysOnOneLine) {
  auto host = MakeHost(400, 100);
  ASSERT_NE(BuildInto(*host, LR"(<Window><HBox>
      <RichEdit name="auto" width="auto" height="auto" font="system_14" rich="false"
                text="自动宽度的文本"/>
    </HBox></Window>)"), nullptr);
  ui::Control* edit = host->FindControl(L"auto");
  EXPECT_GT(edit->GetWidth(), 6 * 10) << "auto width wrapped the text";
  EXPECT_LT(edit->GetHeight(), 30) << "auto width text should be one line";
}

}  // namespace
