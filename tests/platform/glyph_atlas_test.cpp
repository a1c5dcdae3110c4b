// The glyph atlas the web build draws its text from: lines laid out from it must be the very masks the
// native SDL_ttf rasteriser renders, and the atlas file must survive its round trip and refuse damage.
#include "platform/font/glyph_atlas.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/font/font_rasterizer.h"
#include "platform/font/glyph_atlas_builder.h"

namespace varnholt::platform {
namespace {

std::string utf8(std::uint32_t code) {
  if (code < 0x80) return std::string(1, static_cast<char>(code));
  if (code < 0x800) return {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
  return {static_cast<char>(0xE0 | (code >> 12)), static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
          static_cast<char>(0x80 | (code & 0x3F))};
}

class GlyphAtlasTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    native_ = FontRasterizer::open(findDefaultFontPath(), GAME_FONT_SIZE, error).release();
    ASSERT_NE(native_, nullptr) << error;
    auto atlas = buildGlyphAtlas(findDefaultFontPath(), GAME_FONT_SIZE, atlasCodePoints(), error);
    ASSERT_TRUE(atlas) << error;
    // Through the file format, as the web build loads it.
    auto parsed = parseGlyphAtlas(serializeGlyphAtlas(*atlas), error);
    ASSERT_TRUE(parsed) << error;
    atlas_ = new AtlasRasterizer(std::move(*parsed));
  }
  static void TearDownTestSuite() {
    delete atlas_;
    delete native_;
  }

  // Counts the texts whose masks differ, naming the first few.
  static int differences(const std::vector<std::string>& texts) {
    int differing = 0;
    for (const std::string& text : texts) {
      TextMask expected;
      TextMask actual;
      const bool nativeDrew = native_->render(text, expected);
      const bool atlasDrew = atlas_->render(text, actual);
      if (nativeDrew != atlasDrew || expected.width != actual.width || expected.height != actual.height ||
          expected.ink != actual.ink) {
        if (++differing <= 5)
          ADD_FAILURE() << "text \"" << text << "\": native " << expected.width << "x" << expected.height
                        << ", atlas " << actual.width << "x" << actual.height;
      }
    }
    return differing;
  }

  static FontRasterizer* native_;
  static AtlasRasterizer* atlas_;
};

FontRasterizer* GlyphAtlasTest::native_ = nullptr;
AtlasRasterizer* GlyphAtlasTest::atlas_ = nullptr;

TEST_F(GlyphAtlasTest, LinesMatchTheNativeRasteriserPixelForPixel) {
  native_->setCacheLimits(0, 0);
  EXPECT_EQ(atlas_->lineHeight(), native_->lineHeight());
  // Every pair of printable Latin-1 characters: kerning or overlapping ink would show here.
  std::vector<std::string> texts;
  std::vector<std::string> printable;
  for (std::uint32_t c = 0x20; c <= 0xFF; ++c) {
    if (c < 0x7F || c >= 0xA0) printable.push_back(utf8(c));
  }
  for (const std::string& a : printable) {
    texts.push_back(a);
    for (const std::string& b : printable) texts.push_back(a + b);
  }
  EXPECT_EQ(differences(texts), 0);

  // Longer lines over the whole atlas, control characters and bytes that are not UTF-8 included.
  std::mt19937 random(12);
  const std::vector<std::uint32_t> codes = atlasCodePoints();
  texts.clear();
  for (int i = 0; i < 3000; ++i) {
    std::string text;
    const int length = 1 + static_cast<int>(random() % 40);
    for (int k = 0; k < length; ++k) text += utf8(codes[random() % codes.size()]);
    texts.push_back(text);
  }
  texts.push_back("HP 120/120  SP 35/40  Lv 3");
  texts.push_back("Caf\xe9 na\xefve");  // Latin-1 bytes
  EXPECT_EQ(differences(texts), 0);
}

TEST_F(GlyphAtlasTest, DamagedAtlasFilesAreRefused) {
  std::string error;
  auto atlas = buildGlyphAtlas(findDefaultFontPath(), GAME_FONT_SIZE, {'A', 'B'}, error);
  ASSERT_TRUE(atlas) << error;
  const std::vector<std::uint8_t> bytes = serializeGlyphAtlas(*atlas);
  EXPECT_FALSE(parseGlyphAtlas({}, error));
  EXPECT_FALSE(parseGlyphAtlas(std::vector<std::uint8_t>(bytes.begin(), bytes.end() - 1), error));
  EXPECT_NE(error.find("cut short"), std::string::npos);
  std::vector<std::uint8_t> longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(parseGlyphAtlas(longer, error));
  std::vector<std::uint8_t> noHeight = bytes;
  noHeight[4] = noHeight[5] = 0;
  EXPECT_FALSE(parseGlyphAtlas(noHeight, error));
  EXPECT_TRUE(parseGlyphAtlas(bytes, error));
}

}  // namespace
}  // namespace varnholt::platform
