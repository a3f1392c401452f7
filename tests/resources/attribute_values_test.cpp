#include "ui/resources/attribute_values.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(AttributeValuesTest, BooleansAreTrueOnlyForExactlyTrue) {
  EXPECT_TRUE(ui::ParseBoolAttribute(L"true"));
  for (const wchar_t* text : {L"True", L"TRUE", L"1", L" true", L"true ", L"yes", L""}) {
    EXPECT_FALSE(ui::ParseBoolAttribute(text));
  }
}

TEST(AttributeValuesTest, IntegersStopAtTheFirstNonDigit) {
  EXPECT_EQ(42, ui::ParseIntAttribute(L"42"));
  EXPECT_EQ(-12, ui::ParseIntAttribute(L"  -12px"));
  EXPECT_EQ(7, ui::ParseIntAttribute(L"+7"));
  EXPECT_EQ(0, ui::ParseIntAttribute(L"auto"));
  EXPECT_EQ(0, ui::ParseIntAttribute(L""));
  EXPECT_EQ(3, ui::ParseIntAttribute(L"3.9"));
  // Out-of-range numbers are clamped rather than wrapped.
  EXPECT_EQ(2147483647, ui::ParseIntAttribute(L"99999999999999999999"));
  EXPECT_EQ(-2147483647 - 1, ui::ParseIntAttribute(L"-99999999999999999999"));
}

TEST(AttributeValuesTest, PairsAndRectanglesFillMissingTrailingNumbersWithZero) {
  // The installer's skins rely on this: a margin of "30" is a left margin of 30.
  RECT margin = ui::ParseRectAttribute(L"30");
  EXPECT_EQ(30, margin.left);
  EXPECT_EQ(0, margin.top);
  EXPECT_EQ(0, margin.right);
  EXPECT_EQ(0, margin.bottom);

  SIZE padding = ui::ParsePairAttribute(L"8");
  EXPECT_EQ(8, padding.cx);
  EXPECT_EQ(0, padding.cy);

  RECT full = ui::ParseRectAttribute(L"22,0,-1,16");
  EXPECT_EQ(22, full.left);
  EXPECT_EQ(0, full.top);
  EXPECT_EQ(-1, full.right);
  EXPECT_EQ(16, full.bottom);

  SIZE size = ui::ParsePairAttribute(L"960,625");
  EXPECT_EQ(960, size.cx);
  EXPECT_EQ(625, size.cy);

  // Exactly one character is skipped after each number, whatever it is.
  RECT odd = ui::ParseRectAttribute(L"1x2;3 4");
  EXPECT_EQ(1, odd.left);
  EXPECT_EQ(2, odd.top);
  EXPECT_EQ(3, odd.right);
  EXPECT_EQ(4, odd.bottom);

  RECT empty = ui::ParseRectAttribute(L"");
  EXPECT_EQ(0, empty.left);
  EXPECT_EQ(0, empty.bottom);
}

TEST(AttributeValuesTest, WordsAndQuotedPairsAreSeparatedByAnyBlank) {
  // Class lists, event types and receivers are words between blanks.
  EXPECT_EQ((std::vector<std::wstring>{L"a", L"b", L"c"}), ui::SplitBlanks(L" a\tb\r\n\v c\f"));
  EXPECT_TRUE(ui::SplitBlanks(L" \t ").empty());
  EXPECT_EQ(L"x y", ui::TrimBlanks(L"\t x y \n"));

  // Pairs keep empty values for the caller to judge; a value without its
  // closing quote ends the reading after the pairs before it.
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  ui::ForEachQuotedPair(L"a = '1'\nb='' c='3", L'\'',
                        [&pairs](const std::wstring& name, const std::wstring& value) {
                          pairs.emplace_back(name, value);
                        });
  const std::vector<std::pair<std::wstring, std::wstring>> expected{{L"a", L"1"}, {L"b", L""}};
  EXPECT_EQ(expected, pairs);
}

}  // namespace
