// Display set-up, the lock and present rules, the frame clock, clippers, the palette file and the log.
#include <fstream>
#include <sstream>

#include "engine_test_support.h"

namespace varnholt::test {
namespace {

using DisplayTest = EngineTest;

std::string readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST_F(DisplayTest, SetUpGivesABlackScreenClippedToItsSize) {
  ASSERT_EQ(initDisplay(800, 600, 8, 0), 1);
  EXPECT_EQ(clipMinX, 0);
  EXPECT_EQ(clipMinY, 0);
  EXPECT_EQ(clipMaxX, 799);
  EXPECT_EQ(clipMaxY, 599);
  EXPECT_EQ(screenHeight, 600);
  EXPECT_EQ(errorLog, nullptr);
  ASSERT_NE(backBuffer, nullptr);
  ASSERT_NE(backBufferClipper, nullptr);
  EXPECT_EQ(backBufferClipper->bound.right, 800);
  EXPECT_EQ(backBufferClipper->bound.bottom, 600);

  // No palette file in the test folder: an all-black palette, and colour 0 everywhere.
  ASSERT_EQ(flipDisplay(), 1);
  ASSERT_EQ(fake.lastPixels.size(), 800u * 600u);
  for (std::uint8_t p : fake.lastPixels) ASSERT_EQ(p, 0);
  for (const PALETTEENTRY& e : fake.lastPalette) ASSERT_EQ(e.red + e.green + e.blue + e.flags, 0);
}

TEST_F(DisplayTest, SetUpFailsWithoutPlatformFontOrAnEightBitMode) {
  fake.hasFont = false;
  EXPECT_EQ(initDisplay(800, 600, 8, 0), 0);
  EXPECT_EQ(backBuffer, nullptr);
  fake.hasFont = true;
  EXPECT_EQ(initDisplay(800, 600, 16, 0), 0);
  EXPECT_EQ(initDisplay(0, 600, 8, 0), 0);
  platform::setCurrent(nullptr);
  EXPECT_EQ(initDisplay(800, 600, 8, 0), 0);
  EXPECT_EQ(lockBackBuffer(), nullptr);
  EXPECT_EQ(flipDisplay(), 0);
}

TEST_F(DisplayTest, StartPaletteKeepsFileFlagsFullScreenAndReservesSystemColoursWindowed) {
  std::string text;
  for (int i = 0; i < 256; ++i) text += "\n" + std::to_string(i) + " 1 2 0";
  writeText(scratchPath(START_PALETTE_FILE), text);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(scratchPath(""));

  for (int windowed : {0, 1}) {
    SCOPED_TRACE(windowed);
    resetEngine();
    ASSERT_EQ(initDisplay(800, 600, 8, windowed), 1);
    for (int i = 0; i < 256; ++i) {
      const bool reserved = windowed && (i < 10 || i >= 246);
      EXPECT_EQ(paletteEntries[i].red, i);
      EXPECT_EQ(paletteEntries[i].flags, reserved ? PC_EXPLICIT : 0) << i;
      EXPECT_EQ(displayPalette->entries[i].flags, paletteEntries[i].flags);
    }
  }
  std::filesystem::current_path(previous);
}

TEST_F(DisplayTest, PaletteFileReadsUntilTheFirstNonNumberAndStoresBytes) {
  PALETTEENTRY entries[256];
  for (auto& e : entries) e = PALETTEENTRY{9, 9, 9, 9};
  EXPECT_EQ(loadPaletteFile(scratchPath("missing.pal"), entries), 0);
  EXPECT_EQ(entries[0].red, 9);  // untouched

  writeText(scratchPath("short.pal"), "\n10 20 30 4\n300 -1 255 2\n7 8 x 9\n1 1 1 1");
  ASSERT_EQ(loadPaletteFile(scratchPath("short.pal"), entries), 1);
  EXPECT_EQ(entries[0].red, 10);
  EXPECT_EQ(entries[0].blue, 30);
  EXPECT_EQ(entries[0].flags, 4);
  EXPECT_EQ(entries[1].red, 300 & 0xFF);
  EXPECT_EQ(entries[1].green, 0xFF);
  for (int i = 2; i < 256; ++i) {
    ASSERT_EQ(entries[i].red + entries[i].green + entries[i].blue + entries[i].flags, 0) << i;
  }
}

TEST_F(DisplayTest, LockUnlockAndPresentRules) {
  ASSERT_EQ(initDisplay(800, 600, 8, 0), 1);
  std::uint8_t* memory = lockBackBuffer();
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(lockBackBuffer(), memory);
  EXPECT_GE(backBufferPitch, 800);
  memory[5 * backBufferPitch + 3] = 42;

  // Nothing is shown, and nothing drawn by blit or text, while locked.
  EXPECT_EQ(flipDisplay(), 0);
  EXPECT_EQ(fake.presentCalls, 0);
  EXPECT_EQ(drawText("A", 0, 0, 0, backBuffer), 0);

  EXPECT_EQ(unlockBackBuffer(), 1);
  EXPECT_EQ(backBufferMemory, nullptr);
  EXPECT_EQ(backBufferPitch, 0);
  EXPECT_EQ(unlockBackBuffer(), 0);
  ASSERT_EQ(flipDisplay(), 1);
  EXPECT_EQ(fake.lastPixels[5 * 800 + 3], 42);
}

TEST_F(DisplayTest, AFailingPresentIsTriedOnce) {
  ASSERT_EQ(initDisplay(64, 48, 8, 0), 1);
  fake.presentFails = true;
  EXPECT_EQ(flipDisplay(), 0);
  EXPECT_EQ(fake.presentCalls, 1);
}

TEST_F(DisplayTest, WaitsCountFromTheFrameStartAndSurviveTheTickWrap) {
  fake.now = 5000;
  EXPECT_EQ(startClock(), 5000u);
  EXPECT_EQ(waitClock(0), 5000u);
  EXPECT_EQ(fake.waits, 0);
  EXPECT_EQ(waitClock(20), 5020u);
  fake.now += 5;
  EXPECT_EQ(waitClock(50), 5050u);  // the second wait only waits for the difference
  EXPECT_EQ(waitClock(30), 5050u);  // already past

  fake.now = 0xFFFFFFF0u;
  startClock();
  EXPECT_EQ(waitClock(40), 0x18u);

  // Longer than the platform's signed deadline range: still no sooner than asked.
  fake.now = 7;
  startClock();
  EXPECT_EQ(waitClock(0xC0000000u), 0xC0000007u);
}

TEST_F(DisplayTest, ClipperRectanglesBoundTheRegionAndCutFills) {
  Surface surface;
  ASSERT_TRUE(initSurface(surface, 10, 4, 0));
  const RECT rects[] = {{1, 0, 3, 2}, {6, 1, 20, 9}};
  const auto clipper = attachClipper(&surface, 2, rects);
  ASSERT_NE(clipper, nullptr);
  EXPECT_EQ(clipper->bound.left, 1);
  EXPECT_EQ(clipper->bound.top, 0);
  EXPECT_EQ(clipper->bound.right, 20);
  EXPECT_EQ(clipper->bound.bottom, 9);
  EXPECT_EQ(attachClipper(nullptr, 1, rects), nullptr);
  EXPECT_EQ(attachClipper(&surface, 0, rects), nullptr);

  const RECT everywhere{-100, -100, 100, 100};
  EXPECT_EQ(fillSurface(&surface, 0x105, &everywhere), 1);
  const char* expected[] = {".55.......", ".55...5555", "......5555", "......5555"};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 10; ++x) {
      EXPECT_EQ(surface.pixels[y * surface.pitch + x], expected[y][x] == '5' ? 5 : 0) << x << "," << y;
    }
  }
  EXPECT_EQ(fillSurface(nullptr, 1), 0);
}

TEST_F(DisplayTest, ErrorLogWritesItsExactLinesCutTo79Characters) {
  EXPECT_EQ(logError("x"), 0);
  EXPECT_EQ(closeErrorLog(), 0);

  const std::string path = scratchPath("error.txt");
  ASSERT_EQ(openErrorLog(path.c_str()), 1);
  EXPECT_EQ(logError(nullptr), 0);
  EXPECT_EQ(logError("\nvalue = %d", 7), 1);
  EXPECT_EQ(logError("%s", std::string(200, 'a').c_str()), 1);
  EXPECT_EQ(closeErrorLog(), 1);
  EXPECT_EQ(errorLog, nullptr);

  const std::string text = readWhole(path);
  const std::string opening = "\nOpening Error Output File (" + path + ") on ";
  ASSERT_EQ(text.compare(0, opening.size(), opening), 0) << text;
  const std::string rest = "\n\nvalue = 7" + std::string(79, 'a') + "\nClosing Error Output File.";
  ASSERT_GE(text.size(), rest.size());
  EXPECT_EQ(text.substr(text.size() - rest.size()), rest);

  std::tm time{};
  time.tm_sec = 8;
  time.tm_min = 49;
  time.tm_hour = 21;
  time.tm_mday = 3;
  time.tm_mon = 5;
  time.tm_year = 93;
  time.tm_wday = 4;
  char stamp[64];
  formatLogTimeStamp(time, 27, stamp);
  EXPECT_STREQ(stamp, "Thu Jun  3 21:49:08.27, 1993\n");
}

}  // namespace
}  // namespace varnholt::test
