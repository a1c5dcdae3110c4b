// The BMP decoder on arbitrary bytes, then the copies every loaded picture goes through: a cell or a
// rectangle into an image (drawn afterwards) and into sprite frames. Where and how large the copies are
// comes from header fields the decoder reads but does not use (the reserved words and the resolution),
// so mutating them moves the copies around without spoiling the picture.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/bitmap.h"
#include "engine/sprite.h"

using namespace varnholt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  BitmapFile bitmap;
  const int format = size > 0 && (data[0] & 1) ? 15 : 16;
  if (!decodeBitmap(data, size, format, bitmap)) {
    if (!bitmap.pixels.empty()) std::abort();  // a failed decode leaves the picture empty
    return 0;
  }
  const BITMAPINFOHEADER& info = bitmap.infoHeader;
  const std::size_t expected = static_cast<std::size_t>(info.biWidth) *
                               static_cast<std::size_t>(info.biHeight) *
                               static_cast<std::size_t>(info.biBitCount / 8);
  if (info.biWidth < 1 || info.biHeight < 1 || bitmap.pixels.size() != expected) std::abort();

  const auto resolutionX = static_cast<std::uint32_t>(info.biXPelsPerMeter);
  const auto resolutionY = static_cast<std::uint32_t>(info.biYPelsPerMeter);
  const int cx = static_cast<std::int16_t>(bitmap.fileHeader.bfReserved1);
  const int cy = static_cast<std::int16_t>(bitmap.fileHeader.bfReserved2);
  const int width = 1 + static_cast<int>(resolutionX & 0x3FF);
  const int height = 1 + static_cast<int>((resolutionX >> 10) & 0x3FF);
  const int mode = static_cast<int>(resolutionY & 1);

  BitmapImage image;
  if (createImage(image, static_cast<std::int8_t>(resolutionY >> 8),
                  static_cast<std::int8_t>(resolutionY >> 16), width, height, 8)) {
    loadImage(image, bitmap, cx, cy, mode);
    std::vector<std::uint8_t> screen(64 * 48);
    drawImage(image, screen.data(), 64, static_cast<int>((resolutionY >> 1) & 1), 64, 48);
    destroyImage(image);
  }

  Sprite sprite;
  if (createSprite(sprite, 0, 0, width, height, 2, SPRITE_VISIBLE, 0, 0, 8)) {
    loadSpriteFrame(sprite, bitmap, 0, cx, cy, mode);
    loadSpriteFrame(sprite, bitmap, 1, cx + 1, cy, IMAGE_CELL_MODE);
  }
  return 0;
}
