#pragma once
// Text from a glyph atlas: the game font's glyphs rendered once by the native rasteriser (SDL_ttf,
// no anti-aliasing) and stored with their metrics, then laid out again glyph by glyph. The web build
// has no FreeType; with the atlas its text comes out as the native game draws it.
//
// Layout: each glyph sits at the pen position (the sum of the advances before it); a line's mask spans
// from the leftmost ink or pen origin to the furthest advance or ink, and from the font's top (or the
// highest ink above it) to the font's bottom (or the lowest ink below it).

#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"

namespace varnholt::platform {

struct AtlasGlyph {
  std::uint32_t code = 0;
  int advance = 0;  // pen movement to the next glyph
  int minX = 0;     // leftmost ink column relative to the pen
  int maxX = 0;     // column after the rightmost ink, relative to the pen
  int minY = 0;     // lowest ink row relative to the baseline (negative below it)
  int maxY = 0;     // row above the highest ink, relative to the baseline
  // The glyph drawn alone: `width` columns of `rows` rows, column 0 at pen position min(0, minX),
  // row 0 at the font's top or at the highest ink when it rises above it.
  int width = 0;
  int rows = 0;
  std::vector<std::uint8_t> ink;
};

struct GlyphAtlas {
  int height = 0;    // rows of a line that stays inside the font's ascent and descent
  int ascent = 0;    // rows from the top to the baseline
  int lineSkip = 0;  // distance from one line to the next
  std::vector<AtlasGlyph> glyphs;
  // The glyph drawn for a code point the atlas lacks (the font's missing-glyph box).
  AtlasGlyph missing;
};

// The atlas as a file: "VGA1" then little-endian 16-bit fields. Parsing rejects anything malformed
// with a message in `error`.
std::vector<std::uint8_t> serializeGlyphAtlas(const GlyphAtlas& atlas);
std::optional<GlyphAtlas> parseGlyphAtlas(const std::vector<std::uint8_t>& bytes, std::string& error);

class AtlasRasterizer : public TextRasterizer {
 public:
  explicit AtlasRasterizer(GlyphAtlas atlas);

  bool render(std::string_view text, TextMask& out) override;
  int lineHeight() const override { return atlas_.lineSkip; }
  const GlyphAtlas& atlas() const { return atlas_; }

 private:
  const AtlasGlyph& glyph(std::uint32_t code) const;
  bool layout(std::string_view text, TextMask& out) const;

  GlyphAtlas atlas_;
  std::unordered_map<std::uint32_t, std::size_t> index_;
  // Recently drawn lines, most recent first: the game draws the same few lines every frame.
  struct Entry {
    std::string text;
    TextMask mask;
  };
  std::list<Entry> cache_;
  std::unordered_map<std::string_view, std::list<Entry>::iterator> cacheIndex_;
  static constexpr std::size_t kCacheLines = 256;
};

}  // namespace varnholt::platform
