#pragma once
// A bounded least-recently-used store of decoded pictures, so that a picture loaded again and again (a
// screen that reloads its background or a portrait every frame) is read and decoded once. Entries are
// keyed by file name, file size, modification time and the 16-bit format 24-bit files are converted to,
// so a changed file is read again.

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>

#include "engine/bitmap.h"

namespace varnholt {

struct PictureKey {
  std::string fileName;
  std::uintmax_t fileSize = 0;
  long long modified = 0;
  int format = 0;
  bool operator==(const PictureKey&) const = default;
};

class PictureCache {
 public:
  static constexpr std::size_t DEFAULT_MAX_ENTRIES = 64;
  static constexpr std::size_t DEFAULT_MAX_BYTES = 32u << 20;

  // The picture stored under `key` (made the most recently used), or null.
  const BitmapFile* find(const PictureKey& key);
  // Stores a copy of `bitmap`, evicting the least recently used entries to stay within the limits; a
  // picture larger than the byte limit is not stored.
  void insert(const PictureKey& key, const BitmapFile& bitmap);
  void countFileRead() { ++stats_.fileReads; }
  void setLimits(std::size_t maxEntries, std::size_t maxBytes);
  void clear();
  PictureCacheStats stats() const;

 private:
  struct Entry {
    PictureKey key;
    BitmapFile bitmap;
  };
  void evictToFit(std::size_t extraBytes);

  std::list<Entry> entries_;  // most recently used first
  std::size_t bytes_ = 0;
  std::size_t maxEntries_ = DEFAULT_MAX_ENTRIES;
  std::size_t maxBytes_ = DEFAULT_MAX_BYTES;
  PictureCacheStats stats_;
};

}  // namespace varnholt
