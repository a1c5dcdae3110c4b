// Start-up, the frame's common start, the title screen with its intro pages, the splash sequence, the
// shared picture sequences and the shutdown.
#include "app/game.h"

#include "battle/battle_definition.h"
#include "engine/engine.h"
#include "flow/screen_rules.h"

namespace varnholt::app {
namespace {

using pictures::kScreenHeight;
using pictures::kScreenWidth;

constexpr std::uint32_t kSplashWaits[3] = {10000, 20000, 30000};
constexpr int kCursorFrameSurfaces = 32;
// The cursor sprite's frame on the battle grid.
constexpr int kGridCursorFrame = 0;

}  // namespace

Game::Game(platform::Platform& platform)
    : platform_(platform),
      random_(sharedRandom()),
      battle_(database_, flow_, random_),
      view_(database_, canvas_) {
  resetEngine();
  random_.reset();
  platform::setCurrent(&platform_);
  battle_.setPresentation(&view_);
  battle_.setOutcome(this);
}

Game::~Game() {
  battle_.setOutcome(nullptr);
  battle_.setPresentation(nullptr);
  if (platform::current() == &platform_) platform::setCurrent(nullptr);
}

int Game::gameInit() {
  // The font first, so that a missing font is reported as such rather than as a display failure.
  if (platform_.textRasterizer() == nullptr) {
    failure_ = "font set-up failed: " + platform_.lastError();
    return 0;
  }
  if (!initDisplay(kScreenWidth, kScreenHeight, 8, 0)) {
    failure_ = "display set-up failed" + (platform_.lastError().empty() ? "" : ": " + platform_.lastError());
    return 0;
  }
  displayUp_ = true;
  // The keyboard: one read proves it answers; the game starts with every key up whatever it said.
  if (!platform_.readKeyboard(keyState_)) {
    failure_ = "keyboard set-up failed" + (platform_.lastError().empty() ? "" : ": " + platform_.lastError());
    return 0;
  }
  std::fill(std::begin(keyState_), std::end(keyState_), std::uint8_t{0});

  loadBackground(pictures::kTitle, true);

  Sprite& cursor = flow_.cursorSprite;
  if (!createSprite(cursor, 0, 0, pictures::cursors::kCellWidth, pictures::cursors::kCellHeight,
                    kCursorFrameSurfaces, SPRITE_MULTI_FRAME | SPRITE_VISIBLE, DDSCAPS_SYSTEMMEMORY, 0, 8)) {
    failure_ = "cursor sprite set-up failed";
    return 0;
  }
  if (loadBitmapFile(bitmapFile, pictures::cursors::kFile)) {
    const auto& cells = pictures::cursors::kFrameCells;
    for (int frame = 0; frame < static_cast<int>(cells.size()); ++frame)
      loadSpriteFrame(cursor, bitmapFile, frame, cells[frame], 0, IMAGE_CELL_MODE);
    unloadBitmapFile(bitmapFile);
  }
  cursor.currentFrame = 2;
  setSpriteVelocity(cursor, 0, 0);
  setSpritePosition(cursor, static_cast<int>(kTitleMenuX), static_cast<int>(kTitleBeginY));

  flow_.gridColumn = 1;
  flow_.gridRow = 1;

  const RECT screen{0, 0, screenWidth, screenHeight};
  backBufferClipper = attachClipper(backBuffer, 1, &screen);
  platform_.hideMousePointer();
  view_.createEffectSprites(battle_);
  loadBattle(battle_, 1);
  return 1;
}

int Game::gameShutdown() {
  if (shutDown_) return 1;
  shutDown_ = true;
  destroyImage(flow_.backgroundImage);
  if (displayUp_) shutdownDisplay();
  displayUp_ = false;
  return 1;
}

int Game::gameFrame() {
  if (platform_.isKeyDown(platform::DirectKey::Escape) || platform_.isKeyDown(platform::DirectKey::Space)) {
    platform_.postMessage(platform::Message::Destroy);
  }
  startClock();
  // A background covering the whole back buffer overwrites every byte the clear would set.
  if (!imageCoversBackBuffer(flow_.backgroundImage)) fillSurface(backBuffer, 0);
  drawBackground(false);
  return runScreenFrame(flow_, *this);
}

void Game::readKeyboard() {
  // A failed read leaves the last state in place.
  std::uint8_t state[256];
  if (platform_.readKeyboard(state)) std::copy(std::begin(state), std::end(state), keyState_);
}

bool Game::loadBackground(const char* file, bool setPicturePalette) {
  if (!loadBitmapFile(bitmapFile, file)) return false;
  if (setPicturePalette) setPalette(bitmapFile.palette);
  destroyImage(flow_.backgroundImage);
  createImage(flow_.backgroundImage, 0, 0, kScreenWidth, kScreenHeight, 8);
  loadImage(flow_.backgroundImage, bitmapFile, 0, 0, IMAGE_PIXEL_MODE);
  unloadBitmapFile(bitmapFile);
  return true;
}

void Game::drawBackground(bool transparent) {
  std::uint8_t* memory = lockBackBuffer();
  drawImage(flow_.backgroundImage, memory, backBufferPitch, transparent ? IMAGE_TRANSPARENT : IMAGE_OPAQUE);
  unlockBackBuffer();
}

void Game::showPicture(const char* file) {
  if (loadBackground(file, true)) drawBackground(true);
  flipDisplay();
}

void Game::showResultPicture(const char* file) {
  if (loadBitmapFile(bitmapFile, file)) {
    setPalette(bitmapFile.palette);
    destroyImage(flow_.scratchImage);
    const pictures::SheetCell& cell = pictures::kResultCell;
    createImage(flow_.scratchImage, 0, 0, cell.width, cell.height, 8);
    // Cell (0, 0) starts at pixel (1, 1); what lies beyond the file's edge stays index 0 (transparent).
    loadImage(flow_.scratchImage, bitmapFile, cell.column, cell.row, IMAGE_CELL_MODE);
    std::uint8_t* memory = lockBackBuffer();
    drawImage(flow_.scratchImage, memory, backBufferPitch, IMAGE_TRANSPARENT);
    unlockBackBuffer();
    unloadBitmapFile(bitmapFile);
  }
  flipDisplay();
  waitClock(10000);
}

void Game::drawPictureCell(const BitmapFile& picture, const pictures::SheetCell& cell, int x, int y) {
  destroyImage(flow_.scratchImage);
  createImage(flow_.scratchImage, x, y, cell.width, cell.height, 8);
  loadImage(flow_.scratchImage, picture, cell.column, cell.row, IMAGE_CELL_MODE);
  std::uint8_t* memory = lockBackBuffer();
  drawImage(flow_.scratchImage, memory, backBufferPitch, IMAGE_TRANSPARENT);
  unlockBackBuffer();
}

Screen Game::titleScreen() {
  Screen next = Screen::Title;
  readKeyboard();
  waitClock(20);
  const float y = flow_.cursorY();
  if (keyDown(platform::DIK_UP)) {
    flow_.setCursor(flow_.cursorX(), titleCursorUp(y), flow_.cursorFrame());
  } else if (keyDown(platform::DIK_DOWN)) {
    flow_.setCursor(flow_.cursorX(), titleCursorDown(y), flow_.cursorFrame());
  } else if (keyDown(platform::DIK_RETURN)) {
    if (y == kTitleBeginY) {
      next = Screen::Splash;
      flow_.setCursor(markerPixelX(1), markerPixelY(1), kGridCursorFrame);
      if (loadBackground(pictures::kBattlefield, true)) drawBackground(true);
    } else if (y == kTitleIntroY) {
      introPages();
    }
  }
  drawSprite(flow_.cursorSprite, backBuffer);
  flipDisplay();
  return next;
}

void Game::introPages() {
  waitClock(500);
  const auto& pages = pictures::kIntroPages;
  for (std::size_t page = 0; page < pages.size(); ++page) {
    do {
      readKeyboard();
      showPicture(pages[page]);
    } while (!platform_.isKeyDown(platform::DirectKey::Return));
    if (page + 1 < pages.size()) waitClock(500);
  }
  showPicture(pictures::kTitle);
  waitClock(1000);
}

// The selection screen's first frame follows within this frame: the screen flow runs it next.
Screen Game::splashScreen() {
  for (std::size_t i = 0; i < pictures::kSplash.size(); ++i) {
    showPicture(pictures::kSplash[i]);
    waitClock(kSplashWaits[i]);
  }
  loadBackground(pictures::kBattlefield, true);
  flow_.setCursor(kSelectionCursorX0, kSelectionCursorY, 3);
  for (int id = 1; id <= kSelectionSlots; ++id) {
    Character character = database_.getCharacter(id);
    // A character the database lacks would join the roster as id 0; it is left out instead.
    if (character.id == 0) continue;
    character.computeDerived(database_);
    flow_.roster.add(character);
  }
  return Screen::Selection;
}

}  // namespace varnholt::app
