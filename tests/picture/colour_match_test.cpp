// Choosing palette entries: the CIEDE2000 difference against published reference pairs, the matcher's
// early stop against a search of every entry, hand-made choices where the eye and raw RGB disagree,
// transparency to index 0, and Floyd-Steinberg dithering.

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "engine/text.h"
#include "picture/colour_match.h"

namespace varnholt::imaging {
namespace {

// Every entry far from the colours the cases use, so only the entries a case sets can be chosen.
PaletteTable farPalette() {
  PaletteTable palette{};
  for (PALETTEENTRY& entry : palette) entry = {255, 0, 255, 0};
  palette[0] = {0, 0, 0, 0};
  return palette;
}

Image picture(int width, int height, Rgba colour) {
  Image image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), colour);
  return image;
}

TEST(Ciede2000, GivesTheReferenceDifferences) {
  // Pairs from Sharma, Wu and Dalal's CIEDE2000 test data (Color Research and Application, 2005).
  struct Pair {
    Lab first, second;
    double difference;
  };
  const Pair pairs[] = {
      {{50.0, 2.6772, -79.7751}, {50.0, 0.0, -82.7485}, 2.0425},
      {{50.0, 3.1571, -77.2803}, {50.0, 0.0, -82.7485}, 2.8615},
      {{50.0, 2.8361, -74.0200}, {50.0, 0.0, -82.7485}, 3.4412},
      {{50.0, -1.3802, -84.2814}, {50.0, 0.0, -82.7485}, 1.0000},
      {{50.0, 0.0, 0.0}, {50.0, -1.0, 2.0}, 2.3669},
      {{50.0, 2.5, 0.0}, {73.0, 25.0, -18.0}, 27.1492},
      {{60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
  };
  for (const Pair& pair : pairs) {
    EXPECT_NEAR(ciede2000(pair.first, pair.second), pair.difference, 1e-4);
    EXPECT_NEAR(ciede2000(pair.second, pair.first), pair.difference, 1e-4);
  }
  EXPECT_EQ(ciede2000({40, 10, -5}, {40, 10, -5}), 0.0);
}

TEST(Ciede2000, LabOfSrgbPrimaries) {
  const Lab white = toLab(255, 255, 255), black = toLab(0, 0, 0), red = toLab(255, 0, 0);
  EXPECT_NEAR(white.l, 100, 0.01);
  EXPECT_NEAR(white.a, 0, 0.01);
  EXPECT_NEAR(white.b, 0, 0.01);
  EXPECT_NEAR(black.l, 0, 1e-9);
  EXPECT_NEAR(red.l, 53.24, 0.01);
  EXPECT_NEAR(red.a, 80.09, 0.02);
  EXPECT_NEAR(red.b, 67.20, 0.02);
}

TEST(ColourMatcher, FindsWhatASearchOfEveryEntryFinds) {
  std::mt19937 generator(20260);
  std::uniform_int_distribution<int> channel(0, 255);
  for (int round = 0; round < 3; ++round) {
    PaletteTable palette{};
    for (PALETTEENTRY& entry : palette)
      entry = {static_cast<std::uint8_t>(channel(generator)), static_cast<std::uint8_t>(channel(generator)),
               static_cast<std::uint8_t>(channel(generator)), 0};
    // A few duplicates, for the lowest-index rule.
    palette[200] = palette[100];
    palette[201] = palette[3];
    ColourMatcher matcher(palette);
    std::vector<Lab> labs;
    for (const PALETTEENTRY& entry : palette) labs.push_back(toLab(entry.red, entry.green, entry.blue));
    for (int k = 0; k < 1000; ++k) {
      const auto r = static_cast<std::uint8_t>(channel(generator)),
                 g = static_cast<std::uint8_t>(channel(generator)),
                 b = static_cast<std::uint8_t>(channel(generator));
      const Lab lab = toLab(r, g, b);
      int best = 1;
      double bestDifference = ciede2000(lab, labs[1]);
      for (int i = 2; i < 256; ++i) {
        const double difference = ciede2000(lab, labs[i]);
        if (difference < bestDifference) {
          best = i;
          bestDifference = difference;
        }
      }
      ASSERT_EQ(matcher.nearest(r, g, b), best) << int(r) << " " << int(g) << " " << int(b);
    }
  }
}

TEST(ColourMatcher, HandMadeChoices) {
  PaletteTable palette = farPalette();
  // Mid grey between a bluish grey (nearer in raw RGB) and a lighter neutral grey (nearer to the eye).
  palette[1] = {128, 128, 160, 0};
  palette[2] = {150, 150, 150, 0};
  // A dark navy between black and a brighter blue: the hue wins over the raw distance.
  palette[3] = {0, 0, 0, 0};
  palette[4] = {0, 0, 110, 0};
  // Duplicates: the lower index.
  palette[7] = {200, 40, 40, 0};
  palette[6] = {200, 40, 40, 0};
  // Entry 0 holds a colour asked for, but it is the transparent index.
  palette[0] = {250, 250, 250, 0};
  palette[9] = {240, 240, 240, 0};
  ColourMatcher matcher(palette);

  EXPECT_EQ(matcher.nearest(128, 128, 128), 2);
  EXPECT_EQ(nearestPaletteIndex(palette.data(), 128, 128, 128), 1) << "raw RGB chooses the tinted grey";
  EXPECT_EQ(matcher.nearest(0, 0, 50), 4);
  EXPECT_EQ(nearestPaletteIndex(palette.data(), 0, 0, 50), 3) << "raw RGB chooses the black";
  EXPECT_EQ(matcher.nearest(200, 40, 40), 6);
  EXPECT_EQ(matcher.nearest(250, 250, 250), 9);
  EXPECT_EQ(matcher.nearest(128, 128, 160), 1) << "an exact colour is its own entry";
}

TEST(MapToPalette, TransparencyIsIndexZeroAndOnlyThat) {
  PaletteTable palette = farPalette();
  palette[0] = {0, 0, 0, 0};
  palette[1] = {8, 8, 8, 0};
  palette[2] = {0, 255, 0, 0};
  Image image = picture(6, 1, {0, 0, 0, 255});
  image.pixels[1] = {0, 255, 0, 127};  // below half: transparent
  image.pixels[2] = {0, 255, 0, 128};  // half: opaque
  image.pixels[3] = {0, 255, 0, 0};
  image.pixels[4] = {255, 0, 255, 255};  // the --transparent colour below
  image.pixels[5] = {255, 0, 255, 200};
  for (bool dither : {false, true}) {
    const std::vector<std::uint8_t> plain = mapToPalette(image, palette, {dither, std::nullopt});
    EXPECT_EQ(plain, (std::vector<std::uint8_t>{1, 0, 2, 0, 3, 3})) << "dither " << dither;
    const std::vector<std::uint8_t> keyed = mapToPalette(image, palette, {dither, Rgba{255, 0, 255, 255}});
    EXPECT_EQ(keyed, (std::vector<std::uint8_t>{1, 0, 2, 0, 0, 0})) << "dither " << dither;
  }
}

TEST(MapToPalette, APictureFromIndicesKeepsThemWhereTheColoursAgree) {
  PaletteTable palette = farPalette();
  palette[5] = {10, 20, 30, 0};
  palette[6] = {10, 20, 30, 0};
  palette[7] = {90, 90, 90, 0};
  Image image = picture(4, 1, {});
  image.table.assign(256, Rgba{1, 2, 3, 255});
  image.table[0] = {10, 20, 30, 0};
  image.table[6] = {10, 20, 30, 255};
  image.table[7] = {91, 90, 90, 255};  // not the palette's entry 7
  image.indices = {6, 7, 0, 6};
  for (std::size_t i = 0; i < 4; ++i) image.pixels[i] = image.table[image.indices[i]];
  for (bool dither : {false, true}) {
    const std::vector<std::uint8_t> indices = mapToPalette(image, palette, {dither, std::nullopt});
    EXPECT_EQ(indices[0], 6) << "the duplicate the picture chose";
    EXPECT_EQ(indices[1], 7) << "the nearest, found by colour";
    EXPECT_EQ(indices[2], 0);
    EXPECT_EQ(indices[3], 6);
  }
}

TEST(MapToPalette, DitheringMixesNeighbouringEntries) {
  PaletteTable palette = farPalette();
  palette[1] = {100, 100, 100, 0};
  palette[2] = {140, 140, 140, 0};
  Image image = picture(16, 16, {120, 120, 120, 255});
  // A transparent hole, which neither takes nor passes on error.
  for (int y = 4; y < 8; ++y)
    for (int x = 4; x < 8; ++x) image.pixels[static_cast<std::size_t>(y * 16 + x)].alpha = 0;

  const std::vector<std::uint8_t> plain = mapToPalette(image, palette, {false, std::nullopt});
  const std::vector<std::uint8_t> dithered = mapToPalette(image, palette, {true, std::nullopt});
  std::set<std::uint8_t> plainUsed, ditheredUsed;
  double sum = 0;
  int opaque = 0;
  for (std::size_t i = 0; i < dithered.size(); ++i) {
    const bool hole = image.pixels[i].alpha == 0;
    EXPECT_EQ(dithered[i] == 0, hole) << i;
    EXPECT_EQ(plain[i] == 0, hole) << i;
    if (hole) continue;
    plainUsed.insert(plain[i]);
    ditheredUsed.insert(dithered[i]);
    sum += palette[dithered[i]].red;
    ++opaque;
  }
  EXPECT_EQ(plainUsed.size(), 1u);
  EXPECT_EQ(ditheredUsed, (std::set<std::uint8_t>{1, 2}));
  EXPECT_NEAR(sum / opaque, 120, 3);

  // Colours the palette holds exactly leave no error: dithering changes nothing.
  Image exact = picture(8, 8, {100, 100, 100, 255});
  for (std::size_t i = 0; i < exact.pixels.size(); i += 3) exact.pixels[i] = {140, 140, 140, 255};
  EXPECT_EQ(mapToPalette(exact, palette, {true, std::nullopt}),
            mapToPalette(exact, palette, {false, std::nullopt}));
}

}  // namespace
}  // namespace varnholt::imaging
