#pragma once
// BMP pictures and memory images. A BitmapFile is the loading station every picture passes through:
// load, optionally make its palette the display palette, copy cells or rectangles out into images or
// sprite frames, unload. Images are plain byte blocks drawn into locked memory, opaque or with index 0
// transparent.
//
// The loader accepts uncompressed 8-, 16- and 24-bit files: bottom-up or top-down rows, rows padded to
// 4 bytes, a zero image size, a colour table shorter than 256 entries. It reads nothing outside the file
// and fails cleanly (returning 0, the BitmapFile left empty) on anything else. Decoded pictures are kept
// in a small cache keyed by file name, size and modification time, so a picture reloaded every frame is
// read from disk once.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/display.h"

namespace varnholt {

struct BITMAPFILEHEADER {
  std::uint16_t bfType = 0;
  std::uint32_t bfSize = 0;
  std::uint16_t bfReserved1 = 0;
  std::uint16_t bfReserved2 = 0;
  std::uint32_t bfOffBits = 0;
};

struct BITMAPINFOHEADER {
  std::uint32_t biSize = 0;
  std::int32_t biWidth = 0;
  std::int32_t biHeight = 0;
  std::uint16_t biPlanes = 0;
  std::uint16_t biBitCount = 0;
  std::uint32_t biCompression = 0;
  std::uint32_t biSizeImage = 0;
  std::int32_t biXPelsPerMeter = 0;
  std::int32_t biYPelsPerMeter = 0;
  std::uint32_t biClrUsed = 0;
  std::uint32_t biClrImportant = 0;
};

inline constexpr std::uint16_t BITMAP_ID = 0x4D42;  // "BM"
inline constexpr int BITMAP_MAX_SIDE = 8192;
// The largest picture file that is read or decoded (64 MiB; a full-screen 800 x 600 picture takes
// 470 KiB). A larger file is refused without being read.
inline constexpr std::size_t BITMAP_MAX_FILE_BYTES = std::size_t{64} << 20;

// A loaded picture. The headers are as read, except that after a load they describe `pixels`:
// biHeight is the (positive) number of rows, biSizeImage the size of `pixels`, and biBitCount 16 after a
// 24-bit file was converted.
struct BitmapFile {
  BITMAPFILEHEADER fileHeader;
  BITMAPINFOHEADER infoHeader;
  PALETTEENTRY palette[256] = {};    // red, green, blue, PC_NOCOLLAPSE; 8-bit files only
  std::vector<std::uint8_t> pixels;  // top row first, rows packed: biWidth x bytes per pixel each
};

inline constexpr int IMAGE_LOADED = 0x80;

// How loadImage, loadSpriteFrame and copyPictureCell read (cx, cy): IMAGE_CELL_MODE takes cell (cx, cy)
// of a sheet of cells of the destination's size, separated and surrounded by one-pixel lines (the
// corner is cx * (width + 1) + 1, cy * (height + 1) + 1); IMAGE_PIXEL_MODE takes the rectangle whose
// corner is the pixel (cx, cy) itself.
inline constexpr int IMAGE_CELL_MODE = 0;
inline constexpr int IMAGE_PIXEL_MODE = 1;
// drawImage's transparent flag: IMAGE_OPAQUE copies every byte, IMAGE_TRANSPARENT leaves the destination
// where the image has index 0.
inline constexpr int IMAGE_OPAQUE = 0;
inline constexpr int IMAGE_TRANSPARENT = 1;

struct BitmapImage {
  int state = 0;  // 1 after createImage, 0 after destroyImage
  int attributes = 0;
  int x = 0;  // where drawImage puts the top-left pixel
  int y = 0;
  int width = 0;
  int height = 0;
  int byteSize = 0;
  int bitsPerPixel = 0;
  std::vector<std::uint8_t> pixels;  // height rows of width bytes, top row first
  // A new number each time createImage or loadImage sets the pixels, so that a drawing of the image can
  // tell whether it is the same picture as before. Code that changes `pixels` itself must change it.
  std::uint64_t revision = 0;
};

// The one shared loading station.
extern BitmapFile bitmapFile;

// Loads a BMP into `bitmap`. 1 loaded; 0 on any failure, with `bitmap` left empty. A file larger than
// BITMAP_MAX_FILE_BYTES or that is not a regular file is reported once as a content problem.
int loadBitmapFile(BitmapFile& bitmap, const std::string& fileName);
// Releases the pixels; headers and palette stay. 1.
int unloadBitmapFile(BitmapFile& bitmap);
// Reverses the order of `rows` rows of `bytesPerRow` bytes in place. 1, or 0 for a null buffer or
// negative sizes.
int flipBitmapRows(std::uint8_t* buffer, int bytesPerRow, int rows);
// Makes the 256 entries the display palette (paletteEntries and displayPalette). 1, 0 for null.
int setPalette(const PALETTEENTRY* entries);

// One 24-bit pixel (blue, green, red) as the 16-bit value of `format`: 5.5.5 for 15, 5.6.5 otherwise.
std::uint16_t convertRgb24(std::uint8_t blue, std::uint8_t green, std::uint8_t red, int format);

// The bytes of a BMP file decoded into `bitmap` (24-bit pixels converted by `format`). 1 or 0, as
// loadBitmapFile (more than BITMAP_MAX_FILE_BYTES fail too); no cache involved.
int decodeBitmap(const std::uint8_t* data, std::size_t size, int format, BitmapFile& bitmap);

// Picture cache limits and counters (the cache serves loadBitmapFile).
struct PictureCacheStats {
  std::uint64_t fileReads = 0;  // loads that read the file
  std::uint64_t hits = 0;       // loads served from the cache
  std::size_t entries = 0;
  std::size_t bytes = 0;
};
PictureCacheStats pictureCacheStats();
void setPictureCacheLimits(std::size_t maxEntries, std::size_t maxBytes);
void clearPictureCache();

// Creates an image of width x height at `bitsPerPixel` (8 only), cleared to 0, not yet loaded. 1, or 0
// for a size outside 1 to 8192 or another depth. An earlier buffer of the image is released.
int createImage(BitmapImage& image, int x, int y, int width, int height, int bitsPerPixel);
// Releases the buffer and zeroes the record. 1, or 0 when the image has no buffer.
int destroyImage(BitmapImage& image);
// Copies a cell (IMAGE_CELL_MODE: cell (cx, cy) of a sheet of image-sized cells with one-pixel borders)
// or the rectangle at (cx, cy) (IMAGE_PIXEL_MODE) of `bitmap` into the image. Only what lies inside the
// picture is copied; the rest of the image is 0. 1, or 0 when the image has no buffer or the picture no
// pixels.
int loadImage(BitmapImage& image, const BitmapFile& bitmap, int cx, int cy, int mode);
// The copy behind loadImage and loadSpriteFrame: the width x height cell or rectangle of `bitmap` (as
// loadImage addresses it) into `destination`, rows `pitch` bytes apart, which is cleared first; only what
// lies inside the picture is copied. The caller checks that the destination holds height rows of pitch.
void copyPictureCell(const BitmapFile& bitmap, int cx, int cy, int mode, int width, int height,
                     std::uint8_t* destination, int pitch);
// Draws the image at its x, y into locked memory whose rows are `pitch` bytes apart, cut to the
// screenWidth x screenHeight rectangle (and to `pitch`). IMAGE_TRANSPARENT (any non-zero flag): index 0
// leaves the destination; IMAGE_OPAQUE copies every byte.
// 1, or 0 when the image was never loaded or the memory is null.
int drawImage(const BitmapImage& image, std::uint8_t* memory, int pitch, int transparent);
// The same into memory of destWidth x destHeight pixels.
int drawImage(const BitmapImage& image, std::uint8_t* memory, int pitch, int transparent, int destWidth,
              int destHeight);
// Whether drawing the image opaque into the back buffer writes every byte of it (a loaded image at or
// beyond its edges, a buffer with no row padding that the screen rectangle covers), so that whatever
// the buffer held before is overwritten.
bool imageCoversBackBuffer(const BitmapImage& image);

}  // namespace varnholt
