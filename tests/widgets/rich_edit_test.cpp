// The rich text control as the message box uses it: read-only plain text,
// disabled, wrapped at a fixed width and as tall as its text.
#include "ui/rich_edit.h"

#include <gtest/gtest.h>

#include "ui/box.h"
#include "widgets_fixture.h"

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

TEST_F(RichEditTest, ScrollBarsExistOnlyWhenAsked) {
  ui::RichEdit plain;
  EXPECT_FALSE(plain.HasVScrollBar()) << "a rich edit without vscrollbar has a bar";
  EXPECT_EQ(plain.GetStyleBits() & (WS_VSCROLL | ES_DISABLENOSCROLL), 0u);

  ui::RichEdit edit;
  edit.ApplyAttribute(L"vscrollbar", L"true");
  EXPECT_TRUE(edit.HasVScrollBar());
  EXPECT_EQ(edit.GetStyleBits() & (WS_VSCROLL | ES_DISABLENOSCROLL),
            DWORD(WS_VSCROLL | ES_DISABLENOSCROLL));
  edit.ApplyAttribute(L"hscrollbar", L"true");
  edit.ApplyAttribute(L"vscrollbar", L"false");
  EXPECT_FALSE(edit.HasVScrollBar());
  // The horizontal bar still wants the disabled-no-scroll bit.
  EXPECT_EQ(edit.GetStyleBits() & (WS_VSCROLL | WS_HSCROLL | ES_DISABLENOSCROLL),
            DWORD(WS_HSCROLL | ES_DISABLENOSCROLL));
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
