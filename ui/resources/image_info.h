// A decoded image as controls draw it: one 32-bit bitmap per frame
// (premultiplied BGRA, as AlphaBlend wants it), frame delays for animations
// and whether any pixel is translucent. Shared by every control that draws
// the same file; see ImageCache.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <memory>
#include <string>
#include <vector>

#include "base/unique_any.h"

namespace Gdiplus {
class Bitmap;
}

namespace ui {

class ImageInfo {
 public:
  // Decoders; null when GDI+ cannot read the image. GDI+ must be started.
  static std::unique_ptr<ImageInfo> DecodeFile(const std::wstring& path);
  static std::unique_ptr<ImageInfo> DecodeStream(IStream* stream);

  ImageInfo() = default;
  ImageInfo(const ImageInfo&) = delete;
  ImageInfo& operator=(const ImageInfo&) = delete;

  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  // The normalised path the image was loaded for (the cache key).
  const std::wstring& GetPath() const { return path_; }
  void SetPath(const std::wstring& path) { path_ = path; }

  size_t GetFrameCount() const { return frames_.size(); }
  // Null for an index out of range.
  HBITMAP GetBitmap(size_t frame = 0) const;
  // Delay of a frame in hundredths of a second, as animated GIFs store it;
  // only images with more than one frame have delays (0 otherwise).
  int GetFrameDelay(size_t frame) const;
  bool HasAlpha() const { return has_alpha_; }

  // Set by the image cache when it took the image.
  bool IsCached() const { return cached_; }
  void SetCached(bool cached) { cached_ = cached; }

 private:
  static std::unique_ptr<ImageInfo> FromGdiplus(Gdiplus::Bitmap* image);

  int width_ = 0;
  int height_ = 0;
  std::wstring path_;
  std::vector<base::unique_hbitmap> frames_;
  std::vector<int> delays_;
  bool has_alpha_ = false;
  bool cached_ = false;
};

}  // namespace ui
