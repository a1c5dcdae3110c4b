// Reading, making and writing palette files.
#include "picture/palette_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <unordered_set>

#include "battle_view/battle_view.h"
#include "check/content_check.h"

namespace varnholt::imaging {

namespace {

std::string entriesText(int count) {
  return std::to_string(count) + (count == 1 ? " entry" : " entries");
}

// The count rules every made palette passes, and the filling of the entries after the last colour.
bool finish(MadePalette& made, const std::string& source, std::string& error) {
  if (made.colours < kMinPaletteColours) {
    error = source + " gives " + entriesText(made.colours) + "; a campaign palette needs at least " +
            std::to_string(kMinPaletteColours) + " (entry 0, the transparent index, counted)";
    return false;
  }
  for (int i = made.colours; i < 256; ++i) made.entries[i] = PALETTEENTRY{0, 0, 0, 0};
  if (made.colours <= kTurnLineColorIndex)
    made.warnings.push_back("entries " + std::to_string(made.colours) +
                            " to 255 are black; the game writes the battle's turn line in entry " +
                            std::to_string(kTurnLineColorIndex) + ", which will be black too");
  return true;
}

PALETTEENTRY entryOf(const Rgba& colour) {
  return {colour.red, colour.green, colour.blue, 0};
}

}  // namespace

bool readPaletteFile(const std::filesystem::path& path, PaletteTable& palette,
                     std::vector<std::string>& problems) {
  problems.clear();
  const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
  const std::string name = path.filename().string();
  check::Report report;
  check::checkPalette(folder, name, report);
  for (const check::Finding& finding : report.findings())
    if (!finding.warning) problems.push_back(check::formatFinding(path.parent_path(), finding));
  if (!problems.empty()) return false;
  const std::optional<std::string> text = readPaletteText(path.string());
  if (!text) {
    problems.push_back(path.string() + ":0: missing or unreadable");
    return false;
  }
  parsePaletteText(*text, palette.data());
  return true;
}

std::string paletteText(const PaletteTable& palette) {
  std::string text;
  char line[32];
  for (const PALETTEENTRY& e : palette) {
    std::snprintf(line, sizeof line, "\n%d %d %d %d", e.red, e.green, e.blue, e.flags);
    text += line;
  }
  text += '\n';
  return text;
}

bool paletteFromImage(const Image& image, const std::optional<Rgba>& transparent, MadePalette& made,
                      std::string& error) {
  made = MadePalette{};
  if (image.indexed()) {
    made.colours = static_cast<int>(std::min<std::size_t>(image.table.size(), 256));
    for (int i = 0; i < made.colours; ++i) made.entries[i] = entryOf(image.table[i]);
    if (transparent) made.entries[0] = entryOf(*transparent);
    return finish(made, "the picture's colour table", error);
  }
  const Rgba zero = transparent ? Rgba{transparent->red, transparent->green, transparent->blue, 255} : Rgba{};
  made.entries[0] = entryOf(zero);
  made.colours = 1;
  std::unordered_set<std::uint32_t> seen;
  for (const Rgba& pixel : image.pixels) {
    if (pixel.alpha < kOpaqueAlpha) continue;
    if (transparent && pixel.red == zero.red && pixel.green == zero.green && pixel.blue == zero.blue)
      continue;
    const std::uint32_t key = (static_cast<std::uint32_t>(pixel.red) << 16) |
                              (static_cast<std::uint32_t>(pixel.green) << 8) | pixel.blue;
    if (!seen.insert(key).second) continue;
    if (made.colours == 256) {
      error =
          "the picture has more than 255 distinct opaque colours, and a palette holds 255 besides the "
          "transparent entry 0; reduce its colours first (in GIMP: Image > Mode > Indexed, 255 colours)";
      return false;
    }
    made.entries[made.colours++] = entryOf(pixel);
  }
  return finish(made, "the picture", error);
}

bool looksLikeGpl(std::string_view text) {
  return text.rfind("GIMP Palette", 0) == 0;
}

bool paletteFromGpl(std::string_view text, MadePalette& made, std::string& error) {
  made = MadePalette{};
  if (!looksLikeGpl(text)) {
    error = "not a GIMP palette (its first line is not \"GIMP Palette\")";
    return false;
  }
  int lineNumber = 0;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::size_t end = std::min(text.find('\n', pos), text.size());
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (lineNumber == 1) continue;
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#' || line.rfind("Name:", 0) == 0 ||
        line.rfind("Columns:", 0) == 0)
      continue;
    // Three numbers of 0 to 255, then the colour's name, if any.
    int channels[3] = {};
    std::size_t at = first;
    for (int& channel : channels) {
      at = line.find_first_not_of(" \t", at);
      const char* begin = line.data() + (at == std::string_view::npos ? line.size() : at);
      const auto [next, failure] = std::from_chars(begin, line.data() + line.size(), channel);
      const bool separated = next == line.data() + line.size() || *next == ' ' || *next == '\t';
      if (failure != std::errc() || !separated || channel < 0 || channel > 255) {
        error = "line " + std::to_string(lineNumber) +
                ": not a colour (three numbers of 0 to 255, then a name if any): '" +
                std::string(line.substr(0, 60)) + "'";
        return false;
      }
      at = static_cast<std::size_t>(next - line.data());
    }
    if (made.colours == 256) {
      error = "line " + std::to_string(lineNumber) + ": more than 256 colours; a palette holds 256 entries";
      return false;
    }
    made.entries[made.colours++] = {static_cast<std::uint8_t>(channels[0]),
                                    static_cast<std::uint8_t>(channels[1]),
                                    static_cast<std::uint8_t>(channels[2]), 0};
  }
  return finish(made, "the GIMP palette", error);
}

}  // namespace varnholt::imaging
