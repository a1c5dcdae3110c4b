// Screenshots: the PNG holds the frame's indices and palette, and the folder follows XDG.
#include "app/screenshot.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>

namespace varnholt::app {
namespace {

namespace fs = std::filesystem;

TEST(ScreenshotTest, PngHoldsTheFramesIndicesAndPalette) {
  const int width = 800, height = 600, pitch = 808;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(pitch) * height, 0xEE);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels[y * pitch + x] = static_cast<std::uint8_t>((x + 3 * y) & 0xFF);
  }
  std::vector<platform::PaletteEntry> palette(256);
  for (int i = 0; i < 256; ++i) {
    palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                  static_cast<std::uint8_t>(i / 2), 4};
  }
  FrameCopy copy;
  copy.assign(platform::Frame{pixels.data(), width, height, pitch, palette.data()});

  const fs::path path = fs::temp_directory_path() / "varnholt-screenshot-test.png";
  std::string error;
  ASSERT_TRUE(writePng(path, copy, error)) << error;

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
  EXPECT_EQ(image.width, 800u);
  EXPECT_EQ(image.height, 600u);
  EXPECT_TRUE(image.format & PNG_FORMAT_FLAG_COLORMAP);
  image.format = PNG_FORMAT_RGB_COLORMAP;
  std::vector<std::uint8_t> indices(PNG_IMAGE_SIZE(image));
  std::vector<std::uint8_t> colours(PNG_IMAGE_COLORMAP_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, indices.data(), 0, colours.data()));
  // Compare colours rather than indices: libpng may reorder the colour map.
  for (int y = 0; y < height; y += 37) {
    for (int x = 0; x < width; x += 13) {
      const auto& expected = palette[pixels[y * pitch + x]];
      const std::uint8_t* got = &colours[3 * indices[y * width + x]];
      ASSERT_EQ(got[0], expected.red) << x << "," << y;
      ASSERT_EQ(got[1], expected.green);
      ASSERT_EQ(got[2], expected.blue);
    }
  }
  fs::remove(path);
}

TEST(ScreenshotTest, RefusesToWriteWhenNothingWasShown) {
  std::string error;
  EXPECT_FALSE(writePng(fs::temp_directory_path() / "never.png", FrameCopy{}, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(writePng("/nonexistent-folder/x.png",
                        FrameCopy{1, 1, {0}, std::vector<platform::PaletteEntry>(256)}, error));
}

TEST(ScreenshotTest, FolderFollowsXdgDataHome) {
  EXPECT_EQ(screenshotFolder("/data", "/home/a"), fs::path("/data/varnholt/screenshots"));
  EXPECT_EQ(screenshotFolder(nullptr, "/home/a"), fs::path("/home/a/.local/share/varnholt/screenshots"));
  EXPECT_EQ(screenshotFolder("relative", "/home/a"), fs::path("/home/a/.local/share/varnholt/screenshots"));
  EXPECT_FALSE(screenshotFolder(nullptr, nullptr).has_value());
}

}  // namespace
}  // namespace varnholt::app
