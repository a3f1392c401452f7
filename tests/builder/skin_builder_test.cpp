// The skin builder: documents to trees, attribute order with classes, window
// attributes in document order, window classes, includes and declared events.
#include "ui/builder/skin_builder.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>

#include "ui/controls/box.h"
#include "ui/render/color_table.h"
#include "ui/render/font_table.h"
#include "ui/resources/global_resources.h"
#include "ui/resources/markup/markup_document.h"
#include "ui/resources/skin_tables.h"
#include "ui/widgets/button.h"
#include "ui/widgets/check_box.h"
#include "ui/widgets/label.h"
#include "ui/widgets/rich_edit.h"
#include "ui/window/window.h"
#include "widgets/support/widgets_fixture.h"

namespace {

using widgets_test::BuildInto;
using widgets_test::WriteSkinFile;
using widgets_test::MakeHost;
using widgets_test::WidgetsTest;

class SkinBuilderTest : public WidgetsTest {};

// A control that counts how often its "bump" attribute is applied.
class Counter : public ui::Control {
 public:
  void ApplyAttribute(const std::wstring& name, const std::wstring& value) override {
    if (name == L"bump")
      ++bumps;
    else
      ui::Control::ApplyAttribute(name, value);
  }
  int bumps = 0;
};

ui::CreateControlCallback CounterMaker() {
  return [](const std::wstring& tag) -> ui::Control* {
    return tag == L"Counter" ? new Counter() : nullptr;
  };
}

TEST_F(SkinBuilderTest, AttributesAfterAClassOverrideItAndBeforeItAreOverridden) {
  auto host = MakeHost(300, 200);
  ASSERT_NE(BuildInto(*host, LR"(<Window><VBox>
      <Button name="later_font" class="btn_primary" font="system_22" text="A"/>
      <Button name="earlier_font" font="system_22" class="btn_primary" text="B"/>
    </VBox></Window>)"), nullptr);
  auto* later = static_cast<ui::Button*>(host->FindControl(L"later_font"));
  auto* earlier = static_cast<ui::Button*>(host->FindControl(L"earlier_font"));
  EXPECT_EQ(later->GetFont(), L"system_22");
  EXPECT_EQ(earlier->GetFont(), L"system_bold_14") << "the class should win over an earlier font";
  EXPECT_EQ(later->GetStateTextColor(ui::kControlStateNormal), L"white");
}

TEST_F(SkinBuilderTest, BuiltInTagsMakeTheirControls) {
  auto host = MakeHost(300, 300);
  ui::Control* root = BuildInto(*host, LR"(<Window><VBox name="v">
      <HBox name="h"/><Box name="b"/><Control name="c"/><Label name="l"/><Button name="bt"/>
      <ButtonBox name="bb"/><CheckBox name="cb"/><RichEdit name="re"/><LabelBox name="lb"/>
    </VBox></Window>)");
  ASSERT_NE(root, nullptr);
  EXPECT_NE(dynamic_cast<ui::VBox*>(root), nullptr);
  EXPECT_NE(dynamic_cast<ui::HBox*>(host->FindControl(L"h")), nullptr);
  EXPECT_NE(dynamic_cast<ui::Label*>(host->FindControl(L"l")), nullptr);
  EXPECT_NE(dynamic_cast<ui::Button*>(host->FindControl(L"bt")), nullptr);
  EXPECT_NE(dynamic_cast<ui::ButtonBox*>(host->FindControl(L"bb")), nullptr);
  EXPECT_NE(dynamic_cast<ui::CheckBox*>(host->FindControl(L"cb")), nullptr);
  EXPECT_NE(dynamic_cast<ui::RichEdit*>(host->FindControl(L"re")), nullptr);
  EXPECT_NE(dynamic_cast<ui::LabelBox*>(host->FindControl(L"lb")), nullptr);
  // Text controls size themselves; text boxes stretch.
  EXPECT_EQ(host->FindControl(L"l")->GetFixedWidth(), ui::kSizeAuto);
  EXPECT_EQ(host->FindControl(L"lb")->GetFixedWidth(), ui::kSizeStretch);
}

TEST_F(SkinBuilderTest, UnknownTagsAreSkippedWithTheirSubtreeAndCallbacksMakeTheirOwn) {
  auto host = MakeHost(300, 200);
  ui::SkinBuilder builder;
  auto* root = static_cast<ui::Box*>(builder.Create(LR"(<Window><VBox>
      <Mystery name="m"><Label name="inside"/></Mystery>
      <Counter name="counted" bump="1"/>
      <Label name="after"/>
    </VBox></Window>)", CounterMaker(), host.get()));
  ASSERT_NE(root, nullptr);
  host->AttachRoot(root);
  EXPECT_EQ(root->GetCount(), 2u);
  EXPECT_EQ(host->FindControl(L"inside"), nullptr);
  auto* counter = dynamic_cast<Counter*>(host->FindControl(L"counted"));
  ASSERT_NE(counter, nullptr) << "the builder's callback was not asked";
  EXPECT_EQ(counter->bumps, 1);
  EXPECT_NE(host->FindControl(L"after"), nullptr);
}

TEST_F(SkinBuilderTest, AnEventWithTwoTypesAndTwoReceiversAttachesFourHandlers) {
  auto host = MakeHost(300, 200);
  ui::SkinBuilder builder;
  ui::Control* root = builder.Create(LR"(<Window><VBox>
      <Button name="trigger" text="go">
        <Event type="buttondown buttonup" receiver="first second" applyattribute="bump=&quot;1&quot;"/>
      </Button>
      <Counter name="first"/><Counter name="second"/>
    </VBox></Window>)", CounterMaker(), host.get());
  ASSERT_NE(root, nullptr);
  host->AttachRoot(root);
  ui::Control* trigger = host->FindControl(L"trigger");
  auto* first = static_cast<Counter*>(host->FindControl(L"first"));
  auto* second = static_cast<Counter*>(host->FindControl(L"second"));

  trigger->SendEvent(ui::kEventMouseButtonDown);
  EXPECT_EQ(first->bumps, 1);
  EXPECT_EQ(second->bumps, 1);
  trigger->SendEvent(ui::kEventMouseButtonUp);
  EXPECT_EQ(first->bumps + second->bumps, 4) << "expected one handler per type and receiver";
  // An event type that was not named reaches no handler.
  trigger->SendEvent(ui::kEventMouseMove);
  EXPECT_EQ(first->bumps + second->bumps, 4);
}

TEST_F(SkinBuilderTest, BubbledEventFindsDotSlashReceiversAmongDescendants) {
  auto host = MakeHost(300, 200);
  ui::SkinBuilder builder;
  ui::Control* root = builder.Create(LR"(<Window><VBox>
      <HBox name="row">
        <BubbledEvent type="select" receiver="./inner .\inner outer" applyattribute="bump=&quot;1&quot;"/>
        <CheckBox name="check" text="x"/>
        <Counter name="inner"/>
      </HBox>
      <Counter name="outer"/>
      <Label name="plain"><BubbledEvent type="select" receiver="outer" applyattribute="bump=&quot;1&quot;"/></Label>
    </VBox></Window>)", CounterMaker(), host.get());
  ASSERT_NE(root, nullptr);
  host->AttachRoot(root);
  auto* check = static_cast<ui::CheckBox*>(host->FindControl(L"check"));
  check->Selected(true, ui::SelectionEvent::kSend);
  EXPECT_EQ(static_cast<Counter*>(host->FindControl(L"inner"))->bumps, 2);
  // The label's BubbledEvent was ignored: a label is not a box.
  EXPECT_EQ(static_cast<Counter*>(host->FindControl(L"outer"))->bumps, 1);
}

TEST_F(SkinBuilderTest, WindowAttributesApplyInDocumentOrderAgainstTheShadow) {
  // "size" after "shadowattached=false": no shadow corners in the size.
  {
    ui::Window window;
    ui::MarkupDocument doc;
    ASSERT_TRUE(doc.Load(LR"(<Window shadowattached="false" size="960,625"/>)"));
    window.ApplyAttributes(doc.GetRoot());
    EXPECT_EQ(window.GetInitSize().cx, 960);
    EXPECT_EQ(window.GetInitSize().cy, 625);
    EXPECT_FALSE(window.IsShadowAttached());
  }
  // The installer's order: "size" while the default shadow is still attached
  // gets its 14-pixel corners on each side.
  {
    ui::Window window;
    ui::MarkupDocument doc;
    ASSERT_TRUE(doc.Load(LR"(<Window roundcorner="20,20" size="960,625" caption="0,0,0,172"
                                     shadowattached="false" mininfo="400,300"/>)"));
    window.ApplyAttributes(doc.GetRoot());
    EXPECT_EQ(window.GetInitSize().cx, 988);
    EXPECT_EQ(window.GetInitSize().cy, 653);
    EXPECT_EQ(window.GetMinInfo().cx, 400) << "mininfo came after the shadow went";
    EXPECT_EQ(window.GetRoundCorner().cx, 20);
    EXPECT_EQ(window.GetCaptionRect().bottom, 172);
    EXPECT_FALSE(window.IsShadowAttached());
  }
  {
    ui::Window window;
    ui::MarkupDocument doc;
    ASSERT_TRUE(doc.Load(LR"(<Window sizebox="4,4,6,6" alphafixcorner="1,2,3,4" custom_shadow="5,6,7,8" unknown="1"/>)"));
    window.ApplyAttributes(doc.GetRoot());
    EXPECT_EQ(window.GetSizeBox().right, 6);
    // Both names set the same rectangle; the later one wins.
    EXPECT_EQ(window.GetAlphaFixCorner().left, 5);
  }
}

TEST_F(SkinBuilderTest, WindowClassesComeAfterGlobalOnesAndWindowlessBuildsIgnoreSize) {
  ui::Window window;  // no native window
  ui::SkinBuilder builder;
  ui::Control* root = builder.Create(LR"(<Window size="500,400">
      <Class name="local_btn" font="system_22" text="本地"/>
      <Class name="btn_primary" font="system_18"/>
      <Font id="ignored" name="system" size="40"/>
      <VBox>
        <Button name="local" class="local_btn"/>
        <Button name="global" class="btn_primary"/>
      </VBox>
    </Window>)", {}, &window);
  ASSERT_NE(root, nullptr);
  std::unique_ptr<ui::Control> owned(root);
  auto* box = static_cast<ui::Box*>(root);
  ASSERT_EQ(box->GetCount(), 2u);
  auto* local = static_cast<ui::Button*>(box->GetItemAt(0));
  auto* global = static_cast<ui::Button*>(box->GetItemAt(1));
  EXPECT_EQ(local->GetFont(), L"system_22");
  EXPECT_EQ(local->GetText(), L"本地");
  EXPECT_EQ(global->GetFont(), L"system_bold_14") << "a window class shadowed a global one";
  EXPECT_EQ(window.GetInitSize().cx, 0) << "window attributes need a native window";
  EXPECT_EQ(ui::SkinFonts().GetFontEntry(L"ignored")->size, 12)
      << "a Font inside a Window was registered";
}

TEST_F(SkinBuilderTest, IncludeBuildsAnotherFileCountTimesIntoTheParent) {
  ASSERT_TRUE(WriteSkinFile(L"basic\\widgets_item.xml",
                            "<Include><Label text=\"item\"/><Control/></Include>"));

  auto host = MakeHost(300, 300);
  auto* root = static_cast<ui::Box*>(BuildInto(*host, LR"(<Window><VBox>
      <Include source="basic\widgets_item.xml" count="3"/>
      <Include source="basic\widgets_item.xml" count="0"/>
      <Include count="2"/>
      <Include source="basic\widgets_item.xml"/>
      <Include source="basic\no_such_file.xml"/>
    </VBox></Window>)"));
  ASSERT_NE(root, nullptr);
  // 3 x 2 controls, none for count 0 or without source, 2 for the default count.
  EXPECT_EQ(root->GetCount(), 8u);
  EXPECT_EQ(static_cast<ui::Label*>(root->GetItemAt(0))->GetText(), L"item");
}

TEST_F(SkinBuilderTest, IncludeAtTheTopBuildsTheWindowsRoot) {
  ASSERT_TRUE(WriteSkinFile(L"basic\\widgets_main.xml",
                            R"(<Include><VBox name="included_root"><Label/></VBox><Control/></Include>)"));
  auto host = MakeHost(300, 300);
  ui::Control* root = BuildInto(*host, LR"(<Window><Include source="basic\widgets_main.xml"/></Window>)");
  ASSERT_NE(root, nullptr) << "the include made no root";
  EXPECT_EQ(root->GetName(), L"included_root");
  EXPECT_EQ(static_cast<ui::Box*>(root)->GetCount(), 1u);
}

TEST_F(SkinBuilderTest, ExistingControlTakesTheFirstElementsAttributesAndChildren) {
  auto host = MakeHost(300, 200);
  auto* existing = new ui::VBox();
  host->AttachRoot(existing);
  ui::SkinBuilder builder;
  ui::Control* result = builder.Create(LR"(<Window><Class name="x" width="5"/>
      <HBox name="filled" bkcolor="white"><Label name="child" text="c"/></HBox>
    </Window>)", {}, host.get(), nullptr, existing);
  EXPECT_EQ(result, existing);
  EXPECT_EQ(existing->GetName(), L"filled");
  EXPECT_EQ(existing->GetBkColor(), L"white");
  ASSERT_EQ(existing->GetCount(), 1u);
  EXPECT_NE(host->FindControl(L"child"), nullptr);
}

TEST_F(SkinBuilderTest, GlobalRootRegistersResourcesAndBrokenSourcesMakeNothing) {
  ui::SkinBuilder global;
  EXPECT_EQ(global.Create(LR"(<Global><TextColor name="widgets_pink" value="#ffff00ff"/>
      <Class name="widgets_class" width="7"/></Global>)", {}, nullptr), nullptr);
  EXPECT_EQ(ui::SkinColors().LookupColor(L"widgets_pink"), 0xFFFF00FFu);
  EXPECT_EQ(ui::GlobalResources::LookupClass(L"widgets_class"), L"width=\"7\"");

  ui::SkinBuilder broken;
  EXPECT_EQ(broken.Create(L"<Window><VBox></Window>", {}, nullptr), nullptr);
  EXPECT_FALSE(broken.document().GetLastErrorMessage().empty());
  ui::SkinBuilder missing;
  EXPECT_EQ(missing.Create(L"basic\\does_not_exist.xml", {}, nullptr), nullptr);
  ui::SkinBuilder empty;
  EXPECT_EQ(empty.Create(L"<Window></Window>", {}, nullptr), nullptr);
}

// `levels` VBoxes, each inside the one before, around `innermost`.
std::string NestedBoxes(int levels, const std::string& innermost = std::string()) {
  std::string xml;
  for (int i = 0; i < levels; ++i) xml += "<VBox>";
  xml += innermost;
  for (int i = 0; i < levels; ++i) xml += "</VBox>";
  return xml;
}

TEST_F(SkinBuilderTest, IncludesThatNestWithoutEndOrMultiplyFailTheBuild) {
  auto host = MakeHost(300, 200);
  // A file that includes itself, and two files that include each other.
  ASSERT_TRUE(WriteSkinFile(L"basic\\widgets_self.xml",
                            R"(<Include><Control/><Include source="basic\widgets_self.xml"/></Include>)"));
  ASSERT_TRUE(WriteSkinFile(L"basic\\widgets_ping.xml", R"(<Include><Include source="basic\widgets_pong.xml"/></Include>)"));
  ASSERT_TRUE(WriteSkinFile(L"basic\\widgets_pong.xml", R"(<Include><Include source="basic\widgets_ping.xml"/></Include>)"));
  // 100 x 100 files from two includes well within the count limit.
  ASSERT_TRUE(WriteSkinFile(L"basic\\widgets_hundred.xml",
                            R"(<Include><Include source="basic\widgets_item.xml" count="100"/></Include>)"));
  ASSERT_TRUE(WriteSkinFile(L"basic\\widgets_item.xml", "<Include><Control/></Include>"));
  const struct {
    const wchar_t* include;
    const wchar_t* error;
  } cases[] = {
      {LR"(source="basic\widgets_self.xml")", L"Includes nested too deeply"},
      {LR"(source="basic\widgets_ping.xml")", L"Includes nested too deeply"},
      {LR"(source="basic\widgets_item.xml" count="101")", L"Include count too large"},
      {LR"(source="basic\widgets_item.xml" count="2147483647")", L"Include count too large"},
      {LR"(source="basic\widgets_hundred.xml" count="100")", L"Too many included files"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "Include " << std::string(c.include, c.include + wcslen(c.include)));
    ui::SkinBuilder builder;
    EXPECT_EQ(builder.Create(L"<Window><VBox><Include " + std::wstring(c.include) + L"/></VBox></Window>",
                             {}, host.get()),
              nullptr);
    EXPECT_EQ(builder.error(), c.error);
  }

  // Limits are not a budget per file: the largest allowed count builds.
  ui::SkinBuilder builder;
  auto* root = static_cast<ui::Box*>(builder.Create(
      LR"(<Window><VBox><Include source="basic\widgets_item.xml" count="100"/></VBox></Window>)", {}, host.get()));
  ASSERT_NE(root, nullptr) << std::string(builder.error().begin(), builder.error().end());
  std::unique_ptr<ui::Control> owned(root);
  EXPECT_EQ(root->GetCount(), 100u);
}

TEST_F(SkinBuilderTest, ControlsNestedPastTheLimitFailTheBuildAlsoAcrossIncludes) {
  auto host = MakeHost(300, 200);
  // The window's root box is level 1.
  for (int levels : {ui::SkinBuilder::kMaxNesting, ui::SkinBuilder::kMaxNesting + 1}) {
    SCOPED_TRACE(testing::Message() << levels << " levels");
    const std::string xml = "<Window>" + NestedBoxes(levels) + "</Window>";
    ui::SkinBuilder builder;
    std::unique_ptr<ui::Control> root(builder.Create(std::wstring(xml.begin(), xml.end()), {}, host.get()));
    const bool allowed = levels <= ui::SkinBuilder::kMaxNesting;
    EXPECT_EQ(root != nullptr, allowed);
    EXPECT_EQ(builder.error(), allowed ? L"" : L"Elements nested too deeply");
  }
  // Two files, each well within the limit, nest past it together.
  const int half = ui::SkinBuilder::kMaxNesting / 2 + 1;
  ASSERT_TRUE(WriteSkinFile(L"basic\\widgets_inner.xml", "<Include>" + NestedBoxes(half) + "</Include>"));
  ASSERT_TRUE(WriteSkinFile(L"basic\\widgets_outer.xml",
                            "<Window>" + NestedBoxes(half, R"(<Include source="basic\widgets_inner.xml"/>)") +
                                "</Window>"));
  ui::SkinBuilder builder;
  EXPECT_EQ(builder.Create(L"basic\\widgets_outer.xml", {}, host.get()), nullptr);
  EXPECT_EQ(builder.error(), L"Elements nested too deeply");
}

TEST_F(SkinBuilderTest, AClassThatNamesItselfOrACycleOfClassesExpandsOnce) {
  ui::Window window;  // holds the skin's own classes
  ui::SkinBuilder builder;
  std::unique_ptr<ui::Control> root(builder.Create(LR"(<Window>
      <Class name="self" class="self" width="30"/>
      <Class name="ping" height="12" class="pong"/>
      <Class name="pong" class="ping" width="40"/>
      <VBox>
        <Control class="self"/>
        <Control class="ping"/>
      </VBox>
    </Window>)", {}, &window));
  ASSERT_NE(root, nullptr);
  auto* box = static_cast<ui::Box*>(root.get());
  ASSERT_EQ(box->GetCount(), 2u);
  EXPECT_EQ(box->GetItemAt(0)->GetFixedWidth(), 30);
  EXPECT_EQ(box->GetItemAt(1)->GetFixedHeight(), 12);
  EXPECT_EQ(box->GetItemAt(1)->GetFixedWidth(), 40);
}

TEST_F(SkinBuilderTest, ClassesThatFanOutOrNestTooDeepFailTheBuild) {
  auto host = MakeHost(300, 200);
  // Each class names the next four times: 4^8 lists from one name.
  for (int i = 0; i < 8; ++i) {
    const std::wstring next = L" fan" + std::to_wstring(i + 1);
    host->AddClass(L"fan" + std::to_wstring(i), L"width=\"5\" class=\"" + next + next + next + next + L"\"");
  }
  // Distinct classes, each naming the next.
  for (int i = 0; i < 200; ++i)
    host->AddClass(L"chain" + std::to_wstring(i), L"class=\"chain" + std::to_wstring(i + 1) + L"\"");
  for (const wchar_t* name : {L"fan0", L"chain0"}) {
    SCOPED_TRACE(testing::Message() << "class " << std::string(name, name + wcslen(name)));
    ui::SkinBuilder builder;
    EXPECT_EQ(builder.Create(L"<Window><VBox><Control class=\"" + std::wstring(name) + L"\"/></VBox></Window>",
                             {}, host.get()),
              nullptr);
    EXPECT_EQ(builder.error(), L"Classes expand too far");
  }
  // The installer's classes, several on one control, stay well inside.
  ui::SkinBuilder builder;
  std::unique_ptr<ui::Control> root(builder.Create(
      LR"(<Window><VBox><CheckBox class="btn_primary checkbox_green btn_primary checkbox_green fan6"/></VBox></Window>)",
      {}, host.get()));
  EXPECT_NE(root, nullptr);
}

}  // namespace
