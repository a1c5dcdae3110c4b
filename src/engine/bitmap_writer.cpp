// Encoding and writing 8-bit BMP files.
#include "engine/bitmap_writer.h"

#include <cstring>
#include <fstream>

#include "engine/bitmap.h"

namespace varnholt {

namespace {

void put16(std::uint8_t* p, std::uint32_t value) {
  p[0] = static_cast<std::uint8_t>(value & 0xFF);
  p[1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}
void put32(std::uint8_t* p, std::uint32_t value) {
  put16(p, value & 0xFFFF);
  put16(p + 2, value >> 16);
}

constexpr std::uint32_t HEADERS_SIZE = 14 + 40;
constexpr std::uint32_t TABLE_SIZE = 256 * 4;
constexpr std::int32_t PIXELS_PER_METRE = 2835;  // 72 dots per inch

}  // namespace

std::vector<std::uint8_t> encodeBitmapFile(int width, int height, const std::uint8_t* pixels, int pitch,
                                           const PALETTEENTRY* palette) {
  if (width < 1 || height < 1 || width > BITMAP_MAX_SIDE || height > BITMAP_MAX_SIDE || pitch < width ||
      !pixels || !palette) {
    return {};
  }
  const std::uint32_t stride = (static_cast<std::uint32_t>(width) + 3) & ~3u;
  const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(height);
  const std::uint32_t offset = HEADERS_SIZE + TABLE_SIZE;
  std::vector<std::uint8_t> file(offset + imageSize, 0);
  std::uint8_t* p = file.data();
  put16(p, BITMAP_ID);
  put32(p + 2, static_cast<std::uint32_t>(file.size()));
  put32(p + 10, offset);
  put32(p + 14, 40);
  put32(p + 18, static_cast<std::uint32_t>(width));
  put32(p + 22, static_cast<std::uint32_t>(height));
  put16(p + 26, 1);
  put16(p + 28, 8);
  put32(p + 30, 0);
  put32(p + 34, imageSize);
  put32(p + 38, PIXELS_PER_METRE);
  put32(p + 42, PIXELS_PER_METRE);
  put32(p + 46, 256);
  put32(p + 50, 0);
  for (int i = 0; i < 256; ++i) {
    std::uint8_t* entry = p + HEADERS_SIZE + 4 * i;
    entry[0] = palette[i].blue;
    entry[1] = palette[i].green;
    entry[2] = palette[i].red;
  }
  for (int row = 0; row < height; ++row) {
    // Bottom row first.
    const std::uint8_t* src =
        pixels + static_cast<std::size_t>(height - 1 - row) * static_cast<std::size_t>(pitch);
    std::memcpy(p + offset + static_cast<std::size_t>(row) * stride, src, static_cast<std::size_t>(width));
  }
  return file;
}

int writeBitmapFile(const std::string& fileName, int width, int height, const std::uint8_t* pixels, int pitch,
                    const PALETTEENTRY* palette) {
  const std::vector<std::uint8_t> bytes = encodeBitmapFile(width, height, pixels, pitch, palette);
  if (bytes.empty()) return 0;
  std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
  if (!file) return 0;
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return file ? 1 : 0;
}

}  // namespace varnholt
