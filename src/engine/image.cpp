// Memory images: creating and destroying them, filling them from a loaded picture and drawing them into
// locked memory; and handing a picture's palette to the display.
#include <algorithm>
#include <cstring>

#include "engine/back_buffer_changes.h"
#include "engine/bitmap.h"
#include "engine/display.h"

namespace varnholt {

namespace {

std::uint64_t lastImageRevision = 0;

}  // namespace

int setPalette(const PALETTEENTRY* entries) {
  if (!entries) return 0;
  std::memcpy(paletteEntries, entries, sizeof paletteEntries);
  if (displayPalette) std::memcpy(displayPalette->entries, entries, sizeof displayPalette->entries);
  return 1;
}

int createImage(BitmapImage& image, int x, int y, int width, int height, int bitsPerPixel) {
  if (bitsPerPixel != 8 || width < 1 || height < 1 || width > BITMAP_MAX_SIDE || height > BITMAP_MAX_SIDE) {
    return 0;
  }
  image = BitmapImage{};
  image.byteSize = width * height * (bitsPerPixel / 8);
  image.pixels.assign(static_cast<std::size_t>(image.byteSize), 0);
  image.state = 1;
  image.attributes = 0;
  image.width = width;
  image.height = height;
  image.bitsPerPixel = bitsPerPixel;
  image.x = x;
  image.y = y;
  image.revision = ++lastImageRevision;
  return 1;
}

int destroyImage(BitmapImage& image) {
  if (image.pixels.empty()) return 0;
  image = BitmapImage{};
  return 1;
}

namespace {

// Whether the image's fields describe its buffer; the record is public, so they are checked before use.
bool imageConsistent(const BitmapImage& image) {
  return image.width > 0 && image.height > 0 &&
         image.pixels.size() >=
             static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
}

}  // namespace

void copyPictureCell(const BitmapFile& bitmap, int cx, int cy, int mode, int width, int height,
                     std::uint8_t* destination, int pitch) {
  // Cells are width x height with one-pixel lines between and around them.
  const std::int64_t left = mode == IMAGE_CELL_MODE ? cx * (std::int64_t{width} + 1) + 1 : cx;
  const std::int64_t top = mode == IMAGE_CELL_MODE ? cy * (std::int64_t{height} + 1) + 1 : cy;

  // Pictures are read one byte per pixel with a row stride of biWidth.
  const std::int64_t pictureWidth = std::max<std::int64_t>(bitmap.infoHeader.biWidth, 0);
  const std::int64_t pictureRows =
      pictureWidth > 0
          ? std::min<std::int64_t>(std::max<std::int64_t>(bitmap.infoHeader.biHeight, 0),
                                   static_cast<std::int64_t>(bitmap.pixels.size()) / pictureWidth)
          : 0;

  for (int r = 0; r < height; ++r) std::memset(destination + std::int64_t{r} * pitch, 0, width);
  const std::int64_t fromX = std::max<std::int64_t>(left, 0);
  const std::int64_t toX = std::min<std::int64_t>(left + width, pictureWidth);
  for (std::int64_t r = 0; r < height && toX > fromX; ++r) {
    const std::int64_t sy = top + r;
    if (sy < 0 || sy >= pictureRows) continue;
    std::memcpy(destination + r * pitch + (fromX - left), bitmap.pixels.data() + sy * pictureWidth + fromX,
                static_cast<std::size_t>(toX - fromX));
  }
}

int loadImage(BitmapImage& image, const BitmapFile& bitmap, int cx, int cy, int mode) {
  if (image.pixels.empty() || !imageConsistent(image) || bitmap.pixels.empty()) return 0;
  if (mode != IMAGE_CELL_MODE && mode != IMAGE_PIXEL_MODE) return 0;
  copyPictureCell(bitmap, cx, cy, mode, image.width, image.height, image.pixels.data(), image.width);
  image.attributes |= IMAGE_LOADED;
  image.revision = ++lastImageRevision;
  return 1;
}

int drawImage(const BitmapImage& image, std::uint8_t* memory, int pitch, int transparent) {
  return drawImage(image, memory, pitch, transparent, screenWidth, screenHeight);
}

int drawImage(const BitmapImage& image, std::uint8_t* memory, int pitch, int transparent, int destWidth,
              int destHeight) {
  if (!(image.attributes & IMAGE_LOADED) || !imageConsistent(image) || !memory || pitch < 1) return 0;
  const std::int64_t width = std::min(destWidth, pitch);
  const std::int64_t left = std::max<std::int64_t>(image.x, 0);
  const std::int64_t right = std::min<std::int64_t>(static_cast<std::int64_t>(image.x) + image.width, width);
  const std::int64_t top = std::max<std::int64_t>(image.y, 0);
  const std::int64_t bottom =
      std::min<std::int64_t>(static_cast<std::int64_t>(image.y) + image.height, destHeight);
  if (right <= left || bottom <= top) return 1;
  if (!transparent && fillBackBufferFrom(image, memory, pitch)) return 1;
  noteMemoryWrite(memory, RECT{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
                               static_cast<int>(bottom)});
  const auto count = static_cast<int>(right - left);
  for (std::int64_t y = top; y < bottom; ++y) {
    const std::uint8_t* src = image.pixels.data() + (y - image.y) * image.width + (left - image.x);
    std::uint8_t* dst = memory + y * pitch + left;
    if (transparent) {
      copyRowColorKeyed(dst, src, count, 0);
    } else {
      std::memcpy(dst, src, static_cast<std::size_t>(count));
    }
  }
  return 1;
}

bool imageCoversBackBuffer(const BitmapImage& image) {
  if (!backBuffer || !(image.attributes & IMAGE_LOADED) || !imageConsistent(image)) return false;
  const Surface& buffer = *backBuffer;
  if (buffer.pitch != buffer.width || screenWidth != buffer.width || screenHeight != buffer.height)
    return false;
  return image.x <= 0 && image.y <= 0 && std::int64_t{image.x} + image.width >= buffer.width &&
         std::int64_t{image.y} + image.height >= buffer.height;
}

}  // namespace varnholt
