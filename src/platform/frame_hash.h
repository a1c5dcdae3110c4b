#pragma once
// Presented frames kept as values, and their hash: what the replay runners compare and golden files hold.

#include <array>
#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace varnholt::platform {

// A presented frame as the headless platform keeps it: rows packed (pitch == width).
struct CapturedFrame {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
  std::array<PaletteEntry, 256> palette{};
};

// Makes `kept` a copy of `frame` (which must have pixels and a palette). A frame that says where it
// changed since the one before, and has the kept frame's size, is copied only there, so keeping the
// picture of an idle screen costs next to nothing.
void keepFrame(CapturedFrame& kept, const Frame& frame);

// FNV-1a (64-bit) over the width x height palette indices row by row, then the 256 palette entries'
// four bytes each (red, green, blue, flags). Rows are read `pitch` bytes apart, so padding is ignored.
std::uint64_t hashFrame(const Frame& frame);
std::uint64_t hashFrame(const CapturedFrame& frame);

}  // namespace varnholt::platform
