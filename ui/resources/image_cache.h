// The process-wide image cache: normalised path → the image, held weakly.
//
// The cache never keeps an image alive: controls own it through the shared
// reference they got, and when the last one lets go the image is freed and
// its entry removed at once (same thread). So each file is decoded at most
// once while anyone still draws it.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "ui/resources/image_info.h"

namespace ui {

class ImageCache {
 public:
  using Loader = std::function<std::unique_ptr<ImageInfo>()>;

  ImageCache();
  ~ImageCache();
  ImageCache(const ImageCache&) = delete;
  ImageCache& operator=(const ImageCache&) = delete;

  // The live image of `key`, or what `load` gives, cached under `key` and
  // marked cached. Empty (and nothing cached) when `load` gives nothing.
  std::shared_ptr<ImageInfo> Lookup(const std::wstring& key, const Loader& load);
  // A live image of `key` without loading; empty when there is none.
  std::shared_ptr<ImageInfo> Find(const std::wstring& key) const;

  size_t GetEntryCount() const;

 private:
  using Entries = std::map<std::wstring, std::weak_ptr<ImageInfo>>;
  // Images can outlive the cache (static destruction order), so their
  // deleters hold the entries weakly, not the cache.
  std::shared_ptr<Entries> entries_;
};

}  // namespace ui
