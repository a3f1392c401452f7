#include "ui/render/gdi_bitmap.h"

#include <algorithm>
#include <cstring>

namespace ui {

bool GdiBitmap::Init(HDC dc, int width, int height, bool top_down) {
  Reset();
  if (width <= 0 || height <= 0) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = top_down ? -height : height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
  void* bits = nullptr;
  bitmap_.reset(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_ || !bits) {
    Reset();
    return false;
  }
  bits_ = static_cast<BYTE*>(bits);
  width_ = width;
  height_ = height;
  top_down_ = top_down;
  Clear();
  return true;
}

void GdiBitmap::Clear() {
  if (bits_) {
    // GDI may still be batching drawing into the section.
    ::GdiFlush();
    std::memset(bits_, 0, static_cast<size_t>(width_) * height_ * 4);
  }
}

HBITMAP GdiBitmap::DetachBitmap() {
  HBITMAP bitmap = bitmap_.release();
  Reset();
  return bitmap;
}

void GdiBitmap::Reset() {
  bitmap_.reset();
  bits_ = nullptr;
  width_ = 0;
  height_ = 0;
}

BYTE* GdiBitmap::PixelAt(int x, int y) const {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return nullptr;
  int row = top_down_ ? y : height_ - 1 - y;
  return bits_ + (static_cast<size_t>(row) * width_ + x) * 4;
}

bool GdiBitmap::ClampToBitmap(const RECT& rect, RECT* out) const {
  out->left = std::max<LONG>(rect.left, 0);
  out->top = std::max<LONG>(rect.top, 0);
  out->right = std::min<LONG>(rect.right, width_);
  out->bottom = std::min<LONG>(rect.bottom, height_);
  return bits_ && out->left < out->right && out->top < out->bottom;
}

void GdiBitmap::ClearAlpha(const RECT& rect, BYTE value) {
  RECT r;
  if (!ClampToBitmap(rect, &r)) return;
  ::GdiFlush();
  // Every byte, not just alpha: a transparent pixel must keep no colour,
  // or drawing over it and blending it would bring the old colour back.
  for (int y = r.top; y < r.bottom; ++y)
    std::memset(PixelAt(r.left, y), value, static_cast<size_t>(r.right - r.left) * 4);
}

void GdiBitmap::RestoreAlpha(const RECT& rect, const RECT& corners, BYTE key,
                             const RECT* dirty) {
  RECT limited = rect;
  if (dirty && !::IntersectRect(&limited, &rect, dirty)) return;
  RECT r;
  if (!ClampToBitmap(limited, &r)) return;
  ::GdiFlush();
  // The corner squares belong to `rect`, not to the dirty part of it.
  auto in_corner = [&](int x, int y) {
    bool left = x < rect.left + corners.left;
    bool right = x >= rect.right - corners.right;
    bool top = y < rect.top + corners.top;
    bool bottom = y >= rect.bottom - corners.bottom;
    return (left || right) && (top || bottom);
  };
  for (int y = r.top; y < r.bottom; ++y) {
    BYTE* p = PixelAt(r.left, y);
    for (int x = r.left; x < r.right; ++x, p += 4) {
      if (in_corner(x, y)) continue;
      if (key != 0 && p[3] == key) {
        // A transparent pixel must carry no colour, or a premultiplied blend
        // would add it onto whatever lies below.
        p[0] = p[1] = p[2] = p[3] = 0;
      } else {
        p[3] = 255;
      }
    }
  }
}

}  // namespace ui
