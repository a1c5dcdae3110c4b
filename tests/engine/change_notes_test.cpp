// Redrawing only what changed: after any mix of fills, blits, text and images over a full-screen
// background, the back buffer holds what drawing everything in full gives, and every present names
// every place where it differs from the frame shown before it.
#include <random>

#include "engine/surface.h"
#include "engine_test_support.h"

namespace varnholt::test {
namespace {

using ChangeNotesTest = EngineTest;

// An image of the given size at (x, y) with the given pixels, loaded as loadImage leaves it.
void makeImage(BitmapImage& image, int x, int y, int width, int height, std::mt19937& random, int zeroShare) {
  ASSERT_EQ(createImage(image, x, y, width, height, 8), 1);
  for (std::uint8_t& p : image.pixels)
    p = static_cast<std::uint8_t>(static_cast<int>(random() % 100) < zeroShare ? 0 : 1 + random() % 255);
  image.attributes |= IMAGE_LOADED;
}

TEST_F(ChangeNotesTest, PartialRedrawsGiveTheFullPictureAndPresentsNameEveryChange) {
  ASSERT_EQ(initDisplay(800, 600, 8, 0), 1);
  std::mt19937 random(7);
  BitmapImage background, secondBackground, marker;
  makeImage(background, 0, 0, 800, 600, random, 0);
  makeImage(secondBackground, 0, 0, 800, 600, random, 0);
  makeImage(marker, 0, 0, 57, 41, random, 60);
  auto sprite = createOffscreenSurface(37, 29, 0, 0);
  ASSERT_NE(sprite, nullptr);
  for (std::uint8_t& p : sprite->pixels)
    p = static_cast<std::uint8_t>(random() % 3 == 0 ? 0 : random() % 256);
  setColorKey(*sprite, 0);
  // The same drawing on a surface that is not the back buffer, so nothing about it is noted or skipped.
  auto reference = createOffscreenSurface(800, 600, 0, 0);
  ASSERT_NE(reference, nullptr);

  auto pick = [&](int low, int high) { return low + static_cast<int>(random() % (high - low + 1)); };
  for (int frame = 0; frame < 300; ++frame) {
    // Mostly the same background, as on an idle screen; now and then another, or one that moved.
    BitmapImage& base = frame % 97 == 50 ? secondBackground : background;
    if (frame == 200) background.x = -3;
    if (frame == 201) background.x = 0;
    std::uint8_t* memory = lockBackBuffer();
    drawImage(base, memory, backBufferPitch, IMAGE_OPAQUE);
    unlockBackBuffer();
    drawImage(base, reference->pixels.data(), reference->pitch, IMAGE_OPAQUE, 800, 600);

    const int draws = frame % 5 == 0 ? pick(0, 200) : pick(0, 12);
    for (int d = 0; d < draws; ++d) {
      const int x = pick(-60, 820);
      const int y = pick(-60, 620);
      switch (random() % 4) {
        case 0: {
          const RECT area{x, y, x + pick(0, 90), y + pick(0, 90)};
          const int colour = pick(0, 255);
          fillSurface(backBuffer, colour, &area);
          fillRect(*reference, &area, static_cast<std::uint8_t>(colour));
          break;
        }
        case 1: {
          const RECT to{x, y, x + 37, y + 29};
          const RECT from{0, 0, 37, 29};
          blitSurface(*backBuffer, to, *sprite, from, true);
          blitSurface(*reference, to, *sprite, from, true);
          break;
        }
        case 2:
          drawText("AB C", x, y, makeColorRef(200, 10, 10), backBuffer);
          drawText("AB C", x, y, makeColorRef(200, 10, 10), reference.get());
          break;
        default: {
          marker.x = x;
          marker.y = y;
          const int transparent = pick(IMAGE_OPAQUE, IMAGE_TRANSPARENT);
          memory = lockBackBuffer();
          drawImage(marker, memory, backBufferPitch, transparent);
          unlockBackBuffer();
          drawImage(marker, reference->pixels.data(), reference->pitch, transparent, 800, 600);
          break;
        }
      }
    }
    ASSERT_EQ(backBuffer->pixels, reference->pixels) << "frame " << frame;
    // Some presents fail; the next one must still name everything since the last that was shown.
    fake.presentFails = frame % 13 == 6;
    flipDisplay();
  }
  EXPECT_GT(fake.hintedPresents, 200);
  EXPECT_EQ(fake.hintMisses, 0);
}

TEST_F(ChangeNotesTest, ColourKeyedRowsOfEveryLengthAndOffsetMatchAPixelByPixelCopy) {
  std::mt19937 random(11);
  for (int count = 0; count <= 70; ++count) {
    for (int offset = 0; offset < 3; ++offset) {
      for (int key : {0, 7, 255}) {
        std::vector<std::uint8_t> src(80), dst(80), expected;
        for (auto& p : src) p = static_cast<std::uint8_t>(random() % 2 ? key : random() % 256);
        for (auto& p : dst) p = static_cast<std::uint8_t>(random() % 256);
        expected = dst;
        for (int i = 0; i < count; ++i)
          if (src[offset + i] != key) expected[offset + i] = src[offset + i];
        copyRowColorKeyed(dst.data() + offset, src.data() + offset, count, static_cast<std::uint8_t>(key));
        ASSERT_EQ(dst, expected) << "count " << count << " offset " << offset << " key " << key;
      }
    }
  }
}

}  // namespace
}  // namespace varnholt::test
