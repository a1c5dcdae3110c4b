// The battle preview on a copy of the built default campaign: the game draws the battle, the party's
// cells carry their mark exactly where the placement rule allows a party member, and the PNG file is
// written whole or not at all.

#include "check/battle_preview.h"

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/bounded_list.h"
#include "data/grid_geometry.h"
#include "engine/text.h"

namespace varnholt::check {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class PreviewCampaign : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("varnholt_preview_" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::copy(VARNHOLT_CAMPAIGN_BUILD_DIR, campaign());
  }
  void TearDown() override { fs::remove_all(folder_); }
  fs::path campaign() const { return folder_ / "campaign"; }
  fs::path folder_;
};

// The palette index of pixel (x, y), and whether it has the colour of the party's mark.
struct Picture {
  const app::FrameCopy& frame;
  int at(int x, int y) const { return frame.pixels[static_cast<std::size_t>(y * frame.width + x)]; }
  bool marked(int x, int y, int mark) const { return at(x, y) == mark; }
};

TEST_F(PreviewCampaign, MarksTheFreeCellsOfTheGridAndNoOthers) {
  // Battle 1 on a map of 7 x 8 cells with its combatants moved onto it.
  const fs::path maps = campaign() / "mapdb.txt", battles = campaign() / "battledb.txt";
  std::string mapText = readFile(maps), battleText = readFile(battles);
  const std::string m1 = "*1 MillRoad 10 10", b1 = "*1 1    11 8 5 2   12 9 3 2   13 9 7 2   14 10 5 2   0";
  ASSERT_NE(mapText.find(m1), std::string::npos);
  ASSERT_NE(battleText.find(b1), std::string::npos);
  writeFile(maps, mapText.replace(mapText.find(m1), m1.size(), "*1 MillRoad 7 8"));
  writeFile(battles,
            battleText.replace(battleText.find(b1), b1.size(), "*1 1  11 6 5 2  12 7 3 2  14 7 8 1  0"));

  const fs::path before = fs::current_path();
  BattlePreview preview;
  std::string error;
  ASSERT_TRUE(drawBattlePreview(campaign(), 1, preview, error)) << error;
  EXPECT_EQ(fs::current_path(), before) << "the working directory is given back";
  ASSERT_EQ(preview.frame.width, 800);
  ASSERT_EQ(preview.frame.height, 600);
  EXPECT_EQ(preview.mapId, 1);
  EXPECT_EQ(preview.columns, 7);
  EXPECT_EQ(preview.rows, 8);
  EXPECT_EQ(preview.combatants, 3);
  EXPECT_EQ(preview.startCells, 7 * 8 - 3);

  // The mark's colour on the frame inside each free cell on the map; never on a combatant's cell or off
  // the map. The palette the picture carries is the one the key's colours were taken from.
  std::vector<platform::PaletteEntry> palette = preview.frame.palette;
  const int mark = nearestPaletteIndex(palette.data(), 40, 220, 60);
  const Picture picture{preview.frame};
  const std::vector<GridPos> taken{{6, 5}, {7, 3}, {7, 8}};
  for (int column = 1; column <= kGridCells; ++column) {
    for (int row = 1; row <= kGridCells; ++row) {
      SCOPED_TRACE("cell (" + std::to_string(column) + ", " + std::to_string(row) + ")");
      const bool onMap = column <= 7 && row <= 8;
      const bool free = onMap && std::find(taken.begin(), taken.end(), GridPos{column, row}) == taken.end();
      // A point on the frame's right edge, half-way down the cell, where no combatant's sprite reaches
      // but the first column of the right neighbour's, which its figure leaves clear.
      const int x = cellBoxLeft(column) + kCellPixels - 2, y = cellBoxTop(row) + kCellPixels / 2;
      EXPECT_EQ(picture.marked(x, y, mark), free);
    }
  }
}

TEST_F(PreviewCampaign, IsWrittenAsAnEightHundredBySixHundredPngOrNotAtAll) {
  BattlePreview preview;
  std::string error;
  ASSERT_TRUE(drawBattlePreview(campaign(), 2, preview, error)) << error;
  const fs::path file = folder_ / "battle2.png";
  ASSERT_TRUE(writePreviewPng(file, preview.frame, error)) << error;

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, file.c_str())) << image.message;
  EXPECT_EQ(image.width, 800u);
  EXPECT_EQ(image.height, 600u);
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) << image.message;
  // The pixels are the frame's, through its palette.
  for (const auto& [x, y] : {std::pair{20, 120}, {300, 300}, {600, 450}}) {
    const platform::PaletteEntry& colour = preview.frame.palette[preview.frame.pixels[y * 800 + x]];
    const std::size_t at = 3 * static_cast<std::size_t>(y * 800 + x);
    EXPECT_EQ((std::vector<int>{rgb[at], rgb[at + 1], rgb[at + 2]}),
              (std::vector<int>{colour.red, colour.green, colour.blue}));
  }
  for (const auto& entry : fs::directory_iterator(folder_))
    EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos) << entry.path();

  // A folder that is not there: nothing written, the old picture untouched, the reason given.
  const std::string bytes = readFile(file);
  EXPECT_FALSE(writePreviewPng(folder_ / "missing" / "battle2.png", preview.frame, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(fs::exists(folder_ / "missing"));
  EXPECT_EQ(readFile(file), bytes);
}

}  // namespace
}  // namespace varnholt::check
