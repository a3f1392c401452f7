#include "ui/resources/attribute_values.h"

#include <climits>
#include <cstdint>

#include "base/text/trim.h"

namespace ui {

bool IsBlank(wchar_t c) { return base::IsBlank(c, base::Blanks::kWhiteSpace); }

std::wstring TrimBlanks(std::wstring_view text) {
  return std::wstring(base::TrimBlanks(text, base::Blanks::kWhiteSpace));
}

std::vector<std::wstring> SplitBlanks(std::wstring_view text) {
  std::vector<std::wstring> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    const size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    if (i > start) words.emplace_back(text.substr(start, i - start));
  }
  return words;
}

void ForEachQuotedPair(std::wstring_view text, wchar_t quote,
                       const std::function<void(const std::wstring& name,
                                                const std::wstring& value)>& visit) {
  size_t i = 0;
  const size_t n = text.size();
  auto skip_blanks = [&] {
    while (i < n && IsBlank(text[i])) ++i;
  };
  while (true) {
    skip_blanks();
    if (i >= n) return;
    const size_t name_start = i;
    while (i < n && text[i] != L'=' && !IsBlank(text[i])) ++i;
    const std::wstring name(text.substr(name_start, i - name_start));
    skip_blanks();
    if (i >= n || text[i] != L'=') return;
    ++i;
    skip_blanks();
    if (i >= n || text[i] != quote) return;
    ++i;
    const size_t value_end = text.find(quote, i);
    if (value_end == std::wstring_view::npos) return;
    const std::wstring value(text.substr(i, value_end - i));
    i = value_end + 1;
    visit(name, value);
  }
}

bool ParseBoolAttribute(std::wstring_view value) { return value == L"true"; }

int ParseIntAttribute(std::wstring_view value, size_t* end) {
  size_t i = 0;
  while (i < value.size() && IsBlank(value[i])) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == L'+' || value[i] == L'-')) {
    negative = value[i] == L'-';
    ++i;
  }
  const size_t digits = i;
  int64_t number = 0;
  while (i < value.size() && value[i] >= L'0' && value[i] <= L'9') {
    if (number <= static_cast<int64_t>(INT_MAX) + 1) number = number * 10 + (value[i] - L'0');
    ++i;
  }
  if (i == digits) {
    if (end) *end = 0;
    return 0;
  }
  if (end) *end = i;
  if (negative) number = -number;
  if (number > INT_MAX) return INT_MAX;
  if (number < INT_MIN) return INT_MIN;
  return static_cast<int>(number);
}

void ParseIntList(std::wstring_view value, int* out, size_t count) {
  size_t position = 0;
  for (size_t n = 0; n < count; ++n) {
    if (position >= value.size()) {
      // The text ended: the remaining numbers are 0 (never read past it).
      out[n] = 0;
      continue;
    }
    size_t used = 0;
    out[n] = ParseIntAttribute(value.substr(position), &used);
    position += used + 1;
  }
}

SIZE ParsePairAttribute(std::wstring_view value) {
  int numbers[2];
  ParseIntList(value, numbers, 2);
  return SIZE{numbers[0], numbers[1]};
}

RECT ParseRectAttribute(std::wstring_view value) {
  int numbers[4];
  ParseIntList(value, numbers, 4);
  return RECT{numbers[0], numbers[1], numbers[2], numbers[3]};
}

}  // namespace ui
