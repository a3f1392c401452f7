// IRenderContext drawing with GDI, AlphaBlend and GDI+ into a GdiBitmap
// selected into a memory DC.
//
// Fonts and colour names resolve through the tables handed in; either may be
// null (then only the DC's own font is used and every colour name is 0).
// The tables must outlive the context.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "base/unique_any.h"
#include "ui/render/gdi_bitmap.h"
#include "ui/render/render_context.h"

namespace ui {

class ColorTable;
class FontTable;

class RenderContext_GdiPlus : public IRenderContext {
 public:
  RenderContext_GdiPlus(const FontTable* fonts, ColorTable* colors);
  ~RenderContext_GdiPlus() override;
  RenderContext_GdiPlus(const RenderContext_GdiPlus&) = delete;
  RenderContext_GdiPlus& operator=(const RenderContext_GdiPlus&) = delete;

  HDC GetDC() const override { return dc_.get(); }
  bool Resize(int width, int height, bool top_down = true) override;
  void Clear() override;
  std::unique_ptr<IRenderContext> Clone() override;
  HBITMAP DetachBitmap() override;

  BYTE* GetBits() override { return bitmap_.GetBits(); }
  int GetWidth() const override { return bitmap_.GetWidth(); }
  int GetHeight() const override { return bitmap_.GetHeight(); }
  void ClearAlpha(const RECT& rect, BYTE value = 0) override;
  void RestoreAlpha(const RECT& rect, const RECT& corners, BYTE key = 0,
                    const RECT* dirty = nullptr) override;

  bool IsRenderTransparent() const override { return transparent_; }
  bool SetRenderTransparent(bool transparent) override;

  void Save() override;
  void Restore() override;

  POINT OffsetWindowOrg(POINT delta) override;
  POINT SetWindowOrg(POINT origin) override;
  POINT GetWindowOrg() const override;

  void SetClip(const RECT& rect) override;
  void SetRoundClip(const RECT& rect, int width, int height) override;
  void ClearClip() override;

  bool BitBlt(int x, int y, int cx, int cy, HDC source, int x_source, int y_source,
              DWORD rop = SRCCOPY) override;
  bool AlphaBlend(int x, int y, int cx, int cy, HDC source, int x_source, int y_source,
                  int cx_source, int cy_source, BYTE opacity = 255) override;

  void DrawImage(const RECT& paint, HBITMAP bitmap, bool has_alpha, const RECT& dest,
                 const RECT& source, const RECT& corners, BYTE opacity = 255,
                 bool x_tiled = false, bool y_tiled = false) override;

  void DrawColor(const RECT& rect, const std::wstring& color_name, BYTE opacity = 255) override;
  void FillRect(const RECT& rect, DWORD argb, BYTE opacity = 255) override;

  void DrawLine(const IPen& pen, POINT from, POINT to) override;
  void DrawLine(const RECT& rect, int width, DWORD argb) override;
  void DrawBezier(const IPen& pen, POINT p1, POINT p2, POINT p3, POINT p4) override;
  void DrawRect(const RECT& rect, int width, DWORD argb) override;
  void DrawRoundRect(const RECT& rect, SIZE ellipse, int width, DWORD argb) override;

  void DrawPath(const IPath& path, const IPen& pen) override;
  void FillPath(const IPath& path, const IBrush& brush) override;

  void RenderText(const RECT& rect, const std::wstring& text, DWORD argb,
                  const std::wstring& font_id, UINT format, BYTE opacity = 255,
                  bool line_limit = false) override;
  RECT MeasureTextBox(const std::wstring& text, const std::wstring& font_id, UINT format,
                      int width_limit = -1) override;

 private:
  // One part of a nine-slice image: AlphaBlend or a plain stretched copy.
  void DrawImagePart(HDC source_dc, bool use_alpha_blend, BYTE opacity, const RECT& dest,
                     const RECT& source);

  const FontTable* fonts_;
  ColorTable* colors_;
  base::unique_hdc dc_;
  GdiBitmap bitmap_;
  // bitmap_ in dc_; declared after both so it is undone before they go.
  base::unique_select_object selected_bitmap_;
  int save_depth_ = 0;                 // Open Save()/Set*Clip() levels.
  bool transparent_ = false;
};

}  // namespace ui
