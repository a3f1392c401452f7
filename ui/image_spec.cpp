#include "ui/image_spec.h"

#include "ui/attribute_values.h"

namespace ui {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

}  // namespace

void ImageSpec::Clear() { *this = ImageSpec(); }

void ImageSpec::SetImageString(const std::wstring& text) {
  Clear();
  imageString = text;
  // A value without any key='value' pair is just the file name.
  if (text.find(L'=') == std::wstring::npos) {
    file = text;
    return;
  }
  ApplyModifiers(text);
}

void ImageSpec::ApplyModifiers(const std::wstring& text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    while (i < n && IsBlank(text[i])) ++i;
    if (i >= n) break;
    size_t key_start = i;
    while (i < n && text[i] != L'=' && !IsBlank(text[i])) ++i;
    std::wstring key = text.substr(key_start, i - key_start);
    while (i < n && IsBlank(text[i])) ++i;
    if (i >= n || text[i] != L'=') break;
    ++i;
    while (i < n && IsBlank(text[i])) ++i;
    if (i >= n || text[i] != L'\'') break;
    ++i;
    size_t value_end = text.find(L'\'', i);
    if (value_end == std::wstring::npos) break;
    std::wstring value = text.substr(i, value_end - i);
    i = value_end + 1;
    if (key.empty() || value.empty()) continue;

    if (key == L"file" || key == L"res") {
      file = value;
    } else if (key == L"dest") {
      dest = ParseRectAttribute(value);
    } else if (key == L"destscale") {
      destScale = ParseBoolAttribute(value);
    } else if (key == L"source") {
      source = ParseRectAttribute(value);
    } else if (key == L"corner") {
      corner = ParseRectAttribute(value);
    } else if (key == L"fade") {
      fade = ParseIntAttribute(value);
    } else if (key == L"xtiled") {
      xTiled = ParseBoolAttribute(value);
    } else if (key == L"ytiled") {
      yTiled = ParseBoolAttribute(value);
    } else if (key == L"playcount") {
      playCount = ParseIntAttribute(value);
    }
  }
}

bool ImageSpec::SameLook(const ImageSpec& o) const {
  return file == o.file && ::EqualRect(&dest, &o.dest) && destScale == o.destScale &&
         ::EqualRect(&source, &o.source) && ::EqualRect(&corner, &o.corner) && fade == o.fade &&
         xTiled == o.xTiled && yTiled == o.yTiled && playCount == o.playCount;
}

}  // namespace ui
