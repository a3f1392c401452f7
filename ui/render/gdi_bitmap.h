// A 32-bit device-independent bitmap whose pixels the program reads and
// writes directly: B, G, R, A bytes, premultiplied by alpha as AlphaBlend
// and UpdateLayeredWindow expect.
#pragma once

#include <windows.h>

#include "base/unique_any.h"

namespace ui {

class GdiBitmap {
 public:
  GdiBitmap() = default;
  GdiBitmap(const GdiBitmap&) = delete;
  GdiBitmap& operator=(const GdiBitmap&) = delete;

  // Makes a zeroed width x height bitmap (rows top-down when `top_down`),
  // dropping any earlier one. False, leaving the object empty, when the
  // size is not positive or GDI cannot make it.
  bool Init(HDC dc, int width, int height, bool top_down = true);
  void Clear();
  // Hands the bitmap to the caller; the object is empty afterwards.
  HBITMAP DetachBitmap();

  HBITMAP GetBitmap() const { return bitmap_.get(); }
  BYTE* GetBits() const { return bits_; }
  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  bool IsTopDown() const { return top_down_; }
  // The 4 bytes of pixel (x, y) counted from the top row, whatever the row
  // order; null outside the bitmap.
  BYTE* PixelAt(int x, int y) const;

  // Sets every byte of the pixels of `rect` to `value`.
  void ClearAlpha(const RECT& rect, BYTE value);
  void RestoreAlpha(const RECT& rect, const RECT& corners, BYTE key, const RECT* dirty = nullptr);

 private:
  void Reset();
  // Clamps rect to the bitmap; false when nothing is left.
  bool ClampToBitmap(const RECT& rect, RECT* out) const;

  base::unique_hbitmap bitmap_;
  BYTE* bits_ = nullptr;  // Owned by bitmap_.
  int width_ = 0;
  int height_ = 0;
  bool top_down_ = true;
};

}  // namespace ui
