#pragma once
// A picture as varnholt-picture holds it between reading and writing: straight (not premultiplied) 8-bit
// red, green, blue and alpha for every pixel, top row first; and for a picture read from palette indices
// (an 8-bit BMP, a palette PNG) the indices and the colour table as well, so that a picture whose table
// is the campaign palette keeps its indices and its table can become a palette file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnholt::imaging {

struct Rgba {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t alpha = 255;

  friend bool operator==(const Rgba&, const Rgba&) = default;
};

// Below this alpha a pixel counts as transparent: it becomes index 0, the index the game skips.
inline constexpr std::uint8_t kOpaqueAlpha = 128;

// The largest picture read or written: at most 8192 pixels a side (the game's loader reads no more) and
// at most 64 MiB as red, green, blue and alpha (4096 x 4096, or 8192 x 2048), checked from the file's
// header before anything is allocated for its pixels.
inline constexpr int kMaxSide = 8192;
inline constexpr std::size_t kMaxDecodedBytes = std::size_t{64} << 20;
// The largest input file read at all.
inline constexpr std::size_t kMaxFileBytes = std::size_t{64} << 20;

struct Image {
  int width = 0;
  int height = 0;
  std::vector<Rgba> pixels;  // width x height, top row first

  // Only for a picture read from palette indices: one index per pixel, and the table they index.
  std::vector<std::uint8_t> indices;
  std::vector<Rgba> table;

  bool indexed() const { return !indices.empty(); }
  const Rgba& at(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

// Whether a picture of width x height may be decoded: both sides from 1 to kMaxSide and the decoded
// size within kMaxDecodedBytes. Otherwise false, with the reason in `error`.
bool decodableSize(long long width, long long height, std::string_view what, std::string& error);

}  // namespace varnholt::imaging
