#pragma once
// Records a played session as a key script: for every frame, what the game's direct key tests and
// keyboard reads actually saw. Replaying the script gives the game the same answers, so the session
// replays to the same state. A direct test is written into the state that a replayed test consults (the
// latest read of the frame, or the frame's own state before any read), which keeps an intro page's
// Enter test faithful even when the key changed between the read and the test.

#include <cstdint>
#include <ostream>
#include <vector>

#include "app/key_script.h"
#include "app/platform_decorator.h"

namespace varnholt::app {

// What one frame saw: the frame-level answers (keys tested before the first read) and every read.
struct RecordedFrame {
  KeySet testedBeforeRead = 0;  // which keys were tested directly before the first read
  KeySet downBeforeRead = 0;    // which of those were found down
  std::vector<KeySet> reads;
};

// Turns recorded frames into script lines, merging runs of frames that hold the same keys and have no
// read of their own into one "N-M keys" line.
class KeyScriptWriter {
 public:
  explicit KeyScriptWriter(std::ostream& out) : out_(out) {}
  ~KeyScriptWriter() { finish(); }
  KeyScriptWriter(const KeyScriptWriter&) = delete;
  KeyScriptWriter& operator=(const KeyScriptWriter&) = delete;

  void writeFrame(int frame, const RecordedFrame& recorded);
  // Writes the pending run; further frames may still follow.
  void finish();
  // Names `frame` with no keys held, to mark where the session ended.
  void writeEnd(int frame);
  // The highest frame a written or pending line names.
  int lastNamedFrame() const { return lastNamed_; }

 private:
  std::ostream& out_;
  int runStart_ = 0;
  int runEnd_ = 0;
  KeySet runKeys_ = 0;
  int lastNamed_ = 0;
};

class KeyRecorder : public PlatformDecorator {
 public:
  KeyRecorder(platform::Platform& inner, std::ostream& out) : PlatformDecorator(inner), writer_(out) {}

  // Called by the loop before each frame (from 1); writes the frame before it.
  void beginFrame(int frame);
  // Writes the last frame and everything pending, and marks the session's length.
  void finish();
  // Writes the frame under way and everything pending, so what was written covers the session up to
  // here; the next frame starts a line of its own. Called between frames.
  void flush();

  bool readKeyboard(std::uint8_t (&state)[256]) override;
  bool isKeyDown(platform::DirectKey key) override;

 private:
  KeyScriptWriter writer_;
  int frame_ = 0;
  RecordedFrame current_;
};

}  // namespace varnholt::app
