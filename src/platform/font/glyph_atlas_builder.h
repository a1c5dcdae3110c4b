#pragma once
// Makes the glyph atlas of the game font with the native rasteriser: every glyph drawn alone through
// the same SDL_ttf set-up the game uses, with the metrics the line layout needs.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/font/glyph_atlas.h"

namespace varnholt::platform {

// The characters the atlas holds: every Latin-1 character (any byte string the game draws becomes
// these), Latin Extended-A and B, Greek, Cyrillic, the common punctuation of U+2010 to U+2027, the euro and
// trade mark signs.
std::vector<std::uint32_t> atlasCodePoints();

// Null with `error` set when the font cannot be opened.
std::optional<GlyphAtlas> buildGlyphAtlas(const std::string& fontPath, int pixelHeight,
                                          const std::vector<std::uint32_t>& codes, std::string& error);

}  // namespace varnholt::platform
