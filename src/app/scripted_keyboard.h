#pragma once
// The keyboard of a replayed session: every keyboard read and every direct key test answers from a key
// script instead of the real keys. The frame loop tells it when a frame starts; a frame that keeps
// reading the keyboard without end (an intro page whose Enter never comes) is stopped: the read past the
// limit throws FrameStop::stuck.

#include "app/key_script.h"
#include "app/platform_decorator.h"

namespace varnholt::app {

class ScriptedKeyboard : public PlatformDecorator {
 public:
  static constexpr int kDefaultReadLimit = 100000;

  ScriptedKeyboard(platform::Platform& inner, const KeyScript& script, int readLimit = kDefaultReadLimit)
      : PlatformDecorator(inner), script_(script), readLimit_(readLimit) {}

  // Called by the loop before each call of the frame function, with the frame's number (from 1).
  void beginFrame(int frame);

  bool readKeyboard(std::uint8_t (&state)[256]) override;
  bool isKeyDown(platform::DirectKey key) override;

  int readsInFrame() const { return reads_; }

 private:
  const KeyScript& script_;
  int readLimit_;
  int frame_ = 0;
  int reads_ = 0;
  KeySet frameKeys_ = 0;
  KeySet latestRead_ = 0;
};

// Whether a direct key test of `key` finds it in `keys`.
bool directKeyIn(platform::DirectKey key, KeySet keys);

}  // namespace varnholt::app
