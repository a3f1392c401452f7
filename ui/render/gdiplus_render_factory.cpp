#include "ui/render/gdiplus_render_factory.h"

#include "ui/render/gdi_bitmap.h"
#include "ui/render/gdiplus_render_context.h"
#include "ui/render/gdiplus_render_objects.h"

namespace ui {

std::unique_ptr<IPen> RenderFactory_GdiPlus::CreatePen(DWORD argb, int width) {
  return std::make_unique<Pen_GdiPlus>(argb, width);
}

std::unique_ptr<IRenderContext> RenderFactory_GdiPlus::CreateRenderContext() {
  return std::make_unique<RenderContext_GdiPlus>(fonts_, colors_);
}

std::unique_ptr<IBrush> RenderFactory_GdiPlus::CreateBrush(DWORD argb) {
  return std::make_unique<Brush_Gdiplus>(argb);
}

std::unique_ptr<IMatrix> RenderFactory_GdiPlus::CreateMatrix() {
  return std::make_unique<Matrix_Gdiplus>();
}

std::unique_ptr<IPath> RenderFactory_GdiPlus::CreatePath() {
  return std::make_unique<Path_Gdiplus>();
}

std::unique_ptr<GdiBitmap> RenderFactory_GdiPlus::CreateBitmap() {
  return std::make_unique<GdiBitmap>();
}

}  // namespace ui
