// Reading BMP files: decoding the bytes of a file into a BitmapFile, and loading by file name through
// the picture cache. Every read is checked against the size of the file, so no header value can make
// the loader read outside it.
#include <cstring>
#include <optional>
#include <string>

#include "content/campaign_file.h"
#include "content/content_report.h"
#include "engine/bitmap.h"
#include "engine/picture_cache.h"

namespace varnholt {

BitmapFile bitmapFile;

namespace {

std::uint16_t read16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t read32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

constexpr std::size_t FILE_HEADER_SIZE = 14;
constexpr std::size_t INFO_HEADER_SIZE = 40;
constexpr std::uint32_t BI_RGB = 0;

PictureCache& pictureCache() {
  static PictureCache cache;
  return cache;
}

}  // namespace

std::uint16_t convertRgb24(std::uint8_t blue, std::uint8_t green, std::uint8_t red, int format) {
  if (format == 15) return static_cast<std::uint16_t>(blue / 8 + (green / 8) * 32 + (red / 8) * 1024);
  return static_cast<std::uint16_t>(blue / 8 + (green / 4) * 32 + (red / 8) * 2048);
}

int decodeBitmap(const std::uint8_t* data, std::size_t size, int format, BitmapFile& bitmap) {
  const auto fail = [&bitmap] {
    bitmap = BitmapFile{};
    return 0;
  };
  if (!data || size < FILE_HEADER_SIZE + INFO_HEADER_SIZE || size > BITMAP_MAX_FILE_BYTES) return fail();

  BitmapFile result;
  BITMAPFILEHEADER& fh = result.fileHeader;
  fh.bfType = read16(data);
  fh.bfSize = read32(data + 2);
  fh.bfReserved1 = read16(data + 6);
  fh.bfReserved2 = read16(data + 8);
  fh.bfOffBits = read32(data + 10);
  if (fh.bfType != BITMAP_ID) return fail();

  BITMAPINFOHEADER& ih = result.infoHeader;
  const std::uint8_t* info = data + FILE_HEADER_SIZE;
  ih.biSize = read32(info);
  ih.biWidth = static_cast<std::int32_t>(read32(info + 4));
  ih.biHeight = static_cast<std::int32_t>(read32(info + 8));
  ih.biPlanes = read16(info + 12);
  ih.biBitCount = read16(info + 14);
  ih.biCompression = read32(info + 16);
  ih.biSizeImage = read32(info + 20);
  ih.biXPelsPerMeter = static_cast<std::int32_t>(read32(info + 24));
  ih.biYPelsPerMeter = static_cast<std::int32_t>(read32(info + 28));
  ih.biClrUsed = read32(info + 32);
  ih.biClrImportant = read32(info + 36);

  // Smaller headers (OS/2 core headers) lay their fields out differently.
  if (ih.biSize < INFO_HEADER_SIZE) return fail();
  if (ih.biCompression != BI_RGB) return fail();
  const int bits = ih.biBitCount;
  if (bits != 8 && bits != 16 && bits != 24) return fail();
  const std::int64_t width = ih.biWidth;
  const std::int64_t signedHeight = ih.biHeight;
  const bool topDown = signedHeight < 0;
  const std::int64_t rows = topDown ? -signedHeight : signedHeight;
  if (width < 1 || rows < 1 || width > BITMAP_MAX_SIDE || rows > BITMAP_MAX_SIDE) return fail();

  // All sizes are 64-bit: with both sides capped at 8192 none of them can overflow.
  const std::uint64_t bytesPerPixel = static_cast<std::uint64_t>(bits) / 8;
  const std::uint64_t rowBytes = static_cast<std::uint64_t>(width) * bytesPerPixel;
  const std::uint64_t stride = (rowBytes + 3) & ~std::uint64_t{3};
  // The last row's padding may be missing; everything before it must be there.
  const std::uint64_t needed = stride * static_cast<std::uint64_t>(rows - 1) + rowBytes;
  const std::uint64_t fileSize = size;

  // The colour table follows the info header (which may be one of the longer later versions).
  const std::uint64_t tableStart = FILE_HEADER_SIZE + static_cast<std::uint64_t>(ih.biSize);
  if (tableStart > fileSize) return fail();

  // Where the pixel data starts. Files of the classic layout end with exactly biSizeImage bytes of
  // pixels after a full colour table. Otherwise bfOffBits says where they are (a shorter colour table
  // ends there); failing that, the pixel data is taken to end the file after a full table.
  const std::uint64_t fullTableEnd = tableStart + (bits == 8 ? 1024 : 0);
  std::uint64_t start = 0;
  bool found = false;
  const auto tryStart = [&](std::uint64_t candidate, std::uint64_t earliest) {
    if (!found && candidate >= earliest && candidate <= fileSize && fileSize - candidate >= needed) {
      start = candidate;
      found = true;
    }
  };
  const bool sizeImageUsable = ih.biSizeImage >= needed && ih.biSizeImage <= fileSize;
  if (ih.biSize == INFO_HEADER_SIZE && sizeImageUsable) tryStart(fileSize - ih.biSizeImage, fullTableEnd);
  tryStart(fh.bfOffBits, tableStart);
  if (sizeImageUsable) tryStart(fileSize - ih.biSizeImage, fullTableEnd);
  if (ih.biSizeImage == 0) {
    const std::uint64_t padded = stride * static_cast<std::uint64_t>(rows);
    if (fileSize >= padded) tryStart(fileSize - padded, fullTableEnd);
    if (fileSize >= needed) tryStart(fileSize - needed, fullTableEnd);
  }
  if (!found) return fail();

  if (bits == 8) {
    // As many entries as lie between the headers and the pixels, at most 256; the rest stay black.
    const std::uint64_t entries = std::min<std::uint64_t>(256, (start - tableStart) / 4);
    const std::uint8_t* table = data + tableStart;
    for (std::uint64_t i = 0; i < entries; ++i) {
      result.palette[i].red = table[4 * i + 2];
      result.palette[i].green = table[4 * i + 1];
      result.palette[i].blue = table[4 * i];
    }
    for (PALETTEENTRY& entry : result.palette) entry.flags = PC_NOCOLLAPSE;
  }

  const std::uint64_t outRowBytes = static_cast<std::uint64_t>(width) * (bits == 24 ? 2 : bytesPerPixel);
  result.pixels.resize(outRowBytes * static_cast<std::uint64_t>(rows));
  for (std::int64_t r = 0; r < rows; ++r) {
    // Output rows run top to bottom; a bottom-up file stores the top row last.
    const std::int64_t fileRow = topDown ? r : rows - 1 - r;
    const std::uint8_t* src = data + start + static_cast<std::uint64_t>(fileRow) * stride;
    std::uint8_t* dst = result.pixels.data() + static_cast<std::uint64_t>(r) * outRowBytes;
    if (bits != 24) {
      std::memcpy(dst, src, outRowBytes);
      continue;
    }
    for (std::int64_t x = 0; x < width; ++x) {
      const std::uint16_t value = convertRgb24(src[3 * x], src[3 * x + 1], src[3 * x + 2], format);
      dst[2 * x] = static_cast<std::uint8_t>(value & 0xFF);
      dst[2 * x + 1] = static_cast<std::uint8_t>(value >> 8);
    }
  }

  ih.biHeight = static_cast<std::int32_t>(rows);
  if (bits == 24) ih.biBitCount = 16;
  ih.biSizeImage = static_cast<std::uint32_t>(result.pixels.size());
  // Only 8-bit files carry a palette; other loads leave the one already there.
  if (bits != 8) std::memcpy(result.palette, bitmap.palette, sizeof result.palette);
  bitmap = std::move(result);
  return 1;
}

int loadBitmapFile(BitmapFile& bitmap, const std::string& fileName) {
  const content::FileFacts facts = content::guardFile(fileName, BITMAP_MAX_FILE_BYTES, "a picture file");
  if (!facts.readable()) {
    if (facts.state == content::FileState::Missing)
      content::reportContentProblem("picture " + fileName +
                                    " is missing; the screen shows nothing in its place");
    bitmap = BitmapFile{};
    return 0;
  }

  const PictureKey key{fileName, facts.size, facts.modified, pixelFormat};
  PictureCache& cache = pictureCache();
  if (const BitmapFile* cached = cache.find(key)) {
    PALETTEENTRY previous[256];
    std::memcpy(previous, bitmap.palette, sizeof previous);
    bitmap = *cached;
    if (bitmap.infoHeader.biBitCount != 8) std::memcpy(bitmap.palette, previous, sizeof previous);
    return 1;
  }

  // A file that shrank since its size was taken is decoded from what could be read.
  const std::optional<std::string> bytes = content::readFileBytes(fileName, facts);
  if (!bytes) {
    content::reportContentProblem("picture " + fileName + " cannot be opened");
    bitmap = BitmapFile{};
    return 0;
  }
  cache.countFileRead();
  if (!decodeBitmap(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size(), pixelFormat,
                    bitmap)) {
    content::reportContentProblem(
        "picture " + fileName +
        " is not a BMP file the game can read; the screen shows nothing in its place");
    return 0;
  }
  cache.insert(key, bitmap);
  return 1;
}

int unloadBitmapFile(BitmapFile& bitmap) {
  bitmap.pixels.clear();
  bitmap.pixels.shrink_to_fit();
  return 1;
}

int flipBitmapRows(std::uint8_t* buffer, int bytesPerRow, int rows) {
  if (!buffer || bytesPerRow < 0 || rows < 0) return 0;
  const std::size_t rowSize = static_cast<std::size_t>(bytesPerRow);
  const std::vector<std::uint8_t> copy(buffer, buffer + rowSize * static_cast<std::size_t>(rows));
  for (int i = 0; i < rows; ++i) {
    std::memcpy(buffer + static_cast<std::size_t>(rows - 1 - i) * rowSize,
                copy.data() + static_cast<std::size_t>(i) * rowSize, rowSize);
  }
  return 1;
}

PictureCacheStats pictureCacheStats() {
  return pictureCache().stats();
}
void setPictureCacheLimits(std::size_t maxEntries, std::size_t maxBytes) {
  pictureCache().setLimits(maxEntries, maxBytes);
}
void clearPictureCache() {
  pictureCache().clear();
}

}  // namespace varnholt
