// The generated pictures against the places the game reads them: file names and sizes, opaque
// full-screen pictures, the cell grids of the sheets, the palette, files the engine's loader reads back,
// and the same bytes on every run.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "art/looks.h"
#include "art/pictures.h"
#include "battle/battle_definition.h"
#include "data/campaign_pictures.h"
#include "data/game_database.h"
#include "data/grid_geometry.h"
#include "engine/bitmap.h"

namespace varnholt::art {
namespace {

class CampaignArt : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    text_ = new TextPainter(platform::findDefaultFontPath());
    std::string error;
    ASSERT_TRUE(text_->ready(error)) << error;
    pictures_ = new std::vector<Picture>(campaignPictures(*text_));
  }
  static void TearDownTestSuite() {
    delete pictures_;
    delete text_;
  }
  static const Canvas& picture(const std::string& name) {
    for (const auto& p : *pictures_)
      if (p.fileName == name) return p.canvas;
    ADD_FAILURE() << "no picture " << name;
    static const Canvas none(4, 1);
    return none;
  }
  // Whether every pixel of the rectangle has the index.
  static bool all(const Canvas& c, int x, int y, int w, int h, int index) {
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i)
        if (c.at(i, j) != index) return false;
    return true;
  }
  static int inked(const Canvas& c, int x, int y, int w, int h) {
    int n = 0;
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) n += c.at(i, j) != 0;
    return n;
  }
  static TextPainter* text_;
  static std::vector<Picture>* pictures_;
};

TextPainter* CampaignArt::text_ = nullptr;
std::vector<Picture>* CampaignArt::pictures_ = nullptr;

// The catalogue's pictures and one sheet per character look, nothing else.
TEST_F(CampaignArt, EveryPictureOfTheCatalogueIsDrawnAtTheSizeItsScreenOrCellsRead) {
  std::vector<pictures::PictureUse> uses = pictures::fixedPictureUses();
  std::set<std::string> named;
  for (const auto& use : uses) named.insert(use.file);
  for (const auto& l : campaignLooks()) {
    uses.push_back(pictures::characterSheetUse());
    uses.back().file = l.fileName;
  }
  ASSERT_EQ(uses.size(), pictures_->size());
  for (const auto& use : uses) {
    const Canvas& c = picture(use.file);
    const pictures::Extent need = pictures::extentOf(use);
    if (use.cut == pictures::Cut::FullScreen) {
      EXPECT_EQ(c.width(), pictures::kScreenWidth) << use.file;
      EXPECT_EQ(c.height(), pictures::kScreenHeight) << use.file;
    } else {
      // The cells, at most the closing line beyond them, and the width rounded up to a multiple of 4.
      EXPECT_GE(c.width(), need.width) << use.file;
      EXPECT_LE(c.width(), need.width + 4) << use.file;
      EXPECT_GE(c.height(), need.height) << use.file;
      EXPECT_LE(c.height(), need.height + 1) << use.file;
    }
  }
  for (const auto& p : *pictures_) EXPECT_EQ(p.canvas.width() % 4, 0) << p.fileName;
}

TEST_F(CampaignArt, FullScreenPicturesAreOpaqueBecauseTheyAreDrawnOverTheLastFrame) {
  for (const auto& use : pictures::fixedPictureUses()) {
    if (use.cut != pictures::Cut::FullScreen) continue;
    EXPECT_EQ(inked(picture(use.file), 0, 0, 800, 600), 800 * 600) << use.file;
  }
  // The end picture covers the whole screen rectangle from pixel (1, 1); the defeat and victory banners
  // leave the battle visible around them.
  EXPECT_EQ(inked(picture("gameend.bmp"), 1, 1, 800, 600), 800 * 600);
  for (const char* name : {"gameover.bmp", "victory.bmp"}) {
    const Canvas& c = picture(name);
    EXPECT_TRUE(all(c, 1, 1, 800, 100, 0)) << name;
    EXPECT_GT(inked(c, 1, 1, 800, 600), 50000) << name;
  }
}

TEST_F(CampaignArt, BattlefieldLeavesLightGroundUnderDarkTextAndDarkGroundUnderTheTurnLine) {
  const Canvas& c = picture("bmapa.BMP");
  const Palette& p = campaignPalette();
  auto light = [&](int index) { return p[index].red * 299 + p[index].green * 587 + p[index].blue * 114; };
  const int ink = light(colour::ink), banner = light(colour::turnBanner);
  // Message line (0, 0), the status panels at (400, 0) and (400, 200), the skill list from (450, 400)
  // and its description at (450, 575): dark grey text needs a light ground.
  const std::pair<int, int> darkText[] = {{2, 2},     {460, 10},  {700, 120}, {460, 210},
                                          {700, 320}, {452, 402}, {600, 585}};
  for (const auto& [x, y] : darkText) EXPECT_GT(light(c.at(x, y)) - ink, 100000) << x << "," << y;
  // The turn line in palette colour 50 at (0, 568).
  for (int x : {2, 40, 120}) EXPECT_GT(banner - light(c.at(x, 575)), 100000) << x;
}

TEST_F(CampaignArt, BattlefieldGridLinesFallBetweenTheCellsUnitsAndCursorUse) {
  const Canvas& c = picture(pictures::kBattlefield);
  // Cell (column, row) spans x 38 column - 23 .. + 37 and y 38 row + 67 .. + 37: the cursor's box,
  // centred in the unit sprite at (38 column - 30, 38 row + 58).
  ASSERT_EQ(cellBoxLeft(1), 15);
  ASSERT_EQ(cellBoxTop(1), 105);
  const int line = c.at(cellBoxLeft(1), 200);
  for (int k = 1; k <= kGridCells + 1; ++k) {
    EXPECT_EQ(c.at(cellBoxLeft(k), 120), line) << "vertical line " << k;
    EXPECT_EQ(c.at(30, cellBoxTop(k)), line) << "horizontal line " << k;
  }
  EXPECT_NE(c.at(cellBoxLeft(1) + 19, cellBoxTop(1) + 19), line);
}

TEST_F(CampaignArt, SheetsKeepTheirCellsBetweenOnePixelLines) {
  std::vector<pictures::PictureUse> sheets;
  for (const auto& use : pictures::fixedPictureUses())
    if (use.cut == pictures::Cut::Sheet && use.cells.size() > 1) sheets.push_back(use);
  sheets.push_back(pictures::characterSheetUse());
  sheets.back().file = "aldric.bmp";
  ASSERT_EQ(sheets.size(), 5u);
  for (const auto& sheet : sheets) {
    const Canvas& c = picture(sheet.file);
    for (const pictures::SheetCell& cell : sheet.cells) {
      const int x = cell.left(), y = cell.top();
      EXPECT_GT(inked(c, x, y, cell.width, cell.height), 20)
          << sheet.file << " cell " << cell.column << "," << cell.row;
      EXPECT_NE(c.at(x - 1, y + cell.height / 2), 0)
          << sheet.file << " line left of " << cell.column << "," << cell.row;
      EXPECT_NE(c.at(x + cell.width / 2, y - 1), 0)
          << sheet.file << " line above " << cell.column << "," << cell.row;
    }
  }
}

TEST_F(CampaignArt, CellMarkerStaysInsideTheCellItMarks) {
  // The marker is drawn at markerPixel(column, row); the cell's box starts at cellBox(column, row).
  const Canvas& c = picture(pictures::cursors::kFile);
  const pictures::SheetCell marker = pictures::cursors::cell(pictures::cursors::kCellMarker);
  const int x0 = marker.left(), y0 = marker.top();
  const int boxX = cellBoxLeft(3) - markerPixelX(3), boxY = cellBoxTop(3) - markerPixelY(3);
  int inside = 0;
  for (int j = 0; j < marker.height; ++j)
    for (int i = 0; i < marker.width; ++i) {
      const bool ink = c.at(x0 + i, y0 + j) != 0;
      const bool inBox = i >= boxX && i < boxX + kCellPixels && j >= boxY && j < boxY + kCellPixels;
      EXPECT_FALSE(ink && !inBox) << i << "," << j;
      inside += ink && inBox;
    }
  EXPECT_GT(inside, kCellPixels * kCellPixels / 3);
}

TEST_F(CampaignArt, EveryCharacterPictureExistsWithFourDifferentFacingsAndAnOpaquePortrait) {
  GameDatabase db;
  db.baseDirectory = VARNHOLT_CAMPAIGN_SOURCE;
  std::set<std::string> named;
  std::vector<int> ids{1, 2, 3, 4, 5, 6, 7, 8};
  for (int n = 1; n <= 5; ++n)
    for (const auto& e : readBattleDefinition(db, n).entries) ids.push_back(e.characterId);
  for (int id : ids) named.insert(db.getCharacter(id).pictureFile);
  for (const auto& name : named) {
    const Canvas& c = picture(name);
    ASSERT_EQ(c.width(), SHEET_WIDTH) << name;
    ASSERT_EQ(c.height(), SHEET_HEIGHT) << name;
    std::set<std::vector<int>> facings;
    for (int f = 0; f < pictures::characters::kFacings; ++f) {
      const pictures::SheetCell at = pictures::characters::facing(f);
      std::vector<int> cell;
      for (int j = at.top(); j < at.bottom(); ++j)
        for (int i = at.left(); i < at.right(); ++i) cell.push_back(c.at(i, j));
      facings.insert(cell);
    }
    EXPECT_EQ(facings.size(), 4u) << name;
    const pictures::SheetCell& portrait = pictures::characters::kPortrait;
    EXPECT_EQ(inked(c, portrait.left(), portrait.top(), portrait.width, portrait.height),
              portrait.width * portrait.height)
        << name;
  }
}

TEST_F(CampaignArt, PaletteKeepsIndexZeroBlackAndHoldsTheTextColour) {
  const Palette& p = campaignPalette();
  EXPECT_EQ(p[0].red + p[0].green + p[0].blue, 0);
  EXPECT_EQ(nearestEntry(p, 32, 32, 32), colour::ink);
  EXPECT_EQ(p[colour::ink].red, 32);
  // The palette file reads back entry by entry, as the game reads it.
  std::istringstream in(paletteFileText(p));
  for (int i = 0; i < 256; ++i) {
    int r = -1, g = -1, b = -1, flags = -1;
    in >> r >> g >> b >> flags;
    ASSERT_TRUE(in) << "entry " << i;
    EXPECT_EQ(r, p[i].red);
    EXPECT_EQ(g, p[i].green);
    EXPECT_EQ(b, p[i].blue);
    EXPECT_EQ(flags, 0);
  }
}

TEST_F(CampaignArt, WrittenFilesLoadBackThroughTheEngineWithThePalette) {
  const auto folder = std::filesystem::temp_directory_path() / ("varnholt_art_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::string error;
  ASSERT_TRUE(writeCampaignPictures(folder.string(), *text_, error)) << error;
  for (const auto& p : *pictures_) {
    BitmapFile file;
    ASSERT_EQ(loadBitmapFile(file, (folder / p.fileName).string()), 1) << p.fileName;
    EXPECT_EQ(file.infoHeader.biWidth, p.canvas.width());
    EXPECT_EQ(file.infoHeader.biHeight, p.canvas.height());
    EXPECT_EQ(file.infoHeader.biBitCount, 8);
    EXPECT_TRUE(std::equal(file.pixels.begin(), file.pixels.end(), p.canvas.pixels().begin())) << p.fileName;
    EXPECT_EQ(file.palette[colour::turnBanner].red, campaignPalette()[colour::turnBanner].red);
  }
  EXPECT_TRUE(std::filesystem::exists(folder / "PALDATA2.PAL"));
  std::filesystem::remove_all(folder);
}

TEST_F(CampaignArt, DrawingTwiceGivesTheSameBytes) {
  const std::vector<Picture> again = campaignPictures(*text_);
  ASSERT_EQ(again.size(), pictures_->size());
  for (std::size_t i = 0; i < again.size(); ++i)
    EXPECT_TRUE(again[i].canvas.pixels() == (*pictures_)[i].canvas.pixels()) << again[i].fileName;
}

}  // namespace
}  // namespace varnholt::art
