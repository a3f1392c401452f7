// Trimming blanks from the ends of text. Each kind of text the program reads
// has its own idea of a blank, kept as it always was; the choice is named at
// every call instead of each reader carrying its own loop.
#pragma once

#include <string_view>

namespace base {

enum class Blanks {
  kSpaces,          // ' ' only: colour values
  kSpacesAndTabs,   // ' ' and '\t': the rich edit's colour values
  kWhiteSpace,      // ' ' and '\t' through '\r', those the C library's number reading skips
  kMarkupSpace,     // ' ' and every control character but NUL: what the markup reader skips
  kLanguageLine,    // ' ' and every character below U+001E, NUL included: language file lines
};

// Inline: the markup reader asks it of every character it reads.
inline bool IsBlank(wchar_t c, Blanks blanks) {
  switch (blanks) {
    case Blanks::kSpaces:
      return c == L' ';
    case Blanks::kSpacesAndTabs:
      return c == L' ' || c == L'\t';
    case Blanks::kWhiteSpace:
      return c == L' ' || (c >= L'\t' && c <= L'\r');
    case Blanks::kMarkupSpace:
      return c != 0 && c <= L' ';
    case Blanks::kLanguageLine:
      return c == L' ' || c < 0x1E;
  }
  return false;
}

// `text` without the blanks at either end.
std::wstring_view TrimBlanks(std::wstring_view text, Blanks blanks);

// `text` without the blanks at its start.
std::wstring_view TrimLeadingBlanks(std::wstring_view text, Blanks blanks);

}  // namespace base
