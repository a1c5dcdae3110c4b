// Palette lookup table and frame conversion for the SDL texture.
#include "platform/sdl/frame_conversion.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace varnholt::platform {

void buildPaletteLookup(const PaletteEntry* palette, PaletteLookup& lookup) {
  for (std::size_t i = 0; i < lookup.size(); ++i) {
    lookup[i] = 0xFF000000u | (std::uint32_t{palette[i].red} << 16) | (std::uint32_t{palette[i].green} << 8) |
                std::uint32_t{palette[i].blue};
  }
}

void convertFrame(const Frame& frame, const PaletteLookup& lookup, void* target, int targetPitch) {
  auto* targetBytes = static_cast<std::uint8_t*>(target);
  for (int y = 0; y < frame.height; ++y) {
    const std::uint8_t* source = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch;
    std::uint8_t* row = targetBytes + static_cast<std::ptrdiff_t>(y) * targetPitch;
    for (int x = 0; x < frame.width; ++x) {
      // memcpy keeps the store well-defined whatever the alignment of the texture's rows.
      std::memcpy(row + static_cast<std::ptrdiff_t>(x) * 4, &lookup[source[x]], 4);
    }
  }
}

FrameRect clippedRect(const FrameRect& r, int width, int height) {
  return FrameRect{std::clamp(r.left, 0, width), std::clamp(r.top, 0, height), std::clamp(r.right, 0, width),
                   std::clamp(r.bottom, 0, height)};
}

bool ShownFrame::matches(const Frame& frame) const {
  if (!valid_ || frame.width != width_ || frame.height != height_) return false;
  if (std::memcmp(palette_.data(), frame.palette, sizeof(PaletteEntry) * palette_.size()) != 0) return false;
  const auto rowBytes = static_cast<std::size_t>(width_);
  if (frame.changed != nullptr) {
    // Outside these places the frame is the one presented before, which is the one kept.
    for (std::size_t i = 0; i < frame.changedCount; ++i) {
      const FrameRect r = clippedRect(frame.changed[i], width_, height_);
      if (r.right <= r.left || r.bottom <= r.top) continue;
      const auto count = static_cast<std::size_t>(r.right - r.left);
      for (int y = r.top; y < r.bottom; ++y) {
        const std::uint8_t* source = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch + r.left;
        if (std::memcmp(pixels_.data() + rowBytes * static_cast<std::size_t>(y) + r.left, source, count) != 0)
          return false;
      }
    }
    return true;
  }
  for (int y = 0; y < height_; ++y) {
    const std::uint8_t* source = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch;
    if (std::memcmp(pixels_.data() + rowBytes * static_cast<std::size_t>(y), source, rowBytes) != 0)
      return false;
  }
  return true;
}

void ShownFrame::keep(const Frame& frame) {
  width_ = frame.width;
  height_ = frame.height;
  const auto rowBytes = static_cast<std::size_t>(width_);
  pixels_.resize(rowBytes * static_cast<std::size_t>(height_));
  for (int y = 0; y < height_; ++y) {
    std::memcpy(pixels_.data() + rowBytes * static_cast<std::size_t>(y),
                frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch, rowBytes);
  }
  std::memcpy(palette_.data(), frame.palette, sizeof(PaletteEntry) * palette_.size());
  valid_ = true;
}

void ShownFrame::forget() {
  valid_ = false;
}

Frame ShownFrame::view() const {
  if (!valid_) return {};
  return {pixels_.data(), width_, height_, width_, palette_.data()};
}

}  // namespace varnholt::platform
