// DrawImage: nine-slice corners, stretching, tiling and opacity.
#include <gtest/gtest.h>

#include "render_test_support.h"

namespace {

using render_test::CountInk;
using render_test::MakeImage;
using render_test::PackedOf;
using render_test::PixelOf;
using render_test::RenderTest;

class DrawImageTest : public RenderTest {};

// 30 x 30: each 10 x 10 corner holds a checkerboard in its own colour (so
// any scaling would smear it), the edges are green, the centre blue.
DWORD NineSliceColour(int x, int y) {
  const bool left = x < 10, right = x >= 20, top = y < 10, bottom = y >= 20;
  if ((left || right) && (top || bottom)) {
    if ((x + y) % 2) return 0xFF000000;
    if (left && top) return 0xFFFF0000;
    if (right && top) return 0xFFFFFF00;
    if (left && bottom) return 0xFFFF00FF;
    return 0xFF00FFFF;
  }
  if (left || right || top || bottom) return 0xFF00FF00;
  return 0xFF0000FF;
}

TEST_F(DrawImageTest, NineSliceKeepsCornersSharp) {
  auto image = MakeImage(30, 30, NineSliceColour);
  auto context = MakeContext(200, 40);
  // As in a layered window: every part is blended, so alpha is exact too.
  context->SetRenderTransparent(true);
  context->DrawImage({0, 0, 200, 40}, image.get(), false, {0, 0, 200, 40}, {0, 0, 30, 30},
                     {10, 10, 10, 10});

  // Every corner pixel is the source corner pixel, unscaled.
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      EXPECT_EQ(NineSliceColour(x, y), PackedOf(PixelOf(*context, x, y)))
          << "left-top corner at " << x << "," << y;
      EXPECT_EQ(NineSliceColour(20 + x, y), PackedOf(PixelOf(*context, 190 + x, y)))
          << "right-top corner at " << x << "," << y;
      EXPECT_EQ(NineSliceColour(x, 20 + y), PackedOf(PixelOf(*context, x, 30 + y)))
          << "left-bottom corner at " << x << "," << y;
      EXPECT_EQ(NineSliceColour(20 + x, 20 + y), PackedOf(PixelOf(*context, 190 + x, 30 + y)))
          << "right-bottom corner at " << x << "," << y;
    }
  }
  // Edges stretch along their length and keep their thickness; the centre
  // fills the rest.
  EXPECT_EQ(0xFF00FF00u, PackedOf(PixelOf(*context, 100, 0))) << "top edge";
  EXPECT_EQ(0xFF00FF00u, PackedOf(PixelOf(*context, 100, 9)));
  EXPECT_EQ(0xFF00FF00u, PackedOf(PixelOf(*context, 100, 35))) << "bottom edge";
  EXPECT_EQ(0xFF00FF00u, PackedOf(PixelOf(*context, 5, 20))) << "left edge";
  EXPECT_EQ(0xFF00FF00u, PackedOf(PixelOf(*context, 195, 20))) << "right edge";
  EXPECT_EQ(0xFF0000FFu, PackedOf(PixelOf(*context, 100, 20))) << "centre";
  EXPECT_EQ(0xFF0000FFu, PackedOf(PixelOf(*context, 10, 10)));
  EXPECT_EQ(0xFF0000FFu, PackedOf(PixelOf(*context, 189, 29)));

  render_test::SaveScreenshot(*context, L"render_nine_slice");
}

TEST_F(DrawImageTest, XTiledCentreRepeatsAtItsOwnWidth) {
  // 16 columns, each its own colour.
  auto column_colour = [](int x, int) { return 0xFF000000u | DWORD(x * 15) << 8 | 0x10; };
  auto image = MakeImage(16, 4, column_colour);
  auto context = MakeContext(60, 10);
  context->SetRenderTransparent(true);
  context->DrawImage({0, 0, 60, 10}, image.get(), false, {0, 0, 40, 8}, {0, 0, 16, 4},
                     {0, 0, 0, 0}, 255, true, false);

  // Three tiles: 0-15, 16-31 and a last one cut to 8 pixels (32-39) showing
  // the first 8 source columns.
  for (int x = 0; x < 40; ++x) {
    EXPECT_EQ(column_colour(x % 16, 0), PackedOf(PixelOf(*context, x, 0))) << "column " << x;
    // Not tiled vertically: the 4 source rows are stretched over 8.
    EXPECT_EQ(column_colour(x % 16, 0), PackedOf(PixelOf(*context, x, 7))) << "column " << x;
  }
  EXPECT_EQ(0, CountInk(*context, {40, 0, 60, 10})) << "the last tile stops at the edge";
  EXPECT_EQ(0, CountInk(*context, {0, 8, 60, 10}));
}

TEST_F(DrawImageTest, YTiledAndBothTiled) {
  auto row_colour = [](int x, int y) { return 0xFF000000u | DWORD(y * 20) << 16 | DWORD(x * 20); };
  auto image = MakeImage(6, 6, row_colour);

  // Down only: rows repeat every 6 pixels, the last tile cut to 2 rows.
  auto down = MakeContext(12, 20);
  down->SetRenderTransparent(true);
  down->DrawImage({0, 0, 12, 20}, image.get(), false, {0, 0, 6, 14}, {0, 0, 6, 6}, {0, 0, 0, 0},
                  255, false, true);
  for (int y = 0; y < 14; ++y)
    EXPECT_EQ(row_colour(0, y % 6), PackedOf(PixelOf(*down, 0, y))) << "row " << y;
  EXPECT_EQ(0, CountInk(*down, {0, 14, 12, 20}));

  // Both ways: a grid of whole tiles, cut at the right and bottom.
  auto grid = MakeContext(20, 20);
  grid->SetRenderTransparent(true);
  grid->DrawImage({0, 0, 20, 20}, image.get(), false, {0, 0, 15, 9}, {0, 0, 6, 6}, {0, 0, 0, 0},
                  255, true, true);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 15; ++x)
      ASSERT_EQ(row_colour(x % 6, y % 6), PackedOf(PixelOf(*grid, x, y))) << x << "," << y;
  EXPECT_EQ(15 * 9, CountInk(*grid, {0, 0, 20, 20}));
}

TEST_F(DrawImageTest, OpacityAlphaAndPaintRectangle) {
  auto opaque = MakeImage(4, 4, [](int, int) { return 0xFFFFFFFFu; });
  auto context = MakeContext(20, 10);

  // Opacity scales every pixel's alpha.
  context->DrawImage({0, 0, 20, 10}, opaque.get(), false, {0, 0, 4, 4}, {0, 0, 4, 4},
                     {0, 0, 0, 0}, 128);
  EXPECT_NEAR(128, PixelOf(*context, 1, 1).a, 1);
  EXPECT_NEAR(128, PixelOf(*context, 1, 1).r, 1) << "premultiplied";

  // An image with per-pixel alpha blends by it.
  auto half = MakeImage(4, 4, [](int, int) { return 0x80800000u; });
  context->DrawImage({0, 0, 20, 10}, half.get(), true, {10, 0, 14, 4}, {0, 0, 4, 4},
                     {0, 0, 0, 0});
  EXPECT_NEAR(128, PixelOf(*context, 11, 1).a, 1);

  // Nothing when the destination misses the paint rectangle or there is no
  // bitmap.
  context->Clear();
  context->DrawImage({0, 0, 5, 5}, opaque.get(), false, {10, 0, 14, 4}, {0, 0, 4, 4},
                     {0, 0, 0, 0});
  context->DrawImage({0, 0, 20, 10}, nullptr, false, {0, 0, 4, 4}, {0, 0, 4, 4}, {0, 0, 0, 0});
  EXPECT_EQ(0, CountInk(*context, {0, 0, 20, 10}));

  // A source rectangle reaching past the image draws the part that exists
  // instead of failing.
  context->DrawImage({0, 0, 20, 10}, opaque.get(), false, {0, 0, 4, 4}, {0, 0, 40, 40},
                     {0, 0, 0, 0});
  EXPECT_EQ(16, CountInk(*context, {0, 0, 20, 10}));
}

TEST_F(DrawImageTest, DestinationLargerThanThePaintRectangleIsCutAtIt) {
  // An image whose destination reaches past its control (the paint
  // rectangle 4..12 x 2..8) must not paint the control's neighbours, with or
  // without nine-slice corners and tiling.
  auto opaque = MakeImage(4, 4, [](int, int) { return 0xFFFFFFFFu; });
  auto context = MakeContext(20, 10);
  context->SetRenderTransparent(true);  // blended, so every drawn pixel has alpha
  const RECT paint{4, 2, 12, 8};
  context->DrawImage(paint, opaque.get(), false, {0, 0, 20, 10}, {0, 0, 4, 4}, {0, 0, 0, 0});
  EXPECT_EQ(48, CountInk(*context, {0, 0, 20, 10})) << "stretched image bled out";
  context->Clear();
  context->DrawImage(paint, opaque.get(), false, {0, 0, 20, 10}, {0, 0, 4, 4}, {1, 1, 1, 1});
  EXPECT_EQ(48, CountInk(*context, {0, 0, 20, 10})) << "nine-slice image bled out";
  context->Clear();
  context->DrawImage(paint, opaque.get(), false, {0, 0, 20, 10}, {0, 0, 4, 4}, {0, 0, 0, 0},
                     255, true, true);
  EXPECT_EQ(48, CountInk(*context, {0, 0, 20, 10})) << "tiled image bled out";
}

TEST_F(DrawImageTest, TilingWalksOnlyTheTilesOfThePaintRectangleAndKeepsTheirPlaces) {
  // Two columns of their own colours, tiled both ways over a destination of
  // 2^30 x 2^30 pixels that starts at x = 1: a walk over all of its tiles
  // would not end.
  auto colour = [](int x, int) { return x ? 0xFF0000FFu : 0xFFFF0000u; };
  auto image = MakeImage(2, 1, colour);
  auto context = MakeContext(20, 10);
  context->SetRenderTransparent(true);
  const RECT paint{5, 3, 13, 7};
  context->DrawImage(paint, image.get(), false, {1, 0, 1 << 30, 1 << 30}, {0, 0, 2, 1},
                     {0, 0, 0, 0}, 255, true, true);
  for (int y = paint.top; y < paint.bottom; ++y)
    for (int x = paint.left; x < paint.right; ++x)
      ASSERT_EQ(colour((x - 1) % 2, 0), PackedOf(PixelOf(*context, x, y))) << x << "," << y;
  EXPECT_EQ(8 * 4, CountInk(*context, {0, 0, 20, 10}));
}

TEST_F(DrawImageTest, OpaqueContextStretchesWithAPlainCopy) {
  // Not transparent, opaque image, scaled: a plain stretched copy. GDI
  // copies only colour (alpha is left for RestoreAlpha), and a nine-slice
  // image looks the same as when blended.
  auto image = MakeImage(30, 30, NineSliceColour);
  auto context = MakeContext(200, 40);
  context->DrawImage({0, 0, 200, 40}, image.get(), false, {0, 0, 200, 40}, {0, 0, 30, 30},
                     {10, 10, 10, 10});
  context->RestoreAlpha({0, 0, 200, 40}, {0, 0, 0, 0});
  EXPECT_EQ(NineSliceColour(0, 0), PackedOf(PixelOf(*context, 0, 0)));
  EXPECT_EQ(NineSliceColour(1, 0), PackedOf(PixelOf(*context, 1, 0))) << "corner kept sharp";
  EXPECT_EQ(0xFF00FF00u, PackedOf(PixelOf(*context, 100, 5))) << "top edge";
  EXPECT_EQ(0xFF0000FFu, PackedOf(PixelOf(*context, 100, 20))) << "centre";
  EXPECT_EQ(0xFF0000FFu, PackedOf(PixelOf(*context, 189, 29)));
}

}  // namespace
