#pragma once
// The shell's dialogs, drawn over the picture on screen while no game frame runs, and a quit that asks.
//
// ShellDialog sits between the backend and the game (below the key recorder, so a recording holds only
// the keys the game saw). It keeps a copy of the last frame the game presented; to show a question it
// presents, straight to the backend below it, a composed copy of that frame with the dialog drawn over
// it in the palette indices nearest to the colours it wants, so the game's back buffer is never touched.
// While a question is open it reads the backend's keys itself and sleeps on the backend's own wait
// between looks; the keys that answer it never reach the game: a key still down when the dialog closes
// stays hidden from the game until it is let go. The window's close button, SIGINT and SIGTERM close the
// dialog with kClosed and leave the quit to the layers below.
//
// The mouse and touch answer a question too (unless switched off): the dialog takes the backend's pointer
// events while it is open; a mouse move over a row highlights it and shows the pointer, a primary press
// (a touch) on a row picks it, a secondary press picks `cancel`, and a press anywhere else does nothing.
// Pointer events that came before the question opened, and the releases of buttons whose presses the
// layers above saw, are kept for those layers; nothing else of the question's reaches them.
//
// QuitDialog adds a quit that asks: Escape and Space (the controller's Back arrives as Escape) are hidden
// from the game; a fresh press of either opens "Quit Varnholt?" at the start of the next frame. Quit
// hands the game its quit key on the following frame's quit test, so it ends as it always did and the
// recording shows Escape there; Keep playing returns to the game with the press used up. With an options
// menu set, a third choice, Options, opens it; leaving it returns to the quit question with Options
// highlighted. All of it happens inside the one question, so no game frame runs meanwhile.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/platform_decorator.h"
#include "platform/frame_hash.h"
#include "shell/choice_prompt.h"

namespace varnholt::shell {

class OptionsMenu;

// The colours a dialog asks for; each is drawn in the frame's palette entry nearest to it.
struct DialogColours {
  platform::PaletteEntry fill{16, 20, 36, 0};
  platform::PaletteEntry border{210, 210, 225, 0};
  platform::PaletteEntry text{235, 235, 235, 0};
  platform::PaletteEntry highlight{120, 90, 30, 0};
  platform::PaletteEntry highlightText{255, 230, 140, 0};
};

// The index in `palette` (256 entries) nearest to `colour` by squared distance; the lowest on a tie.
std::uint8_t nearestIndex(const platform::PaletteEntry* palette, const platform::PaletteEntry& colour);

// Where a dialog of this size sits on a frame: the box and the rows of its choices.
struct DialogLayout {
  platform::FrameRect box;
  int titleTop = 0;
  std::vector<platform::FrameRect> rows;  // one a choice, the highlight bar's extent
};

// The box of a dialog with this title and these choices, centred on a frame of this size; `text` may be
// null (no font), and then only the box and the highlight show.
DialogLayout layoutDialog(int width, int height, platform::TextRasterizer* text, std::string_view title,
                          const std::vector<std::string>& choices);

class ShellDialog : public app::PlatformDecorator, public ChoicePrompt {
 public:
  // How long the dialog sleeps between two looks at the keyboard.
  static constexpr std::uint32_t kStepMs = 20;

  using PlatformDecorator::PlatformDecorator;

  int ask(std::string_view title, const std::vector<std::string>& choices, int cancel) override {
    return askFrom(title, choices, cancel, 0);
  }
  int askFrom(std::string_view title, const std::vector<std::string>& choices, int cancel,
              int highlight) override;

  bool readKeyboard(std::uint8_t (&state)[256]) override;
  bool isKeyDown(platform::DirectKey key) override;
  void takeKeyEvents(std::vector<platform::KeyEvent>& events) override;
  void takePointerEvents(std::vector<platform::PointerEvent>& events) override;
  bool present(const platform::Frame& frame) override;

  // Whether the mouse and touch answer questions (the default). Switched off, the pointer events of a
  // question are taken and ignored, and a pointer the dialog showed is hidden again.
  void setPointerEnabled(bool enabled);
  bool pointerEnabled() const { return pointerEnabled_; }

  // The last frame the game presented, as kept (empty before the first).
  const std::vector<std::uint8_t>& keptPixels() const { return kept_.pixels; }
  // How many questions have been asked.
  int asked() const { return asked_; }

 protected:
  // While on, an answered question leaves its picture up for the next one, so the game's picture does
  // not flash between two questions in a row; restorePicture() then shows the game's picture again
  // (false when a quit came meanwhile).
  void setChained(bool chained) { chained_ = chained; }
  bool restorePicture();
  // Whether the key with this code is hidden from the game (a key that answered a dialog, still down).
  bool hidden(int code) const { return hidden_[static_cast<std::size_t>(code)]; }
  // Moves the backend's key events to pending_, for the game; screen() sees them first.
  void takeInnerEvents();
  // Looks at the events from index `from` of `events` as they come in from the backend; may take some out.
  virtual void screen(std::vector<platform::KeyEvent>& events, std::size_t from) {
    (void)events;
    (void)from;
  }
  // Key events kept for a game that does not take them (the frame key mode); the oldest go first.
  static constexpr std::size_t kEventLimit = 1024;
  std::vector<platform::KeyEvent> pending_;

 private:
  void compose(std::string_view title, const std::vector<std::string>& choices, int highlight);
  void presentKept();
  // Reads the backend's keys once and appends the codes freshly pressed since the last look.
  void look(std::vector<std::uint8_t>& pressed);
  // Moves pointer events to pendingPointer_, for the layers above, noting which buttons they hold.
  void keepPointerEvent(const platform::PointerEvent& event);
  // The row of the question on screen under a pointer event, or -1.
  int rowAt(const platform::PointerEvent& event) const;

  platform::CapturedFrame kept_;
  std::vector<std::uint8_t> composed_;
  DialogLayout layout_;  // of the question on screen
  std::vector<platform::PointerEvent> pendingPointer_;
  std::array<bool, 3> pointerHeldAbove_{};  // by PointerButton: pressed as the layers above know
  bool pointerEnabled_ = true;
  bool pointerShown_ = false;  // the dialog showed the mouse pointer
  bool chained_ = false;
  std::array<bool, 256> down_{};    // while a dialog is open: down as last seen
  std::array<bool, 256> hidden_{};  // hidden from the game until let go
  int asked_ = 0;
};

class QuitDialog : public ShellDialog {
 public:
  // The quit question's choices, in order; Options only with an options menu set.
  enum Choice { kQuit = 0, kKeepPlaying = 1, kOptions = 2 };

  using ShellDialog::ShellDialog;

  // The menu the quit question's Options opens; null (the default): no Options.
  void setOptionsMenu(OptionsMenu* menu) { options_ = menu; }

  platform::Message peekMessage() override;
  bool readKeyboard(std::uint8_t (&state)[256]) override;
  bool isKeyDown(platform::DirectKey key) override;
  void takeKeyEvents(std::vector<platform::KeyEvent>& events) override;

 private:
  // Notes the state of a quit key as seen now; a change from up to down is a fresh press.
  void see(int slot, bool down);
  // Looks at the backend's quit keys between frames, so a press is noticed without a game look.
  void lookBetweenFrames();
  void screen(std::vector<platform::KeyEvent>& events, std::size_t from) override;
  // The quit question, and the options menu when it is picked; the answer to the quit question.
  int askToQuit();

  OptionsMenu* options_ = nullptr;
  std::array<bool, 2> quitDown_{};  // Escape, Space as last seen
  bool quitPressed_ = false;        // a fresh press not yet asked about
  bool handOver_ = false;           // the next quit test sees Escape down
  bool handOverEvent_ = false;      // the next events the game takes hold a press of Escape
};

}  // namespace varnholt::shell
