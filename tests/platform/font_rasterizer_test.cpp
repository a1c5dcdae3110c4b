// Text rendering with the real DejaVu Sans: solid ink, the game's line height, the cache of rendered
// lines, the text encodings it accepts, and clear failures.
#include "platform/font/font_rasterizer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace varnholt::platform {
namespace {

std::unique_ptr<FontRasterizer> openGameFont() {
  std::string error;
  auto font = FontRasterizer::open(findDefaultFontPath(), GAME_FONT_SIZE, error);
  EXPECT_NE(font, nullptr) << error;
  return font;
}

int inkCount(const TextMask& mask) {
  int count = 0;
  for (const std::uint8_t byte : mask.ink) count += byte;
  return count;
}

TEST(FontRasterizer, GameSizeFitsTheFifteenPixelLayout) {
  auto font = openGameFont();
  ASSERT_NE(font, nullptr);
  EXPECT_LE(font->lineHeight(), 15);
  for (const char* text : {"Wyvern's turn", "gjpqy", "HP 120/120", "\xC3\x89"}) {
    TextMask mask;
    ASSERT_TRUE(font->render(text, mask));
    EXPECT_LE(mask.height, 15) << text;
  }
}

TEST(FontRasterizer, BaselineStaysPutWhateverTheLineHolds) {
  // A mask's top is where the text is drawn, so a letter must sit at the same rows whether or not the
  // line also holds descenders or accents.
  auto font = openGameFont();
  TextMask alone;
  ASSERT_TRUE(font->render("H", alone));
  for (const char* text : {"Hy", "Hg", "H\xC3\x89", "H'"}) {
    TextMask mixed;
    ASSERT_TRUE(font->render(text, mixed));
    for (int y = 0; y < alone.height; ++y) {
      for (int x = 0; x < alone.width; ++x) {
        const std::uint8_t inMixed = y < mixed.height ? mixed.ink[y * mixed.width + x] : 0;
        ASSERT_EQ(inMixed, alone.ink[y * alone.width + x]) << text << " at " << x << "," << y;
      }
    }
  }
}

TEST(FontRasterizer, InkIsSolidZeroOrOne) {
  for (const int size : {GAME_FONT_SIZE, 48}) {
    std::string error;
    auto font = FontRasterizer::open(findDefaultFontPath(), size, error);
    ASSERT_NE(font, nullptr) << error;
    TextMask mask;
    ASSERT_TRUE(font->render("HP 120/120 Qg", mask));
    ASSERT_EQ(mask.ink.size(), static_cast<std::size_t>(mask.width) * mask.height);
    EXPECT_EQ(mask.width, font->measure("HP 120/120 Qg"));
    for (const std::uint8_t byte : mask.ink) ASSERT_LE(byte, 1) << "size " << size;
    EXPECT_GT(inkCount(mask), mask.width) << "size " << size;
  }
}

TEST(FontRasterizer, NothingToDrawLeavesTheMaskEmpty) {
  auto font = openGameFont();
  for (const std::string_view text : {std::string_view(""), std::string_view("\0abc", 4)}) {
    TextMask mask{3, 3, std::vector<std::uint8_t>(9, 1)};
    EXPECT_FALSE(font->render(text, mask));
    EXPECT_EQ(mask.width, 0);
    EXPECT_EQ(mask.height, 0);
    EXPECT_TRUE(mask.ink.empty());
  }
}

TEST(FontRasterizer, TextEndsAtTheFirstZeroByte) {
  auto font = openGameFont();
  TextMask whole;
  TextMask cut;
  ASSERT_TRUE(font->render("Ab", whole));
  ASSERT_TRUE(font->render(std::string_view("Ab\0cd", 5), cut));
  EXPECT_EQ(cut.width, whole.width);
  EXPECT_EQ(cut.ink, whole.ink);
}

TEST(FontText, ValidUtf8IsKeptAndOtherBytesAreReadAsLatin1) {
  struct Case {
    std::string_view input;
    std::string expected;
  };
  const Case cases[] = {
      {"plain", "plain"},
      {"caf\xC3\xA9", "caf\xC3\xA9"},                // UTF-8 é
      {"caf\xE9", "caf\xC3\xA9"},                    // Latin-1 é
      {"\xC0\xAF", "\xC3\x80\xC2\xAF"},              // overlong '/' is not UTF-8
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},  // a surrogate is not UTF-8
      {"\xE2\x82", "\xC3\xA2\xC2\x82"},              // cut-off sequence
      {std::string_view("a\0\xFF", 3), "a"},         // ends at the zero byte
  };
  for (const Case& c : cases) EXPECT_EQ(toFontText(c.input), c.expected) << c.expected;

  auto font = openGameFont();
  TextMask mask;
  EXPECT_TRUE(font->render("\xFF\xFE", mask));
}

TEST(FontCache, RepeatedTextIsServedFromTheCache) {
  auto font = openGameFont();
  TextMask first;
  TextMask second;
  ASSERT_TRUE(font->render("Level up!", first));
  ASSERT_TRUE(font->render("Level up!", second));
  EXPECT_EQ(font->cacheMisses(), 1u);
  EXPECT_EQ(font->cacheHits(), 1u);
  EXPECT_EQ(second.width, first.width);
  EXPECT_EQ(second.ink, first.ink);
}

TEST(FontCache, EvictsTheLeastRecentlyUsedLineWhenFull) {
  auto font = openGameFont();
  font->setCacheLimits(2, 1u << 20);
  TextMask mask;
  TextMask reference;
  font->render("alpha", reference);
  font->render("beta", mask);
  font->render("alpha", mask);  // alpha is now the most recent
  font->render("gamma", mask);  // evicts beta
  EXPECT_EQ(font->cacheEntries(), 2u);
  const auto misses = font->cacheMisses();
  font->render("alpha", mask);
  EXPECT_EQ(font->cacheMisses(), misses);
  EXPECT_EQ(mask.ink, reference.ink);
  font->render("beta", mask);
  EXPECT_EQ(font->cacheMisses(), misses + 1);
}

TEST(FontCache, KeepsWithinItsByteBudget) {
  auto font = openGameFont();
  TextMask wide;
  font->render("A rather long line of text", wide);
  font->setCacheLimits(100, wide.ink.size() - 1);
  EXPECT_EQ(font->cacheEntries(), 0u);
  font->render("A rather long line of text", wide);
  font->render("A rather long line of text", wide);
  EXPECT_EQ(font->cacheHits(), 0u);
  EXPECT_EQ(font->cacheEntries(), 0u);
  TextMask small;
  font->render("ok", small);
  font->render("ok", small);
  EXPECT_EQ(font->cacheHits(), 1u);
}

TEST(FontOpen, FailuresNameTheFont) {
  const std::string notAFont = ::testing::TempDir() + "not_a_font.ttf";
  std::ofstream(notAFont) << "this is not a TrueType font\n";
  struct Case {
    std::string path;
    int size;
  };
  const Case cases[] = {
      {"/nonexistent/DejaVuSans.ttf", GAME_FONT_SIZE},
      {notAFont, GAME_FONT_SIZE},
      {findDefaultFontPath(), 0},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_EQ(FontRasterizer::open(c.path, c.size, error), nullptr) << c.path;
    EXPECT_NE(error.find(c.path), std::string::npos) << error;
  }
  std::remove(notAFont.c_str());
}

}  // namespace
}  // namespace varnholt::platform
