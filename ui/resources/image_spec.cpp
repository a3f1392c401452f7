#include "ui/resources/image_spec.h"

#include "ui/resources/attribute_values.h"

namespace ui {

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
  ForEachQuotedPair(text, L'\'', [this](const std::wstring& key, const std::wstring& value) {
    if (key.empty() || value.empty()) return;
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
  });
}

bool ImageSpec::SameLook(const ImageSpec& o) const {
  return file == o.file && ::EqualRect(&dest, &o.dest) && destScale == o.destScale &&
         ::EqualRect(&source, &o.source) && ::EqualRect(&corner, &o.corner) && fade == o.fade &&
         xTiled == o.xTiled && yTiled == o.yTiled && playCount == o.playCount;
}

}  // namespace ui
