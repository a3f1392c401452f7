#include "ui/render/color_table.h"

#include <gtest/gtest.h>

namespace {

TEST(ColorTableTest, ReadsAlphaFirstHexValues) {
  ui::ColorTable colors;

  // The value is #AARRGGBB, alpha in the top byte.
  colors.AddColor(L"gradient_color1", L"#0AAC5AFF");
  EXPECT_EQ(0x0AAC5AFFu, colors.LookupColor(L"gradient_color1"));
  EXPECT_EQ(0x0Au, colors.LookupColor(L"gradient_color1") >> 24) << "alpha must be 0x0A";

  colors.AddColor(L"green", L"#ff00bb96");
  EXPECT_EQ(0xFF00BB96u, colors.LookupColor(L"green")) << "opaque green";

  // Upper and lower case digits read alike.
  colors.AddColor(L"mixed", L"#FfAbCdEf");
  EXPECT_EQ(0xFFABCDEFu, colors.LookupColor(L"mixed"));

  // A name added again takes the new value.
  colors.AddColor(L"green", L"#80000000");
  EXPECT_EQ(0x80000000u, colors.LookupColor(L"green"));
}

TEST(ColorTableTest, UnknownNamesResolveToZeroAndAreEntered) {
  ui::ColorTable colors;
  colors.AddColor(L"black", L"#ff000000");

  EXPECT_FALSE(colors.HasColor(L"not_declared"));
  EXPECT_EQ(0u, colors.LookupColor(L"not_declared"));
  EXPECT_TRUE(colors.HasColor(L"not_declared")) << "the lookup enters the name with 0";
  EXPECT_EQ(0u, colors.LookupColor(L"not_declared"));

  // Names are case-sensitive.
  EXPECT_EQ(0u, colors.LookupColor(L"Black"));
  EXPECT_EQ(0xFF000000u, colors.LookupColor(L"black"));
}

TEST(ColorTableTest, MalformedValuesGiveZeroOrTheirLeadingDigits) {
  // Nothing to read.
  EXPECT_EQ(0u, ui::ColorTable::ParseColorValue(L""));
  EXPECT_EQ(0u, ui::ColorTable::ParseColorValue(L"#"));
  EXPECT_EQ(0u, ui::ColorTable::ParseColorValue(L"#zz112233"));
  // More digits than 32 bits hold is not a colour.
  EXPECT_EQ(0u, ui::ColorTable::ParseColorValue(L"#ff00bb9612"));
  // Reading stops at the first character that is not a hex digit.
  EXPECT_EQ(0xFF00u, ui::ColorTable::ParseColorValue(L"#ff00 bb"));
  // Without the "#", no digit is lost.
  EXPECT_EQ(0xFF00BB96u, ui::ColorTable::ParseColorValue(L"ff00bb96"));
}

}  // namespace
