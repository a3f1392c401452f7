#include "ui/controls/control_resources.h"

#include "ui/render/color_table.h"
#include "ui/render/render_context.h"
#include "ui/render/render_factory.h"
#include "ui/resources/class_table.h"
#include "ui/resources/global_resources.h"
#include "ui/resources/image_info.h"
#include "ui/resources/language_strings.h"
#include "ui/resources/skin_tables.h"

namespace ui {
namespace control_resources {

std::wstring LookupClass(const std::wstring& name) { return SkinClasses().Lookup(name); }

std::wstring LookupString(const std::wstring& id) { return SkinStrings().Lookup(id); }

DWORD LookupColor(const std::wstring& name) {
  // An empty name is "no colour"; asking the table would enter it.
  if (name.empty()) return 0;
  return SkinColors().LookupColor(name);
}

std::shared_ptr<ImageInfo> LookupImage(const std::wstring& path) {
  return GlobalResources::LookupImage(path);
}

ImageFrame GetFrame(const ImageInfo& image) {
  ImageFrame frame;
  frame.bitmap = image.GetBitmap(0);
  frame.width = image.GetWidth();
  frame.height = image.GetHeight();
  frame.hasAlpha = image.HasAlpha();
  return frame;
}

std::wstring GetResourcePath() { return GlobalResources::GetResourcePath(); }

std::unique_ptr<IRenderContext> CreateRenderContext() {
  IRenderFactory* factory = GlobalResources::GetRenderFactory();
  return factory ? factory->CreateRenderContext() : nullptr;
}

int ScaleForDpi(int value) { return GlobalResources::ScaleDpi(value); }

RECT ScaleRectForDpi(RECT rect) {
  return RECT{ScaleForDpi(rect.left), ScaleForDpi(rect.top), ScaleForDpi(rect.right),
              ScaleForDpi(rect.bottom)};
}

}  // namespace control_resources
}  // namespace ui
