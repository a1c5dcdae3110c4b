// The battle's sprites built from the game's sheets: the swing and hit effects, and each combatant's
// unit sprite with its four facings.

#include "battle_view/battle_view.h"
#include "data/campaign_pictures.h"
#include "engine/bitmap.h"
#include "engine/sprite.h"
#include "engine/surface.h"

namespace varnholt {

namespace {

constexpr int kSpriteFrames = 32;
constexpr int kUnitAttributes = SPRITE_VISIBLE | SPRITE_MULTI_FRAME;
constexpr int kEffectAttributes = SPRITE_VISIBLE | SPRITE_MULTI_ANIMATION;
constexpr int kEffectSpeed = 5;

void createFrames(Sprite& sprite, int width, int height, int attributes) {
  createSprite(sprite, 0, 0, width, height, kSpriteFrames, attributes, DDSCAPS_SYSTEMMEMORY, 0, 8);
}

}  // namespace

int BattleView::createEffectSprites(Battle& battle) {
  namespace swings = pictures::swings;
  namespace hits = pictures::hits;
  Sprite& sword = battle.swordSprite;
  createFrames(sword, swings::kCellWidth, swings::kCellHeight, kEffectAttributes);
  loadBitmapFile(bitmapFile, swings::kFile);
  for (int f = 0; f < swings::kRows * swings::kFrames; ++f)
    loadSpriteFrame(sword, bitmapFile, f, f % swings::kFrames, f / swings::kFrames, IMAGE_CELL_MODE);
  unloadBitmapFile(bitmapFile);
  setSpritePosition(sword, 0, 0);
  hideSprite(sword);
  // One row of the sheet per swing; the swing of weapon n is sequence n.
  for (int row = 0; row < swings::kRows; ++row) {
    int frames[swings::kFrames];
    for (int k = 0; k < swings::kFrames; ++k) frames[k] = row * swings::kFrames + k;
    loadSpriteAnimation(sword, swings::kRowWeapons[row], swings::kFrames, frames);
  }
  setSpriteAnimationSpeed(sword, kEffectSpeed);
  setSpriteAnimation(sword, swings::kFirstWeapon);

  // Frames 0 to 3 the hit row, 4 to 8 the miss row; sequence 0 shows a hit, 1 a miss.
  Sprite& hit = battle.hitSprite;
  createFrames(hit, hits::kCellWidth, hits::kCellHeight, kEffectAttributes);
  loadBitmapFile(bitmapFile, hits::kFile);
  int hitFrames[hits::kHitFrames];
  int missFrames[hits::kMissFrames];
  for (int k = 0; k < hits::kHitFrames; ++k) {
    hitFrames[k] = k;
    loadSpriteFrame(hit, bitmapFile, hitFrames[k], k, hits::kHitRow, IMAGE_CELL_MODE);
  }
  for (int k = 0; k < hits::kMissFrames; ++k) {
    missFrames[k] = hits::kHitFrames + k;
    loadSpriteFrame(hit, bitmapFile, missFrames[k], k, hits::kMissRow, IMAGE_CELL_MODE);
  }
  unloadBitmapFile(bitmapFile);
  setSpritePosition(hit, 0, 0);
  hideSprite(hit);
  loadSpriteAnimation(hit, 0, hits::kHitFrames, hitFrames);
  loadSpriteAnimation(hit, 1, hits::kMissFrames, missFrames);
  setSpriteAnimationSpeed(hit, kEffectSpeed);
  setSpriteAnimation(hit, 0);
  return 1;
}

// The battle chose the slot and places the sprite on the combatant's cell once its frames are in.
void BattleView::createUnitSprite(Sprite& sprite, const Character& combatant) {
  namespace characters = pictures::characters;
  createFrames(sprite, characters::kFacingWidth, characters::kFacingHeight, kUnitAttributes);
  loadBitmapFile(bitmapFile, combatant.pictureFile);
  for (int f = 0; f < characters::kFacings; ++f) {
    const pictures::SheetCell cell = characters::facing(f);
    loadSpriteFrame(sprite, bitmapFile, f, cell.column, cell.row, IMAGE_CELL_MODE);
  }
  unloadBitmapFile(bitmapFile);
}

}  // namespace varnholt
