// Reading BMP files (the classic layout, the variants common tools write, malformed files), the picture
// cache, the writer, and images cut from pictures and drawn into memory.
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "content/content_report.h"
#include "engine_test_support.h"

namespace varnholt::test {
namespace {

using BitmapTest = EngineTest;

BitmapFile decoded(const std::vector<std::uint8_t>& bytes, int format = 8) {
  BitmapFile bitmap;
  EXPECT_EQ(decodeBitmap(bytes.data(), bytes.size(), format, bitmap), 1);
  return bitmap;
}

TEST_F(BitmapTest, TinyFileComesTopRowFirstWithItsPaletteInRedGreenBlueOrder) {
  BmpLayout layout;
  layout.pixels = {5, 6, 7, 8, 1, 2, 3, 4};
  layout.table.assign(1024, 0);
  layout.table[4 * 3 + 0] = 10;  // entry 3: blue 10, green 20, red 30
  layout.table[4 * 3 + 1] = 20;
  layout.table[4 * 3 + 2] = 30;
  const std::string path = scratchPath("tiny.bmp");
  writeFile(path, buildBmp(layout));

  ASSERT_EQ(loadBitmapFile(bitmapFile, path), 1);
  EXPECT_EQ(bitmapFile.pixels, (std::vector<std::uint8_t>{5, 6, 7, 8, 1, 2, 3, 4}));
  EXPECT_EQ(bitmapFile.infoHeader.biWidth, 4);
  EXPECT_EQ(bitmapFile.infoHeader.biHeight, 2);
  const PALETTEENTRY e = bitmapFile.palette[3];
  EXPECT_EQ(e.red, 30);
  EXPECT_EQ(e.green, 20);
  EXPECT_EQ(e.blue, 10);
  EXPECT_EQ(e.flags, PC_NOCOLLAPSE);

  EXPECT_EQ(unloadBitmapFile(bitmapFile), 1);
  EXPECT_TRUE(bitmapFile.pixels.empty());
  EXPECT_EQ(bitmapFile.palette[3].red, 30);  // headers and palette stay
}

TEST_F(BitmapTest, TwentyFourBitPixelsBecomeSixteenBitValuesOfThePixelFormat) {
  EXPECT_EQ(convertRgb24(255, 255, 255, 15), 0x7FFF);
  EXPECT_EQ(convertRgb24(255, 255, 255, 16), 0xFFFF);
  EXPECT_EQ(convertRgb24(8, 4, 0, 16), 1 + 32);  // green keeps six bits in 5.6.5
  EXPECT_EQ(convertRgb24(8, 4, 0, 15), 1);       // and five in 5.5.5
  EXPECT_EQ(convertRgb24(0, 0, 255, 15), 31 * 1024);

  BmpLayout layout;
  layout.bits = 24;
  layout.width = 3;  // 9 bytes per row, padded to 12
  layout.height = 2;
  layout.pixels = {255, 255, 255, 0, 0, 0, 0, 0, 255, /* bottom: */ 0, 0, 8, 0, 0, 0, 0, 0, 0};
  for (const int format : {15, 16}) {
    const BitmapFile bitmap = decoded(buildBmp(layout), format);
    EXPECT_EQ(bitmap.infoHeader.biBitCount, 16);
    ASSERT_EQ(bitmap.pixels.size(), 12u);
    const auto at = [&](int i) { return bitmap.pixels[2 * i] | (bitmap.pixels[2 * i + 1] << 8); };
    EXPECT_EQ(at(0), format == 15 ? 0x7FFF : 0xFFFF);
    EXPECT_EQ(at(2), format == 15 ? 31 * 1024 : 31 * 2048);
    EXPECT_EQ(at(3), format == 15 ? 1024 : 2048);
  }
}

// Files outside the classic layout that common tools write load to the same picture.
TEST_F(BitmapTest, CommonVariantsLoadLikeTheClassicLayout) {
  BmpLayout base;
  base.width = 3;
  base.height = 3;
  base.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  base.table.resize(1024);
  std::iota(base.table.begin(), base.table.end(), 0);

  struct Case {
    const char* name;
    void (*change)(BmpLayout&);
    int tableEntries;
  };
  const Case cases[] = {
      {"padded rows", [](BmpLayout&) {}, 256},
      {"zero image size", [](BmpLayout& s) { s.zeroSizeImage = true; }, 256},
      {"top-down rows", [](BmpLayout& s) { s.height = -s.height; }, 256},
      {"short colour table", [](BmpLayout& s) { s.tableEntries = 16; }, 16},
      {"later header version", [](BmpLayout& s) { s.headerSize = 124; }, 256},
      {"later header and data after the pixels",
       [](BmpLayout& s) {
         s.headerSize = 124;
         s.trailing = {1, 2, 3, 4, 5};
       },
       256},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BmpLayout layout = base;
    c.change(layout);
    const BitmapFile bitmap = decoded(buildBmp(layout));
    EXPECT_EQ(bitmap.pixels, base.pixels);
    EXPECT_EQ(bitmap.infoHeader.biHeight, 3);
    for (int i = 0; i < 256; ++i) {
      const bool present = i < c.tableEntries;
      ASSERT_EQ(bitmap.palette[i].blue, present ? (4 * i) & 0xFF : 0) << i;
      ASSERT_EQ(bitmap.palette[i].red, present ? (4 * i + 2) & 0xFF : 0) << i;
      ASSERT_EQ(bitmap.palette[i].flags, PC_NOCOLLAPSE);
    }
  }
}

TEST_F(BitmapTest, MalformedFilesAreRejectedAndLeaveThePictureEmpty) {
  BmpLayout good;
  good.pixels.assign(8, 3);
  const std::vector<std::uint8_t> valid = buildBmp(good);
  const auto patch32 = [](std::vector<std::uint8_t> b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    return b;
  };
  const auto patch16 = [](std::vector<std::uint8_t> b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
    return b;
  };
  const auto withSpec = [](void (*change)(BmpLayout&)) {
    BmpLayout s;
    s.pixels.assign(8, 3);
    change(s);
    return buildBmp(s);
  };
  const std::vector<std::uint8_t> truncated(valid.begin(), valid.end() - 5);

  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {
      {"empty", {}},
      {"shorter than the headers", std::vector<std::uint8_t>(valid.begin(), valid.begin() + 40)},
      {"not BM", patch16(valid, 0, 0x4D43)},
      {"4 bits", withSpec([](BmpLayout& s) { s.bits = 4; })},
      {"32 bits", withSpec([](BmpLayout& s) { s.bits = 32; })},
      {"RLE8", withSpec([](BmpLayout& s) { s.compression = 1; })},
      {"bit fields", withSpec([](BmpLayout& s) { s.compression = 3; })},
      {"zero width", patch32(valid, 18, 0)},
      {"negative width", patch32(valid, 18, 0xFFFFFFFC)},
      {"zero height", patch32(valid, 22, 0)},
      {"width over 8192", patch32(valid, 18, 8193)},
      {"height below -8192", patch32(valid, 22, static_cast<std::uint32_t>(-9000))},
      {"most negative height", patch32(valid, 22, 0x80000000u)},
      {"size product overflows 32 bits", patch32(patch32(valid, 18, 0x10000), 22, 0x10000)},
      {"core header", patch32(valid, 14, 12)},
      {"header longer than the file", patch32(valid, 14, 0xFFFFFFF0u)},
      {"pixel data not in the file", patch32(patch32(valid, 22, 4), 34, 16)},
      {"truncated pixel data", truncated},
      {"offset and image size beyond the file",
       patch32(patch32(std::vector<std::uint8_t>(valid.begin(), valid.end() - 8), 10, 0x7FFFFFFF), 34,
               0xFFFFFFFF)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BitmapFile bitmap = decoded(valid);
    EXPECT_EQ(decodeBitmap(c.bytes.data(), c.bytes.size(), 16, bitmap), 0);
    EXPECT_TRUE(bitmap.pixels.empty());
    EXPECT_EQ(bitmap.infoHeader.biWidth, 0);
  }

  ASSERT_EQ(loadBitmapFile(bitmapFile, scratchPath("tiny.bmp")), 0);  // no such file
  writeFile(scratchPath("cut.bmp"), truncated);
  EXPECT_EQ(loadBitmapFile(bitmapFile, scratchPath("cut.bmp")), 0);
  EXPECT_TRUE(bitmapFile.pixels.empty());
}

TEST_F(BitmapTest, PicturesLoadedAgainComeFromTheCacheUntilTheFileChanges) {
  BmpLayout layout;
  layout.pixels = {1, 2, 3, 4, 5, 6, 7, 8};
  const std::string path = scratchPath("again.bmp");
  writeFile(path, buildBmp(layout));
  for (int frame = 0; frame < 5; ++frame) ASSERT_EQ(loadBitmapFile(bitmapFile, path), 1);
  EXPECT_EQ(pictureCacheStats().fileReads, 1u);
  EXPECT_EQ(pictureCacheStats().hits, 4u);

  layout.height = 1;
  layout.pixels = {9, 9, 9, 9};
  writeFile(path, buildBmp(layout));
  ASSERT_EQ(loadBitmapFile(bitmapFile, path), 1);
  EXPECT_EQ(bitmapFile.pixels, (std::vector<std::uint8_t>{9, 9, 9, 9}));
  EXPECT_EQ(pictureCacheStats().fileReads, 2u);
  EXPECT_EQ(pictureCacheStats().entries, 1u);

  // Bounded: with room for one picture, alternating two pictures reads every time.
  setPictureCacheLimits(1, 1 << 20);
  writeFile(scratchPath("other.bmp"), buildBmp(BmpLayout{}));
  for (int i = 0; i < 4; ++i) loadBitmapFile(bitmapFile, scratchPath(i % 2 ? "again.bmp" : "other.bmp"));
  EXPECT_EQ(pictureCacheStats().fileReads, 6u);
  EXPECT_EQ(pictureCacheStats().entries, 1u);
}

TEST_F(BitmapTest, WrittenFilesReadBackAndAreClassicWhenTheWidthDividesByFour) {
  PALETTEENTRY palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = PALETTEENTRY{static_cast<std::uint8_t>(i), 1, 2, 0};
  for (const int width : {4, 5}) {
    SCOPED_TRACE(width);
    const int pitch = 8;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(pitch) * 3);
    std::iota(pixels.begin(), pixels.end(), 0);
    const std::string path = scratchPath("out" + std::to_string(width) + ".bmp");
    ASSERT_EQ(writeBitmapFile(path, width, 3, pixels.data(), pitch, palette), 1);
    ASSERT_EQ(loadBitmapFile(bitmapFile, path), 1);
    const std::size_t stride = (static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
    EXPECT_EQ(std::filesystem::file_size(path), 1078 + 3 * stride);
    EXPECT_EQ(bitmapFile.fileHeader.bfOffBits, 1078u);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < width; ++x) EXPECT_EQ(bitmapFile.pixels[y * width + x], pixels[y * pitch + x]);
    }
    EXPECT_EQ(bitmapFile.palette[200].red, 200);
    EXPECT_EQ(bitmapFile.palette[200].blue, 2);
  }
  EXPECT_EQ(writeBitmapFile(scratchPath("bad.bmp"), 0, 3, &palette[0].red, 4, palette), 0);
  EXPECT_EQ(writeBitmapFile(scratchPath("bad.bmp"), 8, 3, &palette[0].red, 4, palette), 0);
  EXPECT_EQ(writeBitmapFile(scratchPath("no/such/folder.bmp"), 4, 1, &palette[0].red, 4, palette), 0);
}

// A picture whose pixel at (x, y) is (x + 3y) mod 256.
BitmapFile patternPicture(int width, int height) {
  BitmapFile bitmap;
  bitmap.infoHeader.biWidth = width;
  bitmap.infoHeader.biHeight = height;
  bitmap.infoHeader.biBitCount = 8;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) bitmap.pixels.push_back(static_cast<std::uint8_t>(x + 3 * y));
  }
  return bitmap;
}

TEST_F(BitmapTest, ImagesCopyCellsOrRectanglesAndOnlyWhatLiesInsideThePicture) {
  const BitmapFile sheet = patternPicture(200, 120);
  BitmapImage image;
  ASSERT_EQ(createImage(image, 0, 0, 56, 56, 8), 1);
  ASSERT_EQ(loadImage(image, sheet, 2, 1, IMAGE_CELL_MODE), 1);
  EXPECT_EQ(image.pixels[0], static_cast<std::uint8_t>(115 + 3 * 58));
  EXPECT_EQ(image.pixels[55 * 56 + 55], static_cast<std::uint8_t>(170 + 3 * 113));
  EXPECT_TRUE(image.attributes & IMAGE_LOADED);
  ASSERT_EQ(loadImage(image, sheet, 0, 0, IMAGE_PIXEL_MODE), 1);
  EXPECT_EQ(image.pixels[56 + 1], 1 + 3);

  // The cell reaching past the right and bottom edges: the outside part is 0.
  ASSERT_EQ(loadImage(image, sheet, 180, 100, IMAGE_PIXEL_MODE), 1);
  EXPECT_EQ(image.pixels[0], static_cast<std::uint8_t>(180 + 300));
  EXPECT_EQ(image.pixels[19 * 56 + 19], static_cast<std::uint8_t>(199 + 3 * 119));
  EXPECT_EQ(image.pixels[19 * 56 + 20], 0);
  EXPECT_EQ(image.pixels[20 * 56], 0);
  ASSERT_EQ(loadImage(image, sheet, -1000, 5, IMAGE_PIXEL_MODE), 1);
  for (std::uint8_t p : image.pixels) ASSERT_EQ(p, 0);

  EXPECT_EQ(loadImage(image, BitmapFile{}, 0, 0, IMAGE_CELL_MODE), 0);
  BitmapImage never;
  EXPECT_EQ(loadImage(never, sheet, 0, 0, IMAGE_CELL_MODE), 0);
  EXPECT_EQ(createImage(never, 0, 0, 0, 5, 8), 0);
  EXPECT_EQ(createImage(never, 0, 0, 5, 5, 16), 0);
}

TEST_F(BitmapTest, DrawingIsOpaqueOrSkipsZeroAndStaysInsideTheDestination) {
  BitmapFile picture;
  picture.infoHeader.biWidth = 4;
  picture.infoHeader.biHeight = 2;
  picture.pixels = {0, 7, 0, 7, 7, 0, 7, 0};
  BitmapImage image;
  ASSERT_EQ(createImage(image, 1, 1, 4, 2, 8), 1);

  std::vector<std::uint8_t> screen(8 * 6, 9);
  EXPECT_EQ(drawImage(image, screen.data(), 8, IMAGE_TRANSPARENT, 8, 6), 0);  // created, not loaded
  for (std::uint8_t p : screen) ASSERT_EQ(p, 9);
  ASSERT_EQ(loadImage(image, picture, 0, 0, IMAGE_PIXEL_MODE), 1);

  ASSERT_EQ(drawImage(image, screen.data(), 8, IMAGE_TRANSPARENT, 8, 6), 1);
  EXPECT_EQ(screen[1 * 8 + 1], 9);
  EXPECT_EQ(screen[1 * 8 + 2], 7);
  EXPECT_EQ(screen[2 * 8 + 1], 7);
  EXPECT_EQ(screen[2 * 8 + 2], 9);
  ASSERT_EQ(drawImage(image, screen.data(), 8, IMAGE_OPAQUE, 8, 6), 1);
  EXPECT_EQ(screen[1 * 8 + 1], 0);

  // Partly off every edge: only the inside is written (the buffer is exactly the destination).
  for (const auto& [x, y] : {std::pair{-2, -1}, std::pair{6, 5}, std::pair{-100, 100}}) {
    image.x = x;
    image.y = y;
    std::vector<std::uint8_t> small(8 * 6, 9);
    ASSERT_EQ(drawImage(image, small.data(), 8, IMAGE_OPAQUE, 8, 6), 1);
  }
  image.x = 6;
  image.y = 5;
  std::vector<std::uint8_t> corner(8 * 6, 9);
  drawImage(image, corner.data(), 8, IMAGE_OPAQUE, 8, 6);
  EXPECT_EQ(corner[5 * 8 + 6], 0);
  EXPECT_EQ(corner[5 * 8 + 7], 7);
  EXPECT_EQ(std::count(corner.begin(), corner.end(), 9), 8 * 6 - 2);
  EXPECT_EQ(drawImage(image, nullptr, 8, IMAGE_OPAQUE), 0);

  EXPECT_EQ(destroyImage(image), 1);
  EXPECT_EQ(image.state, 0);
  EXPECT_EQ(destroyImage(image), 0);
}

TEST_F(BitmapTest, PictureDrawnIntoTheLockedBackBufferIsPresentedWithItsPalette) {
  ASSERT_EQ(initDisplay(16, 8, 8, 0), 1);
  BitmapFile picture = patternPicture(16, 8);
  picture.palette[5] = PALETTEENTRY{1, 2, 3, PC_NOCOLLAPSE};
  ASSERT_EQ(setPalette(picture.palette), 1);
  BitmapImage background;
  ASSERT_EQ(createImage(background, 0, 0, 16, 8, 8), 1);
  ASSERT_EQ(loadImage(background, picture, 0, 0, IMAGE_PIXEL_MODE), 1);
  // Drawn at an offset: the default destination is the screen, so the overhang is cut.
  background.x = 4;
  std::uint8_t* memory = lockBackBuffer();
  ASSERT_EQ(drawImage(background, memory, backBufferPitch, IMAGE_OPAQUE), 1);
  unlockBackBuffer();
  ASSERT_EQ(flipDisplay(), 1);
  EXPECT_EQ(fake.lastPixels[2 * 16 + 4], 6);
  EXPECT_EQ(fake.lastPixels[2 * 16 + 15], 6 + 11);
  EXPECT_EQ(fake.lastPalette[5].blue, 3);
  EXPECT_EQ(fake.lastPalette[5].flags, PC_NOCOLLAPSE);
}

TEST_F(BitmapTest, OversizedPictureAndPaletteFilesAreRefusedUnreadAndReportedOnce) {
  std::vector<std::string> reports;
  const auto previous =
      content::setContentReportSink([&](const std::string& message) { reports.push_back(message); });

  // Sparse files: their size is all that is looked at, so nothing is written to disk or read into memory.
  // A valid header shows that the refusal comes from the size alone.
  BmpLayout layout;
  layout.pixels = {1, 2, 3, 4};
  layout.height = 1;
  const std::string picture = scratchPath("huge\x1b]0;title\a.bmp");
  writeFile(picture, buildBmp(layout));
  std::filesystem::resize_file(picture, BITMAP_MAX_FILE_BYTES + 1);
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ(loadBitmapFile(bitmapFile, picture), 0);
    EXPECT_TRUE(bitmapFile.pixels.empty());
  }
  std::filesystem::resize_file(picture, BITMAP_MAX_FILE_BYTES);
  EXPECT_EQ(loadBitmapFile(bitmapFile, picture), 1) << "at the cap the file is read";
  EXPECT_EQ(pictureCacheStats().fileReads, 1u);

  PALETTEENTRY entries[256];
  for (auto& e : entries) e = PALETTEENTRY{9, 9, 9, 9};
  const std::string palette = scratchPath("huge.pal");
  writeText(palette, "1 2 3 4\n");
  std::filesystem::resize_file(palette, PALETTE_MAX_FILE_BYTES + 1);
  EXPECT_EQ(loadPaletteFile(palette, entries), 0);
  EXPECT_EQ(entries[0].red, 9) << "a refused palette leaves the entries alone";
  std::filesystem::resize_file(palette, PALETTE_MAX_FILE_BYTES);
  EXPECT_EQ(loadPaletteFile(palette, entries), 1);
  EXPECT_EQ(entries[0].red, 1);
  EXPECT_EQ(loadPaletteFile(scratchPath(""), entries), 0) << "a folder is not a palette file";

  ASSERT_EQ(reports.size(), 3u);
  EXPECT_NE(reports[0].find("a picture file may have; it is not read"), std::string::npos) << reports[0];
  EXPECT_NE(reports[0].find("huge\\x1b]0;title\\x07.bmp"), std::string::npos) << "control bytes are escaped";
  EXPECT_NE(reports[1].find("huge.pal is " + std::to_string(PALETTE_MAX_FILE_BYTES + 1) + " bytes"),
            std::string::npos)
      << reports[1];
  EXPECT_NE(reports[2].find("is not a regular file"), std::string::npos) << reports[2];
  content::setContentReportSink(previous);
}

}  // namespace
}  // namespace varnholt::test
