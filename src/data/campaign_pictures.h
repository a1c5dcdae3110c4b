#pragma once
// The catalogue of the campaign's pictures: every file the game loads, how it is cut (the whole screen,
// or cells of a sheet) and what each cell shows. The screens and the battle view draw from it, the
// picture generator lays its sheets out by it, and the content checker judges a campaign's pictures
// against it, so all of them agree by construction.
//
// A sheet is a grid of equal cells, each surrounded by one-pixel lines: cell (column, row) of a grid of
// width x height cells starts at pixel (column (width + 1) + 1, row (height + 1) + 1).

#include <array>
#include <string>
#include <vector>

namespace varnholt::pictures {

// The screen every full-screen picture covers.
inline constexpr int kScreenWidth = 800;
inline constexpr int kScreenHeight = 600;

// One cell of a sheet.
struct SheetCell {
  int width = 0;
  int height = 0;
  int column = 0;
  int row = 0;

  constexpr int left() const { return column * (width + 1) + 1; }
  constexpr int top() const { return row * (height + 1) + 1; }
  constexpr int right() const { return left() + width; }   // one past the last column
  constexpr int bottom() const { return top() + height; }  // one past the last row
};

// --- Full-screen pictures, drawn from their pixel (0, 0) over the whole screen ---
inline constexpr const char* kTitle = "title.BMP";
inline constexpr std::array<const char*, 3> kSplash = {"dinner.BMP", "llama.BMP", "load.BMP"};
inline constexpr std::array<const char*, 4> kIntroPages = {"in1.BMP", "in2.BMP", "in3.BMP", "in4.BMP"};
inline constexpr const char* kSelection = "select.BMP";
inline constexpr const char* kBattlefield = "bmapa.BMP";

// --- Result pictures: cell (0, 0) of a screen-sized grid, the screen rectangle from pixel (1, 1); what
// lies beyond the file's edge stays transparent ---
inline constexpr const char* kDefeat = "gameover.bmp";
inline constexpr const char* kVictory = "victory.bmp";
inline constexpr const char* kCampaignEnd = "gameend.bmp";
inline constexpr SheetCell kResultCell{kScreenWidth, kScreenHeight, 0, 0};

// --- "buttons.bmp": the command bar, one row of buttons in the bar's order ---
namespace buttons {
inline constexpr const char* kFile = "buttons.bmp";
inline constexpr int kCellWidth = 56;
inline constexpr int kCellHeight = 56;
inline constexpr int kAttack = 0;
inline constexpr int kMove = 1;
inline constexpr int kEndTurn = 2;
inline constexpr int kSkill = 3;
inline constexpr int kCount = 4;
constexpr SheetCell cell(int button) {
  return {kCellWidth, kCellHeight, button, 0};
}
}  // namespace buttons

// --- "cur.bmp": the cursors and the cell marker, one row ---
namespace cursors {
inline constexpr const char* kFile = "cur.bmp";
inline constexpr int kCellWidth = 56;
inline constexpr int kCellHeight = 40;
inline constexpr int kGridCursor = 0;
inline constexpr int kCommandBarCursor = 1;
inline constexpr int kCellMarker = 2;
inline constexpr int kMenuArrow = 3;  // the title menu and the skill list
inline constexpr int kPartyCursor = 4;
inline constexpr int kCount = 5;
// The cursor sprite's frames 0 to 3 are these cells; the marker is drawn on its own.
inline constexpr std::array<int, 4> kFrameCells = {kGridCursor, kCommandBarCursor, kMenuArrow, kPartyCursor};
constexpr SheetCell cell(int index) {
  return {kCellWidth, kCellHeight, index, 0};
}
}  // namespace cursors

// --- "sword.bmp": one row of frames per weapon swing ---
namespace swings {
inline constexpr const char* kFile = "sword.bmp";
inline constexpr int kCellWidth = 56;
inline constexpr int kCellHeight = 56;
inline constexpr int kFrames = 3;  // cells per row
// Weapons 1 to 4 have a swing; the swing of weapon w is animation w.
inline constexpr int kFirstWeapon = 1;
inline constexpr int kLastWeapon = 4;
// The sheet's rows from the top: weapon 1 (slash), 4 (arrow), 2 (spell), 3 (thrust).
inline constexpr std::array<int, 4> kRowWeapons = {1, 4, 2, 3};
inline constexpr int kRows = static_cast<int>(kRowWeapons.size());
constexpr SheetCell cell(int frame, int row) {
  return {kCellWidth, kCellHeight, frame, row};
}
}  // namespace swings

// --- "hit.bmp": the blow's outcome, the hit frames in row 0 and the miss frames in row 1 ---
namespace hits {
inline constexpr const char* kFile = "hit.bmp";
inline constexpr int kCellWidth = 56;
inline constexpr int kCellHeight = 72;
inline constexpr int kHitRow = 0;
inline constexpr int kHitFrames = 4;
inline constexpr int kMissRow = 1;
inline constexpr int kMissFrames = 5;
constexpr SheetCell cell(int frame, int row) {
  return {kCellWidth, kCellHeight, frame, row};
}
}  // namespace hits

// --- A character's sheet (the file its record names): four facings and the portrait, one row ---
namespace characters {
inline constexpr int kFacingWidth = 56;
inline constexpr int kFacingHeight = 56;
inline constexpr int kFacings = 4;  // down, up, left, right
// The party screen shows facing 0 as the character's small picture.
inline constexpr int kPartyScreenFacing = 0;
// The status panel's portrait: cell (4, 0) of a grid of 56 x 65 cells.
inline constexpr SheetCell kPortrait{56, 65, 4, 0};
constexpr SheetCell facing(int index) {
  return {kFacingWidth, kFacingHeight, index, 0};
}
}  // namespace characters

// --- The catalogue as a list, for the generator, the checker and the tests ---

enum class Cut {
  FullScreen,  // the screen rectangle from pixel (0, 0)
  Sheet,       // the cells listed (a result picture is the one screen-sized cell)
};

struct PictureUse {
  std::string file;  // empty for a character's sheet, whose name its record gives
  std::string what;  // what the game uses it for, in a phrase
  Cut cut = Cut::Sheet;
  std::vector<SheetCell> cells;  // Sheet only
};

// The smallest width and height that hold every cell (or the screen) of a use.
struct Extent {
  int width = 0;
  int height = 0;
};
inline Extent extentOf(const PictureUse& use) {
  if (use.cut == Cut::FullScreen) return {kScreenWidth, kScreenHeight};
  Extent extent;
  for (const SheetCell& cell : use.cells) {
    if (cell.right() > extent.width) extent.width = cell.right();
    if (cell.bottom() > extent.height) extent.height = cell.bottom();
  }
  return extent;
}

inline std::string sizeText(int width, int height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

// Every cell of a character's sheet: the facings, then the portrait.
inline PictureUse characterSheetUse() {
  PictureUse use{
      "", "a character's " + std::to_string(characters::kFacings) + " facings and portrait", Cut::Sheet, {}};
  for (int f = 0; f < characters::kFacings; ++f) use.cells.push_back(characters::facing(f));
  use.cells.push_back(characters::kPortrait);
  return use;
}

// Every picture of fixed name, in the order the generator writes them.
inline std::vector<PictureUse> fixedPictureUses() {
  std::vector<PictureUse> uses;
  const auto fullScreen = [&](const char* file) {
    uses.push_back({file, "a full-screen picture", Cut::FullScreen, {}});
  };
  fullScreen(kTitle);
  for (const char* file : kSplash) fullScreen(file);
  for (const char* file : kIntroPages) fullScreen(file);
  fullScreen(kSelection);
  fullScreen(kBattlefield);

  PictureUse bar{
      buttons::kFile,
      std::to_string(buttons::kCount) + " buttons of " + sizeText(buttons::kCellWidth, buttons::kCellHeight),
      Cut::Sheet,
      {}};
  for (int b = 0; b < buttons::kCount; ++b) bar.cells.push_back(buttons::cell(b));
  uses.push_back(bar);
  PictureUse cursorSheet{cursors::kFile,
                         std::to_string(cursors::kCount) + " cursor cells of " +
                             sizeText(cursors::kCellWidth, cursors::kCellHeight),
                         Cut::Sheet,
                         {}};
  for (int c = 0; c < cursors::kCount; ++c) cursorSheet.cells.push_back(cursors::cell(c));
  uses.push_back(cursorSheet);
  PictureUse swingSheet{swings::kFile,
                        std::to_string(swings::kRows) + " swings of " + std::to_string(swings::kFrames) +
                            " " + sizeText(swings::kCellWidth, swings::kCellHeight) + " cells",
                        Cut::Sheet,
                        {}};
  for (int r = 0; r < swings::kRows; ++r)
    for (int f = 0; f < swings::kFrames; ++f) swingSheet.cells.push_back(swings::cell(f, r));
  uses.push_back(swingSheet);
  PictureUse hitSheet{hits::kFile,
                      std::to_string(hits::kHitFrames) + " hit and " + std::to_string(hits::kMissFrames) +
                          " miss cells of " + sizeText(hits::kCellWidth, hits::kCellHeight),
                      Cut::Sheet,
                      {}};
  for (int f = 0; f < hits::kHitFrames; ++f) hitSheet.cells.push_back(hits::cell(f, hits::kHitRow));
  for (int f = 0; f < hits::kMissFrames; ++f) hitSheet.cells.push_back(hits::cell(f, hits::kMissRow));
  uses.push_back(hitSheet);

  for (const char* file : {kDefeat, kVictory, kCampaignEnd})
    uses.push_back({file,
                    "the " + sizeText(kScreenWidth, kScreenHeight) + " rectangle from pixel (1, 1)",
                    Cut::Sheet,
                    {kResultCell}});
  return uses;
}

}  // namespace varnholt::pictures
