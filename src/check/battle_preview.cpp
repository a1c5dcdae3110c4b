// The battle preview: the game set up on the headless backend, the battle loaded as a won battle loads
// the next one, and the battle screen's picture drawn by the game's own drawing before the party is placed.

#include "check/battle_preview.h"

#include <unistd.h>

#include <cstdio>
#include <system_error>

#include "app/game.h"
#include "battle/battle_definition.h"
#include "data/campaign_pictures.h"
#include "data/grid_geometry.h"
#include "engine/engine.h"
#include "flow/screen_rules.h"
#include "platform/headless/headless_platform.h"

namespace varnholt::check {

namespace fs = std::filesystem;

namespace {

// The key, in the panels right of the grid that the battle screen fills once the battle runs: the
// battle and what the marks mean in the middle one, the combatants in the large one below.
constexpr RECT kKeyPanel{404, 204, 796, 332};
constexpr RECT kListPanel{389, 392, 796, 596};
constexpr int kLineHeight = 15;
constexpr int kTextInset = 6;
// The command bar's buttons stand where the battle screen draws them.
constexpr int kButtonY = 500;
constexpr int kButtonStep = 100;
// Where the battle screen shows the acting combatant's status panel.
constexpr int kActingPanelX = 400;
constexpr int kActingPanelY = 0;

// The working directory for as long as the preview draws.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const fs::path& folder) {
    std::error_code error;
    previous_ = fs::current_path(error);
    if (error) return;
    fs::current_path(folder, error);
    entered_ = !error;
  }
  ~WorkingDirectory() {
    std::error_code ignored;
    if (entered_) fs::current_path(previous_, ignored);
  }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;
  bool entered() const { return entered_; }

 private:
  fs::path previous_;
  bool entered_ = false;
};

// The palette entry nearest a colour, so the marks read the same on any campaign's palette.
int colour(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return nearestPaletteIndex(paletteEntries, red, green, blue);
}

void fillBox(int left, int top, int right, int bottom, int index) {
  const RECT box{left, top, right, bottom};
  fillSurface(backBuffer, index, &box);
}

// A picture drawn into the back buffer at its own place; the pitch is read once the buffer is locked.
void drawOnBackBuffer(const BitmapImage& image, int transparent) {
  std::uint8_t* memory = lockBackBuffer();
  drawImage(image, memory, backBufferPitch, transparent);
  unlockBackBuffer();
}

// The battlefield picture with its palette, as the selection screen leaves it for the battle.
void drawBattlefield() {
  if (!loadBitmapFile(bitmapFile, pictures::kBattlefield)) return;
  setPalette(bitmapFile.palette);
  BitmapImage background;
  createImage(background, 0, 0, pictures::kScreenWidth, pictures::kScreenHeight, 8);
  loadImage(background, bitmapFile, 0, 0, IMAGE_PIXEL_MODE);
  unloadBitmapFile(bitmapFile);
  drawOnBackBuffer(background, IMAGE_OPAQUE);
  destroyImage(background);
}

// The command bar's four buttons, cut from their sheet as the battle screen cuts them.
void drawCommandBar() {
  if (!loadBitmapFile(bitmapFile, pictures::buttons::kFile)) return;
  for (int i = 0; i < pictures::buttons::kCount; ++i) {
    const pictures::SheetCell cell = pictures::buttons::cell(i);
    BitmapImage button;
    createImage(button, kButtonStep * i, kButtonY, cell.width, cell.height, 8);
    loadImage(button, bitmapFile, cell.column, cell.row, IMAGE_CELL_MODE);
    drawOnBackBuffer(button, IMAGE_TRANSPARENT);
    destroyImage(button);
  }
  unloadBitmapFile(bitmapFile);
}

// A two-pixel frame just inside the box of a cell, clear of the grid's lines.
void frameCell(int column, int row, int index) {
  const int left = cellBoxLeft(column) + 2, top = cellBoxTop(row) + 2;
  const int right = cellBoxLeft(column) + kCellPixels - 1, bottom = cellBoxTop(row) + kCellPixels - 1;
  fillBox(left, top, right, top + 2, index);
  fillBox(left, bottom - 2, right, bottom, index);
  fillBox(left, top, left + 2, bottom, index);
  fillBox(right - 2, top, right, bottom, index);
}

// Text with a dark edge, legible on any part of the battlefield.
void outlinedText(const std::string& text, int x, int y, int ink, int edge) {
  for (const auto& [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}})
    drawTextIndexed(text.c_str(), x + dx, y + dy, edge, backBuffer);
  drawTextIndexed(text.c_str(), x, y, ink, backBuffer);
}

// Lines of text from the top of a panel, on a plain ground so they read on any campaign's pictures.
class Panel {
 public:
  Panel(const RECT& box, int paper, int ink) : box_(box), ink_(ink), y_(box.top + kTextInset - 2) {
    fillBox(box.left, box.top, box.right, box.bottom, paper);
  }
  // Lines beyond the panel's foot are left out.
  void line(const std::string& text, int indent = 0) {
    if (y_ + kLineHeight > box_.bottom) return;
    drawTextIndexed(text.c_str(), box_.left + kTextInset + indent, y_, ink_, backBuffer);
    y_ += kLineHeight;
  }
  int y() const { return y_; }

 private:
  RECT box_;
  int ink_;
  int y_;
};

std::string combatantLine(const Character& unit) {
  char text[160];
  std::snprintf(text, sizeof text, "%d %s at (%d, %d), %s, level %d, HP %d, Aspd %d", unit.id, unit.name,
                unit.column, unit.row, unit.side == kPlayerSide ? "ally" : "foe", unit.level, unit.maxHp,
                unit.aspd);
  return text;
}

void drawKey(const Battle& battle, const BattleDefinition& definition, const BattlePreview& preview,
             int number, int mark) {
  const int paper = colour(236, 226, 196), ink = colour(32, 32, 32);
  Panel key(kKeyPanel, paper, ink);
  key.line("Battle " + std::to_string(number) + " on map " + std::to_string(preview.mapId) + " '" +
           battle.map.name + "', " + std::to_string(preview.columns) + " x " + std::to_string(preview.rows) +
           " cells");
  fillBox(kKeyPanel.left + kTextInset, key.y() + 3, kKeyPanel.left + kTextInset + 10, key.y() + 13, mark);
  key.line(std::to_string(preview.startCells) + " free cells in columns and rows 1 to " +
               std::to_string(kGridCells) + ":",
           16);
  key.line("the party of " + std::to_string(GameFlowState::partySize) + " is placed at random on them", 16);
  bool allies = false;
  for (int k = 0; k < battle.units.count(); ++k) allies |= battle.units.at(k).side == kPlayerSide;
  key.line(allies ? "Numbers on the grid: character ids, foes white, allies blue"
                  : "Numbers on the grid: the combatants' character ids");
  if (preview.columns < kGridCells || preview.rows < kGridCells)
    key.line("Shaded: cells beyond the map's edge");
  if (definition.listed > battle.units.count())
    key.line(std::to_string(definition.listed - battle.units.count()) +
             " listed combatants are not placed (varnholt-check)");

  Panel list(kListPanel, paper, ink);
  list.line(std::to_string(preview.combatants) + (preview.combatants == 1 ? " combatant" : " combatants") +
            ", in the order they enter the battle:");
  // The units are kept in the order the battle lists them; the first listed takes the first turn.
  for (int k = 0; k < battle.units.count(); ++k)
    list.line(combatantLine(battle.units.at(k)) + (k == 0 ? "; first turn" : ""), 8);
}

}  // namespace

bool drawBattlePreview(const fs::path& folder, int number, BattlePreview& preview, std::string& error) {
  const WorkingDirectory inside(folder);
  if (!inside.entered()) {
    error = "cannot enter the campaign folder " + folder.string();
    return false;
  }
  platform::HeadlessPlatform platform;
  app::Game game(platform);
  if (!game.gameInit()) {
    error = "the game could not be set up: " + game.failure();
    return false;
  }
  // The battle as a won battle brings in the next: the last battle's combatants out, then the new one
  // loaded; the party is placed after this, on the selection screen.
  Battle& battle = game.battle();
  battle.units.clear();
  battle.spriteCount = 0;
  game.flow().partyCount = 0;
  battle.battleNumber = number;
  const BattleDefinition definition = readBattleDefinition(game.database(), number);
  loadBattle(battle, number);

  preview.mapId = definition.mapId;
  preview.columns = battle.map.columns;
  preview.rows = battle.map.rows;
  preview.combatants = battle.units.count();

  fillSurface(backBuffer, 0);
  drawBattlefield();
  drawCommandBar();
  // The party's cells get a frame in a colour of their own (the game's cell marker means a cell the
  // acting combatant may move to or strike); the cells of the grid the map does not reach are shaded.
  const int mark = colour(40, 220, 60), offMap = colour(48, 40, 36);
  for (int column = 1; column <= kGridCells; ++column) {
    for (int row = 1; row <= kGridCells; ++row) {
      if (column > battle.map.columns || row > battle.map.rows) {
        fillBox(cellBoxLeft(column) + 1, cellBoxTop(row) + 1, cellBoxLeft(column) + kCellPixels,
                cellBoxTop(row) + kCellPixels, offMap);
      } else if (isPlacementCell(battle.map, column, row)) {
        frameCell(column, row, mark);
        ++preview.startCells;
      }
    }
  }
  BattleView& view = game.view();
  for (int slot = 0; slot < battle.spriteCount && slot < kUnitSpriteSlots; ++slot)
    view.drawSprite(battle.unitSprites[slot]);
  const int foeInk = colour(255, 255, 255), allyInk = colour(40, 230, 240), edge = colour(0, 0, 0);
  for (int k = 0; k < battle.units.count(); ++k) {
    const Character unit = battle.units.at(k);
    outlinedText(std::to_string(unit.id), cellBoxLeft(unit.column) + 2, cellBoxTop(unit.row) + 1,
                 unit.side == kPlayerSide ? allyInk : foeInk, edge);
  }
  // The first turn as the battle screen shows it: whose turn on the message line, its status panel above.
  if (battle.units.count() > 0) {
    const Character first = battle.units.at(0);
    view.drawTurnLine(first.name);
    view.drawStatusPanel(first, kActingPanelX, kActingPanelY);
  }
  view.drawMessage(("Preview of battle " + std::to_string(number) + ", before the party is placed").c_str());
  drawKey(battle, definition, preview, number, mark);

  flipDisplay();
  if (!platform.hasFrame()) {
    error = "the game presented no picture";
    return false;
  }
  const platform::CapturedFrame& shown = platform.lastFrame();
  preview.frame.width = shown.width;
  preview.frame.height = shown.height;
  preview.frame.pixels = shown.pixels;
  preview.frame.palette.assign(shown.palette.begin(), shown.palette.end());
  game.gameShutdown();
  return true;
}

bool writePreviewPng(const fs::path& file, const app::FrameCopy& frame, std::string& error) {
  fs::path part = file;
  part += ".part-" + std::to_string(::getpid());
  if (!app::writePng(part, frame, error)) {
    std::error_code ignored;
    fs::remove(part, ignored);
    return false;
  }
  std::error_code renameError;
  fs::rename(part, file, renameError);
  if (renameError) {
    std::error_code ignored;
    fs::remove(part, ignored);
    error = "cannot write " + file.string() + ": " + renameError.message();
    return false;
  }
  return true;
}

}  // namespace varnholt::check
