// Where controls reach the process-wide resources: classes, language
// strings, named colours, images, the resource path and the DPI scale.
//
// Kept in one place so the controls depend on GlobalResources through a
// handful of calls.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace ui {

class IRenderContext;
class ImageInfo;

// The pixels of one image frame as the render context draws them.
struct ImageFrame {
  HBITMAP bitmap = nullptr;
  int width = 0;
  int height = 0;
  bool hasAlpha = false;
};

namespace control_resources {

std::wstring LookupClass(const std::wstring& name);
std::wstring LookupString(const std::wstring& id);
DWORD LookupColor(const std::wstring& name);
// The image at `path` (already joined with the resource path), shared
// through the image cache; null when it cannot be loaded.
std::shared_ptr<ImageInfo> LookupImage(const std::wstring& path);
// Frame 0 of a loaded image.
ImageFrame GetFrame(const ImageInfo& image);
std::wstring GetResourcePath();
// A new render context from the global render factory; null without one.
std::unique_ptr<IRenderContext> CreateRenderContext();
// `value` times the DPI scale when DPI adaptation is on (it is off in this
// program, so the value is returned unchanged).
int ScaleForDpi(int value);
// Each side of `rect` scaled as above.
RECT ScaleRectForDpi(RECT rect);

}  // namespace control_resources
}  // namespace ui
