// The control base: attributes and classes, image specs, event dispatch and
// bubbling, interaction states, hit testing and the size estimate.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls_support.h"
#include "ui/resources/global_resources.h"
#include "ui/resources/image_spec.h"
#include "ui/widgets/button.h"
#include "ui/widgets/label.h"

namespace controls_test {
namespace {

using ui::Box;
using ui::Control;
using ui::EventArgs;
using ui::ImageSpec;

RECT R(int l, int t, int r, int b) { return RECT{l, t, r, b}; }
bool SameRect(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

// --- image specs -------------------------------------------------------------

TEST(ImageSpecTest, BareFileNameOrKeyValuePairs) {
  ImageSpec spec;
  // A value without pairs is the file name as written.
  spec.SetImageString(L"../public/progress/progress_green_bg.png");
  EXPECT_EQ(L"../public/progress/progress_green_bg.png", spec.file);
  EXPECT_FALSE(spec.HasDest());

  spec.SetImageString(L"file='../public/CheckBox/check_no2.png' dest='0,0,16,16' fade='80'");
  EXPECT_EQ(L"../public/CheckBox/check_no2.png", spec.file);
  EXPECT_TRUE(SameRect(R(0, 0, 16, 16), spec.dest));
  EXPECT_EQ(80, spec.fade);

  spec.SetImageString(
      L"res='a.png' source='1,1,21,21' corner='2,3,4,5' xtiled='true' ytiled='false' "
      L"destscale='false' playcount='3' unknown='x'");
  EXPECT_EQ(L"a.png", spec.file);
  EXPECT_TRUE(SameRect(R(1, 1, 21, 21), spec.source));
  EXPECT_TRUE(SameRect(R(2, 3, 4, 5), spec.corner));
  EXPECT_TRUE(spec.xTiled);
  EXPECT_FALSE(spec.yTiled);
  EXPECT_FALSE(spec.destScale);
  EXPECT_EQ(3, spec.playCount);
}

TEST(ImageSpecTest, EmptyValuesAreSkippedAndMalformedPairsStopReading) {
  ImageSpec spec;
  spec.SetImageString(L"file='b.png' fade='' dest='1,2,3,4'");
  EXPECT_EQ(255, spec.fade) << "an empty value is skipped";
  EXPECT_TRUE(SameRect(R(1, 2, 3, 4), spec.dest));

  spec.SetImageString(L"file='c.png' dest=0,0,5,5 fade='10'");
  EXPECT_EQ(L"c.png", spec.file);
  EXPECT_FALSE(spec.HasDest()) << "an unquoted value is malformed";
  EXPECT_EQ(255, spec.fade) << "reading stops at the first malformed pair";

  spec.SetImageString(L"file='d.png' fade='7");
  EXPECT_EQ(255, spec.fade) << "a value without its closing quote is dropped";
}

TEST(ImageSpecTest, SettingAgainResetsEverythingAndModifiersWorkOnCopies) {
  ImageSpec spec;
  spec.SetImageString(L"file='a.png' dest='1,1,2,2' fade='9' corner='4,4,4,4'");
  spec.SetImageString(L"file='e.png'");
  EXPECT_FALSE(spec.HasDest());
  EXPECT_EQ(255, spec.fade);
  EXPECT_TRUE(SameRect(R(0, 0, 0, 0), spec.corner));

  ImageSpec copy = spec;
  copy.ApplyModifiers(L"fade='20' dest='0,0,8,8'");
  EXPECT_EQ(20, copy.fade);
  EXPECT_EQ(255, spec.fade);
  EXPECT_EQ(L"e.png", copy.file);
}

// --- attributes --------------------------------------------------------------

class AttributeTest : public ControlsTest {};

TEST_F(AttributeTest, SizesLimitsAndAlignment) {
  Control c;
  c.ApplyAttribute(L"width", L"auto");
  c.ApplyAttribute(L"height", L"stretch");
  EXPECT_EQ(ui::kSizeAuto, c.GetFixedWidth());
  EXPECT_EQ(ui::kSizeStretch, c.GetFixedHeight());
  c.ApplyAttribute(L"width", L"216");
  c.ApplyAttribute(L"height", L"54px");
  EXPECT_EQ(216, c.GetFixedWidth());
  EXPECT_EQ(54, c.GetFixedHeight()) << "integers stop at the first non-digit";
  c.ApplyAttribute(L"maxwidth", L"900");
  EXPECT_EQ(900, c.GetMaxWidth());
  c.ApplyAttribute(L"maxwidth", L"stretch");
  EXPECT_LT(c.GetMaxWidth(), 0) << "\"stretch\" means no limit";
  c.ApplyAttribute(L"minheight", L"10");
  EXPECT_EQ(10, c.GetMinHeight());

  c.ApplyAttribute(L"halign", L"center");
  c.ApplyAttribute(L"valign", L"bottom");
  c.ApplyAttribute(L"halign", L"middle");
  c.ApplyAttribute(L"valign", L"right");  // the installer's skins write this
  EXPECT_EQ(ui::HorAlign::kCenter, c.GetHorAlign());
  EXPECT_EQ(ui::VerAlign::kBottom, c.GetVerAlign());

  c.ApplyAttribute(L"margin", L"30");
  EXPECT_TRUE(SameRect(R(30, 0, 0, 0), c.GetMargin())) << "missing trailing numbers are 0";
  c.ApplyAttribute(L"margin", L"0,107,0,0");
  EXPECT_TRUE(SameRect(R(0, 107, 0, 0), c.GetMargin()));
}

TEST_F(AttributeTest, FlagsColoursBordersAndUnknownNames) {
  Control c;
  c.ApplyAttribute(L"mouse", L"false");
  c.ApplyAttribute(L"float", L"true");
  c.ApplyAttribute(L"visible", L"TRUE");
  EXPECT_FALSE(c.IsMouseEnabled());
  EXPECT_TRUE(c.IsFloat());
  EXPECT_FALSE(c.IsVisible()) << "booleans are true only for exactly \"true\"";
  c.ApplyAttribute(L"nofocus", L"false");
  EXPECT_TRUE(c.IsNoFocus()) << "nofocus is set whatever the value";
  c.ApplyAttribute(L"bkcolor", L"   green");
  EXPECT_EQ(L"green", c.GetBkColor());
  c.ApplyAttribute(L"bkcolor1", L"red");
  EXPECT_EQ(L"red", c.GetBkColor());
  c.ApplyAttribute(L"cursortype", L"hand");
  EXPECT_EQ(ui::CursorType::kHand, c.GetCursorType());
  c.ApplyAttribute(L"state", L"hot");
  EXPECT_EQ(ui::kControlStateHot, c.GetState());
  EXPECT_EQ(255, c.GetHotAlpha());
  c.ApplyAttribute(L"state", L"normal");
  EXPECT_EQ(0, c.GetHotAlpha());

  c.ApplyAttribute(L"bordersize", L"0,1,0,1");
  EXPECT_TRUE(SameRect(R(0, 1, 0, 1), c.GetBorderSizes()));
  c.ApplyAttribute(L"bordersize", L"2");
  EXPECT_EQ(2, c.GetBorderSize());
  EXPECT_TRUE(SameRect(R(0, 0, 0, 0), c.GetBorderSizes())) << "a uniform size clears the sides";
  c.ApplyAttribute(L"leftbordersize", L"3");
  EXPECT_EQ(3, c.GetBorderSizes().left);
  c.ApplyAttribute(L"borderround", L"20,20");
  EXPECT_EQ(20, c.GetBorderRound().cx);

  c.ApplyAttribute(L"no_such_attribute", L"1");
  c.ApplyAttribute(L"Width", L"5");
  EXPECT_NE(5, c.GetFixedWidth()) << "names are compared exactly";
}

TEST_F(AttributeTest, AttributeTextAppliesPairsInOrder) {
  Control c;
  c.ApplyAttributeText(L"name=\"x\" width=\"10\"  height=\"20\" width=\"12\"");
  EXPECT_EQ(L"x", c.GetName());
  EXPECT_EQ(12, c.GetFixedWidth());
  EXPECT_EQ(20, c.GetFixedHeight());
  // Reading stops at a malformed pair; what came before stays applied.
  c.ApplyAttributeText(L"height=\"7\" width=8 name=\"y\"");
  EXPECT_EQ(7, c.GetFixedHeight());
  EXPECT_EQ(L"x", c.GetName());
}

TEST_F(AttributeTest, ClassAppliesWhereItStandsInTheAttributeSequence) {
  ui::GlobalResources::AddClass(L"ctl_wide", L"width=\"40\" bkcolor=\"red\"");
  ui::GlobalResources::AddClass(L"ctl_tall", L"height=\"30\" width=\"41\"");
  // Attributes before the class are overridden by it...
  Control before;
  before.ApplyAttribute(L"width", L"10");
  before.ApplyAttribute(L"class", L"ctl_wide");
  EXPECT_EQ(40, before.GetFixedWidth());
  // ...attributes after it override the class.
  Control after;
  after.ApplyAttribute(L"class", L"ctl_wide");
  after.ApplyAttribute(L"width", L"10");
  after.ApplyAttribute(L"bkcolor", L"blue");
  EXPECT_EQ(10, after.GetFixedWidth());
  EXPECT_EQ(L"blue", after.GetBkColor());
  // Two classes apply in the order written.
  Control both;
  both.ApplyAttribute(L"class", L"ctl_wide  ctl_tall");
  EXPECT_EQ(41, both.GetFixedWidth());
  EXPECT_EQ(30, both.GetFixedHeight());
  EXPECT_EQ(L"red", both.GetBkColor());

  // A name the global table lacks comes from the window's own classes; the
  // global table wins when both have it.
  test_support::OffscreenHost host(10, 10);
  host.AddClass(L"win_only", L"height=\"9\"");
  host.AddClass(L"ctl_wide", L"width=\"1\"");
  Control windowed;
  windowed.SetWindow(&host);
  windowed.ApplyAttribute(L"class", L"win_only ctl_wide no_such_class");
  EXPECT_EQ(9, windowed.GetFixedHeight());
  EXPECT_EQ(40, windowed.GetFixedWidth());
}

// --- events ------------------------------------------------------------------

class EventTest : public ControlsTest {};

TEST_F(EventTest, CodeHandlersThenAllThenSkinHandlersThenBubbledUpTheTree) {
  std::vector<std::string> order;
  auto record = [&order](const char* what, bool result = true) {
    return [&order, what, result](EventArgs*) {
      order.push_back(what);
      return result;
    };
  };
  Box outer;
  Box* inner = new Box();
  Control* leaf = new Control();
  inner->Add(Owned(leaf));
  outer.Add(Owned(inner));
  leaf->AttachXmlEvent(ui::kEventAll, record("xml all"));
  leaf->AttachXmlEvent(ui::kEventClick, record("xml click"));
  leaf->AttachEvent(ui::kEventAll, record("code all"));
  leaf->AttachEvent(ui::kEventClick, record("code click 1"));
  leaf->AttachEvent(ui::kEventClick, record("code click 2"));
  leaf->AttachEvent(ui::kEventMouseMove, record("leaf move"));
  inner->AttachXmlBubbledEvent(ui::kEventClick, record("inner xml bubbled"));
  inner->AttachBubbledEvent(ui::kEventAll, record("inner bubbled all"));
  inner->AttachBubbledEvent(ui::kEventClick, record("inner bubbled click"));
  inner->AttachEvent(ui::kEventClick, record("inner own click"));
  outer.AttachBubbledEvent(ui::kEventClick, record("outer bubbled click"));

  leaf->SendEvent(ui::kEventClick);
  const std::vector<std::string> expected = {
      "code click 1", "code click 2", "code all", "xml click", "xml all",
      "inner bubbled click", "inner bubbled all", "inner xml bubbled", "outer bubbled click"};
  EXPECT_EQ(expected, order) << "the box's own (non-bubbled) handlers must not see a child's event";
}

TEST_F(EventTest, FalseFromAHandlerStopsTheChainAndTheOwnHandling) {
  Box box;
  int bubbled = 0, later = 0;
  ProbeControl* c = new ProbeControl();
  box.Add(Owned(c));
  box.AttachBubbledEvent(ui::kEventAll, [&](EventArgs*) { return ++bubbled, true; });
  c->AttachEvent(ui::kEventMouseButtonDown, [](EventArgs*) { return false; });
  c->AttachXmlEvent(ui::kEventMouseButtonDown, [&](EventArgs*) { return ++later, true; });
  c->SendEvent(ui::kEventMouseButtonDown);
  EXPECT_EQ(0, later);
  EXPECT_EQ(0, bubbled);
  EXPECT_EQ(ui::kControlStateNormal, c->GetState()) << "own handling must not run";

  // A bubbled handler returning false stops bubbling further up.
  Box top;
  Box* middle = new Box();
  Control* leaf = new Control();
  middle->Add(Owned(leaf));
  top.Add(Owned(middle));
  int top_seen = 0;
  middle->AttachBubbledEvent(ui::kEventClick, [](EventArgs*) { return false; });
  top.AttachBubbledEvent(ui::kEventClick, [&](EventArgs*) { return ++top_seen, true; });
  leaf->SendEvent(ui::kEventClick);
  EXPECT_EQ(0, top_seen);
}

TEST_F(EventTest, HandlerThatDestroysItsControlEndsTheDispatch) {
  Box box;
  Control* c = new Control();
  box.Add(Owned(c));
  int after = 0, bubbled = 0;
  box.AttachBubbledEvent(ui::kEventClick, [&](EventArgs*) { return ++bubbled, true; });
  c->AttachEvent(ui::kEventClick, [&box, c](EventArgs*) {
    box.Remove(c);
    return true;
  });
  c->AttachEvent(ui::kEventClick, [&](EventArgs*) { return ++after, true; });
  c->SendEvent(ui::kEventClick);
  EXPECT_EQ(0u, box.GetCount());
  EXPECT_EQ(0, after);
  EXPECT_EQ(0, bubbled);
}

TEST_F(EventTest, EventRecordCarriesSenderTimeAndMousePoint) {
  test_support::OffscreenHost host(100, 100);
  Box* root = new Box();
  Control* c = new Control();
  root->Add(Owned(c));
  host.AttachRoot(root);
  host.MouseMove(POINT{12, 34});
  EventArgs seen;
  root->AttachBubbledEvent(ui::kEventClick, [&](EventArgs* e) {
    seen = *e;
    return true;
  });
  DWORD before = ::GetTickCount();
  c->SendEvent(ui::kEventClick, 5, 6);
  EXPECT_EQ(c, seen.sender);
  EXPECT_EQ(ui::kEventClick, seen.type);
  EXPECT_EQ(12, seen.mousePoint.x);
  EXPECT_EQ(34, seen.mousePoint.y);
  EXPECT_EQ(5u, seen.wParam);
  EXPECT_EQ(6, seen.lParam);
  EXPECT_GE(seen.timestamp, before);
}

TEST_F(EventTest, InternalEventsGoStraightToTheControlsOwnHandling) {
  test_support::OffscreenHost host(50, 50);
  Box* root = new Box();
  Control* c = new Control();
  root->Add(Owned(c));
  host.AttachRoot(root);
  int handlers = 0;
  std::vector<int> menus;
  c->AttachEvent(ui::kEventAll, [&](EventArgs* e) {
    if (e->type == ui::kEventMouseMenu) menus.push_back(e->type);
    return ++handlers, true;
  });

  // 0 presses without running handlers; 2 and 3 set the hot alpha.
  c->SendEvent(ui::kEventInternalButtonDown);
  EXPECT_EQ(ui::kControlStatePushed, c->GetState());
  c->SendEvent(ui::kEventInternalHotAlphaFull);
  EXPECT_EQ(255, c->GetHotAlpha());
  c->SendEvent(ui::kEventInternalHotAlphaZero);
  EXPECT_EQ(0, c->GetHotAlpha());
  EXPECT_EQ(0, handlers);

  // 1 asks for a context menu: only with "menu" set does the window send
  // the menu event, which runs the handlers.
  c->SendEvent(ui::kEventInternalMenu);
  EXPECT_TRUE(menus.empty());
  c->ApplyAttribute(L"menu", L"true");
  c->SendEvent(ui::kEventInternalMenu);
  EXPECT_EQ(std::vector<int>{ui::kEventMouseMenu}, menus);
  c->SetEnabled(false);
  c->SendEvent(ui::kEventInternalMenu);
  EXPECT_EQ(1u, menus.size()) << "a disabled control asks for no menu";
}

TEST_F(EventTest, EventNamesMapToTheirNumbers) {
  EXPECT_EQ(6, ui::EventTypeFromName(L"all"));
  EXPECT_EQ(18, ui::EventTypeFromName(L"buttondown"));
  EXPECT_EQ(19, ui::EventTypeFromName(L"buttonup"));
  EXPECT_EQ(23, ui::EventTypeFromName(L"menu"));
  EXPECT_EQ(43, ui::EventTypeFromName(L"unselect"));
  EXPECT_EQ(51, ui::EventTypeFromName(L"valuechange"));
  EXPECT_EQ(4, ui::EventTypeFromName(L"click")) << "click has no skin name";
  EXPECT_EQ(4, ui::EventTypeFromName(L"ButtonDown"));
}

// --- states and mouse input --------------------------------------------------

class StateTest : public ControlsTest {};

TEST_F(StateTest, PressAndReleaseInsideTriggersOnceReleaseOutsideDoesNot) {
  test_support::OffscreenHost host(200, 100);
  Box* root = new Box();
  ProbeControl* c = new ProbeControl();
  c->SetFixedWidth(50);
  c->SetFixedHeight(20);
  c->SetStateColor(ui::kControlStateHot, L"green");
  root->Add(Owned(c));
  host.AttachRoot(root);
  host.LayoutIfNeeded();

  host.MouseMove(POINT{10, 10});
  EXPECT_EQ(ui::kControlStateHot, c->GetState());
  host.ButtonDown(POINT{10, 10});
  EXPECT_EQ(ui::kControlStatePushed, c->GetState());
  EXPECT_TRUE(c->IsPressedHolder());
  host.MouseMove(POINT{150, 80});
  EXPECT_EQ(ui::kControlStatePushed, c->GetState()) << "a pressed control stays pushed";
  host.ButtonUp(POINT{150, 80});
  EXPECT_EQ(ui::kControlStateNormal, c->GetState());
  EXPECT_EQ(0, c->GetHotAlpha());
  EXPECT_EQ(0, c->triggers) << "a release outside must not click";

  host.Click(POINT{20, 5});
  EXPECT_EQ(1, c->triggers);
  EXPECT_EQ(ui::kControlStateHot, c->GetState());
  EXPECT_EQ(255, c->GetHotAlpha());

  // A release without a press of this control does nothing.
  EventArgs up(ui::kEventMouseButtonUp, c);
  up.mousePoint = POINT{20, 5};
  c->SendEvent(up);
  EXPECT_EQ(1, c->triggers);
}

TEST_F(StateTest, DisabledControlStaysDisabledAndItsParentGetsTheMouse) {
  test_support::OffscreenHost host(200, 100);
  ProbeBox* root = new ProbeBox();
  ProbeControl* c = new ProbeControl();
  c->SetFixedWidth(50);
  c->SetFixedHeight(20);
  c->SetStateColor(ui::kControlStateHot, L"green");
  c->ApplyAttribute(L"enabled", L"false");
  root->Add(Owned(c));
  std::vector<int> reached;
  root->AttachBubbledEvent(ui::kEventAll, [&](EventArgs* e) {
    if (e->sender == c && ui::IsMouseEventType(e->type)) reached.push_back(e->type);
    return true;
  });
  host.AttachRoot(root);
  host.LayoutIfNeeded();

  host.MouseMove(POINT{10, 10});
  EXPECT_EQ(ui::kControlStateDisabled, c->GetState());
  host.ButtonDown(POINT{10, 10});
  EXPECT_EQ(ui::kControlStateDisabled, c->GetState());
  EXPECT_FALSE(c->IsPressedHolder());
  host.ButtonUp(POINT{10, 10});
  EXPECT_EQ(0, c->triggers);
  EXPECT_EQ(1, root->triggers) << "the parent handles the mouse events of a disabled child";
  const std::vector<int> expected = {ui::kEventMouseEnter, ui::kEventMouseMove,
                                     ui::kEventMouseButtonDown, ui::kEventMouseButtonUp};
  EXPECT_EQ(expected, reached);

  // Enabled again it starts from normal.
  c->SetEnabled(true);
  EXPECT_EQ(ui::kControlStateNormal, c->GetState());
}

TEST_F(StateTest, MouseDisabledLabelLetsTheClickableBoxReceiveTheClick) {
  test_support::OffscreenHost host(400, 100);
  Box* root = new Box();
  ui::ButtonBox* select = new ui::ButtonBox();
  select->SetName(L"select_btn");
  select->SetFixedWidth(370);
  select->SetFixedHeight(37);
  ui::Label* dir_label = new ui::Label();
  dir_label->SetName(L"dir_label");
  dir_label->ApplyAttribute(L"width", L"320");
  dir_label->ApplyAttribute(L"height", L"37");
  dir_label->ApplyAttribute(L"mouse", L"false");
  select->Add(Owned(dir_label));
  root->Add(Owned(select));
  std::vector<std::wstring> clicks;
  root->AttachBubbledEvent(ui::kEventClick, [&](EventArgs* e) {
    clicks.push_back(e->sender->GetName());
    return true;
  });
  host.AttachRoot(root);
  host.LayoutIfNeeded();

  EXPECT_EQ(select, host.ControlAt(POINT{100, 20}));
  host.Click(POINT{100, 20});
  ASSERT_EQ(1u, clicks.size());
  EXPECT_EQ(L"select_btn", clicks[0]);

  // With the mouse enabled the label itself is hit and swallows the press.
  dir_label->SetMouseEnabled(true);
  EXPECT_EQ(dir_label, host.ControlAt(POINT{100, 20}));
  host.Click(POINT{100, 20});
  EXPECT_EQ(1u, clicks.size());
}

TEST_F(StateTest, BoxStaysHotWhileTheMouseMovesFromItsChildToItself) {
  test_support::OffscreenHost host(200, 100);
  Box* root = new Box();
  Box* box = new Box();
  box->SetFixedWidth(100);
  box->SetFixedHeight(50);
  box->SetStateColor(ui::kControlStateHot, L"green");
  Control* child = new Control();
  child->SetFixedWidth(20);
  child->SetFixedHeight(20);
  box->Add(Owned(child));
  root->Add(Owned(box));
  host.AttachRoot(root);
  host.LayoutIfNeeded();

  host.MouseMove(POINT{5, 5});  // onto the child: the enter bubbles to the box
  EXPECT_EQ(ui::kControlStateHot, box->GetState());
  host.MouseMove(POINT{60, 30});  // onto the box itself: the child's leave is ignored
  EXPECT_EQ(ui::kControlStateHot, box->GetState());
  host.MouseMove(POINT{5, 5});
  host.MouseMove(POINT{150, 80});  // out of the box: the leave reaches it
  EXPECT_EQ(ui::kControlStateNormal, box->GetState());
}

// --- hit testing ---------------------------------------------------------------

TEST_F(ControlsTest, HitTestFlagsAndSearchOrder) {
  Box root;
  root.GetLayout()->SetPadding(R(10, 10, 10, 10));
  Control* under = new Control();
  Control* over = new Control();
  Control* in_padding = new Control();
  in_padding->SetFixedWidth(5);
  in_padding->SetFixedHeight(5);
  in_padding->SetMargin(R(-8, -8, 0, 0));
  root.Add(Owned(under));
  root.Add(Owned(over));
  root.Add(Owned(in_padding));
  root.SetPos(R(0, 0, 100, 100));
  const UINT mouse = ui::kFindVisible | ui::kFindHitTest | ui::kFindTopFirst;

  EXPECT_EQ(over, root.LocateControl(nullptr, POINT{50, 50}, mouse))
      << "of overlapping children the one painted last is found first";
  EXPECT_EQ(under, root.LocateControl(nullptr, POINT{50, 50}, ui::kFindVisible | ui::kFindHitTest));
  over->SetMouseEnabled(false);
  EXPECT_EQ(under, root.LocateControl(nullptr, POINT{50, 50}, mouse));
  under->SetVisible(false);
  EXPECT_EQ(&root, root.LocateControl(nullptr, POINT{50, 50}, mouse));
  EXPECT_EQ(nullptr, root.LocateControl(nullptr, POINT{150, 50}, mouse));

  // A child reaching into the padding is not hit there unless it floats.
  EXPECT_EQ(&root, root.LocateControl(nullptr, POINT{4, 4}, mouse));
  in_padding->SetFloat(true);
  root.SetPos(R(0, 0, 100, 101));
  EXPECT_EQ(in_padding, root.LocateControl(nullptr, POINT{4, 4}, mouse));

  // The box first when asked; children hidden from the mouse by mousechild.
  EXPECT_EQ(&root, root.LocateControl(nullptr, POINT{4, 4}, mouse | ui::kFindMeFirst));
  root.ApplyAttribute(L"mousechild", L"false");
  EXPECT_EQ(&root, root.LocateControl(nullptr, POINT{4, 4}, mouse));

  // Enabled-only searches skip disabled controls; the predicate decides.
  root.ApplyAttribute(L"mousechild", L"true");
  in_padding->SetEnabled(false);
  EXPECT_EQ(&root, root.LocateControl(nullptr, POINT{4, 4}, mouse | ui::kFindEnabled));
  auto only_named = [](Control* c) -> Control* { return c->GetName() == L"x" ? c : nullptr; };
  in_padding->SetName(L"x");
  EXPECT_EQ(in_padding, root.LocateControl(only_named, POINT{4, 4}, mouse));
}

// --- boxes ---------------------------------------------------------------------

TEST_F(ControlsTest, AddRefusesNullAndEntersNamesInTheWindow) {
  test_support::OffscreenHost host(100, 100);
  Box* root = new Box();
  host.AttachRoot(root);
  EXPECT_FALSE(root->Add(nullptr));
  Box* group = new Box();
  Control* a = new Control();
  a->SetName(L"a");
  group->Add(Owned(a));
  EXPECT_TRUE(root->Add(Owned(group)));
  EXPECT_EQ(a, host.FindControl(L"a"));
  EXPECT_EQ(root, a->GetParent()->GetParent());
  EXPECT_EQ(&host, a->GetWindow());

  // The same name again replaces the entry; a destroyed control leaves the map.
  Control* a2 = new Control();
  a2->SetName(L"a");
  root->Add(Owned(a2));
  EXPECT_EQ(a2, host.FindControl(L"a"));
  root->Remove(a2);
  EXPECT_EQ(nullptr, host.FindControl(L"a"));
  EXPECT_EQ(a, root->FindSubControl(L"a"));
}

TEST_F(ControlsTest, ResizeEventAndInvalidationFollowPositionChanges) {
  test_support::OffscreenHost host(200, 200);
  Box* root = new Box();
  Box* clip = new Box();
  clip->SetFixedWidth(50);
  clip->SetFixedHeight(50);
  Control* c = new Control();
  c->SetFixedWidth(10);
  c->SetFixedHeight(10);
  clip->Add(Owned(c));
  root->Add(Owned(clip));
  host.AttachRoot(root);
  host.LayoutIfNeeded();
  int resizes = 0;
  c->AttachResize([&](EventArgs*) { return ++resizes, true; });
  host.ResetInvalidRect();
  c->SetPos(R(40, 40, 80, 60));
  EXPECT_EQ(1, resizes);
  EXPECT_TRUE(SameRect(R(0, 0, 50, 50), host.GetInvalidRect()))
      << "old and new rectangles, cut by the ancestors";
  c->SetPos(R(40, 40, 80, 60));
  EXPECT_EQ(1, resizes) << "an unchanged rectangle sends nothing";
}

// --- size estimate -------------------------------------------------------------

TEST_F(ControlsTest, BackgroundImageSizesAnAutoControl) {
  const std::wstring png = SolidPng(L"auto12", 12, 12, kBlue);
  Control c;
  c.ApplyAttribute(L"width", L"auto");
  c.ApplyAttribute(L"height", L"auto");
  c.ApplyAttribute(L"bkimage", png);
  SIZE size = c.MeasureSize(500, 500);
  EXPECT_EQ(12, size.cx);
  EXPECT_EQ(12, size.cy);

  // A source rectangle fixes the control at the source's size.
  Control fixed;
  fixed.ApplyAttribute(L"width", L"auto");
  fixed.ApplyAttribute(L"height", L"auto");
  fixed.ApplyAttribute(L"bkimage", L"file='" + png + L"' source='1,1,21,21'");
  size = fixed.MeasureSize(500, 500);
  EXPECT_EQ(20, size.cx);
  EXPECT_EQ(20, size.cy);
  EXPECT_EQ(20, fixed.GetFixedWidth());
  EXPECT_FALSE(fixed.IsAutoWidth());
  EXPECT_FALSE(fixed.IsAutoHeight());

  // Only the auto dimension follows the image; the first state image set
  // sizes a control without a background image.
  Control half;
  half.ApplyAttribute(L"width", L"auto");
  half.ApplyAttribute(L"height", L"33");
  half.ApplyAttribute(L"hotimage", SolidPng(L"auto7x9", 7, 9, kBlue));
  size = half.MeasureSize(500, 500);
  EXPECT_EQ(7, size.cx);
  EXPECT_EQ(33, size.cy);

  // An image that cannot be loaded is dropped, and the auto size is 0.
  Control missing;
  missing.ApplyAttribute(L"width", L"auto");
  missing.ApplyAttribute(L"height", L"auto");
  missing.ApplyAttribute(L"bkimage", L"Z:\\no\\such\\image.png");
  size = missing.MeasureSize(500, 500);
  EXPECT_EQ(0, size.cx);
  EXPECT_EQ(0, size.cy);
  EXPECT_TRUE(missing.GetBkImage().empty());
}

// --- preloading ----------------------------------------------------------------

TEST_F(ControlsTest, PreloadLoadsWhatTheNextPaintDrawsOfVisibleControlsOnly) {
  Box box;
  auto* shown = new Control;
  shown->ApplyAttribute(L"bkimage", SolidPng(L"preload_bk", 4, 4, kBlue));
  shown->ApplyAttribute(L"normalimage", SolidPng(L"preload_normal", 4, 4, kGreen));
  shown->ApplyAttribute(L"hotimage", SolidPng(L"preload_hot", 4, 4, kRed));
  auto* hidden = new Control;
  hidden->ApplyAttribute(L"bkimage", SolidPng(L"preload_hidden", 4, 4, kWhite));
  hidden->SetVisible(false);
  ASSERT_TRUE(box.Add(Owned(shown)));
  ASSERT_TRUE(box.Add(Owned(hidden)));

  box.PreloadImages();
  EXPECT_TRUE(shown->GetBkImageSpec().image);
  EXPECT_TRUE(shown->GetStateImageSpec(ui::kControlStateNormal).image);
  EXPECT_FALSE(shown->GetStateImageSpec(ui::kControlStateHot).image) << "a state not shown yet was decoded";
  EXPECT_FALSE(hidden->GetBkImageSpec().image) << "a hidden control's image was decoded";
}

}  // namespace
}  // namespace controls_test
