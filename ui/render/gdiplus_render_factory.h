// The program's render factory: GDI+ objects and RenderContext_GdiPlus
// contexts that resolve font ids and colour names through the given tables
// (which must outlive the factory and everything it made; either may be
// null).
#pragma once

#include "ui/render/render_factory.h"

namespace ui {

class ColorTable;
class FontTable;

class RenderFactory_GdiPlus : public IRenderFactory {
 public:
  RenderFactory_GdiPlus(const FontTable* fonts, ColorTable* colors)
      : fonts_(fonts), colors_(colors) {}

  std::unique_ptr<IPen> CreatePen(DWORD argb, int width = 1) override;
  std::unique_ptr<IRenderContext> CreateRenderContext() override;
  std::unique_ptr<IBrush> CreateBrush(DWORD argb) override;
  std::unique_ptr<IMatrix> CreateMatrix() override;
  std::unique_ptr<IPath> CreatePath() override;
  std::unique_ptr<GdiBitmap> CreateBitmap() override;

 private:
  const FontTable* fonts_;
  ColorTable* colors_;
};

}  // namespace ui
