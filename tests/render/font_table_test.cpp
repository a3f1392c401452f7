#include "ui/render/font_table.h"

#include <gtest/gtest.h>

#include <string>

namespace {

LOGFONTW LogFontOf(HFONT font) {
  LOGFONTW logfont{};
  ::GetObjectW(font, sizeof(logfont), &logfont);
  return logfont;
}

TEST(FontTableTest, SystemFaceBecomesTheUiFace) {
  ui::FontTable fonts;

  // This Windows is Vista or later, so "system" means 微软雅黑.
  HFONT font = fonts.AddFont(L"system_16", L"system", 16, false, false, false, false);
  ASSERT_NE(nullptr, font);
  EXPECT_EQ(std::wstring(L"微软雅黑"), LogFontOf(font).lfFaceName);
  ASSERT_NE(nullptr, fonts.GetFontEntry(L"system_16"));
  EXPECT_EQ(std::wstring(L"微软雅黑"), fonts.GetFontEntry(L"system_16")->face);

  // The font GDI picks for that face draws Chinese: it is the mapped CJK
  // font, not a Latin fallback.
  base::unique_hdc dc(::CreateCompatibleDC(nullptr));
  base::unique_select_object select(dc.get(), font);
  WORD glyphs[3] = {};
  ASSERT_EQ(3u, ::GetGlyphIndicesW(dc.get(), L"下载中", 3, glyphs, GGI_MARK_NONEXISTING_GLYPHS));
  for (WORD glyph : glyphs) EXPECT_NE(0xFFFF, glyph) << "the face has no glyph for a CJK character";

  // Any other face is used as written.
  HFONT other = fonts.AddFont(L"song", L"新宋体", 12, false, false, false, false);
  EXPECT_EQ(std::wstring(L"新宋体"), LogFontOf(other).lfFaceName);
}

TEST(FontTableTest, CreatesTheDescribedLogicalFont) {
  ui::FontTable fonts;

  // The stock GUI font is of normal weight (FW_NORMAL, 400), and so is a
  // font that is not bold.
  HFONT plain = fonts.AddFont(L"plain", L"system", 14, false, false, false, false);
  LOGFONTW p = LogFontOf(plain);
  EXPECT_EQ(-14, p.lfHeight) << "size is a pixel height";
  EXPECT_EQ(DEFAULT_CHARSET, p.lfCharSet);
  EXPECT_EQ(400, p.lfWeight);
  EXPECT_FALSE(p.lfUnderline);
  EXPECT_FALSE(p.lfItalic);

  HFONT styled = fonts.AddFont(L"styled", L"system", 36, true, true, true, false);
  LOGFONTW s = LogFontOf(styled);
  EXPECT_EQ(-36, s.lfHeight);
  EXPECT_EQ(1100, s.lfWeight) << "bold adds 700 to the stock weight of 400";
  EXPECT_TRUE(s.lfUnderline);
  EXPECT_TRUE(s.lfItalic);
  ASSERT_NE(nullptr, fonts.GetFontEntry(L"styled"));
  EXPECT_EQ(36, fonts.GetFontEntry(L"styled")->size);
  EXPECT_TRUE(fonts.GetFontEntry(L"styled")->bold);

  // A face longer than a LOGFONT holds is cut, not written past the field.
  std::wstring long_face(80, L'x');
  HFONT cut = fonts.AddFont(L"long", long_face, 12, false, false, false, false);
  ASSERT_NE(nullptr, cut);
  EXPECT_EQ(std::wstring(LF_FACESIZE - 1, L'x'), LogFontOf(cut).lfFaceName);
}

TEST(FontTableTest, DefaultFontAndLookups) {
  ui::FontTable fonts;
  EXPECT_EQ(nullptr, fonts.GetFont(L"")) << "no default before one is declared";
  EXPECT_EQ(nullptr, fonts.GetFont(L"system_12"));

  HFONT small = fonts.AddFont(L"system_12", L"system", 12, false, false, false, true);
  HFONT large = fonts.AddFont(L"system_22", L"system", 22, false, false, false, false);
  EXPECT_EQ(L"system_12", fonts.GetDefaultFontId());

  // An empty id is the default font.
  EXPECT_EQ(small, fonts.GetFont(L""));
  EXPECT_EQ(large, fonts.GetFont(L"system_22"));
  // Ids are case-sensitive; an id never registered also falls back to the
  // default so the text stays readable.
  EXPECT_EQ(small, fonts.GetFont(L"System_22"));
  EXPECT_EQ(small, fonts.GetFont(L"no_such_font"));

  // Adding an id again replaces its entry; is-default moves the default.
  HFONT replaced = fonts.AddFont(L"system_22", L"system", 18, true, false, false, true);
  EXPECT_EQ(replaced, fonts.GetFont(L"system_22"));
  EXPECT_EQ(-18, LogFontOf(replaced).lfHeight);
  EXPECT_EQ(replaced, fonts.GetFont(L""));
  EXPECT_EQ(2u, fonts.GetFontCount());

  // Releasing all fonts empties the table and deletes the handles.
  fonts.RemoveAllFonts();
  EXPECT_EQ(0u, fonts.GetFontCount());
  EXPECT_EQ(nullptr, fonts.GetFont(L""));
  EXPECT_EQ(0, ::GetObjectType(replaced)) << "the font handle was not deleted";
}

}  // namespace
