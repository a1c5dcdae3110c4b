// Recording the keys a session saw and writing them as a key script.
#include "app/key_recorder.h"

#include "app/scripted_keyboard.h"

namespace varnholt::app {
namespace {

KeySet bitOf(platform::DirectKey key) {
  switch (key) {
    case platform::DirectKey::Escape:
      return KEY_ESCAPE;
    case platform::DirectKey::Space:
      return KEY_SPACE;
    case platform::DirectKey::Return:
      return KEY_ENTER;
  }
  return 0;
}

}  // namespace

void KeyScriptWriter::writeFrame(int frame, const RecordedFrame& recorded) {
  // The frame-level state answers the tests made before the first read exactly; its other keys are taken
  // from the first read so that a frame whose reads all agree needs no read lines.
  KeySet frameKeys = recorded.downBeforeRead;
  if (!recorded.reads.empty()) {
    frameKeys |= static_cast<KeySet>(recorded.reads.front() & ~recorded.testedBeforeRead);
  }
  bool readsAgree = true;
  for (KeySet read : recorded.reads) readsAgree = readsAgree && read == frameKeys;

  if (readsAgree && runStart_ != 0 && runEnd_ + 1 == frame && runKeys_ == frameKeys) {
    runEnd_ = lastNamed_ = frame;
    return;
  }
  finish();
  if (readsAgree) {
    if (frameKeys != 0) {
      lastNamed_ = frame;
      runStart_ = runEnd_ = frame;
      runKeys_ = frameKeys;
    }
    return;
  }
  lastNamed_ = frame;
  if (frameKeys != 0) out_ << frame << ' ' << formatKeySet(frameKeys) << '\n';
  for (std::size_t i = 0; i < recorded.reads.size(); ++i) {
    if (recorded.reads[i] != frameKeys)
      out_ << frame << '.' << i + 1 << ' ' << formatKeySet(recorded.reads[i]) << '\n';
  }
}

void KeyScriptWriter::writeEnd(int frame) {
  finish();
  out_ << frame << " -\n";
  lastNamed_ = frame;
  out_.flush();
}

void KeyScriptWriter::finish() {
  if (runStart_ != 0) {
    out_ << runStart_;
    if (runEnd_ != runStart_) out_ << '-' << runEnd_;
    out_ << ' ' << formatKeySet(runKeys_) << '\n';
    runStart_ = runEnd_ = 0;
  }
  out_.flush();
}

void KeyRecorder::beginFrame(int frame) {
  if (frame_ != 0) writer_.writeFrame(frame_, current_);
  frame_ = frame;
  current_ = RecordedFrame{};
}

void KeyRecorder::finish() {
  if (frame_ != 0) writer_.writeFrame(frame_, current_);
  writer_.finish();
  // A replay runs one frame past the last frame its script names: naming the frame before the session's
  // last makes it run as many frames as the session did.
  if (frame_ > 1 && writer_.lastNamedFrame() < frame_ - 1) writer_.writeEnd(frame_ - 1);
  frame_ = 0;
  current_ = RecordedFrame{};
}

void KeyRecorder::flush() {
  if (frame_ != 0) writer_.writeFrame(frame_, current_);
  writer_.finish();
  frame_ = 0;
  current_ = RecordedFrame{};
}

bool KeyRecorder::readKeyboard(std::uint8_t (&state)[256]) {
  bool ok = PlatformDecorator::readKeyboard(state);
  current_.reads.push_back(snapshotToKeySet(state));
  return ok;
}

bool KeyRecorder::isKeyDown(platform::DirectKey key) {
  bool down = PlatformDecorator::isKeyDown(key);
  KeySet bit = bitOf(key);
  if (current_.reads.empty()) {
    current_.testedBeforeRead |= bit;
    current_.downBeforeRead = static_cast<KeySet>((current_.downBeforeRead & ~bit) | (down ? bit : 0));
  } else {
    KeySet& latest = current_.reads.back();
    latest = static_cast<KeySet>((latest & ~bit) | (down ? bit : 0));
  }
  return down;
}

}  // namespace varnholt::app
