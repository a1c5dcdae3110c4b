// The headless backend as the replay runner and the engine's tests use it: its virtual clock, message
// queue, scripted keys and captured frames.
#include "platform/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace varnholt::platform {
namespace {

struct TestFrame {
  std::vector<std::uint8_t> pixels;
  std::array<PaletteEntry, 256> palette{};
  Frame frame(int width, int height, int pitch) const {
    return {pixels.data(), width, height, pitch, palette.data()};
  }
};

TEST(HeadlessClock, PresentingMovesTimeSoAPictureLoopEnds) {
  HeadlessPlatform platform(0xFFFFFFFEu);
  TestFrame picture{std::vector<std::uint8_t>(4, 0)};
  // A screen that shows its picture until a deadline passes, the way the splash screens wait.
  const std::uint32_t deadline = platform.ticks() + 5;
  int presents = 0;
  while (static_cast<std::int32_t>(platform.ticks() - deadline) < 0 && presents < 100) {
    ASSERT_TRUE(platform.present(picture.frame(2, 2, 2)));
    ++presents;
  }
  EXPECT_EQ(presents, 5);
  EXPECT_EQ(platform.ticks(), 3u);

  platform.setPresentStep(0);
  platform.present(picture.frame(2, 2, 2));
  EXPECT_EQ(platform.ticks(), 3u);
  platform.waitUntil(10);
  EXPECT_EQ(platform.ticks(), 10u) << "a wait jumps to its deadline";
}

TEST(HeadlessMessages, ComeOutInPostOrderOnePerPeek) {
  HeadlessPlatform platform;
  EXPECT_EQ(platform.peekMessage(), Message::None);
  platform.postMessage(Message::Destroy);
  platform.postMessage(Message::None);
  platform.postMessage(Message::Quit);
  platform.postMessage(Message::Destroy);
  EXPECT_EQ(platform.peekMessage(), Message::Destroy);
  EXPECT_EQ(platform.peekMessage(), Message::Quit);
  EXPECT_EQ(platform.peekMessage(), Message::Destroy);
  EXPECT_EQ(platform.peekMessage(), Message::None);
}

TEST(HeadlessKeyboard, HooksFillEachReadFromAClearedSnapshot) {
  HeadlessPlatform platform;
  std::uint8_t state[256];
  std::memset(state, 0xAB, sizeof state);
  platform.readKeyboard(state);
  for (const std::uint8_t byte : state) ASSERT_EQ(byte, 0) << "all keys are up without a hook";
  EXPECT_FALSE(platform.isKeyDown(DirectKey::Escape));

  int reads = 0;
  platform.setKeyboardHook([&](std::uint8_t(&keys)[256]) {
    ++reads;
    // Only the first read holds Up: the second must not still see it.
    if (reads == 1) keys[DIK_UP] = 0x80;
    keys[DIK_RETURN] = 0x80;
  });
  platform.setKeyDownHook([](DirectKey key) { return key == DirectKey::Space; });

  platform.readKeyboard(state);
  EXPECT_NE(state[DIK_UP], 0);
  EXPECT_NE(state[DIK_RETURN], 0);
  platform.readKeyboard(state);
  EXPECT_EQ(state[DIK_UP], 0);
  EXPECT_NE(state[DIK_RETURN], 0);
  EXPECT_EQ(platform.keyboardReads(), 3u);

  EXPECT_TRUE(platform.isKeyDown(DirectKey::Space));
  EXPECT_FALSE(platform.isKeyDown(DirectKey::Escape));
}

TEST(HeadlessFrames, CaptureCopiesRowsWithoutPitchPaddingAndThePalette) {
  HeadlessPlatform platform;
  // Two rows of three pixels, five bytes apart; the padding bytes must not end up in the capture.
  TestFrame source{{1, 2, 3, 99, 99, 4, 5, 6, 99, 99}};
  source.palette[6] = {10, 20, 30, 4};
  int hookCalls = 0;
  platform.setPresentHook([&](const CapturedFrame& frame) {
    ++hookCalls;
    EXPECT_EQ(frame.pixels.size(), 6u);
  });

  ASSERT_TRUE(platform.present(source.frame(3, 2, 5)));
  source.pixels[0] = 77;  // the capture is a copy
  source.palette[6].red = 0;

  const CapturedFrame& captured = platform.lastFrame();
  EXPECT_EQ(captured.width, 3);
  EXPECT_EQ(captured.height, 2);
  EXPECT_EQ(captured.pixels, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(captured.palette[6].red, 10);
  EXPECT_EQ(captured.palette[6].flags, 4);
  EXPECT_EQ(hookCalls, 1);
  EXPECT_EQ(platform.presentCount(), 1u);
}

TEST(HeadlessFrames, RejectsFramesThatCannotBeRead) {
  TestFrame source{std::vector<std::uint8_t>(16, 0)};
  const Frame bad[] = {
      {nullptr, 4, 4, 4, source.palette.data()},
      {source.pixels.data(), 4, 4, 4, nullptr},
      {source.pixels.data(), 0, 4, 4, source.palette.data()},
      {source.pixels.data(), 4, -1, 4, source.palette.data()},
      {source.pixels.data(), 4, 2, 3, source.palette.data()},  // pitch shorter than a row
  };
  for (const Frame& frame : bad) {
    HeadlessPlatform platform;
    EXPECT_FALSE(platform.present(frame));
    EXPECT_FALSE(platform.lastError().empty());
    EXPECT_FALSE(platform.hasFrame());
    EXPECT_EQ(platform.ticks(), 0u);
  }
}

TEST(FrameHash, IsFnv1aOverIndicesThenPaletteBytes) {
  TestFrame source{{1, 2, 0xEE, 3, 4, 0xEE}};
  source.palette[0] = {10, 20, 30, 40};
  // Worked out independently over the bytes 1 2 3 4, then 10 20 30 40 and 1020 zero bytes.
  constexpr std::uint64_t expected = 0x7d5248ec0c4803ddull;
  EXPECT_EQ(hashFrame(source.frame(2, 2, 3)), expected);

  HeadlessPlatform platform;
  platform.present(source.frame(2, 2, 3));
  EXPECT_EQ(hashFrame(platform.lastFrame()), expected);
}

TEST(FrameHash, ChangesWithAnyPixelOrPaletteByte) {
  TestFrame source{std::vector<std::uint8_t>(8 * 4, 7)};
  const std::uint64_t base = hashFrame(source.frame(8, 4, 8));
  TestFrame pixel = source;
  pixel.pixels[31] = 8;
  TestFrame flags = source;
  flags.palette[255].flags = 1;
  EXPECT_NE(hashFrame(pixel.frame(8, 4, 8)), base);
  EXPECT_NE(hashFrame(flags.frame(8, 4, 8)), base);
  // Same bytes, different shape: the row walk only covers the frame.
  EXPECT_NE(hashFrame(source.frame(4, 4, 8)), base);
}

TEST(HeadlessText, MissingFontGivesNoRasterizerAndAnErrorNamingIt) {
  HeadlessPlatform platform;
  platform.setFontPath("/nonexistent/NoSuchFont.ttf");
  EXPECT_EQ(platform.textRasterizer(), nullptr);
  EXPECT_NE(platform.lastError().find("/nonexistent/NoSuchFont.ttf"), std::string::npos);
  EXPECT_EQ(platform.textRasterizer(), nullptr);
}

TEST(HeadlessText, DefaultFontIsOpenedOnceAtTheGameSize) {
  HeadlessPlatform platform;
  TextRasterizer* font = platform.textRasterizer();
  ASSERT_NE(font, nullptr) << platform.lastError();
  EXPECT_EQ(platform.textRasterizer(), font);
  EXPECT_LE(font->lineHeight(), 15);
}

}  // namespace
}  // namespace varnholt::platform
