// Sprites: creation of the frame surfaces, frames cut from pictures, stored sequences, drawing at the
// truncated position, the three animation modes and movement with wrapping or bouncing.
#include "engine/sprite.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/display.h"

namespace varnholt {

int createSprite(Sprite& sprite, int x, int y, int width, int height, int frameCount, int attributes,
                 int memoryFlags, int colorKey, int bitsPerPixel) {
  // Everything of an earlier creation goes first, so re-creating a sprite in place leaks nothing.
  sprite = Sprite{};
  sprite.state = 1;
  sprite.animState = 0;
  sprite.attributes = attributes;
  sprite.frameCount = frameCount;
  sprite.bitsPerPixel = bitsPerPixel;
  sprite.x = static_cast<float>(x);
  sprite.y = static_cast<float>(y);
  sprite.width = width;
  sprite.height = height;
  if (frameCount < 0 || frameCount > SPRITE_MAX_FRAMES) return 0;
  sprite.frames.reserve(static_cast<std::size_t>(frameCount));
  for (int i = 0; i < frameCount; ++i) {
    Surface frame;
    if (!initSurface(frame, width, height, memoryFlags | DDSCAPS_OFFSCREENPLAIN)) return 0;
    setColorKey(frame, colorKey);
    sprite.frames.push_back(std::move(frame));
  }
  return 1;
}

int loadSpriteFrame(Sprite& sprite, const BitmapFile& bitmap, int frame, int cx, int cy, int mode) {
  if (frame < 0 || static_cast<std::size_t>(frame) >= sprite.frames.size()) return 0;
  if (bitmap.pixels.empty() || (mode != IMAGE_CELL_MODE && mode != IMAGE_PIXEL_MODE)) return 0;
  Surface& surface = sprite.frames[static_cast<std::size_t>(frame)];
  if (surface.locked) return 0;
  copyPictureCell(bitmap, cx, cy, mode, surface.width, surface.height, surface.pixels.data(), surface.pitch);
  sprite.attributes |= SPRITE_LOADED;
  return 1;
}

int loadSpriteAnimation(Sprite& sprite, int slot, int count, const int* frameIndices) {
  if (slot < 0 || slot >= SPRITE_MAX_ANIMATIONS || count < 0 || (count > 0 && !frameIndices)) return 0;
  std::vector<int> sequence(frameIndices, frameIndices + count);
  sequence.push_back(-1);
  sprite.animations[static_cast<std::size_t>(slot)] = std::move(sequence);
  return 1;
}

namespace {

// A float position or edge as an int, truncated toward zero. Values beyond any surface are held at a
// distance that is still off every surface, so the conversion stays defined.
int truncateCoordinate(float value) {
  constexpr float LIMIT = 1.0e8f;
  if (value > LIMIT) return static_cast<int>(LIMIT);
  if (value < -LIMIT) return -static_cast<int>(LIMIT);
  return static_cast<int>(value);
}

}  // namespace

int drawSprite(Sprite& sprite, Surface* destination) {
  if (!(sprite.attributes & SPRITE_VISIBLE)) return 1;
  if (!destination || destination->locked) return 0;
  if (sprite.currentFrame < 0 || static_cast<std::size_t>(sprite.currentFrame) >= sprite.frames.size())
    return 0;
  // A position that is not a number is nowhere on screen.
  if (std::isnan(sprite.x) || std::isnan(sprite.y)) return 1;
  const Surface& frame = sprite.frames[static_cast<std::size_t>(sprite.currentFrame)];
  // The edges are summed in floating point and each truncated, so a sprite left of the screen edge can
  // come out one pixel narrower (and is then scaled to fit, as the display would).
  const RECT dst{truncateCoordinate(sprite.x), truncateCoordinate(sprite.y),
                 truncateCoordinate(sprite.x + static_cast<float>(sprite.width)),
                 truncateCoordinate(sprite.y + static_cast<float>(sprite.height))};
  if (isEmptyRect(dst)) return 1;
  const RECT src{0, 0, sprite.width, sprite.height};
  return blitSurface(*destination, dst, frame, src, true) ? 1 : 0;
}

int animateSprite(Sprite& sprite) {
  if (sprite.attributes & SPRITE_SINGLE_FRAME) {
    sprite.currentFrame = 0;
    return 1;
  }
  if (sprite.attributes & SPRITE_MULTI_FRAME) {
    if (++sprite.animCounter >= sprite.animSpeed) {
      sprite.animCounter = 0;
      if (++sprite.currentFrame >= sprite.frameCount) sprite.currentFrame = 0;
    }
    return 1;
  }
  if (sprite.attributes & SPRITE_MULTI_ANIMATION) {
    if (sprite.currentAnimation < 0 || sprite.currentAnimation >= SPRITE_MAX_ANIMATIONS) return 0;
    const std::vector<int>& sequence = sprite.animations[static_cast<std::size_t>(sprite.currentAnimation)];
    // A slot without frames (nothing stored, or only the end mark) has nothing to show.
    if (sequence.size() < 2) return 0;
    if (++sprite.animCounter < sprite.animSpeed) return 1;
    sprite.animCounter = 0;
    const int last = static_cast<int>(sequence.size()) - 2;
    const int next = sprite.animIndex + 1;
    // An index past the end mark (the slot was switched without a reset) counts as the end.
    const int value = next >= 0 && next <= last ? sequence[static_cast<std::size_t>(next)] : -1;
    if (value != -1) {
      sprite.animIndex = next;
      sprite.currentFrame = value;
    } else if (sprite.attributes & SPRITE_ANIMATE_ONCE) {
      sprite.animState = 1;
      sprite.animIndex = std::clamp(next - 1, 0, last);
      sprite.currentFrame = sequence[static_cast<std::size_t>(sprite.animIndex)];
    } else {
      sprite.animIndex = 0;
      sprite.currentFrame = sequence[0];
    }
    return 1;
  }
  return 1;
}

int moveSprite(Sprite& sprite) {
  return moveSprite(sprite, ClipBounds{clipMinX, clipMinY, clipMaxX, clipMaxY});
}

int moveSprite(Sprite& sprite, const ClipBounds& bounds) {
  sprite.x += sprite.xVelocity;
  sprite.y += sprite.yVelocity;
  const auto f = [](long long value) { return static_cast<float>(value); };
  if (sprite.attributes & SPRITE_WRAP) {
    if (sprite.x > f(bounds.maxX)) {
      sprite.x = f(static_cast<long long>(bounds.minX) - sprite.width);
    } else if (sprite.x < f(static_cast<long long>(bounds.minX) - sprite.width)) {
      sprite.x = f(bounds.maxX);
    }
    if (sprite.y > f(bounds.maxY)) {
      sprite.y = f(static_cast<long long>(bounds.minY) - sprite.height);
    } else if (sprite.y < f(static_cast<long long>(bounds.minY) - sprite.height)) {
      sprite.y = f(bounds.maxY);
    }
  } else if (sprite.attributes & SPRITE_BOUNCE) {
    if (sprite.x > f(static_cast<long long>(bounds.maxX) - sprite.width) || sprite.x < f(bounds.minX))
      sprite.xVelocity = -sprite.xVelocity;
    if (sprite.y > f(static_cast<long long>(bounds.maxY) - sprite.height) || sprite.y < f(bounds.minY))
      sprite.yVelocity = -sprite.yVelocity;
  }
  return 1;
}

int setSpritePosition(Sprite& sprite, int x, int y) {
  sprite.x = static_cast<float>(x);
  sprite.y = static_cast<float>(y);
  return 1;
}

int setSpriteVelocity(Sprite& sprite, int xVelocity, int yVelocity) {
  sprite.xVelocity = static_cast<float>(xVelocity);
  sprite.yVelocity = static_cast<float>(yVelocity);
  return 1;
}

int setSpriteAnimationSpeed(Sprite& sprite, int speed) {
  sprite.animSpeed = speed;
  return 1;
}

int setSpriteAnimation(Sprite& sprite, int slot) {
  if (slot < 0 || slot >= SPRITE_MAX_ANIMATIONS) return 0;
  sprite.currentAnimation = slot;
  sprite.animIndex = 0;
  return 1;
}

int hideSprite(Sprite& sprite) {
  sprite.attributes &= ~SPRITE_VISIBLE;
  return 1;
}

int showSprite(Sprite& sprite) {
  sprite.attributes |= SPRITE_VISIBLE;
  return 1;
}

}  // namespace varnholt
