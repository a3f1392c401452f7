// Labels: text and text id, the "align" words, measuring, state colours and
// painting, on real fonts through the framework's render context.
#include "ui/widgets/label.h"

#include <gtest/gtest.h>

#include "ui/controls/box.h"
#include "ui/render/render_context.h"
#include "ui/widgets/button.h"
#include "widgets/support/widgets_fixture.h"

namespace {

using widgets_test::BuildInto;
using widgets_test::MakeHost;
using widgets_test::WidgetsTest;

class LabelTest : public WidgetsTest {};

TEST_F(LabelTest, AlignWordsChangeTheDrawTextFlagsInTheirFixedOrder) {
  // The default is left, top, single line, no clipping, end ellipsis.
  EXPECT_EQ(ui::Label().GetTextStyle(), 0x8120u);

  // "vcenter" also counts as "center": both centrings, and single line.
  EXPECT_EQ(ui::ApplyAlignWords(L"vcenter", 0x8120), 0x8125u);
  // "left" clears the horizontal and vertical centring and single line.
  EXPECT_EQ(ui::ApplyAlignWords(L"left", 0x8125), 0x8100u);
  EXPECT_EQ(ui::ApplyAlignWords(L"center", 0x8122), 0x8121u);
  // Words are found anywhere and in any order of writing.
  EXPECT_EQ(ui::ApplyAlignWords(L"bottom,right", 0x8120), 0x812Au);
  EXPECT_EQ(ui::ApplyAlignWords(L"top", 0x812C), 0x8120u);
  EXPECT_EQ(ui::ApplyAlignWords(L"nothing known", 0x8120), 0x8120u);

  // The attribute goes through the same rules, and "endellipsis" switches 0x8000.
  ui::Label label;
  label.ApplyAttribute(L"align", L"vcenter");
  EXPECT_EQ(label.GetTextStyle(), 0x8125u);
  label.ApplyAttribute(L"align", L"left");
  EXPECT_EQ(label.GetTextStyle(), 0x8100u);
  label.ApplyAttribute(L"endellipsis", L"false");
  EXPECT_EQ(label.GetTextStyle(), 0x0100u);
}

TEST_F(LabelTest, TextWinsOverTextIdWhichComesFromTheLanguageTable) {
  ui::Label both;
  both.ApplyAttribute(L"textid", L"STRID_WIDGETS_TITLE");
  both.ApplyAttribute(L"text", L"直接文本");
  EXPECT_EQ(both.GetText(), L"直接文本");

  ui::Label by_id;
  by_id.ApplyAttribute(L"textid", L"STRID_WIDGETS_TITLE");
  EXPECT_EQ(by_id.GetText(), L"安装向导");

  // An id the table lacks shows as empty text.
  ui::Label unknown;
  unknown.ApplyAttribute(L"textid", L"STRID_NOT_THERE");
  EXPECT_EQ(unknown.GetText(), L"");
}

TEST_F(LabelTest, StateTextColoursFallBackToHotThenNormal) {
  ui::Label label;
  // The defaults are the global default colour names.
  EXPECT_EQ(label.GetStateTextColor(ui::kControlStateNormal), L"textdefaultcolor");
  EXPECT_EQ(label.GetStateTextColor(ui::kControlStateDisabled), L"textdefaultdisablecolor");
  EXPECT_EQ(label.GetPaintStateTextColor(ui::kControlStatePushed), L"textdefaultcolor");

  label.ApplyAttribute(L"hottextcolor", L"hotred");
  EXPECT_EQ(label.GetPaintStateTextColor(ui::kControlStatePushed), L"hotred")
      << "pushed without a pushed colour should use the hot colour";
  label.ApplyAttribute(L"pushedtextcolor", L"green");
  EXPECT_EQ(label.GetPaintStateTextColor(ui::kControlStatePushed), L"green");
  label.ApplyAttribute(L"disabledtextcolor", L"");
  EXPECT_EQ(label.GetPaintStateTextColor(ui::kControlStateDisabled), L"textdefaultcolor")
      << "disabled without a disabled colour should use the normal colour";
}

TEST_F(LabelTest, AutoLabelIsItsTextPlusPaddingAndGrowsWithTheText) {
  auto host = MakeHost(400, 200);
  ui::Control* root = BuildInto(*host, LR"(<Window><VBox>
      <Label name="short" font="system_14" text="短" textpadding="3,2,5,4"/>
      <Label name="long" font="system_14" text="短短短短短短" textpadding="3,2,5,4"/>
    </VBox></Window>)");
  ASSERT_NE(root, nullptr);
  RECT one = host->FindControl(L"short")->GetPos();
  RECT six = host->FindControl(L"long")->GetPos();
  // One CJK character of the UI face (WenQuanYi Micro Hei here: one em wide,
  // ascent and descent 1918/2048 and 483/2048 em in whole pixels) at 14 px
  // measures 14 + 1 by 13 + 3 + 1 pixels; the padding adds 3 + 5 across and
  // 2 + 4 down.
  EXPECT_EQ(23, one.right - one.left);
  EXPECT_EQ(23, one.bottom - one.top);
  EXPECT_GT(six.right - six.left, 4 * (one.right - one.left - 8))
      << "six characters are not much wider than one";
  EXPECT_EQ(six.bottom - six.top, one.bottom - one.top) << "single-line text changed height";
}

TEST_F(LabelTest, MultiLineAutoLabelWrapsToTheRoomItsParentHas) {
  auto host = MakeHost(400, 400);
  ui::Control* root = BuildInto(*host, LR"(<Window><VBox>
      <HBox width="120" height="auto">
        <Label name="wrapped" font="system_14" singleline="false" maxwidth="-1"
               text="检测到安装目录中有正在运行的程序，是否关闭后继续安装？"/>
      </HBox>
      <Label name="one_line" font="system_14" text="检测到"/>
    </VBox></Window>)");
  ASSERT_NE(root, nullptr);
  RECT wrapped = host->FindControl(L"wrapped")->GetPos();
  RECT line = host->FindControl(L"one_line")->GetPos();
  EXPECT_LE(wrapped.right - wrapped.left, 120) << "the text did not wrap to its parent's width";
  EXPECT_GT(wrapped.bottom - wrapped.top, 2 * (line.bottom - line.top))
      << "wrapped text should take several lines";
}

TEST_F(LabelTest, FixedWidthTextIsMeasuredInsideItsPadding) {
  // Both labels lay the text out in 80 pixels: one is 80 wide, the other 120
  // wide with 40 of padding. They need the same number of lines.
  auto host = MakeHost(400, 400);
  ASSERT_NE(BuildInto(*host, LR"(<Window><VBox>
      <Label name="bare" width="80" height="auto" font="system_14" singleline="false"
             text="检测到安装目录中有正在运行的程序"/>
      <Label name="padded" width="120" height="auto" font="system_14" singleline="false"
             textpadding="40,0,0,0" text="检测到安装目录中有正在运行的程序"/>
    </VBox></Window>)"), nullptr);
  int bare = host->FindControl(L"bare")->GetHeight();
  EXPECT_GT(bare, 40) << "the text should wrap at 80 pixels";
  EXPECT_EQ(host->FindControl(L"padded")->GetHeight(), bare)
      << "the padding was not taken from the width the text wraps at";
}

TEST_F(LabelTest, SettingTextOfAnAutoLabelRearrangesAndSameTextDoesNothing) {
  auto host = MakeHost(300, 100);
  ASSERT_NE(BuildInto(*host, LR"(<Window><HBox><Label name="status" font="system_14" text="准备"/>
      </HBox></Window>)"), nullptr);
  auto* label = static_cast<ui::Label*>(host->FindControl(L"status"));
  int before = label->GetWidth();
  host->ResetInvalidRect();
  label->SetText(label->GetText());
  EXPECT_FALSE(host->IsLayoutRequested()) << "an unchanged text asked for a layout";
  label->SetText(L"正在下载安装包");
  EXPECT_TRUE(host->IsLayoutRequested());
  host->LayoutIfNeeded();
  EXPECT_GT(label->GetWidth(), before);
}

TEST_F(LabelTest, ANewTextOfTheSameSizeRepaintsOnlyTheLabel) {
  auto host = MakeHost(300, 100);
  ASSERT_NE(BuildInto(*host, LR"(<Window><VBox><Label name="value" font="system_14" text="14%" width="50"/>
      <Label name="below" font="system_14" text="下载中..."/></VBox></Window>)"), nullptr);
  auto* value = static_cast<ui::Label*>(host->FindControl(L"value"));
  host->LayoutIfNeeded();
  host->ResetInvalidRect();
  value->SetText(L"15%");
  EXPECT_FALSE(host->IsLayoutRequested()) << "a text of the same size asked for a layout";
  const RECT invalid = host->GetInvalidRect();
  EXPECT_TRUE(::EqualRect(&invalid, &value->GetPos())) << "more than the label was repainted";

  // A second line makes it taller: then the view below must move.
  value->ApplyAttribute(L"singleline", L"false");
  host->LayoutIfNeeded();
  value->SetText(L"15%\n下载中");
  EXPECT_TRUE(host->IsLayoutRequested());
}

TEST_F(LabelTest, PaintsInTheStateColourAndNotAtAllInAnUnknownColour) {
  auto host = MakeHost(200, 60);
  ASSERT_NE(BuildInto(*host, LR"(<Window><VBox>
      <Label name="plain" font="system_22" text="安装" normaltextcolor="black" hottextcolor="hotred"/>
      <Label name="ghost" font="system_22" text="安装" normaltextcolor="no_such_colour"/>
    </VBox></Window>)"), nullptr);
  auto* plain = static_cast<ui::Label*>(host->FindControl(L"plain"));
  ui::Control* ghost = host->FindControl(L"ghost");

  // The reddest and the darkest inked pixel of a rectangle.
  auto ink = [&](const RECT& r, int* max_red, int* count) {
    *max_red = 0;
    *count = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        DWORD p = host->GetPixel(x, y);
        if ((p >> 24) == 0) continue;
        ++*count;
        int red = (p >> 16) & 0xFF;
        if (red > *max_red) *max_red = red;
      }
  };
  host->PaintAll();
  int red = 0, count = 0;
  ink(plain->GetPos(), &red, &count);
  EXPECT_GT(count, 20) << "the label drew no text";
  EXPECT_LT(red, 40) << "black text came out red";
  ink(ghost->GetPos(), &red, &count);
  EXPECT_EQ(count, 0) << "a colour the table lacks should draw nothing";

  plain->SetState(ui::kControlStateHot);
  host->PaintAll();
  ink(plain->GetPos(), &red, &count);
  EXPECT_GT(red, 150) << "hot text should be drawn in the hot colour";

  // With the hot fade the hot colour comes in with the hot alpha, over the
  // normal colour: none of it at alpha 0, all of it at 255.
  plain->ApplyAttribute(L"fadehot", L"true");
  plain->SetHotAlpha(0);
  host->PaintAll();
  ink(plain->GetPos(), &red, &count);
  EXPECT_LT(red, 40) << "hot alpha 0 still showed the hot colour";
  plain->SetHotAlpha(255);
  host->PaintAll();
  ink(plain->GetPos(), &red, &count);
  EXPECT_GT(red, 150) << "full hot alpha did not show the hot colour";
}

}  // namespace
