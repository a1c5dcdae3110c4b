// The battle's sprites built from the game's sheets: the swing and hit effects, and each combatant's
// unit sprite with its four facings.

#include "battle_view/battle_view.h"
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
  Sprite& sword = battle.swordSprite;
  createFrames(sword, 56, 56, kEffectAttributes);
  loadBitmapFile(bitmapFile, "sword.bmp");
  for (int f = 0; f < 12; ++f) loadSpriteFrame(sword, bitmapFile, f, f % 3, f / 3, 0);
  unloadBitmapFile(bitmapFile);
  setSpritePosition(sword, 0, 0);
  hideSprite(sword);
  // One row of the sheet per swing; the swing of weapon n is sequence n.
  const int swing1[] = {0, 1, 2};
  const int swing4[] = {3, 4, 5};
  const int swing2[] = {6, 7, 8};
  const int swing3[] = {9, 10, 11};
  loadSpriteAnimation(sword, 1, 3, swing1);
  loadSpriteAnimation(sword, 4, 3, swing4);
  loadSpriteAnimation(sword, 2, 3, swing2);
  loadSpriteAnimation(sword, 3, 3, swing3);
  setSpriteAnimationSpeed(sword, kEffectSpeed);
  setSpriteAnimation(sword, 1);

  Sprite& hit = battle.hitSprite;
  createFrames(hit, 56, 72, kEffectAttributes);
  loadBitmapFile(bitmapFile, "hit.bmp");
  for (int f = 0; f < 4; ++f) loadSpriteFrame(hit, bitmapFile, f, f, 0, 0);
  for (int f = 4; f < 9; ++f) loadSpriteFrame(hit, bitmapFile, f, f - 4, 1, 0);
  unloadBitmapFile(bitmapFile);
  setSpritePosition(hit, 0, 0);
  hideSprite(hit);
  const int hitFrames[] = {0, 1, 2, 3};
  const int missFrames[] = {4, 5, 6, 7, 8};
  loadSpriteAnimation(hit, 0, 4, hitFrames);
  loadSpriteAnimation(hit, 1, 5, missFrames);
  setSpriteAnimationSpeed(hit, kEffectSpeed);
  setSpriteAnimation(hit, 0);
  return 1;
}

// The battle chose the slot and places the sprite on the combatant's cell once its frames are in.
void BattleView::createUnitSprite(Sprite& sprite, const Character& combatant) {
  createFrames(sprite, 56, 56, kUnitAttributes);
  loadBitmapFile(bitmapFile, combatant.pictureFile);
  for (int f = 0; f < 4; ++f) loadSpriteFrame(sprite, bitmapFile, f, f, 0, 0);
  unloadBitmapFile(bitmapFile);
}

}  // namespace varnholt
