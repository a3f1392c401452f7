#include "ui/resources/image_cache.h"

namespace ui {

ImageCache::ImageCache() : entries_(std::make_shared<Entries>()) {}
ImageCache::~ImageCache() = default;

std::shared_ptr<ImageInfo> ImageCache::Find(const std::wstring& key) const {
  auto it = entries_->find(key);
  return it == entries_->end() ? nullptr : it->second.lock();
}

std::shared_ptr<ImageInfo> ImageCache::Lookup(const std::wstring& key, const Loader& load) {
  if (std::shared_ptr<ImageInfo> live = Find(key)) return live;
  std::unique_ptr<ImageInfo> loaded = load ? load() : nullptr;
  if (!loaded) return nullptr;
  loaded->SetPath(key);
  loaded->SetCached(true);

  std::weak_ptr<Entries> weak_entries = entries_;
  std::shared_ptr<ImageInfo> image(loaded.release(), [weak_entries, key](ImageInfo* info) {
    // The last holder let go: forget the entry unless a newer image of the
    // same key has taken its place meanwhile.
    if (std::shared_ptr<Entries> entries = weak_entries.lock()) {
      auto it = entries->find(key);
      if (it != entries->end() && it->second.expired()) entries->erase(it);
    }
    delete info;
  });
  (*entries_)[key] = image;
  return image;
}

size_t ImageCache::GetEntryCount() const { return entries_->size(); }

}  // namespace ui
