// The fake platform, the test fixture and the BMP builder of the engine tests.
#include "engine_test_support.h"

#include <algorithm>

#include <unistd.h>
#include <atomic>
#include <fstream>

namespace varnholt::test {

bool BlockFont::render(std::string_view text, platform::TextMask& out) {
  ++renders;
  out = platform::TextMask{};
  if (text.empty()) return false;
  out.width = CELL * static_cast<int>(text.size());
  out.height = HEIGHT;
  out.ink.assign(static_cast<std::size_t>(out.width * out.height), 0);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ' ') continue;
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 3; ++x) out.ink[static_cast<std::size_t>(y * out.width) + i * CELL + x] = 1;
    }
  }
  return true;
}

bool FakePlatform::readKeyboard(std::uint8_t (&state)[256]) {
  for (auto& key : state) key = 0;
  return true;
}

void FakePlatform::waitUntil(std::uint32_t deadline) {
  ++waits;
  if (static_cast<std::int32_t>(now - deadline) < 0) now = deadline;
}

bool FakePlatform::present(const platform::Frame& frame) {
  ++presentCalls;
  if (presentFails) return false;
  // A frame that names where it changed must equal the last shown one everywhere else.
  if (frame.changed != nullptr && lastPixels.size() == static_cast<std::size_t>(frame.width) * frame.height) {
    ++hintedPresents;
    std::vector<std::uint8_t> named(lastPixels.size(), 0);
    for (std::size_t i = 0; i < frame.changedCount; ++i) {
      const platform::FrameRect& r = frame.changed[i];
      for (int y = std::max(r.top, 0); y < std::min(r.bottom, frame.height); ++y)
        for (int x = std::max(r.left, 0); x < std::min(r.right, frame.width); ++x)
          named[static_cast<std::size_t>(y) * frame.width + x] = 1;
    }
    for (int y = 0; y < frame.height; ++y) {
      for (int x = 0; x < frame.width; ++x) {
        const std::size_t at = static_cast<std::size_t>(y) * frame.width + x;
        if (!named[at] && frame.pixels[static_cast<std::size_t>(y) * frame.pitch + x] != lastPixels[at])
          ++hintMisses;
      }
    }
  }
  lastPixels.clear();
  for (int y = 0; y < frame.height; ++y) {
    const std::uint8_t* row = frame.pixels + static_cast<std::size_t>(y) * frame.pitch;
    lastPixels.insert(lastPixels.end(), row, row + frame.width);
  }
  lastPalette.assign(frame.palette, frame.palette + 256);
  return true;
}

void EngineTest::SetUp() {
  resetEngine();
  platform::setCurrent(&fake);
  static std::atomic<int> counter{0};
  scratch_ = std::filesystem::temp_directory_path() /
             ("varnholt-engine-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(scratch_);
}

void EngineTest::TearDown() {
  resetEngine();
  platform::setCurrent(nullptr);
  std::error_code ignored;
  std::filesystem::remove_all(scratch_, ignored);
}

void EngineTest::writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void EngineTest::writeText(const std::string& path, const std::string& text) const {
  std::ofstream out(path, std::ios::trunc);
  out << text;
}

namespace {
void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}
void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  put16(b, at, v & 0xFFFF);
  put16(b, at + 2, v >> 16);
}
}  // namespace

std::vector<std::uint8_t> buildBmp(const BmpLayout& layout) {
  const int rows = layout.height < 0 ? -layout.height : layout.height;
  const std::size_t rowBytes =
      static_cast<std::size_t>(layout.width) * static_cast<std::size_t>(layout.bits / 8);
  const std::size_t stride = layout.padRows ? (rowBytes + 3) & ~std::size_t{3} : rowBytes;
  const std::size_t tableBytes = layout.bits == 8 ? static_cast<std::size_t>(layout.tableEntries) * 4 : 0;
  const std::size_t offset = 14 + layout.headerSize + tableBytes;
  const std::size_t imageBytes = stride * static_cast<std::size_t>(rows);

  std::vector<std::uint8_t> b(offset, 0);
  b[0] = 'B';
  b[1] = 'M';
  put32(b, 2, static_cast<std::uint32_t>(offset + imageBytes + layout.trailing.size()));
  put32(b, 10, static_cast<std::uint32_t>(offset));
  put32(b, 14, layout.headerSize);
  put32(b, 18, static_cast<std::uint32_t>(layout.width));
  put32(b, 22, static_cast<std::uint32_t>(layout.height));
  put16(b, 26, 1);
  put16(b, 28, static_cast<std::uint32_t>(layout.bits));
  put32(b, 30, layout.compression);
  put32(b, 34, layout.zeroSizeImage ? 0 : static_cast<std::uint32_t>(imageBytes));
  for (std::size_t i = 0; i < tableBytes && i < layout.table.size(); ++i)
    b[14 + layout.headerSize + i] = layout.table[i];

  for (int r = 0; r < rows; ++r) {
    // Bottom-up files store the top row last.
    const int source = layout.height < 0 ? r : rows - 1 - r;
    std::vector<std::uint8_t> row(stride, 0);
    for (std::size_t i = 0; i < rowBytes; ++i) {
      const std::size_t at = static_cast<std::size_t>(source) * rowBytes + i;
      if (at < layout.pixels.size()) row[i] = layout.pixels[at];
    }
    b.insert(b.end(), row.begin(), row.end());
  }
  b.insert(b.end(), layout.trailing.begin(), layout.trailing.end());
  return b;
}

}  // namespace varnholt::test
