#include "ui/control_resources.h"

#include <map>

#include "ui/color_table.h"
#include "ui/image_info.h"

namespace ui {
namespace control_resources {
namespace {

std::map<std::wstring, std::wstring>& LocalClasses() {
  static std::map<std::wstring, std::wstring> classes;
  return classes;
}

}  // namespace

ColorTable& LocalColors() {
  static ColorTable colors;
  return colors;
}

void SetLocalClass(const std::wstring& name, const std::wstring& attributes) {
  LocalClasses()[name] = attributes;
}

std::wstring LookupClass(const std::wstring& name) {
  auto it = LocalClasses().find(name);
  return it == LocalClasses().end() ? std::wstring() : it->second;
}

std::wstring LookupString(const std::wstring&) { return std::wstring(); }

DWORD LookupColor(const std::wstring& name) {
  if (name.empty()) return 0;
  return LocalColors().LookupColor(name);
}

std::shared_ptr<ImageInfo> LookupImage(const std::wstring& path) {
  std::unique_ptr<ImageInfo> image = ImageInfo::DecodeFile(path);
  return std::shared_ptr<ImageInfo>(std::move(image));
}

ImageFrame GetFrame(const ImageInfo& image) {
  ImageFrame frame;
  frame.bitmap = image.GetBitmap(0);
  frame.width = image.GetWidth();
  frame.height = image.GetHeight();
  frame.hasAlpha = image.HasAlpha();
  return frame;
}

std::wstring GetResourcePath() { return std::wstring(); }

int ScaleForDpi(int value) { return value; }

}  // namespace control_resources
}  // namespace ui
