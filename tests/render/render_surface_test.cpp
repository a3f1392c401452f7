// The bitmap, alpha passes, origin and clips of the render context.
#include <gtest/gtest.h>

#include "render_test_support.h"

namespace {

using render_test::CountInk;
using render_test::PixelOf;
using render_test::RenderTest;

class RenderSurfaceTest : public RenderTest {};

TEST_F(RenderSurfaceTest, ResizeKeepsPixelsOnlyForTheSameSize) {
  auto context = factory_->CreateRenderContext();
  EXPECT_TRUE(context->Resize(20, 10)) << "the first resize makes a bitmap";
  EXPECT_EQ(20, context->GetWidth());
  EXPECT_EQ(10, context->GetHeight());
  EXPECT_EQ(0, CountInk(*context, {0, 0, 20, 10})) << "a new bitmap starts transparent";

  context->FillRect({0, 0, 20, 10}, 0xFF112233);
  EXPECT_FALSE(context->Resize(20, 10)) << "same size: nothing to do";
  EXPECT_EQ(200, CountInk(*context, {0, 0, 20, 10})) << "same size keeps the pixels";

  EXPECT_TRUE(context->Resize(30, 10));
  EXPECT_EQ(0, CountInk(*context, {0, 0, 30, 10})) << "a new size starts over";

  // Clear zeroes every byte.
  context->FillRect({0, 0, 30, 10}, 0xFF112233);
  context->Clear();
  EXPECT_EQ((render_test::Pixel{0, 0, 0, 0}), PixelOf(*context, 5, 5));
}

TEST_F(RenderSurfaceTest, CloneCopiesAndDetachHandsOverTheBitmap) {
  auto context = MakeContext(8, 8);
  context->FillRect({2, 2, 6, 6}, 0xFF00BB96);
  context->SetRenderTransparent(true);

  auto copy = context->Clone();
  ASSERT_EQ(8, copy->GetWidth());
  EXPECT_TRUE(copy->IsRenderTransparent());
  EXPECT_EQ(PixelOf(*context, 3, 3), PixelOf(*copy, 3, 3));
  EXPECT_EQ(16, CountInk(*copy, {0, 0, 8, 8}));
  // The copy is independent.
  copy->Clear();
  EXPECT_EQ(16, CountInk(*context, {0, 0, 8, 8}));

  base::unique_hbitmap detached(context->DetachBitmap());
  BITMAP info{};
  ASSERT_NE(0, ::GetObjectW(detached.get(), sizeof(info), &info)) << "no bitmap handed over";
  EXPECT_EQ(32, info.bmBitsPixel);
  EXPECT_EQ(nullptr, context->GetBits());
  EXPECT_TRUE(context->Resize(8, 8)) << "and can be sized again";
}

TEST_F(RenderSurfaceTest, AlphaClearAndRestore) {
  auto context = MakeContext(20, 20);
  context->FillRect({0, 0, 20, 20}, 0xFF204060);

  // Clearing sets every byte of the rectangle's pixels: transparent black,
  // with no colour left to leak into later blending.
  context->ClearAlpha({0, 0, 10, 20});
  EXPECT_EQ((render_test::Pixel{0, 0, 0, 0}), PixelOf(*context, 5, 5));
  EXPECT_EQ((render_test::Pixel{0x60, 0x40, 0x20, 0xFF}), PixelOf(*context, 15, 5))
      << "outside the rectangle nothing changes";

  // GDI drawing leaves alpha 0; restoring makes those pixels opaque again.
  ::SetPixel(context->GetDC(), 2, 2, RGB(0x10, 0x20, 0x30));
  context->RestoreAlpha({0, 0, 20, 20}, {0, 0, 0, 0});
  EXPECT_EQ((render_test::Pixel{0x30, 0x20, 0x10, 0xFF}), PixelOf(*context, 2, 2));

  // Restoring with key 0 makes every pixel opaque except in the corner
  // squares, which stay as they were (transparent round corners).
  context->ClearAlpha({0, 0, 20, 20});
  context->RestoreAlpha({0, 0, 20, 20}, {3, 3, 3, 3});
  EXPECT_EQ(255, PixelOf(*context, 10, 10).a);
  EXPECT_EQ(255, PixelOf(*context, 3, 0).a) << "the top edge between the corners";
  EXPECT_EQ(255, PixelOf(*context, 0, 3).a) << "the left edge below the corner";
  EXPECT_EQ(0, PixelOf(*context, 0, 0).a);
  EXPECT_EQ(0, PixelOf(*context, 2, 2).a);
  EXPECT_EQ(0, PixelOf(*context, 17, 0).a);
  EXPECT_EQ(0, PixelOf(*context, 19, 19).a);
  EXPECT_EQ(0, PixelOf(*context, 0, 17).a);

  // A non-zero key turns pixels of exactly that alpha transparent (with no
  // colour left behind) and all others opaque.
  context->ClearAlpha({0, 0, 20, 20}, 200);
  context->ClearAlpha({0, 0, 5, 5}, 7);
  context->RestoreAlpha({0, 0, 20, 20}, {0, 0, 0, 0}, 7);
  EXPECT_EQ((render_test::Pixel{0, 0, 0, 0}), PixelOf(*context, 2, 2));
  EXPECT_EQ(255, PixelOf(*context, 10, 10).a);

  // With a dirty rectangle, only its pixels change but the corners stay
  // those of the whole rectangle.
  context->ClearAlpha({0, 0, 20, 20});
  RECT dirty = {0, 8, 20, 12};
  context->RestoreAlpha({0, 0, 20, 20}, {3, 3, 3, 3}, 0, &dirty);
  EXPECT_EQ(255, PixelOf(*context, 0, 8).a) << "not a corner of the whole rectangle";
  EXPECT_EQ(0, PixelOf(*context, 10, 5).a) << "outside the dirty rectangle";

  // Rectangles reaching past the bitmap are cut to it.
  context->ClearAlpha({-5, -5, 50, 50}, 9);
  EXPECT_EQ(9, PixelOf(*context, 19, 19).a);
  context->RestoreAlpha({-5, -5, 50, 50}, {0, 0, 0, 0});
  EXPECT_EQ(255, PixelOf(*context, 0, 0).a);
}

TEST_F(RenderSurfaceTest, OriginMovesTheDrawing) {
  auto context = MakeContext(30, 30);
  EXPECT_EQ(0, context->GetWindowOrg().x);

  // After SetWindowOrg(10, 5) drawing at (10, 5) lands on pixel (0, 0).
  POINT old = context->SetWindowOrg({10, 5});
  EXPECT_EQ(0, old.x);
  context->FillRect({10, 5, 12, 7}, 0xFF0000FF);
  EXPECT_EQ(255, PixelOf(*context, 0, 0).a);
  EXPECT_EQ(255, PixelOf(*context, 1, 1).a);
  EXPECT_EQ(2 * 2, CountInk(*context, {0, 0, 30, 30}));

  // Offset adds to the origin and returns the old one.
  old = context->OffsetWindowOrg({-10, -5});
  EXPECT_EQ(10, old.x);
  EXPECT_EQ(5, old.y);
  EXPECT_EQ(0, context->GetWindowOrg().x);
  context->FillRect({20, 20, 21, 21}, 0xFF0000FF);
  EXPECT_EQ(255, PixelOf(*context, 20, 20).a);

  // Images and text follow the origin too.
  auto image = render_test::MakeImage(4, 4, [](int, int) { return 0xFFFF0000u; });
  context->Clear();
  context->SetWindowOrg({-3, -3});
  context->DrawImage({0, 0, 30, 30}, image.get(), false, {0, 0, 4, 4}, {0, 0, 4, 4}, {0, 0, 0, 0});
  EXPECT_EQ(0, PixelOf(*context, 2, 2).a);
  EXPECT_EQ(255, PixelOf(*context, 3, 3).a);
  EXPECT_EQ(16, CountInk(*context, {0, 0, 30, 30}));
}

TEST_F(RenderSurfaceTest, RectangleClipsNestAndFollowTheOrigin) {
  auto context = MakeContext(40, 40);

  context->SetClip({10, 10, 30, 30});
  context->FillRect({0, 0, 40, 40}, 0xFFFFFFFF);
  EXPECT_EQ(20 * 20, CountInk(*context, {0, 0, 40, 40})) << "fill confined to the clip";
  EXPECT_EQ(255, PixelOf(*context, 10, 10).a);
  EXPECT_EQ(0, PixelOf(*context, 30, 30).a) << "right and bottom edges are exclusive";

  // A clip inside a clip narrows it; clearing the inner one restores the
  // outer one, not the unclipped state.
  context->Clear();
  context->SetClip({20, 0, 40, 40});
  context->FillRect({0, 0, 40, 40}, 0xFFFFFFFF);
  EXPECT_EQ(10 * 20, CountInk(*context, {0, 0, 40, 40})) << "clips intersect";
  context->ClearClip();
  context->Clear();
  context->FillRect({0, 0, 40, 40}, 0xFFFFFFFF);
  EXPECT_EQ(20 * 20, CountInk(*context, {0, 0, 40, 40})) << "the outer clip is back";
  context->ClearClip();
  context->FillRect({0, 0, 40, 40}, 0xFFFFFFFF);
  EXPECT_EQ(40 * 40, CountInk(*context, {0, 0, 40, 40})) << "no clip left";
  // An unmatched clear is harmless.
  context->ClearClip();

  // A clip is given in drawing coordinates, so it moves with the origin.
  context->Clear();
  context->SetWindowOrg({5, 5});
  context->SetClip({5, 5, 10, 10});
  context->FillRect({0, 0, 40, 40}, 0xFFFFFFFF);
  context->ClearClip();
  EXPECT_EQ(5 * 5, CountInk(*context, {0, 0, 40, 40}));
  EXPECT_EQ(255, PixelOf(*context, 0, 0).a);
  EXPECT_EQ(255, PixelOf(*context, 4, 4).a);

  // Save and restore bracket origin changes the same way.
  context->SetWindowOrg({0, 0});
  context->Save();
  context->SetWindowOrg({7, 7});
  context->Restore();
  EXPECT_EQ(0, context->GetWindowOrg().x);
}

TEST_F(RenderSurfaceTest, RoundClipCutsTheCornersAndReachesOnePixelFurther) {
  auto context = MakeContext(40, 40);
  context->SetRoundClip({0, 0, 30, 30}, 12, 12);
  context->FillRect({0, 0, 40, 40}, 0xFFFFFFFF);
  context->ClearClip();

  EXPECT_EQ(0, PixelOf(*context, 0, 0).a) << "the rounded corner is cut";
  EXPECT_EQ(0, PixelOf(*context, 30, 0).a);
  EXPECT_EQ(0, PixelOf(*context, 0, 30).a);
  EXPECT_EQ(255, PixelOf(*context, 15, 15).a);
  EXPECT_EQ(255, PixelOf(*context, 15, 0).a) << "the straight top edge is inside";
  EXPECT_EQ(255, PixelOf(*context, 29, 15).a);
  EXPECT_EQ(0, PixelOf(*context, 31, 15).a) << "nothing two pixels past the right edge";
  EXPECT_EQ(0, PixelOf(*context, 15, 31).a);
}

}  // namespace
