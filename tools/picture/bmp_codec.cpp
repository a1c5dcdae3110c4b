// 8-bit BMP files through the engine's decoder and encoder.
#include "picture/bmp_codec.h"

#include "engine/bitmap.h"
#include "engine/bitmap_writer.h"

namespace varnholt::imaging {

namespace {

std::int32_t readInt32(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int k = 3; k >= 0; --k) value = (value << 8) | static_cast<std::uint8_t>(bytes[at + k]);
  return static_cast<std::int32_t>(value);
}

}  // namespace

bool looksLikeBmp(std::string_view bytes) {
  return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

bool decodeBmp(std::string_view bytes, Image& image, std::string& error) {
  image = Image{};
  if (!looksLikeBmp(bytes)) {
    error = "not a BMP file (it does not start with \"BM\")";
    return false;
  }
  // The size from the header first, so that nothing is decoded of a picture over the limit.
  if (bytes.size() >= 26) {
    const long long width = readInt32(bytes, 18), height = readInt32(bytes, 22);
    if (!decodableSize(width, height < 0 ? -height : height, "the BMP", error)) return false;
  }
  BitmapFile bitmap;
  if (!decodeBitmap(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), 16, bitmap)) {
    error =
        "the game's picture loader cannot read this BMP; it reads uncompressed 8-, 16- and 24-bit BMP "
        "files whose pixels the file holds in full";
    return false;
  }
  if (bitmap.infoHeader.biBitCount != 8) {
    error = "a " + std::to_string(bytes.size() >= 30 ? static_cast<std::uint8_t>(bytes[28]) : 0) +
            "-bit BMP; only 8-bit BMPs, whose colour table says each index's colour, are read";
    return false;
  }
  Image decoded;
  decoded.width = bitmap.infoHeader.biWidth;
  decoded.height = bitmap.infoHeader.biHeight;
  decoded.table.resize(256);
  for (int i = 0; i < 256; ++i)
    decoded.table[i] = {bitmap.palette[i].red, bitmap.palette[i].green, bitmap.palette[i].blue,
                        static_cast<std::uint8_t>(i == 0 ? 0 : 255)};
  decoded.indices = std::move(bitmap.pixels);
  decoded.pixels.resize(decoded.indices.size());
  for (std::size_t i = 0; i < decoded.indices.size(); ++i)
    decoded.pixels[i] = decoded.table[decoded.indices[i]];
  image = std::move(decoded);
  return true;
}

std::vector<std::uint8_t> encodeBmp(int width, int height, const std::vector<std::uint8_t>& indices,
                                    const PaletteTable& palette) {
  if (width < 1 || height < 1 ||
      indices.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
    return {};
  return encodeBitmapFile(width, height, indices.data(), width, palette.data());
}

}  // namespace varnholt::imaging
