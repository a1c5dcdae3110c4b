// FNV-1a over a frame's indices and palette.
#include "platform/frame_hash.h"

#include <cstddef>

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

}  // namespace varnholt::platform
