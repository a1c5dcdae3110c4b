#pragma once
// The platform layer: the only operations the game and its engine need from the operating system.
// A window with message polling and a quit request, a keyboard snapshot indexed by DirectInput key
// codes, a direct "is it down now" test for three keys, a millisecond clock with waits, presenting an
// 8-bit frame with its palette, and a text rasteriser. No SDL type appears here: the SDL2 backend and
// the headless backend both implement this interface, and everything above it is backend-agnostic.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnholt::platform {

// DirectInput key codes: indices into the 256-byte keyboard snapshot.
inline constexpr int DIK_ESCAPE = 0x01;
inline constexpr int DIK_BACK = 0x0E;
inline constexpr int DIK_RETURN = 0x1C;
inline constexpr int DIK_SPACE = 0x39;
inline constexpr int DIK_UP = 0xC8;
inline constexpr int DIK_LEFT = 0xCB;
inline constexpr int DIK_RIGHT = 0xCD;
inline constexpr int DIK_DOWN = 0xD0;
inline constexpr int DIK_NUMPADENTER = 0x9C;

// Keys that the game tests directly, outside the snapshot.
enum class DirectKey { Escape, Space, Return };

// Whether a direct test of `key` looks at the snapshot key `code`: Return is either Enter key.
constexpr bool directKeyHas(DirectKey key, int code) {
  switch (key) {
    case DirectKey::Escape:
      return code == DIK_ESCAPE;
    case DirectKey::Space:
      return code == DIK_SPACE;
    case DirectKey::Return:
      return code == DIK_RETURN || code == DIK_NUMPADENTER;
  }
  return false;
}

// A key going down or coming up, by DirectInput key code, at a time on the ticks() clock.
struct KeyEvent {
  std::uint8_t code = 0;
  bool down = false;
  std::uint32_t ticks = 0;
  bool operator==(const KeyEvent&) const = default;
};

// The mouse button (or touch) behind a pointer event. A touch is the primary button.
enum class PointerButton : std::uint8_t { None, Primary, Secondary };

// The mouse or a finger on the picture, in frame pixels: the backend maps window coordinates through the
// picture's placement, so (0, 0) is the frame's top-left pixel whatever the window's size or scaling.
// `inside` is false for a point on the letterbox bars or outside the window (x and y are then clamped to
// the frame's edge). Leave: the pointer left the window.
struct PointerEvent {
  enum class Kind : std::uint8_t { Move, Press, Release, Leave };
  Kind kind = Kind::Move;
  PointerButton button = PointerButton::None;
  bool touch = false;
  bool inside = false;
  int x = 0;
  int y = 0;
  std::uint32_t ticks = 0;  // on the ticks() clock
  bool operator==(const PointerEvent&) const = default;
};

// One palette entry as the display keeps it: red, green, blue, flags (4 bytes, in that order).
struct PaletteEntry {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t flags = 0;
};
static_assert(sizeof(PaletteEntry) == 4);

// Window messages the game's loop sees. Destroy is the request to end (Escape, the close button,
// SIGINT/SIGTERM); the game answers it by posting Quit, which ends the loop on a later turn.
enum class Message { None, Destroy, Quit };

// A rectangle of a frame: columns left to right - 1, rows top to bottom - 1.
struct FrameRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// An 8-bit frame handed to present(): `height` rows of `width` palette indices, `pitch` bytes apart.
struct Frame {
  const std::uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;
  const PaletteEntry* palette = nullptr;  // 256 entries
  // When the sender knows it: the only places where these pixels can differ from those of the frame it
  // presented before (with success), `changedCount` rectangles. Null: anywhere. A backend that keeps
  // the last frame may compare just these; it must not rely on them after a present that failed.
  const FrameRect* changed = nullptr;
  std::size_t changedCount = 0;
};

// A line of text rendered without anti-aliasing: one byte per pixel, non-zero where there is ink.
// The mask's top-left pixel is drawn at the position the text is drawn at.
struct TextMask {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> ink;
};

// Turns text into ink masks in the one font of the game. Implementations cache glyphs, so drawing the
// same text every frame does not rasterise it again.
class TextRasterizer {
 public:
  virtual ~TextRasterizer() = default;
  // Renders `text` on one line into `out`. Returns false (and leaves `out` empty) when there is
  // nothing to draw.
  virtual bool render(std::string_view text, TextMask& out) = 0;
  // The same mask without a copy: valid until the next call on this rasteriser; null when there is
  // nothing to draw. This one renders into a mask of its own; a rasteriser with a cache hands out the
  // mask it keeps.
  virtual const TextMask* renderKept(std::string_view text) { return render(text, kept_) ? &kept_ : nullptr; }
  // Distance in pixels from one line of text to the next; fits the game's 15-pixel layout.
  virtual int lineHeight() const = 0;

 private:
  TextMask kept_;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Opens the borderless window of the given size (or, headless, nothing). False on failure, with
  // lastError() saying why.
  virtual bool openWindow(std::string_view title, int width, int height) = 0;
  virtual void closeWindow() = 0;
  virtual void hideMousePointer() = 0;
  // Shows or hides the mouse pointer over the window again; the shell shows it while the mouse moves.
  virtual void setMousePointerShown(bool shown) { (void)shown; }

  // Takes at most one pending message; Message::None when there is none. Never blocks.
  virtual Message peekMessage() = 0;
  // Appends a message to the queue (the game posts Destroy on Escape/Space and Quit in answer to Destroy).
  virtual void postMessage(Message message) = 0;

  // Keyboard: fills the 256-byte snapshot indexed by DirectInput key code, non-zero meaning down.
  virtual bool readKeyboard(std::uint8_t (&state)[256]) = 0;
  // Whether the key is down at this moment.
  virtual bool isKeyDown(DirectKey key) = 0;
  // Appends the key changes since the last call, oldest first, so that a press shorter than a frame is
  // still seen. A backend that knows only the keys' current state appends nothing.
  virtual void takeKeyEvents(std::vector<KeyEvent>& events) { (void)events; }
  // Appends the mouse and touch events since the last call, oldest first. The game itself never asks;
  // only the shell's layers around it do. A backend without a pointer appends nothing.
  virtual void takePointerEvents(std::vector<PointerEvent>& events) { (void)events; }

  // Milliseconds since some fixed start; wraps at 2^32.
  virtual std::uint32_t ticks() = 0;
  // Returns once ticks() has reached `deadline` (compared wrap-safe: ticks() - deadline as a signed
  // 32-bit difference is >= 0). SDL sleeps most of the wait and keeps the window responsive; headless
  // moves its virtual clock straight to the deadline.
  virtual void waitUntil(std::uint32_t deadline) = 0;

  // Shows an 8-bit frame through its palette. False when it could not be shown.
  virtual bool present(const Frame& frame) = 0;

  // The font used for all text; null when it could not be loaded (lastError() names the font).
  virtual TextRasterizer* textRasterizer() = 0;

  // True once for every screenshot request the user made (F12) since the last call.
  virtual bool takeScreenshotRequest() { return false; }

  // True from the moment the user asked from outside the game for it to end (the window's close
  // button, SIGINT, SIGTERM): the game then ends at once, even inside a long frame.
  virtual bool quitRequested() { return false; }

  // A one-line description of the last failure.
  virtual const std::string& lastError() const = 0;
};

// The platform the engine and the game use. Null until a backend is installed.
Platform* current();
void setCurrent(Platform* platform);

}  // namespace varnholt::platform
