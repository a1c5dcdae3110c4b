#pragma once
// Shared pieces of the engine tests: a fake platform (virtual clock, kept frames, a block-letter font),
// a fixture that installs it on a clean engine, a scratch folder for files, and a builder of BMP bytes.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "platform/platform.h"

namespace varnholt::test {

// Every character is a 4-pixel cell: a 3 x 5 block of ink, except spaces, which have none.
class BlockFont : public platform::TextRasterizer {
 public:
  static constexpr int CELL = 4;
  static constexpr int HEIGHT = 6;
  bool render(std::string_view text, platform::TextMask& out) override;
  int lineHeight() const override { return 15; }
  int renders = 0;
};

class FakePlatform : public platform::Platform {
 public:
  bool openWindow(std::string_view, int, int) override { return true; }
  void closeWindow() override {}
  void hideMousePointer() override {}
  platform::Message peekMessage() override { return platform::Message::None; }
  void postMessage(platform::Message) override {}
  bool readKeyboard(std::uint8_t (&state)[256]) override;
  bool isKeyDown(platform::DirectKey) override { return false; }
  std::uint32_t ticks() override { return now; }
  void waitUntil(std::uint32_t deadline) override;
  bool present(const platform::Frame& frame) override;
  platform::TextRasterizer* textRasterizer() override { return hasFont ? &font : nullptr; }
  const std::string& lastError() const override { return error; }

  std::uint32_t now = 1000;
  int waits = 0;
  bool hasFont = true;
  bool presentFails = false;
  int presentCalls = 0;
  int hintedPresents = 0;                // presents that said where they changed
  int hintMisses = 0;                    // pixels that changed outside the places a present named
  std::vector<std::uint8_t> lastPixels;  // packed rows of the last shown frame
  std::vector<PALETTEENTRY> lastPalette;
  BlockFont font;
  std::string error = "font not found: DejaVuSans.ttf";
};

// A clean engine with the fake platform installed, and a scratch folder removed afterwards.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string scratchPath(const std::string& name) const { return (scratch_ / name).string(); }
  void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) const;
  void writeText(const std::string& path, const std::string& text) const;

  FakePlatform fake;

 private:
  std::filesystem::path scratch_;
};

// The bytes of a BMP file, by default a valid 8-bit bottom-up file of the classic layout (40-byte header,
// 256-entry table, pixel data ending the file). Rows are given top row first, packed.
struct BmpLayout {
  int width = 4;
  int height = 2;  // negative: written top-down
  int bits = 8;
  std::uint32_t compression = 0;
  std::uint32_t headerSize = 40;
  int tableEntries = 256;  // colour table entries written (8-bit)
  bool padRows = true;     // rows padded to 4 bytes in the file
  bool zeroSizeImage = false;
  std::vector<std::uint8_t> pixels;    // top row first, width x bytes per pixel each
  std::vector<std::uint8_t> table;     // blue, green, red, reserved per entry; zeros when short
  std::vector<std::uint8_t> trailing;  // bytes after the pixel data
};
std::vector<std::uint8_t> buildBmp(const BmpLayout& layout);

}  // namespace varnholt::test
