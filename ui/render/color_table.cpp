#include "ui/render/color_table.h"

namespace ui {

DWORD ColorTable::ParseColorValue(const std::wstring& value) {
  // Skins write "#AARRGGBB". Only the "#" is dropped: a value written
  // without it is still read whole rather than losing its first digit.
  size_t start = !value.empty() && value[0] == L'#' ? 1 : 0;
  DWORD result = 0;
  size_t digits = 0;
  for (size_t i = start; i < value.size(); ++i, ++digits) {
    wchar_t c = value[i];
    DWORD digit;
    if (c >= L'0' && c <= L'9') {
      digit = c - L'0';
    } else if (c >= L'a' && c <= L'f') {
      digit = c - L'a' + 10;
    } else if (c >= L'A' && c <= L'F') {
      digit = c - L'A' + 10;
    } else {
      break;
    }
    if (digits == 8) return 0;  // More than 32 bits: not a colour.
    result = (result << 4) | digit;
  }
  return result;
}

void ColorTable::AddColor(const std::wstring& name, const std::wstring& value) {
  colors_[name] = ParseColorValue(value);
}

void ColorTable::AddColor(const std::wstring& name, DWORD argb) { colors_[name] = argb; }

DWORD ColorTable::LookupColor(const std::wstring& name) {
  // operator[] enters an unknown name with 0.
  return colors_[name];
}

}  // namespace ui
