// The kept copy of the last presented frame and where it changed.
#include "platform/kept_frame.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace varnholt::platform {

namespace {

std::uint64_t loadWord(const std::uint8_t* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// The index of the first byte where `a` and `b` differ, `count` when none does. Eight bytes at a time:
// WebAssembly's memcmp goes one byte at a time, which made comparing an idle frame cost more than
// drawing it.
std::size_t firstDifference(const std::uint8_t* a, const std::uint8_t* b, std::size_t count) {
  std::size_t i = 0;
  // Equal stretches (most of an idle frame) 32 bytes at a time, with one test for the four words.
  for (; i + 32 <= count; i += 32) {
    const std::uint64_t differ =
        (loadWord(a + i) ^ loadWord(b + i)) | (loadWord(a + i + 8) ^ loadWord(b + i + 8)) |
        (loadWord(a + i + 16) ^ loadWord(b + i + 16)) | (loadWord(a + i + 24) ^ loadWord(b + i + 24));
    if (differ != 0) break;
  }
  for (; i + 8 <= count; i += 8) {
    const std::uint64_t differ = loadWord(a + i) ^ loadWord(b + i);
    if (differ == 0) continue;
    if constexpr (std::endian::native == std::endian::little) return i + std::countr_zero(differ) / 8;
    break;
  }
  for (; i < count; ++i) {
    if (a[i] != b[i]) return i;
  }
  return count;
}

// One past the index of the last byte where `a` and `b` differ, 0 when none does.
std::size_t lastDifference(const std::uint8_t* a, const std::uint8_t* b, std::size_t count) {
  std::size_t end = count;
  for (; end >= 8; end -= 8) {
    const std::uint64_t differ = loadWord(a + end - 8) ^ loadWord(b + end - 8);
    if (differ == 0) continue;
    if constexpr (std::endian::native == std::endian::little) return end - std::countl_zero(differ) / 8;
    break;
  }
  for (; end > 0; --end) {
    if (a[end - 1] != b[end - 1]) return end;
  }
  return 0;
}

FrameRect clipped(const FrameRect& r, int width, int height) {
  return FrameRect{std::clamp(r.left, 0, width), std::clamp(r.top, 0, height), std::clamp(r.right, 0, width),
                   std::clamp(r.bottom, 0, height)};
}

}  // namespace

void KeptFrame::keep(const Frame& frame) {
  const bool sameSize = !pixels_.empty() && frame.width == width_ && frame.height == height_;
  constexpr std::size_t kPaletteBytes = sizeof(PaletteEntry) * 256;
  if (!sameSize ||
      firstDifference(reinterpret_cast<const std::uint8_t*>(palette_.data()),
                      reinterpret_cast<const std::uint8_t*>(frame.palette), kPaletteBytes) != kPaletteBytes) {
    width_ = frame.width;
    height_ = frame.height;
    pixels_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    for (int y = 0; y < height_; ++y) {
      std::memcpy(pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_),
                  frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch,
                  static_cast<std::size_t>(width_));
    }
    std::memcpy(palette_.data(), frame.palette, kPaletteBytes);
    all_ = true;
    pending_.clear();
    return;
  }
  if (frame.changed == nullptr) {
    copyRows(frame, FrameRect{0, 0, width_, height_});
    return;
  }
  // Outside these places the frame is the one presented before, which is the one kept.
  for (std::size_t i = 0; i < frame.changedCount; ++i)
    copyRows(frame, clipped(frame.changed[i], width_, height_));
}

// Copies the differing bytes of `area` and makes the rectangle around them pending.
void KeptFrame::copyRows(const Frame& frame, const FrameRect& area) {
  if (area.right <= area.left || area.bottom <= area.top) return;
  const auto count = static_cast<std::size_t>(area.right - area.left);
  FrameRect box{area.right, -1, area.left, -1};
  for (int y = area.top; y < area.bottom; ++y) {
    const std::uint8_t* source = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch + area.left;
    std::uint8_t* kept = pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                         static_cast<std::size_t>(area.left);
    const std::size_t first = firstDifference(kept, source, count);
    if (first == count) continue;
    const std::size_t last = first + lastDifference(kept + first, source + first, count - first);
    std::memcpy(kept + first, source + first, last - first);
    box.left = std::min(box.left, area.left + static_cast<int>(first));
    box.right = std::max(box.right, area.left + static_cast<int>(last));
    if (box.top < 0) box.top = y;
    box.bottom = y + 1;
  }
  if (box.top >= 0) addPending(box);
}

void KeptFrame::addPending(const FrameRect& rect) {
  if (all_) return;
  pending_.push_back(rect);
  if (pending_.size() <= kMaxPending) return;
  FrameRect around = pending_.front();
  for (const FrameRect& r : pending_) {
    around.left = std::min(around.left, r.left);
    around.top = std::min(around.top, r.top);
    around.right = std::max(around.right, r.right);
    around.bottom = std::max(around.bottom, r.bottom);
  }
  pending_.assign(1, around);
}

void KeptFrame::clearPending() {
  all_ = false;
  pending_.clear();
}

}  // namespace varnholt::platform
