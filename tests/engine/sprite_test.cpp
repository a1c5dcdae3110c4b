// Sprites: animation stepping in its three modes, movement with wrap and bounce, drawing at truncated
// positions with the colour key and clipping, and frames cut from sheets.
#include "engine_test_support.h"

namespace varnholt::test {
namespace {

using SpriteTest = EngineTest;

Sprite makeSprite(int attributes, int frameCount = 4, int width = 56, int height = 56) {
  Sprite sprite;
  EXPECT_EQ(createSprite(sprite, 0, 0, width, height, frameCount, attributes, DDSCAPS_SYSTEMMEMORY, 0, 8), 1);
  return sprite;
}

TEST_F(SpriteTest, MultiFrameStepsThroughAllFramesAndSingleFrameStaysOnTheFirst) {
  Sprite sprite = makeSprite(SPRITE_MULTI_FRAME);
  std::vector<int> shown;
  for (int call = 0; call < 5; ++call) {
    animateSprite(sprite);
    shown.push_back(sprite.currentFrame);
  }
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 0, 1}));

  Sprite single = makeSprite(SPRITE_SINGLE_FRAME | SPRITE_MULTI_FRAME);
  single.currentFrame = 3;
  animateSprite(single);
  EXPECT_EQ(single.currentFrame, 0);
}

TEST_F(SpriteTest, SequencesStepEverySpeedCallsAndRepeatOrRestOnTheirLastFrame) {
  const int sequence[] = {0, 1, 2};
  struct Case {
    int attributes;
    int frameAt15;
    int frameAt20;
    int animStateAt20;
  };
  for (const Case c :
       {Case{SPRITE_MULTI_ANIMATION, 0, 1, 0}, Case{SPRITE_MULTI_ANIMATION | SPRITE_ANIMATE_ONCE, 2, 2, 1}}) {
    SCOPED_TRACE(c.attributes);
    Sprite sprite = makeSprite(c.attributes);
    ASSERT_EQ(loadSpriteAnimation(sprite, 1, 3, sequence), 1);
    ASSERT_EQ(setSpriteAnimation(sprite, 1), 1);
    setSpriteAnimationSpeed(sprite, 5);
    for (int call = 1; call <= 20; ++call) {
      animateSprite(sprite);
      const int expected = call < 5    ? 0
                           : call < 10 ? 1
                           : call < 15 ? 2
                           : call < 20 ? c.frameAt15
                                       : c.frameAt20;
      ASSERT_EQ(sprite.currentFrame, expected) << call;
    }
    EXPECT_EQ(sprite.currentFrame, c.frameAt20);
    EXPECT_EQ(sprite.animState, c.animStateAt20);
  }
}

TEST_F(SpriteTest, ChoosingASequenceResetsOnlyItsPosition) {
  Sprite sprite = makeSprite(SPRITE_MULTI_ANIMATION, 8);
  const int walk[] = {4, 5, 6};
  loadSpriteAnimation(sprite, 2, 3, walk);
  sprite.currentFrame = 7;
  sprite.animCounter = 3;
  setSpriteAnimation(sprite, 2);
  EXPECT_EQ(sprite.currentFrame, 7);
  EXPECT_EQ(sprite.animCounter, 3);
  animateSprite(sprite);
  EXPECT_EQ(sprite.currentFrame, 5);  // the second entry comes first

  // Switched to a shorter sequence behind the operation's back: the stale position counts as its end.
  const int shortOne[] = {1};
  loadSpriteAnimation(sprite, 3, 1, shortOne);
  sprite.currentAnimation = 3;
  sprite.animIndex = 2;
  sprite.attributes |= SPRITE_ANIMATE_ONCE;
  EXPECT_EQ(animateSprite(sprite), 1);
  EXPECT_EQ(sprite.currentFrame, 1);
  EXPECT_EQ(sprite.animIndex, 0);
}

TEST_F(SpriteTest, EmptyOrOutOfRangeSlotsChangeNothing) {
  Sprite sprite = makeSprite(SPRITE_MULTI_ANIMATION);
  sprite.currentFrame = 2;
  EXPECT_EQ(animateSprite(sprite), 0);  // nothing stored in slot 0
  ASSERT_EQ(loadSpriteAnimation(sprite, 0, 0, nullptr), 1);
  EXPECT_EQ(animateSprite(sprite), 0);  // only the end mark
  EXPECT_EQ(setSpriteAnimation(sprite, 16), 0);
  EXPECT_EQ(setSpriteAnimation(sprite, -1), 0);
  sprite.currentAnimation = 40;
  EXPECT_EQ(animateSprite(sprite), 0);
  EXPECT_EQ(sprite.currentFrame, 2);
  EXPECT_EQ(sprite.animCounter, 0);
  EXPECT_EQ(loadSpriteAnimation(sprite, 16, 1, nullptr), 0);
}

TEST_F(SpriteTest, MovementBouncesOrWrapsAtTheClipRectangle) {
  const ClipBounds screen{0, 0, 799, 599};
  Sprite bounce = makeSprite(SPRITE_BOUNCE);
  bounce.x = 790;
  setSpriteVelocity(bounce, 2, 0);
  moveSprite(bounce, screen);
  EXPECT_FLOAT_EQ(bounce.x, 792);
  EXPECT_FLOAT_EQ(bounce.xVelocity, -2);

  struct Case {
    float x, y, vx, vy;
    float endX, endY;
  };
  for (const Case c :
       {Case{798, 10, 2, 0, -56, 10}, Case{-58, 10, -2, 0, 799, 10}, Case{10, 590, 0, 10, 10, -56},
        Case{10, -50, 0, -10, 10, 599}, Case{-56, -56, 0, 0, -56, -56}}) {
    Sprite wrap = makeSprite(SPRITE_WRAP | SPRITE_BOUNCE);
    wrap.x = c.x;
    wrap.y = c.y;
    wrap.xVelocity = c.vx;
    wrap.yVelocity = c.vy;
    moveSprite(wrap, screen);
    EXPECT_FLOAT_EQ(wrap.x, c.endX) << c.x;
    EXPECT_FLOAT_EQ(wrap.y, c.endY) << c.y;
    EXPECT_FLOAT_EQ(wrap.xVelocity, c.vx);  // wrapping takes precedence over bouncing
  }
}

// A back buffer of 100 x 80 filled with 9, and a 56 x 56 sprite whose frame 0 is 3 except a transparent
// first column.
struct DrawSetup {
  Sprite sprite;
  DrawSetup() {
    EXPECT_EQ(initDisplay(100, 80, 8, 0), 1);
    fillSurface(backBuffer, 9);
    sprite = makeSprite(SPRITE_VISIBLE, 2);
    Surface& frame = sprite.frames[0];
    for (int y = 0; y < 56; ++y) {
      for (int x = 1; x < 56; ++x) frame.pixels[y * frame.pitch + x] = 3;
    }
  }
  int at(int x, int y) const { return backBuffer->pixels[y * backBuffer->pitch + x]; }
  int countOf(int value) const {
    int n = 0;
    for (int y = 0; y < backBuffer->height; ++y) {
      for (int x = 0; x < backBuffer->width; ++x) n += at(x, y) == value;
    }
    return n;
  }
};

TEST_F(SpriteTest, DrawingTruncatesThePositionAndSkipsTheColourKey) {
  DrawSetup s;
  s.sprite.x = 10.7f;
  s.sprite.y = 2.2f;
  ASSERT_EQ(drawSprite(s.sprite, backBuffer), 1);
  EXPECT_EQ(s.at(10, 2), 9);  // the key column
  EXPECT_EQ(s.at(11, 2), 3);
  EXPECT_EQ(s.at(65, 57), 3);
  EXPECT_EQ(s.at(66, 57), 9);
  EXPECT_EQ(s.at(30, 58), 9);
  EXPECT_EQ(s.countOf(3), 55 * 56);

  hideSprite(s.sprite);
  fillSurface(backBuffer, 9);
  EXPECT_EQ(drawSprite(s.sprite, backBuffer), 1);
  EXPECT_EQ(s.countOf(9), 100 * 80);
}

TEST_F(SpriteTest, DrawingIsCutToTheSurfaceAndRefusesMissingFramesOrLockedTargets) {
  DrawSetup s;
  // Off the bottom right and, one pixel narrower after truncation toward zero, off the top left.
  s.sprite.x = 80;
  s.sprite.y = 70;
  ASSERT_EQ(drawSprite(s.sprite, backBuffer), 1);
  EXPECT_EQ(s.countOf(3), 19 * 10);
  s.sprite.x = -10.5f;
  s.sprite.y = -10.5f;
  ASSERT_EQ(drawSprite(s.sprite, backBuffer), 1);
  EXPECT_EQ(s.at(44, 44), 3);
  EXPECT_EQ(s.at(45, 20), 9);
  s.sprite.x = 1e30f;
  EXPECT_EQ(drawSprite(s.sprite, backBuffer), 1);

  s.sprite.x = 0;
  s.sprite.currentFrame = 2;
  EXPECT_EQ(drawSprite(s.sprite, backBuffer), 0);
  s.sprite.currentFrame = -1;
  EXPECT_EQ(drawSprite(s.sprite, backBuffer), 0);
  s.sprite.currentFrame = 0;
  lockBackBuffer();
  EXPECT_EQ(drawSprite(s.sprite, backBuffer), 0);
  unlockBackBuffer();
  EXPECT_EQ(drawSprite(s.sprite, nullptr), 0);
}

TEST_F(SpriteTest, FramesComeFromSheetCellsAndOnlyFromInsideThePicture) {
  BitmapFile sheet;
  sheet.infoHeader.biWidth = 240;
  sheet.infoHeader.biHeight = 50;
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 240; ++x) sheet.pixels.push_back(static_cast<std::uint8_t>(x ^ y));
  }
  Sprite sprite = makeSprite(0, 3, 56, 40);
  ASSERT_EQ(loadSpriteFrame(sprite, sheet, 1, 3, 0, IMAGE_CELL_MODE), 1);
  const Surface& frame = sprite.frames[1];
  EXPECT_EQ(frame.pixels[0], 172 ^ 1);
  EXPECT_EQ(frame.pixels[39 * frame.pitch + 55], 227 ^ 40);
  EXPECT_TRUE(sprite.attributes & SPRITE_LOADED);

  ASSERT_EQ(loadSpriteFrame(sprite, sheet, 2, 200, 20, IMAGE_PIXEL_MODE), 1);
  EXPECT_EQ(sprite.frames[2].pixels[29 * frame.pitch + 39], 239 ^ 49);
  EXPECT_EQ(sprite.frames[2].pixels[29 * frame.pitch + 40], 0);
  EXPECT_EQ(sprite.frames[2].pixels[30 * frame.pitch], 0);

  EXPECT_EQ(loadSpriteFrame(sprite, sheet, 3, 0, 0, IMAGE_CELL_MODE), 0);
  EXPECT_EQ(loadSpriteFrame(sprite, sheet, -1, 0, 0, IMAGE_CELL_MODE), 0);
  EXPECT_EQ(loadSpriteFrame(sprite, BitmapFile{}, 0, 0, 0, IMAGE_CELL_MODE), 0);
}

TEST_F(SpriteTest, CreatingAgainReleasesEarlierFramesAndSequences) {
  Sprite sprite = makeSprite(SPRITE_VISIBLE, 32);
  const int frames[] = {1, 2};
  loadSpriteAnimation(sprite, 5, 2, frames);
  sprite.currentFrame = 9;
  ASSERT_EQ(createSprite(sprite, 3, 4, 8, 8, 2, 0, 0, 0, 8), 1);
  EXPECT_EQ(sprite.frames.size(), 2u);
  EXPECT_TRUE(sprite.animations[5].empty());
  EXPECT_EQ(sprite.currentFrame, 0);
  EXPECT_FLOAT_EQ(sprite.x, 3);
  EXPECT_EQ(createSprite(sprite, 0, 0, 8, 8, SPRITE_MAX_FRAMES + 1, 0, 0, 0, 8), 0);
  EXPECT_TRUE(sprite.frames.empty());
}

}  // namespace
}  // namespace varnholt::test
