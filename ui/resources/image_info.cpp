#include "ui/resources/image_info.h"

#include <objidl.h>

#include <gdiplus.h>

namespace ui {
namespace {

// True when some pixel of a 32-bit top-down DIB section is not opaque.
bool HasTranslucentPixel(HBITMAP bitmap) {
  DIBSECTION dib{};
  if (::GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib) || dib.dsBm.bmBits == nullptr ||
      dib.dsBm.bmBitsPixel != 32) {
    return false;
  }
  const auto* pixels = static_cast<const BYTE*>(dib.dsBm.bmBits);
  const size_t count = static_cast<size_t>(dib.dsBm.bmWidth) * dib.dsBm.bmHeight;
  for (size_t i = 0; i < count; ++i) {
    if (pixels[i * 4 + 3] != 255) return true;
  }
  return false;
}

}  // namespace

HBITMAP ImageInfo::GetBitmap(size_t frame) const {
  return frame < frames_.size() ? frames_[frame].get() : nullptr;
}

int ImageInfo::GetFrameDelay(size_t frame) const {
  return frame < delays_.size() ? delays_[frame] : 0;
}

std::unique_ptr<ImageInfo> ImageInfo::FromGdiplus(Gdiplus::Bitmap* bitmap) {
  Gdiplus::Bitmap& image = *bitmap;
  if (image.GetLastStatus() != Gdiplus::Ok) return nullptr;
  auto info = std::make_unique<ImageInfo>();
  info->width_ = static_cast<int>(image.GetWidth());
  info->height_ = static_cast<int>(image.GetHeight());
  if (info->width_ <= 0 || info->height_ <= 0) return nullptr;

  UINT frame_count = 1;
  const UINT dimensions = image.GetFrameDimensionsCount();
  if (dimensions > 0) {
    std::vector<GUID> ids(dimensions);
    if (image.GetFrameDimensionsList(ids.data(), dimensions) == Gdiplus::Ok) {
      for (const GUID& id : ids) {
        if (id == Gdiplus::FrameDimensionTime) frame_count = image.GetFrameCount(&id);
      }
    }
  }
  if (frame_count == 0) frame_count = 1;

  if (frame_count > 1) {
    const UINT bytes = image.GetPropertyItemSize(PropertyTagFrameDelay);
    if (bytes > 0) {
      std::vector<BYTE> storage(bytes);
      auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(storage.data());
      if (image.GetPropertyItem(PropertyTagFrameDelay, bytes, item) == Gdiplus::Ok) {
        const auto* values = static_cast<const LONG*>(item->value);
        const size_t stored = item->length / sizeof(LONG);
        for (UINT i = 0; i < frame_count; ++i) info->delays_.push_back(i < stored ? values[i] : 0);
      }
    }
    if (info->delays_.empty()) info->delays_.assign(frame_count, 0);
  }

  const Gdiplus::PixelFormat format = image.GetPixelFormat();
  if (Gdiplus::IsIndexedPixelFormat(format)) {
    const INT palette_size = image.GetPaletteSize();
    if (palette_size > 0) {
      std::vector<BYTE> storage(static_cast<size_t>(palette_size));
      auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(storage.data());
      if (image.GetPalette(palette, palette_size) == Gdiplus::Ok) {
        info->has_alpha_ = (palette->Flags & Gdiplus::PaletteFlagsHasAlpha) != 0;
      }
    }
  } else {
    info->has_alpha_ = Gdiplus::IsAlphaPixelFormat(format) != FALSE;
  }
  // A 32-bit image often carries an alpha channel it never uses; only real
  // translucency makes the renderer blend.
  const bool recompute_alpha = (format == PixelFormat32bppARGB);
  if (recompute_alpha) info->has_alpha_ = false;

  for (UINT i = 0; i < frame_count; ++i) {
    if (frame_count > 1 && image.SelectActiveFrame(&Gdiplus::FrameDimensionTime, i) != Gdiplus::Ok) {
      return nullptr;
    }
    HBITMAP bitmap = nullptr;
    if (image.GetHBITMAP(Gdiplus::Color(255, 0, 0, 0), &bitmap) != Gdiplus::Ok || !bitmap) {
      return nullptr;
    }
    info->frames_.emplace_back(bitmap);
    if (recompute_alpha && !info->has_alpha_) info->has_alpha_ = HasTranslucentPixel(bitmap);
  }
  return info;
}

std::unique_ptr<ImageInfo> ImageInfo::DecodeFile(const std::wstring& path) {
  if (path.empty()) return nullptr;
  Gdiplus::Bitmap image(path.c_str());
  return FromGdiplus(&image);
}

std::unique_ptr<ImageInfo> ImageInfo::DecodeStream(IStream* stream) {
  if (stream == nullptr) return nullptr;
  Gdiplus::Bitmap image(stream);
  return FromGdiplus(&image);
}

}  // namespace ui
