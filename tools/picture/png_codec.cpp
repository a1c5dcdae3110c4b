// PNG decoding and encoding with libpng's png_image interface.
#include "picture/png_codec.h"

#include <png.h>

#include <cstring>

namespace varnholt::imaging {

static_assert(sizeof(Rgba) == 4, "an Rgba is the 4 bytes of libpng's RGBA formats");

namespace {

// Frees libpng's state however the reading ends.
struct PngImage {
  png_image image{};
  PngImage() { image.version = PNG_IMAGE_VERSION; }
  ~PngImage() { png_image_free(&image); }
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;
  std::string message() const {
    return image.message[0] != '\0' ? std::string(image.message) : std::string("libpng gave no reason");
  }
};

}  // namespace

bool looksLikePng(std::string_view bytes) {
  static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return bytes.size() >= sizeof kSignature && std::memcmp(bytes.data(), kSignature, sizeof kSignature) == 0;
}

bool decodePng(std::string_view bytes, Image& image, std::string& error) {
  image = Image{};
  if (!looksLikePng(bytes)) {
    error = "not a PNG file (it does not start with the PNG signature)";
    return false;
  }
  PngImage png;
  if (!png_image_begin_read_from_memory(&png.image, bytes.data(), bytes.size())) {
    error = "damaged PNG file: " + png.message();
    return false;
  }
  if (!decodableSize(png.image.width, png.image.height, "the PNG", error)) return false;
  const int width = static_cast<int>(png.image.width), height = static_cast<int>(png.image.height);
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);

  Image decoded;
  decoded.width = width;
  decoded.height = height;
  if (png.image.format & PNG_FORMAT_FLAG_COLORMAP) {
    // A palette PNG: its indices and its table, in the file's order.
    png.image.format = PNG_FORMAT_RGBA_COLORMAP;
    decoded.indices.assign(count, 0);
    std::vector<Rgba> table(256);
    if (!png_image_finish_read(&png.image, nullptr, decoded.indices.data(), 0, table.data())) {
      error = "damaged PNG file: " + png.message();
      return false;
    }
    const std::size_t entries = png.image.colormap_entries;
    if (entries < 1 || entries > 256) {
      error = "damaged PNG file: a palette of " + std::to_string(entries) + " entries";
      return false;
    }
    table.resize(entries);
    decoded.pixels.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint8_t index = decoded.indices[i];
      if (index >= entries) {
        error = "damaged PNG file: a pixel uses palette entry " + std::to_string(index) + " of " +
                std::to_string(entries);
        return false;
      }
      decoded.pixels[i] = table[index];
    }
    decoded.table = std::move(table);
  } else {
    png.image.format = PNG_FORMAT_RGBA;
    decoded.pixels.resize(count);
    if (!png_image_finish_read(&png.image, nullptr, decoded.pixels.data(), 0, nullptr)) {
      error = "damaged PNG file: " + png.message();
      return false;
    }
  }
  image = std::move(decoded);
  return true;
}

bool encodePng(const Image& image, std::vector<std::uint8_t>& bytes, std::string& error) {
  bytes.clear();
  const std::size_t count = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
  if (!decodableSize(image.width, image.height, "the picture", error)) return false;
  PngImage png;
  png.image.width = static_cast<png_uint_32>(image.width);
  png.image.height = static_cast<png_uint_32>(image.height);
  const void* buffer = nullptr;
  const void* colormap = nullptr;
  if (image.indexed()) {
    if (image.indices.size() != count || image.table.empty() || image.table.size() > 256) {
      error = "the picture's indices or table are incomplete";
      return false;
    }
    png.image.format = PNG_FORMAT_RGBA_COLORMAP;
    png.image.colormap_entries = static_cast<png_uint_32>(image.table.size());
    buffer = image.indices.data();
    colormap = image.table.data();
  } else {
    if (image.pixels.size() != count) {
      error = "the picture's pixels are incomplete";
      return false;
    }
    png.image.format = PNG_FORMAT_RGBA;
    buffer = image.pixels.data();
  }
  // The size first, then the file into a buffer of that size.
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png.image, nullptr, &size, 0, buffer, 0, colormap)) {
    error = "libpng cannot encode the picture: " + png.message();
    return false;
  }
  bytes.resize(size);
  if (!png_image_write_to_memory(&png.image, bytes.data(), &size, 0, buffer, 0, colormap)) {
    bytes.clear();
    error = "libpng cannot encode the picture: " + png.message();
    return false;
  }
  bytes.resize(size);
  return true;
}

}  // namespace varnholt::imaging
