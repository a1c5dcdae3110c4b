// make_font_atlas FILE: writes the glyph atlas of the game font (DejaVu Sans at the game's size, as the
// native game renders it) for the web build, which draws its text from it.
#include <fstream>
#include <iostream>

#include "platform/font/font_rasterizer.h"
#include "platform/font/glyph_atlas_builder.h"

int main(int argc, char** argv) {
  using namespace varnholt::platform;
  if (argc != 2) {
    std::cerr << "Usage: make_font_atlas FILE\n";
    return 2;
  }
  std::string error;
  const auto atlas = buildGlyphAtlas(findDefaultFontPath(), GAME_FONT_SIZE, atlasCodePoints(), error);
  if (!atlas) {
    std::cerr << "make_font_atlas: " << error << "\n";
    return 1;
  }
  const std::vector<std::uint8_t> bytes = serializeGlyphAtlas(*atlas);
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::cerr << "make_font_atlas: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
