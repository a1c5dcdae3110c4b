#pragma once
// PNG fixtures made in the tests with libpng, and the header edits that spoil them.

#include <png.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "picture/image.h"

namespace varnholt::imaging::fixtures {

// A PNG of `pixels` (RGBA), or a palette PNG of `indices` into `table` when indices are given.
inline std::string makePng(int width, int height, const std::vector<Rgba>& pixels,
                           const std::vector<std::uint8_t>& indices = {},
                           const std::vector<Rgba>& table = {}) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  const void* buffer = pixels.data();
  const void* colormap = nullptr;
  if (!indices.empty()) {
    image.format = PNG_FORMAT_RGBA_COLORMAP;
    image.colormap_entries = static_cast<png_uint_32>(table.size());
    buffer = indices.data();
    colormap = table.data();
  } else {
    image.format = PNG_FORMAT_RGBA;
  }
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, buffer, 0, colormap)) return {};
  std::string bytes(size, '\0');
  if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, buffer, 0, colormap)) return {};
  bytes.resize(size);
  return bytes;
}

// A width x height picture of one colour.
inline std::vector<Rgba> filled(int width, int height, Rgba colour) {
  return std::vector<Rgba>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), colour);
}

inline std::uint32_t crc32(const std::string& bytes, std::size_t from, std::size_t count) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = from; i < from + count; ++i) {
    crc ^= static_cast<std::uint8_t>(bytes[i]);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

inline void putBigEndian(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<char>((value >> (24 - 8 * k)) & 0xFF);
}

// The PNG with its header's width and height replaced (and the header's checksum made right again), so
// that only the size is wrong.
inline std::string withHeaderSize(std::string png, std::uint32_t width, std::uint32_t height) {
  // Signature (8), length (4), "IHDR" (4), width, height, 5 bytes more, then the checksum of type and data.
  putBigEndian(png, 16, width);
  putBigEndian(png, 20, height);
  putBigEndian(png, 29, crc32(png, 12, 17));
  return png;
}

inline std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace varnholt::imaging::fixtures
