// Painting on real pixels: the order of the layers, borders, state images
// with their fallbacks, image destinations, round clips and children.
#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>
#include <string>

#include "controls_support.h"
#include "support/offscreen_host.h"
#include "support/paths.h"
#include "ui/controls/box.h"
#include "ui/controls/control.h"

namespace controls_test {
namespace {

using ui::Box;
using ui::Control;

std::string Hex(DWORD v) {
  std::ostringstream out;
  out << "0x" << std::hex << std::setw(8) << std::setfill('0') << v;
  return out.str();
}

::testing::AssertionResult PixelIs(const test_support::OffscreenHost& host, int x, int y, DWORD argb) {
  DWORD got = host.GetPixel(x, y);
  if (got == argb) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") is " << Hex(got)
                                       << ", expected " << Hex(argb);
}

// A host whose root is a plain box holding `child` at the top-left.
struct Scene {
  explicit Scene(Control* child, int width = 60, int height = 40) : host(width, height) {
    Box* root = new Box();
    root->Add(Owned(child));
    host.AttachRoot(root);
    host.PaintAll();
  }
  test_support::OffscreenHost host;
};

Control* Sized(int width, int height) {
  Control* c = new Control();
  c->SetFixedWidth(width);
  c->SetFixedHeight(height);
  return c;
}

class PaintTest : public ControlsTest {};

TEST_F(PaintTest, UniformBorderOfOneIsAFullOnePixelRectangle) {
  Control* c = Sized(20, 10);
  c->ApplyAttribute(L"bordercolor", L"red");
  c->ApplyAttribute(L"bordersize", L"1");
  Scene scene(c);
  for (int x = 0; x < 20; ++x) {
    EXPECT_TRUE(PixelIs(scene.host, x, 0, kRed));
    EXPECT_TRUE(PixelIs(scene.host, x, 9, kRed));
  }
  for (int y = 0; y < 10; ++y) {
    EXPECT_TRUE(PixelIs(scene.host, 0, y, kRed));
    EXPECT_TRUE(PixelIs(scene.host, 19, y, kRed));
  }
  EXPECT_TRUE(PixelIs(scene.host, 10, 5, 0)) << "inside stays empty";
  EXPECT_TRUE(PixelIs(scene.host, 20, 5, 0)) << "nothing outside the control";
  EXPECT_TRUE(PixelIs(scene.host, 10, 10, 0)) << "nothing outside the control";
}

TEST_F(PaintTest, PerSideBordersDrawOnlyTheirSides) {
  Control* c = Sized(20, 10);
  c->ApplyAttribute(L"bordercolor", L"red");
  c->ApplyAttribute(L"bordersize", L"0,1,0,1");
  Scene scene(c);
  for (int x = 0; x < 19; ++x) {
    EXPECT_TRUE(PixelIs(scene.host, x, 0, kRed));
    EXPECT_TRUE(PixelIs(scene.host, x, 9, kRed));
  }
  for (int y = 2; y < 8; ++y) {
    EXPECT_TRUE(PixelIs(scene.host, 0, y, 0)) << "no left line";
    EXPECT_TRUE(PixelIs(scene.host, 19, y, 0)) << "no right line";
  }
  EXPECT_TRUE(PixelIs(scene.host, 10, 5, 0));

  // A three-pixel left side covers columns 0 to 2 (centred at left + 1).
  Control* thick = Sized(20, 10);
  thick->ApplyAttribute(L"bordercolor", L"blue");
  thick->ApplyAttribute(L"leftbordersize", L"3");
  Scene scene3(thick);
  for (int x = 0; x < 3; ++x) EXPECT_TRUE(PixelIs(scene3.host, x, 5, kBlue));
  EXPECT_TRUE(PixelIs(scene3.host, 3, 5, 0));

  // A border colour that resolves to 0 draws nothing.
  Control* unknown = Sized(20, 10);
  unknown->ApplyAttribute(L"bordercolor", L"no_such_colour");
  unknown->ApplyAttribute(L"bordersize", L"1");
  Scene scene0(unknown);
  EXPECT_TRUE(PixelIs(scene0.host, 0, 0, 0));
}

TEST_F(PaintTest, LayersPaintBackgroundThenImageThenStateColourThenBorder) {
  const std::wstring blue = SolidPng(L"layer_blue_4", 4, 4, kBlue);
  Control* c = Sized(30, 20);
  c->ApplyAttribute(L"bkcolor", L"red");
  c->ApplyAttribute(L"bkimage", L"file='" + blue + L"' dest='0,0,10,20'");
  c->ApplyAttribute(L"normalimage", L"file='" + SolidPng(L"layer_white_4", 4, 4, kWhite) +
                                         L"' dest='20,0,30,20'");
  c->ApplyAttribute(L"normalcolor", L"no_colour_here");
  c->ApplyAttribute(L"bordercolor", L"black");
  c->ApplyAttribute(L"topbordersize", L"1");
  Scene scene(c);
  EXPECT_TRUE(PixelIs(scene.host, 15, 10, kRed)) << "background colour where nothing covers it";
  EXPECT_TRUE(PixelIs(scene.host, 5, 10, kBlue)) << "background image over the colour";
  EXPECT_TRUE(PixelIs(scene.host, 25, 10, kWhite)) << "state image over the background";
  EXPECT_TRUE(PixelIs(scene.host, 5, 0, kBlack)) << "border on top of everything";
  EXPECT_TRUE(PixelIs(scene.host, 35, 10, 0)) << "dest is relative to the control";

  // A state colour covers the background image.
  c->ApplyAttribute(L"normalcolor", L"green");
  scene.host.PaintAll();
  EXPECT_TRUE(PixelIs(scene.host, 5, 10, kGreen));
  EXPECT_TRUE(PixelIs(scene.host, 25, 10, kWhite));
}

TEST_F(PaintTest, PushedWithoutPushedImageShowsTheHotImage) {
  Control* c = Sized(10, 10);
  c->ApplyAttribute(L"normalimage", SolidPng(L"state_red", 10, 10, kRed));
  c->ApplyAttribute(L"hotimage", SolidPng(L"state_green", 10, 10, kGreen));
  c->ApplyAttribute(L"disabledimage", L"");
  Scene scene(c);
  EXPECT_TRUE(PixelIs(scene.host, 5, 5, kRed));
  scene.host.MouseMove(POINT{5, 5});
  scene.host.PaintAll();
  EXPECT_TRUE(PixelIs(scene.host, 5, 5, kGreen));
  scene.host.ButtonDown(POINT{5, 5});
  scene.host.PaintAll();
  EXPECT_EQ(ui::kControlStatePushed, c->GetState());
  EXPECT_TRUE(PixelIs(scene.host, 5, 5, kGreen)) << "pressed without a pushed image looks hot";
  scene.host.ButtonUp(POINT{5, 5});

  // With a pushed image, that one shows.
  c->ApplyAttribute(L"pushedimage", SolidPng(L"state_blue", 10, 10, kBlue));
  scene.host.ButtonDown(POINT{5, 5});
  scene.host.PaintAll();
  EXPECT_TRUE(PixelIs(scene.host, 5, 5, kBlue));
  scene.host.ButtonUp(POINT{5, 5});

  // Disabled without a disabled image falls back to the normal image.
  c->SetEnabled(false);
  scene.host.PaintAll();
  EXPECT_TRUE(PixelIs(scene.host, 5, 5, kRed));
}

TEST_F(PaintTest, MissingImageIsDroppedAndNothingIsDrawn) {
  Control* c = Sized(10, 10);
  c->ApplyAttribute(L"bkimage", L"Z:\\no\\such\\file.png");
  Scene scene(c);
  EXPECT_TRUE(PixelIs(scene.host, 5, 5, 0));
  EXPECT_TRUE(c->GetBkImage().empty()) << "an image that cannot load is not tried again";
}

TEST_F(PaintTest, BorderRoundClipsCornersAndChildren) {
  Box* rounded = new Box();
  rounded->SetFixedWidth(40);
  rounded->SetFixedHeight(40);
  rounded->ApplyAttribute(L"bkcolor", L"red");
  rounded->ApplyAttribute(L"borderround", L"20,20");
  Control* child = new Control();
  child->ApplyAttribute(L"bkcolor", L"green");
  rounded->Add(Owned(child));
  Scene scene(rounded);
  EXPECT_TRUE(PixelIs(scene.host, 20, 20, kGreen));
  EXPECT_EQ(0u, scene.host.GetPixel(0, 0) >> 24) << "the corner is cut away, child included";
  EXPECT_EQ(0u, scene.host.GetPixel(39, 39) >> 24);
}

TEST_F(PaintTest, ChildrenPaintInListOrderAndOnlyWhenVisible) {
  Box* box = new Box();
  box->SetFixedWidth(30);
  box->SetFixedHeight(30);
  Control* first = Sized(20, 20);
  first->ApplyAttribute(L"bkcolor", L"red");
  Control* second = Sized(10, 10);
  second->ApplyAttribute(L"bkcolor", L"blue");
  second->ApplyAttribute(L"halign", L"right");
  second->ApplyAttribute(L"margin", L"0,0,15,0");
  box->Add(Owned(first));
  box->Add(Owned(second));
  Scene scene(box);
  EXPECT_TRUE(PixelIs(scene.host, 8, 5, kBlue)) << "the later child covers the earlier one";
  EXPECT_TRUE(PixelIs(scene.host, 3, 15, kRed));
  second->SetVisible(false);
  scene.host.PaintAll();
  EXPECT_TRUE(PixelIs(scene.host, 8, 5, kRed));
}

TEST_F(PaintTest, OnlyTheDirtyRectangleIsRepaintedWithAnOpaqueColour) {
  Control* c = Sized(40, 20);
  c->ApplyAttribute(L"bkcolor", L"red");
  Scene scene(c);
  c->SetBkColor(L"green");
  RECT dirty{0, 0, 10, 20};
  scene.host.GetRoot()->Paint(scene.host.GetRenderContext(), dirty);
  EXPECT_TRUE(PixelIs(scene.host, 5, 5, kGreen));
  EXPECT_TRUE(PixelIs(scene.host, 30, 5, kRed)) << "outside the dirty rectangle nothing changes";
}

TEST_F(PaintTest, ControlAlphaBlendsTheControlAndItsChildren) {
  Box* box = new Box();
  box->SetFixedWidth(20);
  box->SetFixedHeight(20);
  box->ApplyAttribute(L"bkcolor", L"red");
  box->ApplyAttribute(L"alpha", L"128");
  Control* child = Sized(10, 10);
  child->ApplyAttribute(L"bkcolor", L"blue");
  box->Add(Owned(child));
  Scene scene(box);
  const DWORD red = scene.host.GetPixel(15, 15);
  const DWORD blue = scene.host.GetPixel(5, 5);
  EXPECT_NEAR(128, static_cast<int>(red >> 24), 1) << Hex(red);
  EXPECT_NEAR(128, static_cast<int>((red >> 16) & 0xFF), 1) << "premultiplied red " << Hex(red);
  EXPECT_NEAR(128, static_cast<int>(blue & 0xFF), 1) << "the child fades with it " << Hex(blue);
  EXPECT_EQ(0u, blue & 0x00FFFF00);

  box->ApplyAttribute(L"alpha", L"0");
  scene.host.PaintAll();
  EXPECT_TRUE(PixelIs(scene.host, 15, 15, 0));
}

TEST_F(PaintTest, HotFadeBlendsTheHotColourInSteps) {
  Control* c = Sized(10, 10);
  c->ApplyAttribute(L"normalcolor", L"red");
  c->ApplyAttribute(L"hotcolor", L"blue");
  c->ApplyAttribute(L"fadehot", L"true");
  Scene scene(c);
  scene.host.MouseMove(POINT{5, 5});
  EXPECT_EQ(ui::kControlStateHot, c->GetState());
  EXPECT_EQ(0, c->GetHotAlpha()) << "the fade starts from nothing";
  scene.host.FireTimers();
  scene.host.FireTimers();
  EXPECT_EQ(102, c->GetHotAlpha());
  scene.host.PaintAll();
  const DWORD mid = scene.host.GetPixel(5, 5);
  EXPECT_GT(mid & 0xFF, 0u) << "some blue " << Hex(mid);
  EXPECT_GT((mid >> 16) & 0xFF, 0u) << "some red left " << Hex(mid);
  for (int i = 0; i < 5; ++i) scene.host.FireTimers();
  EXPECT_EQ(255, c->GetHotAlpha());
  scene.host.PaintAll();
  EXPECT_TRUE(PixelIs(scene.host, 5, 5, kBlue));

  scene.host.MouseMove(POINT{50, 30});
  EXPECT_EQ(ui::kControlStateNormal, c->GetState());
  for (int i = 0; i < 5; ++i) scene.host.FireTimers();
  EXPECT_EQ(0, c->GetHotAlpha());
  scene.host.PaintAll();
  EXPECT_TRUE(PixelIs(scene.host, 5, 5, kRed));
}

TEST_F(PaintTest, HotFadeCrossesFromTheNormalToTheHotImage) {
  Control* c = Sized(10, 10);
  c->ApplyAttribute(L"normalimage", SolidPng(L"fade_red", 10, 10, kRed));
  c->ApplyAttribute(L"hotimage", SolidPng(L"fade_blue", 10, 10, kBlue));
  c->ApplyAttribute(L"fadehot", L"true");
  Scene scene(c);
  EXPECT_TRUE(PixelIs(scene.host, 5, 5, kRed));
  scene.host.MouseMove(POINT{5, 5});
  for (int i = 0; i < 5; ++i) scene.host.FireTimers();
  scene.host.PaintAll();
  EXPECT_TRUE(PixelIs(scene.host, 5, 5, kBlue)) << "the hot image at full opacity over the normal";

  // The same spec for both draws once, at a mix of the two fades.
  Control* same = Sized(10, 10);
  const std::wstring green = SolidPng(L"fade_green", 10, 10, kGreen);
  same->ApplyAttribute(L"normalimage", L"file='" + green + L"' fade='0'");
  same->ApplyAttribute(L"hotimage", L"file='" + green + L"' fade='0'");
  same->ApplyAttribute(L"fadehot", L"true");
  Scene once(same);
  EXPECT_TRUE(PixelIs(once.host, 5, 5, 0)) << "fade 0 draws nothing";
}

// The installer's start view in plain colours, saved for a look.
TEST_F(PaintTest, ScreenshotOfAStartViewTree) {
  test_support::OffscreenHost host(988, 653);
  ui::VBox* root = new ui::VBox();
  root->ApplyAttribute(L"bkcolor", L"white");
  root->ApplyAttribute(L"borderround", L"20,20");
  root->ApplyAttribute(L"bordercolor", L"black");
  root->ApplyAttribute(L"bordersize", L"2");
  ui::HBox* title = new ui::HBox();
  title->ApplyAttributeText(L"height=\"65\" bkcolor=\"blue\"");
  Control* logo = new Control();
  logo->ApplyAttributeText(L"width=\"125\" height=\"32\" margin=\"30,30,0,0\" bkcolor=\"green\"");
  title->Add(Owned(logo));
  title->Add(std::make_unique<Control>());
  for (const wchar_t* attrs : {L"width=\"16\" height=\"16\" margin=\"30,30,0,30\" bkcolor=\"white\"",
                               L"width=\"16\" height=\"16\" margin=\"30,30,30,0\" bkcolor=\"red\""}) {
    Control* button = new Control();
    button->ApplyAttributeText(attrs);
    title->Add(Owned(button));
  }
  ui::VBox* begin = new ui::VBox();
  Control* big_logo = new Control();
  big_logo->ApplyAttributeText(
      L"width=\"300\" height=\"120\" margin=\"0,107,0,0\" halign=\"center\" bkcolor=\"green\"");
  Control* install = new Control();
  install->ApplyAttributeText(
      L"width=\"216\" height=\"54\" margin=\"0,50,0,0\" halign=\"center\" bkcolor=\"blue\" "
      L"bordercolor=\"black\" bordersize=\"0,1,0,1\"");
  begin->Add(Owned(big_logo));
  begin->Add(Owned(install));
  root->Add(Owned(title));
  root->Add(Owned(begin));
  host.AttachRoot(root);
  host.PaintAll();

  EXPECT_TRUE(PixelIs(host, 500, 300, kWhite));
  EXPECT_EQ(0u, host.GetPixel(1, 1) >> 24) << "the round corner leaves the window corner clear";
  EXPECT_TRUE(PixelIs(host, 494, 65 + 107 + 120 + 50 + 20, kBlue)) << "install button centred";
  const std::wstring path = test_support::ScreenshotFolder() + L"\\controls_start_view.png";
  EXPECT_TRUE(host.SavePng(path));
}

}  // namespace
}  // namespace controls_test
