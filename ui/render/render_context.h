// The one drawing surface of the UI framework.
//
// Every control and the window shell draw through IRenderContext into a
// 32-bit premultiplied BGRA off-screen bitmap, which the window then copies
// or blends onto the screen. Coordinates are window client pixels; the
// drawing origin (SetWindowOrg) shifts them, clips are in the same
// coordinates as the drawing. Colours are ARGB with alpha in the top byte.
// UI thread only. Create contexts with IRenderFactory::CreateRenderContext.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ui/render/render_objects.h"

namespace ui {

class IRenderContext {
 public:
  virtual ~IRenderContext() = default;

  virtual HDC GetDC() const = 0;

  // Makes the bitmap `width` x `height` (top-down rows when `top_down`).
  // Returns false, keeping the pixels, when the size is already that;
  // true when a new (zeroed) bitmap was made.
  virtual bool Resize(int width, int height, bool top_down = true) = 0;
  // Sets every byte of the bitmap to 0 (transparent black).
  virtual void Clear() = 0;
  // A new context of the same size holding a copy of these pixels.
  virtual std::unique_ptr<IRenderContext> Clone() = 0;
  // Hands the bitmap to the caller (who deletes it); the context is empty
  // afterwards until the next Resize.
  virtual HBITMAP DetachBitmap() = 0;

  virtual BYTE* GetBits() = 0;
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  // Sets every byte of the pixels of `rect` to `value`; 0 clears a region
  // to transparent black before it is painted again.
  virtual void ClearAlpha(const RECT& rect, BYTE value = 0) = 0;
  // GDI leaves alpha 0 where it draws. For the pixels of `rect` outside the
  // four corner squares of `corners` (widths of left, top, right, bottom),
  // alpha becomes 0 when it equals a non-zero `key`, and 255 otherwise.
  // With `dirty`, only the pixels of rect inside dirty change; the corner
  // squares stay those of `rect`, so a partial repaint keeps them right.
  virtual void RestoreAlpha(const RECT& rect, const RECT& corners, BYTE key = 0,
                            const RECT* dirty = nullptr) = 0;

  // Transparent: the window is layered and every part must be drawn with
  // its alpha. Set returns the previous value.
  virtual bool IsRenderTransparent() const = 0;
  virtual bool SetRenderTransparent(bool transparent) = 0;

  // Save and restore nest: Restore goes back to the state of the matching
  // Save (clip and origin included).
  virtual void Save() = 0;
  virtual void Restore() = 0;

  // The drawing origin: after SetWindowOrg(p), drawing at p lands on pixel
  // (0,0). Offset adds `delta`; both return the previous origin.
  virtual POINT OffsetWindowOrg(POINT delta) = 0;
  virtual POINT SetWindowOrg(POINT origin) = 0;
  virtual POINT GetWindowOrg() const = 0;

  // Each Set*Clip saves the state and narrows the clip; ClearClip undoes the
  // most recent one, so clips nest like Save/Restore.
  virtual void SetClip(const RECT& rect) = 0;
  // A rounded rectangle reaching one pixel past rect's right and bottom
  // edges, with a corner ellipse of `width` x `height`.
  virtual void SetRoundClip(const RECT& rect, int width, int height) = 0;
  virtual void ClearClip() = 0;

  virtual bool BitBlt(int x, int y, int cx, int cy, HDC source, int x_source, int y_source,
                      DWORD rop = SRCCOPY) = 0;
  // Per-pixel source alpha, times `opacity` / 255.
  virtual bool AlphaBlend(int x, int y, int cx, int cy, HDC source, int x_source, int y_source,
                          int cx_source, int cy_source, BYTE opacity = 255) = 0;

  // Draws `source` of `bitmap` into `dest`, doing nothing when dest does not
  // meet `paint`. `corners` (left, top, right, bottom insets) cut dest and
  // source into nine parts: corners are copied unscaled, edges stretched
  // along their length, the centre stretched or, when tiled, repeated at its
  // own size (the last tile cut at the edge).
  virtual void DrawImage(const RECT& paint, HBITMAP bitmap, bool has_alpha, const RECT& dest,
                         const RECT& source, const RECT& corners, BYTE opacity = 255,
                         bool x_tiled = false, bool y_tiled = false) = 0;

  // Fills `rect` with the named colour (see ColorTable); nothing for an
  // empty or unknown name.
  virtual void DrawColor(const RECT& rect, const std::wstring& color_name, BYTE opacity = 255) = 0;
  // Fills `rect` with `argb`; below 255, `opacity` scales the colour's alpha.
  virtual void FillRect(const RECT& rect, DWORD argb, BYTE opacity = 255) = 0;

  virtual void DrawLine(const IPen& pen, POINT from, POINT to) = 0;
  // A line from rect's left-top to its right-bottom.
  virtual void DrawLine(const RECT& rect, int width, DWORD argb) = 0;
  virtual void DrawBezier(const IPen& pen, POINT p1, POINT p2, POINT p3, POINT p4) = 0;
  // Outline at left, top, (right - left) wide, (bottom - top) high.
  virtual void DrawRect(const RECT& rect, int width, DWORD argb) = 0;
  virtual void DrawRoundRect(const RECT& rect, SIZE ellipse, int width, DWORD argb) = 0;

  virtual void DrawPath(const IPath& path, const IPen& pen) = 0;
  virtual void FillPath(const IPath& path, const IBrush& brush) = 0;

  // Draws `text` in the font of `font_id` (empty = the default font) laid
  // out in `rect`. `format` takes the DT_* flags DT_CENTER, DT_RIGHT,
  // DT_VCENTER, DT_BOTTOM, DT_SINGLELINE, DT_END_ELLIPSIS and DT_NOCLIP.
  // `line_limit` shows whole lines only. Opaque colours are drawn with alpha
  // 254 so anti-aliasing stays greyscale on a transparent surface.
  virtual void RenderText(const RECT& rect, const std::wstring& text, DWORD argb,
                          const std::wstring& font_id, UINT format, BYTE opacity = 255,
                          bool line_limit = false) = 0;
  // The box `text` needs, one pixel wider and higher than measured (so the
  // last anti-aliased column and row fit). `width_limit` -1 measures with no
  // box, 0 is an unbounded width, else lines wrap at that width (unless
  // DT_SINGLELINE).
  virtual RECT MeasureTextBox(const std::wstring& text, const std::wstring& font_id,
                              UINT format, int width_limit = -1) = 0;
};

// Narrows the clip of `render` to `rect` for the life of this object.
class ScopedRenderClip {
 public:
  ScopedRenderClip(IRenderContext& render, const RECT& rect) : render_(render) {
    render_.SetClip(rect);
  }
  ~ScopedRenderClip() { render_.ClearClip(); }
  ScopedRenderClip(const ScopedRenderClip&) = delete;
  ScopedRenderClip& operator=(const ScopedRenderClip&) = delete;

 private:
  IRenderContext& render_;
};

}  // namespace ui
