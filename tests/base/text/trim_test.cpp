#include "base/text/trim.h"

#include <gtest/gtest.h>

namespace {

using base::Blanks;

// The rules differ exactly where the readers that use them differ: a rule
// that widened or narrowed would change how skins and language files read.
TEST(TrimTest, EachRuleKeepsItsOwnBlanks) {
  struct Case {
    Blanks blanks;
    const wchar_t* blank;
    const wchar_t* kept;
  };
  const Case cases[] = {
      {Blanks::kSpaces, L" ", L"\t\r"},
      {Blanks::kSpacesAndTabs, L" \t", L"\n\r"},
      {Blanks::kWhiteSpace, L" \t\n\v\f\r", L"\x01\x1F"},
      {Blanks::kMarkupSpace, L" \t\n\x01\x1F", L"\x7F\xA0"},
      {Blanks::kLanguageLine, L" \t\n\x01\x1D", L"\x1E\x1F"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.blanks));
    for (const wchar_t* b = c.blank; *b; ++b) EXPECT_TRUE(base::IsBlank(*b, c.blanks)) << int(*b);
    for (const wchar_t* k = c.kept; *k; ++k) EXPECT_FALSE(base::IsBlank(*k, c.blanks)) << int(*k);
  }
  // NUL ends markup text but is junk at the end of a language file line.
  EXPECT_FALSE(base::IsBlank(L'\0', Blanks::kMarkupSpace));
  EXPECT_TRUE(base::IsBlank(L'\0', Blanks::kLanguageLine));
}

TEST(TrimTest, TrimsTheEndsOnly) {
  EXPECT_EQ(base::TrimBlanks(L" \ta b\t ", Blanks::kSpacesAndTabs), L"a b");
  EXPECT_EQ(base::TrimLeadingBlanks(L"  #FF00FF00 ", Blanks::kSpaces), L"#FF00FF00 ");
  EXPECT_EQ(base::TrimBlanks(L" \r\n ", Blanks::kWhiteSpace), L"");
  EXPECT_EQ(base::TrimLeadingBlanks(L"", Blanks::kSpaces), L"");
}

}  // namespace
