// One rendering of every widget together, saved for a person to look at:
// $ORVANE_BINARY_DIR/screenshots/widgets_gallery.png.
#include <gtest/gtest.h>

#include "ui/render/render_context.h"
#include "ui/widgets/check_box.h"
#include "widgets/support/widgets_fixture.h"

namespace {

using widgets_test::BuildInto;
using widgets_test::MakeHost;
using widgets_test::WidgetsTest;

class GalleryTest : public WidgetsTest {};

TEST_F(GalleryTest, LabelButtonCheckBoxAndRichTextRenderTogether) {
  auto host = MakeHost(360, 300);
  ui::Control* root = BuildInto(*host, LR"(<Window><VBox bkcolor="white" padding="20,16,20,16" childmargin="12">
      <Label name="title" font="system_22" text="安装向导" normaltextcolor="darkcolor"/>
      <HBox height="40" childmargin="16">
        <Button name="install_btn" class="btn_primary" width="140" height="40" align="vcenter" text="立即安装"/>
        <Button name="custom_btn" width="auto" height="40" font="system_18" align="vcenter"
                normaltextcolor="green" text="自定义选项"/>
      </HBox>
      <CheckBox name="run_check" class="checkbox_green" width="auto" text="运行Orvane客户端" selected="true"/>
      <CheckBox name="other_check" class="checkbox_green" width="auto" text="创建桌面快捷方式"/>
      <RichEdit name="content" height="auto" font="system_14" rich="false" readonly="true"
                normaltextcolor="black" enabled="false"
                text="检测到安装目录中有正在运行的程序，继续安装将关闭这些程序。是否继续？"/>
    </VBox></Window>)");
  ASSERT_NE(root, nullptr);
  host->PaintAll();
  // GDI leaves alpha 0 where the text engine drew; a window restores it the
  // same way before it shows the bitmap.
  host->GetRenderContext()->RestoreAlpha(host->GetClientRect(), RECT{0, 0, 0, 0});

  // Every widget put ink somewhere in its own rectangle.
  for (const wchar_t* name : {L"title", L"install_btn", L"custom_btn", L"run_check", L"content"}) {
    ui::Control* control = host->FindControl(name);
    ASSERT_NE(control, nullptr) << name;
    const RECT& r = control->GetPos();
    int inked = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if ((host->GetPixel(x, y) & 0xFFFFFF) != 0xFFFFFF) ++inked;
    EXPECT_GT(inked, 20) << name << " drew nothing";
  }
  EXPECT_GT(host->FindControl(L"content")->GetHeight(), 30) << "the message did not wrap";
  EXPECT_LT(host->FindControl(L"content")->GetHeight(), 80) << "the message wrapped too narrow";
  EXPECT_FALSE(widgets_test::SaveScreenshot(*host, L"widgets_gallery").empty())
      << "the screenshot could not be saved";
}

}  // namespace
