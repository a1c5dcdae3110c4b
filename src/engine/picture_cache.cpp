// The decoded-picture cache behind loadBitmapFile.
#include "engine/picture_cache.h"

namespace varnholt {

const BitmapFile* PictureCache::find(const PictureKey& key) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->key == key) {
      entries_.splice(entries_.begin(), entries_, it);
      ++stats_.hits;
      return &entries_.front().bitmap;
    }
  }
  return nullptr;
}

void PictureCache::insert(const PictureKey& key, const BitmapFile& bitmap) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->key.fileName == key.fileName) {
      // A picture stored under an older size or time of the same file is stale now.
      bytes_ -= it->bitmap.pixels.size();
      entries_.erase(it);
      break;
    }
  }
  const std::size_t size = bitmap.pixels.size();
  if (size > maxBytes_ || maxEntries_ == 0) return;
  evictToFit(size);
  entries_.push_front(Entry{key, bitmap});
  bytes_ += size;
}

void PictureCache::evictToFit(std::size_t extraBytes) {
  while (!entries_.empty() && (entries_.size() + 1 > maxEntries_ || bytes_ + extraBytes > maxBytes_)) {
    bytes_ -= entries_.back().bitmap.pixels.size();
    entries_.pop_back();
  }
}

void PictureCache::setLimits(std::size_t maxEntries, std::size_t maxBytes) {
  maxEntries_ = maxEntries;
  maxBytes_ = maxBytes;
  while (!entries_.empty() && (entries_.size() > maxEntries_ || bytes_ > maxBytes_)) {
    bytes_ -= entries_.back().bitmap.pixels.size();
    entries_.pop_back();
  }
}

void PictureCache::clear() {
  entries_.clear();
  bytes_ = 0;
  stats_ = PictureCacheStats{};
}

PictureCacheStats PictureCache::stats() const {
  PictureCacheStats result = stats_;
  result.entries = entries_.size();
  result.bytes = bytes_;
  return result;
}

}  // namespace varnholt
