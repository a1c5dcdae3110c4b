// Text: drawn in the palette index nearest the colour, background untouched, cut to the surface, with
// nearest-index lookups cached until the palette changes.
#include "engine_test_support.h"

namespace varnholt::test {
namespace {

class TextTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    ASSERT_EQ(initDisplay(40, 20, 8, 0), 1);
    PALETTEENTRY palette[256];
    for (int i = 0; i < 256; ++i) palette[i] = PALETTEENTRY{200, 200, static_cast<std::uint8_t>(i / 2), 0};
    palette[7] = PALETTEENTRY{30, 30, 30, 0};
    palette[50] = PALETTEENTRY{10, 220, 40, 0};
    setPalette(palette);
    fillSurface(backBuffer, 1);
  }
  int at(int x, int y) const { return backBuffer->pixels[y * backBuffer->pitch + x]; }
};

TEST_F(TextTest, InkTakesTheNearestIndexAndTheBackgroundStays) {
  ASSERT_EQ(drawText("A B", 2, 3, makeColorRef(32, 32, 32), backBuffer), 1);
  EXPECT_EQ(at(2, 3), 7);
  EXPECT_EQ(at(4, 7), 7);
  EXPECT_EQ(at(5, 3), 1);   // between letters
  EXPECT_EQ(at(6, 3), 1);   // the space
  EXPECT_EQ(at(10, 3), 7);  // third cell
  EXPECT_EQ(at(2, 8), 1);   // below the ink

  ASSERT_EQ(drawTextIndexed("C", 20, 3, 50, backBuffer), 1);
  const PALETTEENTRY drawn = paletteEntries[at(20, 3)];
  EXPECT_EQ(drawn.red, 10);
  EXPECT_EQ(drawn.green, 220);
  EXPECT_EQ(drawn.blue, 40);
}

TEST_F(TextTest, TextIsCutToTheSurfaceEdges) {
  ASSERT_EQ(drawText("XXXXXXXXXXXXXXXX", -3, 17, 0, backBuffer), 1);
  EXPECT_EQ(at(0, 17), 1);  // the first letter lies left of the edge
  EXPECT_EQ(at(1, 17), 7);
  EXPECT_EQ(at(1, 19), 7);
  EXPECT_EQ(at(39, 19), 7);
  EXPECT_EQ(at(1, 16), 1);
  EXPECT_EQ(drawText("Y", 1000, -1000, 0, backBuffer), 1);
  EXPECT_EQ(drawText("", 0, 0, 0, backBuffer), 1);
}

TEST_F(TextTest, RefusesWithoutTextSurfaceFontOrValidIndex) {
  EXPECT_EQ(drawText(nullptr, 0, 0, 0, backBuffer), 0);
  EXPECT_EQ(drawText("A", 0, 0, 0, nullptr), 0);
  EXPECT_EQ(drawTextIndexed("A", 0, 0, 256, backBuffer), 0);
  EXPECT_EQ(drawTextIndexed("A", 0, 0, -1, backBuffer), 0);
  fake.hasFont = false;
  EXPECT_EQ(drawText("A", 0, 0, 0, backBuffer), 0);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 40; ++x) ASSERT_EQ(at(x, y), 1);
  }
}

TEST_F(TextTest, NearestIndexIsSearchedOncePerColourAndPalette) {
  for (int line = 0; line < 10; ++line) drawText("line", 0, 0, 0x202020, backBuffer);
  EXPECT_EQ(textColorStats().searches, 1u);
  EXPECT_EQ(textColorStats().cacheHits, 9u);

  paletteEntries[9] = PALETTEENTRY{32, 32, 32, 0};
  drawText("line", 0, 0, 0x202020, backBuffer);
  EXPECT_EQ(textColorStats().searches, 2u);
  EXPECT_EQ(at(0, 0), 9);
}

}  // namespace
}  // namespace varnholt::test
