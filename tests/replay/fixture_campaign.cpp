// The fixture campaigns' pictures: plain fills with a few marks, each picture in its own colours.
#include "fixture_campaign.h"

#include <fstream>
#include <vector>

#include "engine/bitmap_writer.h"

namespace varnholt::testing {
namespace fs = std::filesystem;
namespace {

struct Canvas {
  int width;
  int height;
  std::vector<std::uint8_t> pixels;

  Canvas(int w, int h, std::uint8_t fill)
      : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}
  void rect(int x, int y, int w, int h, std::uint8_t index) {
    for (int row = y; row < y + h && row < height; ++row) {
      for (int col = x; col < x + w && col < width; ++col)
        pixels[static_cast<std::size_t>(row) * width + col] = index;
    }
  }
};

// Light colours everywhere except index 0 (black) and 255 (the dark grey the game writes its text in),
// so text stands out on every picture. `shift` makes each picture's palette its own.
std::vector<PALETTEENTRY> fixturePalette(int shift) {
  std::vector<PALETTEENTRY> palette(256);
  for (int i = 1; i < 255; ++i) {
    palette[i] = {static_cast<std::uint8_t>(150 + (i * 3 + shift) % 100),
                  static_cast<std::uint8_t>(120 + (i * 7) % 130),
                  static_cast<std::uint8_t>(100 + (i * 13) % 150), 0};
  }
  palette[255] = {32, 32, 32, 0};
  return palette;
}

// A full-screen picture: a fill, a band of its own mark, and a hole of index 0 that a transparent draw
// leaves showing what was below.
Canvas screenPicture(std::uint8_t fill) {
  Canvas canvas(800, 600, fill);
  canvas.rect(100, 20 + fill, 600, 30, static_cast<std::uint8_t>(fill + 1));
  canvas.rect(600, 400, 120, 80, 0);
  return canvas;
}

// A sheet of `columns` x `rows` cells of w x h with one-pixel lines, each cell filled with
// first + its number and a transparent corner.
Canvas sheet(int columns, int rows, int w, int h, int first, int paddedWidth) {
  Canvas canvas(paddedWidth, rows * (h + 1) + 1, 1);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const int x = c * (w + 1) + 1;
      const int y = r * (h + 1) + 1;
      canvas.rect(x, y, w, h, static_cast<std::uint8_t>(first + r * columns + c));
      canvas.rect(x, y, 6, 6, 0);
    }
  }
  return canvas;
}

}  // namespace

bool buildCampaign(const std::vector<fs::path>& textDirs, const fs::path& outDir,
                   const CampaignOptions& options, std::string& error) {
  std::error_code code;
  fs::create_directories(outDir, code);
  for (const auto& textDir : textDirs) {
    for (const auto& entry : fs::directory_iterator(textDir, code)) {
      if (entry.path().extension() != ".txt") continue;
      fs::copy_file(entry.path(), outDir / entry.path().filename(), fs::copy_options::overwrite_existing,
                    code);
      if (code) {
        error = "cannot copy " + entry.path().string() + ": " + code.message();
        return false;
      }
    }
    if (code) {
      error = "cannot read " + textDir.string() + ": " + code.message();
      return false;
    }
  }

  std::ofstream palette(outDir / "PALDATA2.PAL");
  for (const auto& entry : fixturePalette(0)) {
    palette << "\n"
            << int(entry.red) << ' ' << int(entry.green) << ' ' << int(entry.blue) << ' ' << int(entry.flags);
  }
  if (!palette) {
    error = "cannot write the palette";
    return false;
  }

  auto write = [&](const std::string& name, const Canvas& canvas, int paletteShift) {
    if (options.omit.count(name)) return true;
    auto colours = fixturePalette(paletteShift);
    if (!writeBitmapFile((outDir / name).string(), canvas.width, canvas.height, canvas.pixels.data(),
                         canvas.width, colours.data())) {
      error = "cannot write " + name;
      return false;
    }
    return true;
  };

  struct Screen {
    const char* name;
    std::uint8_t fill;
  };
  const Screen screens[] = {{"title.BMP", 10},  {"dinner.BMP", 14}, {"llama.BMP", 18}, {"load.BMP", 22},
                            {"in1.BMP", 26},    {"in2.BMP", 30},    {"in3.BMP", 34},   {"in4.BMP", 38},
                            {"select.BMP", 42}, {"bmapa.BMP", 46}};
  int shift = 0;
  for (const auto& screen : screens) {
    if (!write(screen.name, screenPicture(screen.fill), ++shift)) return false;
  }
  for (int i = 0; i < 3; ++i) {
    // Exactly 800 x 600 and without index 0: the one column and row the 800 x 600 rectangle from pixel
    // (1, 1) lacks are the only transparent pixels when it is drawn.
    Canvas result(800, 600, kResultPictureIndex);
    result.rect(200, 200, 50, 50, static_cast<std::uint8_t>(kResultMarkIndex[i]));
    if (!write(kResultPictures[i], result, ++shift)) return false;
  }
  if (!write("cur.bmp", sheet(5, 1, 56, 40, 100, 288), 0)) return false;
  if (!write("buttons.bmp", sheet(4, 1, 56, 56, 105, 232), 0)) return false;
  if (!write("sword.bmp", sheet(3, 4, 56, 56, 110, 172), 0)) return false;
  if (!write("hit.bmp", sheet(5, 2, 56, 72, 125, 288), 0)) return false;
  for (int hero = 0; hero <= 8; ++hero) {
    // Four facings in row 0 of 56 x 56 cells and the 56 x 65 portrait at cell (4, 0) of a 56 x 65 grid.
    Canvas picture = sheet(5, 1, 56, 65, 150 + 5 * hero, 288);
    const std::string name = hero == 0 ? "foe.bmp" : "hero" + std::to_string(hero) + ".bmp";
    if (!write(name, picture, 0)) return false;
  }
  return true;
}

}  // namespace varnholt::testing
