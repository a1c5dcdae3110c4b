#pragma once
// Animated colour-keyed sprites: up to 64 frames of one size, each an off-screen surface, cut from a
// loaded BitmapFile; drawn at a floating-point position with index-keyed transparency; animated through
// all frames or one of 16 stored sequences, at a speed counted in calls; moved by a velocity with
// wrapping or bouncing at the clip rectangle.

#include <array>
#include <vector>

#include "engine/bitmap.h"
#include "engine/surface.h"

namespace varnholt {

inline constexpr int SPRITE_SINGLE_FRAME = 0x1;
inline constexpr int SPRITE_MULTI_FRAME = 0x2;
inline constexpr int SPRITE_MULTI_ANIMATION = 0x4;
inline constexpr int SPRITE_ANIMATE_ONCE = 0x8;
inline constexpr int SPRITE_VISIBLE = 0x10;
inline constexpr int SPRITE_BOUNCE = 0x20;
inline constexpr int SPRITE_WRAP = 0x40;
inline constexpr int SPRITE_LOADED = 0x80;

inline constexpr int SPRITE_MAX_FRAMES = 64;
inline constexpr int SPRITE_MAX_ANIMATIONS = 16;

struct Sprite {
  int state = 0;      // 1 once created
  int animState = 0;  // 1 once an animate-once sequence has reached its end
  int attributes = 0;
  float x = 0.0f;
  float y = 0.0f;
  float xVelocity = 0.0f;
  float yVelocity = 0.0f;
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  int currentFrame = 0;
  int frameCount = 0;
  int currentAnimation = 0;
  int animCounter = 0;
  int animIndex = 0;
  int animSpeed = 0;
  // Sequences of frame indices, each ended by -1; an empty vector is an empty slot.
  std::array<std::vector<int>, SPRITE_MAX_ANIMATIONS> animations;
  // The frame surfaces that exist (frameCount of them after a successful creation).
  std::vector<Surface> frames;
};

// The inclusive rectangle moveSprite wraps and bounces at.
struct ClipBounds {
  int minX = 0;
  int minY = 0;
  int maxX = 0;
  int maxY = 0;
};

// Initialises every field and creates frameCount frame surfaces of width x height with the colour key.
// Frames and sequences of an earlier creation are released. 0 for a frame count outside 0 to 64 or a
// size outside 1 to 8192.
int createSprite(Sprite& sprite, int x, int y, int width, int height, int frameCount, int attributes,
                 int memoryFlags, int colorKey, int bitsPerPixel);
// Copies cell (cx, cy) (IMAGE_CELL_MODE; cells of the sprite's size with one-pixel borders) or the
// rectangle at (cx, cy) (IMAGE_PIXEL_MODE) of `bitmap` into frame `frame`; only what lies inside the picture,
// the rest 0. 0 for a frame that does not exist or a picture without pixels.
int loadSpriteFrame(Sprite& sprite, const BitmapFile& bitmap, int frame, int cx, int cy, int mode);
// Stores a copy of the `count` frame indices as sequence `slot`, ended by -1. 0 for a slot outside 0 to
// 15 or a negative count.
int loadSpriteAnimation(Sprite& sprite, int slot, int count, const int* frameIndices);
// Blits the current frame at the truncated position if visible. 1 (also when hidden or wholly off the
// surface), 0 for a missing or locked destination or a current frame that does not exist.
int drawSprite(Sprite& sprite, Surface* destination);
// Steps the frame by the animation mode. 0 when following a sequence whose slot is out of range or
// empty (nothing changes then).
int animateSprite(Sprite& sprite);
// Adds the velocity and wraps or bounces at the clip rectangle (clipMinX .. clipMaxY, or `bounds`).
int moveSprite(Sprite& sprite);
int moveSprite(Sprite& sprite, const ClipBounds& bounds);
int setSpritePosition(Sprite& sprite, int x, int y);
int setSpriteVelocity(Sprite& sprite, int xVelocity, int yVelocity);
int setSpriteAnimationSpeed(Sprite& sprite, int speed);
// currentAnimation becomes `slot` and animIndex 0; 0 for a slot outside 0 to 15 (nothing changes).
int setSpriteAnimation(Sprite& sprite, int slot);
int hideSprite(Sprite& sprite);
int showSprite(Sprite& sprite);

}  // namespace varnholt
