// Creates the drawing objects of the UI framework. One global factory exists
// (held by GlobalResources); everything that needs a render context, pen,
// brush, matrix, path or bitmap asks it.
#pragma once

#include <windows.h>

#include <memory>

#include "ui/render/render_context.h"
#include "ui/render/render_objects.h"

namespace ui {

class GdiBitmap;

class IRenderFactory {
 public:
  virtual ~IRenderFactory() = default;
  virtual std::unique_ptr<IPen> CreatePen(DWORD argb, int width = 1) = 0;
  virtual std::unique_ptr<IRenderContext> CreateRenderContext() = 0;
  virtual std::unique_ptr<IBrush> CreateBrush(DWORD argb) = 0;
  virtual std::unique_ptr<IMatrix> CreateMatrix() = 0;
  virtual std::unique_ptr<IPath> CreatePath() = 0;
  virtual std::unique_ptr<GdiBitmap> CreateBitmap() = 0;
};

}  // namespace ui
