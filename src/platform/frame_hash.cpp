// FNV-1a over a frame's indices and palette.
#include "platform/frame_hash.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace varnholt::platform {

namespace {

constexpr std::uint64_t FNV_OFFSET = 0xcbf29ce484222325ull;
constexpr std::uint64_t FNV_PRIME = 0x100000001b3ull;

std::uint64_t fnv1a(std::uint64_t hash, const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    hash ^= bytes[i];
    hash *= FNV_PRIME;
  }
  return hash;
}

std::uint64_t hashPixelsAndPalette(const std::uint8_t* pixels, int width, int height, std::ptrdiff_t pitch,
                                   const PaletteEntry* palette) {
  std::uint64_t hash = FNV_OFFSET;
  for (int y = 0; y < height; ++y) hash = fnv1a(hash, pixels + y * pitch, static_cast<std::size_t>(width));
  for (int i = 0; i < 256; ++i) {
    const std::uint8_t entry[4] = {palette[i].red, palette[i].green, palette[i].blue, palette[i].flags};
    hash = fnv1a(hash, entry, 4);
  }
  return hash;
}

bool validFrame(const Frame& frame) {
  return frame.pixels != nullptr && frame.palette != nullptr && frame.width > 0 && frame.height > 0 &&
         frame.pitch >= frame.width;
}

}  // namespace

std::uint64_t hashFrame(const Frame& frame) {
  if (!validFrame(frame)) return FNV_OFFSET;
  return hashPixelsAndPalette(frame.pixels, frame.width, frame.height, frame.pitch, frame.palette);
}

std::uint64_t hashFrame(const CapturedFrame& frame) {
  return hashPixelsAndPalette(frame.pixels.data(), frame.width, frame.height, frame.width,
                              frame.palette.data());
}

void keepFrame(CapturedFrame& kept, const Frame& frame) {
  const auto width = static_cast<std::size_t>(frame.width);
  const bool sameSize = kept.width == frame.width && kept.height == frame.height &&
                        kept.pixels.size() == width * static_cast<std::size_t>(frame.height);
  if (frame.changed != nullptr && sameSize) {
    for (std::size_t i = 0; i < frame.changedCount; ++i) {
      const FrameRect& c = frame.changed[i];
      const int left = std::clamp(c.left, 0, frame.width);
      const int right = std::clamp(c.right, 0, frame.width);
      const int top = std::clamp(c.top, 0, frame.height);
      const int bottom = std::clamp(c.bottom, 0, frame.height);
      if (right <= left) continue;
      for (int y = top; y < bottom; ++y) {
        std::memcpy(kept.pixels.data() + static_cast<std::size_t>(y) * width + static_cast<std::size_t>(left),
                    frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch + left,
                    static_cast<std::size_t>(right - left));
      }
    }
  } else {
    kept.width = frame.width;
    kept.height = frame.height;
    kept.pixels.resize(width * static_cast<std::size_t>(frame.height));
    for (int y = 0; y < frame.height; ++y) {
      std::memcpy(kept.pixels.data() + static_cast<std::size_t>(y) * width,
                  frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch, width);
    }
  }
  std::memcpy(kept.palette.data(), frame.palette, sizeof(PaletteEntry) * 256);
}

}  // namespace varnholt::platform
