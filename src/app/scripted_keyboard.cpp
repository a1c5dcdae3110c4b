// Answers keyboard reads and direct key tests from a key script.
#include "app/scripted_keyboard.h"

#include "app/frame_stop.h"

namespace varnholt::app {

bool directKeyIn(platform::DirectKey key, KeySet keys) {
  switch (key) {
    case platform::DirectKey::Escape:
      return (keys & KEY_ESCAPE) != 0;
    case platform::DirectKey::Space:
      return (keys & KEY_SPACE) != 0;
    case platform::DirectKey::Return:
      return (keys & KEY_ENTER) != 0;
  }
  return false;
}

void ScriptedKeyboard::beginFrame(int frame) {
  frame_ = frame;
  reads_ = 0;
  frameKeys_ = script_.frameKeys(frame);
  latestRead_ = frameKeys_;
}

bool ScriptedKeyboard::readKeyboard(std::uint8_t (&state)[256]) {
  if (++reads_ > readLimit_) throw FrameStop::stuck(frame_);
  latestRead_ = script_.readKeys(frame_, reads_);
  keySetToSnapshot(latestRead_, state);
  return true;
}

bool ScriptedKeyboard::isKeyDown(platform::DirectKey key) {
  // Before the frame's first read this is the frame-level state (the Escape/Space test); afterwards the
  // state of the latest read, which is what a direct test after an intro page sees.
  return directKeyIn(key, latestRead_);
}

}  // namespace varnholt::app
