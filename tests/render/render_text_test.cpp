// RenderText and MeasureTextBox: fonts, alpha, alignment flags, CJK glyphs.
#include <gtest/gtest.h>

#include "render_test_support.h"

namespace {

using render_test::AlphaPlane;
using render_test::CountInk;
using render_test::InkBounds;
using render_test::MaxAlpha;
using render_test::PixelOf;
using render_test::RenderTest;

class RenderTextTest : public RenderTest {
 protected:
  // One character drawn alone, as its alpha plane.
  std::vector<BYTE> Glyph(const std::wstring& text) {
    auto context = MakeContext(40, 40);
    context->RenderText({0, 0, 40, 40}, text, 0xFF000000, L"system_bold_36", DT_SINGLELINE);
    return AlphaPlane(*context);
  }
};

TEST_F(RenderTextTest, OpaqueTextIsDrawnWithAlpha254) {
  auto context = MakeContext(200, 40);
  context->RenderText({0, 0, 200, 40}, L"下载中 Orvane", 0xFF000000, L"system_16", DT_SINGLELINE);
  EXPECT_GT(CountInk(*context, {0, 0, 200, 40}), 100) << "no text was drawn";
  EXPECT_EQ(254, MaxAlpha(*context, {0, 0, 200, 40}))
      << "an opaque colour must be drawn one step below opaque";

  // Opacity scales the colour's alpha.
  context->Clear();
  context->RenderText({0, 0, 200, 40}, L"下载中", 0xFF000000, L"system_16", DT_SINGLELINE, 100);
  EXPECT_EQ(100, MaxAlpha(*context, {0, 0, 200, 40}));

  // Empty text draws nothing.
  context->Clear();
  context->RenderText({0, 0, 200, 40}, L"", 0xFF000000, L"system_16", DT_SINGLELINE);
  EXPECT_EQ(0, CountInk(*context, {0, 0, 200, 40}));
}

TEST_F(RenderTextTest, ChineseCharactersRenderAsRealGlyphs) {
  // Each character has its own shape; a font without them would draw the
  // same box for all of them (and for a code point no font has).
  std::vector<BYTE> xia = Glyph(L"下");
  std::vector<BYTE> zai = Glyph(L"载");
  std::vector<BYTE> zhong = Glyph(L"中");
  std::vector<BYTE> missing = Glyph(L"\xE000");  // Private use: no glyph anywhere.
  auto ink = [](const std::vector<BYTE>& plane) {
    int n = 0;
    for (BYTE a : plane) n += a != 0;
    return n;
  };
  EXPECT_GT(ink(xia), 40);
  EXPECT_GT(ink(zai), 40);
  EXPECT_GT(ink(zhong), 40);
  EXPECT_NE(xia, zai);
  EXPECT_NE(zai, zhong);
  EXPECT_NE(xia, zhong);
  EXPECT_NE(missing, xia) << "下 is drawn as the missing-glyph box";
  EXPECT_NE(missing, zhong) << "中 is drawn as the missing-glyph box";
  // 载 has many more strokes than 下.
  EXPECT_GT(ink(zai), ink(xia));
}

TEST_F(RenderTextTest, AlignmentFlagsPlaceTheText) {
  const RECT box = {0, 0, 300, 60};
  auto bounds_for = [&](UINT format) {
    auto context = MakeContext(300, 60);
    context->RenderText(box, L"安装", 0xFF000000, L"system_16", format);
    return InkBounds(*context);
  };
  RECT near_top = bounds_for(DT_SINGLELINE);
  RECT centred = bounds_for(DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  RECT far_bottom = bounds_for(DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);

  EXPECT_LT(near_top.left, 5) << "near: at the left";
  EXPECT_LT(near_top.top, 10) << "near: at the top";
  EXPECT_NEAR(150, (centred.left + centred.right) / 2, 3) << "DT_CENTER centres across";
  EXPECT_NEAR(30, (centred.top + centred.bottom) / 2, 3) << "DT_VCENTER centres down";
  EXPECT_GT(far_bottom.right, 294) << "DT_RIGHT: at the right";
  EXPECT_GT(far_bottom.bottom, 52) << "DT_BOTTOM: at the bottom";
}

TEST_F(RenderTextTest, WrappingClippingAndFonts) {
  const std::wstring text = L"正在下载安装包，请稍候正在下载安装包";
  // Without DT_SINGLELINE long text wraps onto further lines.
  auto wrapped = MakeContext(100, 100);
  wrapped->RenderText({0, 0, 100, 100}, text, 0xFF000000, L"system_14", 0);
  RECT w = InkBounds(*wrapped);
  EXPECT_GT(w.bottom, 30) << "text did not wrap";

  // DT_SINGLELINE keeps one line, cut at the rectangle.
  auto single = MakeContext(200, 100);
  single->RenderText({0, 0, 100, 100}, text, 0xFF000000, L"system_14", DT_SINGLELINE);
  RECT s = InkBounds(*single);
  EXPECT_LT(s.bottom, 22) << "single line text wrapped";
  EXPECT_LE(s.right, 100) << "text is clipped to its rectangle";

  // A line taller than its rectangle is cut at the bottom, unless DT_NOCLIP.
  auto clipped = MakeContext(200, 40);
  clipped->RenderText({0, 0, 200, 8}, L"下载中", 0xFF000000, L"system_16", DT_SINGLELINE);
  EXPECT_LE(InkBounds(*clipped).bottom, 8);
  auto unclipped = MakeContext(200, 40);
  unclipped->RenderText({0, 0, 200, 8}, L"下载中", 0xFF000000, L"system_16",
                        DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(InkBounds(*unclipped).bottom, 12);

  // A bigger font draws bigger glyphs; an unknown id draws in the default.
  auto big = MakeContext(200, 60);
  big->RenderText({0, 0, 200, 60}, L"中", 0xFF000000, L"system_bold_36", DT_SINGLELINE);
  auto fallback = MakeContext(200, 60);
  fallback->RenderText({0, 0, 200, 60}, L"中", 0xFF000000, L"no_such_font", DT_SINGLELINE);
  auto by_default = MakeContext(200, 60);
  by_default->RenderText({0, 0, 200, 60}, L"中", 0xFF000000, L"", DT_SINGLELINE);
  EXPECT_GT(InkBounds(*big).bottom - InkBounds(*big).top, 24);
  EXPECT_EQ(AlphaPlane(*by_default), AlphaPlane(*fallback));
  EXPECT_LT(InkBounds(*by_default).bottom - InkBounds(*by_default).top, 14);
}

TEST_F(RenderTextTest, EllipsisAndTheSongFaceNudge) {
  const std::wstring text = L"正在下载安装包，请稍候正在下载安装包";
  // DT_END_ELLIPSIS asks GDI+ for an ellipsis at the cut (Wine's GDI+ does
  // not draw one); either way the line stays inside its rectangle.
  auto ellipsis = MakeContext(120, 30);
  ellipsis->RenderText({0, 0, 100, 30}, text, 0xFF000000, L"system_14",
                       DT_SINGLELINE | DT_END_ELLIPSIS);
  EXPECT_GT(CountInk(*ellipsis, {0, 0, 100, 30}), 100);
  EXPECT_LE(InkBounds(*ellipsis).right, 100);

  // Centred vertically, 新宋体 sits one pixel lower than another face drawn
  // by the same font (both map to one installed font here), when the
  // rectangle has room for it.
  fonts_.AddFont(L"song_14", L"新宋体", 14, false, false, false, false);
  fonts_.AddFont(L"yahei_14", L"微软雅黑", 14, false, false, false, false);
  auto top_for = [&](const std::wstring& font_id, int height) {
    auto context = MakeContext(100, 40);
    context->RenderText({0, 0, 100, height}, L"安装", 0xFF000000, font_id,
                        DT_SINGLELINE | DT_VCENTER);
    return InkBounds(*context).top;
  };
  EXPECT_EQ(top_for(L"yahei_14", 30) + 1, top_for(L"song_14", 30));
  // 16 = size + 2 is just enough room.
  EXPECT_EQ(top_for(L"yahei_14", 16) + 1, top_for(L"song_14", 16));
  EXPECT_EQ(top_for(L"yahei_14", 15), top_for(L"song_14", 15)) << "no room: no nudge";
}

TEST_F(RenderTextTest, MeasureIsOnePixelWiderAndHigherThanTheText) {
  auto context = MakeContext(10, 10);
  const std::wstring text = L"下载中";

  // The UI face is mapped to WenQuanYi Micro Hei here. Its tables give every
  // CJK character an advance of one em, and a line of its ascent (1918/2048
  // em) and descent (483/2048 em), each in whole pixels as the system's text
  // metrics round them: at 16 px, three characters are 48 px wide on a line
  // of 15 + 4 px. The box adds one pixel to each.
  RECT box = context->MeasureTextBox(text, L"system_16", DT_SINGLELINE);
  EXPECT_EQ(0, box.left);
  EXPECT_EQ(0, box.top);
  EXPECT_EQ(49, box.right);
  EXPECT_EQ(20, box.bottom);

  // The same text drawn from the origin stays inside the measured box.
  auto drawn = MakeContext(100, 40);
  drawn->RenderText({0, 0, 100, 40}, text, 0xFF000000, L"system_16", DT_SINGLELINE);
  RECT ink = InkBounds(*drawn);
  EXPECT_GT(ink.right, 40) << "the drawn text is much narrower than three characters";
  EXPECT_LE(ink.right, box.right) << "the text is drawn wider than it measures";
  EXPECT_LE(ink.bottom, box.bottom) << "the text is drawn taller than it measures";

  // A width limit on single-line text does not change the height.
  RECT limited = context->MeasureTextBox(text, L"system_16", DT_SINGLELINE, 300);
  EXPECT_EQ(box.bottom, limited.bottom);

  // Multi-line text under a narrow limit wraps and grows taller.
  const std::wstring long_text = L"正在下载安装包，请稍候正在下载安装包";
  RECT one_line = context->MeasureTextBox(long_text, L"system_14", 0, 0);
  RECT narrow = context->MeasureTextBox(long_text, L"system_14", 0, 80);
  EXPECT_GT(one_line.right, 150) << "limit 0 is unbounded";
  EXPECT_LE(narrow.right, 81 + 1);
  EXPECT_GT(narrow.bottom, 2 * one_line.bottom) << "wrapped text must be taller";
}

}  // namespace
