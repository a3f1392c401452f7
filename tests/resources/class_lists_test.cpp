// Classes of global.xml as controls see them: a "class" attribute naming
// several classes applies their lists one after another, where it stands.
#include <gtest/gtest.h>

#include <windows.h>

#include "ui/controls/control.h"
#include "ui/resources/global_resources.h"
#include "ui/resources/image_spec.h"
#include "ui/widgets/label.h"

namespace {

using ui::GlobalResources;

class ClassListsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(GlobalResources::OpenSkinArchive());
    ASSERT_TRUE(GlobalResources::Startup(L"resources\\", {}, false, L"themes\\default",
                                         L"lang\\zh_CN"));
  }
  void TearDown() override { GlobalResources::Shutdown(); }
};

TEST_F(ClassListsTest, TwoClassesApplyInTheOrderNamed) {
  // btn_primary, then checkbox_green: the later class wins where both speak.
  ui::LabelTemplate<ui::Control> label;
  label.ApplyAttribute(L"class", L"btn_primary checkbox_green");
  EXPECT_EQ(L"system_14", label.GetFont());
  EXPECT_EQ(16, label.GetFixedHeight());
  EXPECT_EQ(22, label.GetTextPadding().left);
  EXPECT_EQ(L"darkcolor", label.GetStateTextColor(ui::kControlStateNormal));
  EXPECT_EQ(L"file='../public/CheckBox/check_no2.png' dest='0,0,16,16'",
            label.GetStateImageSpec(ui::kControlStateNormal).imageString);

  // The other order: btn_primary's font, colour and image, checkbox_green's height.
  ui::LabelTemplate<ui::Control> reversed;
  reversed.ApplyAttribute(L"class", L"checkbox_green btn_primary");
  EXPECT_EQ(L"system_bold_14", reversed.GetFont());
  EXPECT_EQ(16, reversed.GetFixedHeight());
  EXPECT_EQ(L"white", reversed.GetStateTextColor(ui::kControlStateNormal));
  EXPECT_EQ(L"file='../public/button/btn_primary_normal.png'",
            reversed.GetStateImageSpec(ui::kControlStateNormal).imageString);

  // An attribute after the class overrides it; an unknown class name adds nothing.
  ui::LabelTemplate<ui::Control> overridden;
  overridden.ApplyAttributeText(L"class=\"btn_primary no_such_class\" font=\"system_12\"");
  EXPECT_EQ(L"system_12", overridden.GetFont());
  EXPECT_EQ(L"white", overridden.GetStateTextColor(ui::kControlStateNormal));
}

}  // namespace
