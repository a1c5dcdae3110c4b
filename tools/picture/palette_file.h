#pragma once
// The campaign's palette file (PALDATA2.PAL: 256 lines of "red green blue flags"), read as the game
// reads it after the content checker's palette rules passed it, and made from a picture or a GIMP
// palette.
//
// A palette made here lists its colours from entry 0 and fills the entries after the last with black.
// It needs at least kMinPaletteColours entries (fewer is taken for a picture given by mistake) and can
// hold 256. From a palette PNG, an 8-bit BMP or a .gpl file the entries are the file's own, in its order
// (entry 0 is the transparent index whatever its colour); from any other PNG, entry 0 is the transparent
// colour (black, or the one given) and entries 1 to 255 the picture's distinct opaque colours in the order
// they first appear, row by row.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "picture/bmp_codec.h"
#include "picture/image.h"

namespace varnholt::imaging {

inline constexpr int kMinPaletteColours = 16;
// The largest .gpl file read.
inline constexpr std::size_t kMaxGplBytes = std::size_t{1} << 20;

// Reads a palette file. False when the content checker finds a problem in it; `problems` then holds its
// findings as "file:line: message".
bool readPaletteFile(const std::filesystem::path& path, PaletteTable& palette,
                     std::vector<std::string>& problems);

// The file's text, one "red green blue flags" line per entry, as the campaign generator writes it.
std::string paletteText(const PaletteTable& palette);

// A palette made from a source; `colours` is how many entries the source gave, and `warnings` what is
// legal but likely unwanted.
struct MadePalette {
  PaletteTable entries{};
  int colours = 0;
  std::vector<std::string> warnings;
};

// From a picture: its table when it has one, else its distinct opaque colours.
bool paletteFromImage(const Image& image, const std::optional<Rgba>& transparent, MadePalette& made,
                      std::string& error);

// Whether the text starts as a GIMP palette does ("GIMP Palette" on its first line).
bool looksLikeGpl(std::string_view text);

// From a GIMP palette: a "GIMP Palette" line, optional "Name:" and "Columns:" lines, comments (#) and
// blank lines, then one "red green blue [name]" line per colour.
bool paletteFromGpl(std::string_view text, MadePalette& made, std::string& error);

}  // namespace varnholt::imaging
