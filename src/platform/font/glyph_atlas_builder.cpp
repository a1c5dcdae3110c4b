// Glyph atlas from SDL_ttf: bitmaps from FontRasterizer (so they are the game's own), metrics from a
// second handle on the same font with the same hinting.
#include "platform/font/glyph_atlas_builder.h"

#include <SDL2/SDL_ttf.h>

#include <memory>

#include "platform/font/font_rasterizer.h"

namespace varnholt::platform {

namespace {

// A code point the font has no glyph for: drawn as the font's missing-glyph box.
constexpr std::uint32_t kUnprovided = 0xE000;

std::string encodeUtf8(std::uint32_t code) {
  std::string out;
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
  return out;
}

struct FontCloser {
  void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
};

}  // namespace

std::vector<std::uint32_t> atlasCodePoints() {
  std::vector<std::uint32_t> codes;
  for (std::uint32_t c = 0x01; c <= 0x24F; ++c) codes.push_back(c);
  for (std::uint32_t c = 0x370; c <= 0x4FF; ++c) codes.push_back(c);
  for (std::uint32_t c = 0x2010; c <= 0x2027; ++c) codes.push_back(c);
  codes.push_back(0x20AC);
  codes.push_back(0x2122);
  return codes;
}

std::optional<GlyphAtlas> buildGlyphAtlas(const std::string& fontPath, int pixelHeight,
                                          const std::vector<std::uint32_t>& codes, std::string& error) {
  auto rasterizer = FontRasterizer::open(fontPath, pixelHeight, error);
  if (!rasterizer) return std::nullopt;
  // FontRasterizer holds SDL_ttf's initialisation for as long as it lives.
  std::unique_ptr<TTF_Font, FontCloser> font(TTF_OpenFont(fontPath.c_str(), pixelHeight));
  if (!font) {
    error = "cannot load font " + fontPath + ": " + TTF_GetError();
    return std::nullopt;
  }
  TTF_SetFontHinting(font.get(), TTF_HINTING_MONO);

  GlyphAtlas atlas;
  atlas.height = rasterizer->height();
  atlas.ascent = rasterizer->ascent();
  atlas.lineSkip = rasterizer->lineHeight();
  auto make = [&](std::uint32_t code, AtlasGlyph& glyph) {
    glyph.code = code;
    if (TTF_GlyphMetrics32(font.get(), code, &glyph.minX, &glyph.maxX, &glyph.minY, &glyph.maxY,
                           &glyph.advance) != 0)
      return false;
    TextMask mask;
    if (rasterizer->render(encodeUtf8(code), mask)) {
      glyph.width = mask.width;
      glyph.rows = mask.height;
      glyph.ink = std::move(mask.ink);
    }
    return true;
  };
  if (!make(kUnprovided, atlas.missing)) {
    error = "font " + fontPath + " gives no metrics for its missing-glyph box";
    return std::nullopt;
  }
  for (const std::uint32_t code : codes) {
    AtlasGlyph glyph;
    if (make(code, glyph)) atlas.glyphs.push_back(std::move(glyph));
  }
  return atlas;
}

}  // namespace varnholt::platform
