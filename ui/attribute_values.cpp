#include "ui/attribute_values.h"

#include <climits>
#include <cstdint>

namespace ui {
namespace {

// The blanks the C library's number reading skips.
bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

}  // namespace

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
