// The palette file and the pictures: each picture must be in the one BMP layout the game's loader reads
// (8-bit, 40-byte info header, full colour table at byte 54, uncompressed bottom-up rows of a width
// divisible by 4, the pixel data exactly at the end of the file) and large enough for every rectangle
// its screen or sprite sheet cuts from it.

#include <algorithm>
#include <cstdint>
#include <fstream>

#include "check/content_check.h"
#include "check/token_file.h"

namespace varnholt::check {
namespace {

constexpr std::size_t kHeaders = 54;
constexpr std::size_t kColourTable = 1024;

// A rectangle a screen or sheet cuts from a picture; sheet cells also must not be empty.
struct Cut {
  int x, y, width, height;
  bool sheetCell;
  std::string label;
};

Cut cell(int width, int height, int column, int row) {
  return {column * (width + 1) + 1,
          row * (height + 1) + 1,
          width,
          height,
          true,
          "cell (" + std::to_string(column) + ", " + std::to_string(row) + ") of " + std::to_string(width) +
              " x " + std::to_string(height)};
}

struct Use {
  std::string what;
  std::vector<Cut> cuts;
};

std::uint32_t read32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// The whole file in one read.
std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : 0;
  std::vector<std::uint8_t> bytes(size > 0 ? static_cast<std::size_t>(size) : 0);
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return bytes;
}

void checkPicture(const std::filesystem::path& folder, const std::string& name, const Use& use,
                  Report& report) {
  std::error_code error;
  const auto path = folder / name;
  if (!std::filesystem::is_regular_file(path, error)) {
    report.problem(name, 0, "missing (" + use.what + ")");
    return;
  }
  const std::vector<std::uint8_t> bytes = readBytes(path);
  if (bytes.size() < kHeaders) {
    report.problem(name, 0, "too short for the BMP headers");
    return;
  }
  if (bytes[0] != 'B' || bytes[1] != 'M') {
    report.problem(name, 0, "not a BMP file (it does not start with \"BM\")");
    return;
  }
  const std::uint32_t offset = read32(bytes, 10), infoSize = read32(bytes, 14);
  const auto width = static_cast<std::int32_t>(read32(bytes, 18));
  const auto height = static_cast<std::int32_t>(read32(bytes, 22));
  const int bits = bytes[28] | (bytes[29] << 8);
  const std::uint32_t compression = read32(bytes, 30), sizeImage = read32(bytes, 34);
  const int before = report.problems();
  if (infoSize != 40)
    report.problem(name, 0,
                   "the info header is " + std::to_string(infoSize) +
                       " bytes; the game reads 40 and takes the colour table from byte 54");
  if (bits != 8)
    report.problem(name, 0, std::to_string(bits) + " bits per pixel; the game reads 8-bit pictures");
  if (compression != 0) report.problem(name, 0, "compressed; the game reads uncompressed pixels only");
  if (width <= 0 || height <= 0)
    report.problem(name, 0,
                   "size " + std::to_string(width) + " x " + std::to_string(height) +
                       "; the game reads bottom-up pictures of positive width and height");
  else if (width % 4 != 0)
    report.problem(name, 0,
                   "width " + std::to_string(width) + " is not divisible by 4; the game reads rows unpadded");
  if (report.problems() != before) return;
  const std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  if (sizeImage != pixels) {
    report.problem(name, 0,
                   "the header's image size " + std::to_string(sizeImage) +
                       " is not width x height = " + std::to_string(pixels));
    return;
  }
  if (bytes.size() < kHeaders + kColourTable + pixels) {
    report.problem(name, 0,
                   "too short for a 256-entry colour table and " + std::to_string(pixels) + " pixels");
    return;
  }
  if (offset != bytes.size() - pixels) {
    report.problem(name, 0,
                   "the pixel data starts at byte " + std::to_string(offset) +
                       " but the game reads it from the end of the file, at byte " +
                       std::to_string(bytes.size() - pixels));
    return;
  }
  int needWidth = 0, needHeight = 0;
  for (const Cut& cut : use.cuts) {
    needWidth = std::max(needWidth, cut.x + cut.width);
    needHeight = std::max(needHeight, cut.y + cut.height);
  }
  if (width < needWidth || height < needHeight) {
    report.problem(name, 0,
                   "size " + std::to_string(width) + " x " + std::to_string(height) + "; " + use.what +
                       " needs at least " + std::to_string(needWidth) + " x " + std::to_string(needHeight));
    return;
  }
  const std::size_t start = bytes.size() - pixels;
  for (const Cut& cut : use.cuts) {
    if (!cut.sheetCell) continue;
    bool inked = false;
    for (int y = cut.y; y < cut.y + cut.height && !inked; ++y)
      for (int x = cut.x; x < cut.x + cut.width && !inked; ++x)
        inked = bytes[start + static_cast<std::size_t>(height - 1 - y) * width + x] != 0;
    if (!inked) report.warn(name, 0, cut.label + " is empty (every pixel transparent)");
  }
}

void checkPalette(const std::filesystem::path& folder, Report& report) {
  const std::string name = "PALDATA2.PAL";
  const auto tokens = readTokens(folder / name);
  if (!tokens) {
    report.problem(name, 0, "missing or unreadable");
    return;
  }
  std::size_t read = 0;
  for (; read < tokens->size() && read < 1024; ++read) {
    const Token& token = (*tokens)[read];
    const std::string entry = "entry " + std::to_string(read / 4);
    const auto value = parseInt(token.text);
    if (!value) {
      report.problem(name, token.line,
                     entry + ": '" + token.text + "' is not a number; the game stops reading here");
      return;
    }
    if (read % 4 == 3 && *value != 0 && *value != 2 && *value != 4)
      report.problem(name, token.line, entry + ": flags " + token.text + " are none of 0, 2 and 4");
    else if (*value < 0 || *value > 255)
      report.problem(name, token.line, entry + ": " + token.text + " is outside 0 to 255");
  }
  if (read < 1024)
    report.problem(name, 0,
                   "holds " + std::to_string(read / 4) +
                       " complete entries; the game reads 256 of red, green, " + "blue and flags");
}

std::vector<Cut> grid(int width, int height, int columns, int rows) {
  std::vector<Cut> cuts;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) cuts.push_back(cell(width, height, c, r));
  return cuts;
}

}  // namespace

void checkPictures(const std::filesystem::path& folder, const std::vector<std::string>& characterPictures,
                   Report& report) {
  checkPalette(folder, report);
  const Use screen{"a full-screen picture", {{0, 0, 800, 600, false, "the screen"}}};
  for (const char* name : {"title.BMP", "dinner.BMP", "llama.BMP", "load.BMP", "in1.BMP", "in2.BMP",
                           "in3.BMP", "in4.BMP", "select.BMP", "bmapa.BMP"})
    checkPicture(folder, name, screen, report);
  const Use result{"the 800 x 600 rectangle from pixel (1, 1)", {{1, 1, 800, 600, false, "the screen"}}};
  for (const char* name : {"gameover.bmp", "victory.bmp", "gameend.bmp"})
    checkPicture(folder, name, result, report);
  checkPicture(folder, "buttons.bmp", {"four buttons of 56 x 56", grid(56, 56, 4, 1)}, report);
  checkPicture(folder, "cur.bmp", {"five cursor cells of 56 x 40", grid(56, 40, 5, 1)}, report);
  checkPicture(folder, "sword.bmp", {"four swings of three 56 x 56 cells", grid(56, 56, 3, 4)}, report);
  std::vector<Cut> hits = grid(56, 72, 4, 1);
  for (int c = 0; c < 5; ++c) hits.push_back(cell(56, 72, c, 1));
  checkPicture(folder, "hit.bmp", {"four hit and five miss cells of 56 x 72", hits}, report);
  std::vector<Cut> sheet = grid(56, 56, 4, 1);
  sheet.push_back(cell(56, 65, 4, 0));
  sheet.back().label = "the portrait, cell (4, 0) of 56 x 65,";
  for (const std::string& name : characterPictures)
    checkPicture(folder, name, {"a character's four facings and portrait", sheet}, report);
}

}  // namespace varnholt::check
