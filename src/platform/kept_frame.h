#pragma once
// A backend's copy of the last presented frame, with the places where it changed since the backend last
// drew it. Presenting the same picture again leaves nothing to draw; a moving cursor leaves its own few
// rectangles. Only the frame's `changed` rectangles are compared when it names them, so an idle frame
// costs a comparison of those places instead of the whole screen.

#include <array>
#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace varnholt::platform {

class KeptFrame {
 public:
  // More pending places than this are merged into the one rectangle around them all.
  static constexpr std::size_t kMaxPending = 32;

  // Takes in a presented frame (valid pixels, palette, width, height and pitch >= width): copies what
  // differs from the kept picture and adds the rectangles around the differences to the pending places.
  // A first frame, a new size or a new palette makes the whole frame pending.
  void keep(const Frame& frame);

  // Nothing changed since the last clearPending().
  bool unchanged() const { return !all_ && pending_.empty(); }
  // The whole frame is to be drawn (first frame, new size, new palette, too many places before a merge
  // covered it all).
  bool all() const { return all_; }
  // The places to draw when not all(): rectangles inside the frame, none of them empty.
  const std::vector<FrameRect>& pending() const { return pending_; }
  void clearPending();

  bool empty() const { return width_ == 0; }
  int width() const { return width_; }
  int height() const { return height_; }
  // Rows packed: pitch = width.
  const std::uint8_t* pixels() const { return pixels_.data(); }
  const std::array<PaletteEntry, 256>& palette() const { return palette_; }

 private:
  void copyRows(const Frame& frame, const FrameRect& area);
  void addPending(const FrameRect& rect);

  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> pixels_;
  std::array<PaletteEntry, 256> palette_{};
  std::vector<FrameRect> pending_;
  bool all_ = false;
};

}  // namespace varnholt::platform
