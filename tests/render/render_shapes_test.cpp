// Fills, colour names, lines and rectangles, and a scene saved as a PNG for
// a person to look at.
#include <gtest/gtest.h>

#include <cstdlib>

#include "render_test_support.h"

namespace {

using render_test::CountInk;
using render_test::MakeImage;
using render_test::PixelOf;
using render_test::RenderTest;

class RenderShapesTest : public RenderTest {};

TEST_F(RenderShapesTest, FillWithOpacityScalesOnlyAlpha) {
  auto context = MakeContext(10, 10);
  context->FillRect({0, 0, 10, 10}, 0xFFC08040, 128);
  render_test::Pixel p = PixelOf(*context, 5, 5);
  EXPECT_EQ(128, p.a) << "opacity 128 of an opaque colour";
  // Stored premultiplied: the colour itself is unchanged.
  EXPECT_NEAR(0xC0, p.r * 255 / p.a, 2);
  EXPECT_NEAR(0x80, p.g * 255 / p.a, 2);
  EXPECT_NEAR(0x40, p.b * 255 / p.a, 2);

  // Full opacity uses the colour as it is; the rectangle is filled exactly.
  context->Clear();
  context->FillRect({2, 3, 6, 8}, 0xFFC08040);
  EXPECT_EQ((render_test::Pixel{0x40, 0x80, 0xC0, 0xFF}), PixelOf(*context, 2, 3));
  EXPECT_EQ(4 * 5, CountInk(*context, {0, 0, 10, 10}));

  // Opacity applies to a translucent colour's own alpha: 0x80 x 128 / 255.
  context->Clear();
  context->FillRect({0, 0, 10, 10}, 0x80FFFFFF, 128);
  EXPECT_EQ(64, PixelOf(*context, 5, 5).a);
}

TEST_F(RenderShapesTest, ColourNamesResolveThroughTheTable) {
  auto context = MakeContext(10, 10);
  context->DrawColor({0, 0, 10, 10}, L"green");
  EXPECT_EQ((render_test::Pixel{0x96, 0xBB, 0x00, 0xFF}), PixelOf(*context, 5, 5));

  // A name global.xml never declared resolves to 0 and draws nothing; so
  // does an empty name.
  context->Clear();
  context->DrawColor({0, 0, 10, 10}, L"undeclared_colour");
  context->DrawColor({0, 0, 10, 10}, L"");
  EXPECT_EQ(0, CountInk(*context, {0, 0, 10, 10}));
  EXPECT_EQ(0u, colors_.LookupColor(L"undeclared_colour"));
}

TEST_F(RenderShapesTest, LinesAndRectangleOutlines) {
  auto context = MakeContext(40, 40);
  // A horizontal one-pixel line from the rectangle's left-top to its
  // right-bottom.
  context->DrawLine({5, 10, 30, 10}, 1, 0xFF000000);
  EXPECT_GT(PixelOf(*context, 15, 10).a, 0);
  EXPECT_EQ(0, PixelOf(*context, 15, 13).a);

  // An outline is drawn on its edges, not inside.
  context->Clear();
  context->DrawRect({10, 10, 30, 30}, 1, 0xFF000000);
  EXPECT_GT(PixelOf(*context, 10, 20).a, 0) << "left edge";
  EXPECT_GT(PixelOf(*context, 20, 10).a, 0) << "top edge";
  EXPECT_GT(PixelOf(*context, 30, 20).a, 0) << "right edge at left + width";
  EXPECT_GT(PixelOf(*context, 20, 30).a, 0) << "bottom edge at top + height";
  EXPECT_EQ(0, PixelOf(*context, 20, 20).a) << "inside stays empty";

  // A round rectangle leaves its corners out.
  context->Clear();
  context->DrawRoundRect({5, 5, 35, 35}, {14, 14}, 2, 0xFF000000);
  EXPECT_GT(PixelOf(*context, 20, 5).a, 0);
  EXPECT_EQ(0, PixelOf(*context, 5, 5).a) << "corner is rounded off";
  EXPECT_EQ(0, PixelOf(*context, 20, 20).a);
}

// Pixels of `rect` within `tolerance` of the opaque colour 0xRRGGBB.
int CountNear(ui::IRenderContext& context, const RECT& rect, DWORD rgb, int tolerance) {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      render_test::Pixel p = PixelOf(context, x, y);
      if (p.a == 0xFF && std::abs(p.r - int((rgb >> 16) & 0xFF)) <= tolerance &&
          std::abs(p.g - int((rgb >> 8) & 0xFF)) <= tolerance && std::abs(p.b - int(rgb & 0xFF)) <= tolerance) {
        ++count;
      }
    }
  }
  return count;
}

// A small installer-like scene: its parts land where they were drawn, and
// the PNG saved for a person to look at holds exactly those pixels.
TEST_F(RenderShapesTest, SceneScreenshot) {
  auto context = MakeContext(320, 160);
  context->SetRenderTransparent(true);
  context->FillRect({0, 0, 320, 160}, 0xFFFFFFFF);
  auto button = MakeImage(30, 30, [](int x, int y) {
    bool edge = x < 4 || y < 4 || x >= 26 || y >= 26;
    return edge ? 0xFF008F73u : 0xFF00BB96u;
  });
  context->DrawImage({0, 0, 320, 160}, button.get(), false, {20, 90, 300, 140}, {0, 0, 30, 30},
                     {4, 4, 4, 4});
  context->RenderText({20, 90, 300, 140}, L"一键安装", 0xFFFFFFFF, L"system_bold_36",
                      DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  context->RenderText({20, 10, 300, 40}, L"下载中... 42%", 0xFF333333, L"system_16",
                      DT_SINGLELINE | DT_VCENTER);
  context->FillRect({20, 50, 300, 58}, 0xFFE0E0E0);
  context->FillRect({20, 50, 138, 58}, 0xFF00BB96);
  context->RenderText({20, 62, 300, 86}, L"Orvane 云桌面客户端", 0xFF8E99A6, L"system_12",
                      DT_SINGLELINE | DT_RIGHT);
  context->RestoreAlpha({0, 0, 320, 160}, {0, 0, 0, 0});

  using render_test::Pixel;
  EXPECT_EQ((Pixel{0xFF, 0xFF, 0xFF, 0xFF}), PixelOf(*context, 5, 5)) << "background";
  EXPECT_EQ((Pixel{0x96, 0xBB, 0x00, 0xFF}), PixelOf(*context, 137, 54)) << "last pixel of the bar's fill";
  EXPECT_EQ((Pixel{0xE0, 0xE0, 0xE0, 0xFF}), PixelOf(*context, 138, 54)) << "first pixel of the bar's track";
  EXPECT_EQ((Pixel{0x73, 0x8F, 0x00, 0xFF}), PixelOf(*context, 21, 91)) << "the button's unstretched corner";
  EXPECT_EQ((Pixel{0x96, 0xBB, 0x00, 0xFF}), PixelOf(*context, 40, 115)) << "the button's stretched middle";
  EXPECT_GT(CountNear(*context, {80, 95, 240, 135}, 0xFFFFFF, 16), 150) << "no white label on the button";
  EXPECT_EQ(0, CountNear(*context, {20, 95, 80, 135}, 0xFFFFFF, 16)) << "the centred label reaches the button's left";
  EXPECT_GT(CountNear(*context, {20, 10, 300, 40}, 0x333333, 40), 50) << "no dark status line";
  EXPECT_GT(CountNear(*context, {150, 62, 300, 86}, 0x8E99A6, 30), 30) << "no grey caption at the right";
  EXPECT_EQ(0, CountNear(*context, {20, 62, 120, 86}, 0x8E99A6, 30)) << "the right-aligned caption reaches the left";

  std::wstring path = render_test::SaveScreenshot(*context, L"render_scene");
  ASSERT_FALSE(path.empty()) << "the screenshot could not be written";
  Gdiplus::Bitmap saved(path.c_str());
  ASSERT_EQ(Gdiplus::Ok, saved.GetLastStatus()) << "the screenshot does not load as an image";
  ASSERT_EQ(320u, saved.GetWidth());
  ASSERT_EQ(160u, saved.GetHeight());
  int differing = 0;
  for (int y = 0; y < 160; ++y) {
    for (int x = 0; x < 320; ++x) {
      Gdiplus::Color colour;
      saved.GetPixel(x, y, &colour);
      if (colour.GetValue() != render_test::PackedOf(PixelOf(*context, x, y))) ++differing;
    }
  }
  EXPECT_EQ(0, differing) << "the saved PNG differs from the rendering";
}

}  // namespace
