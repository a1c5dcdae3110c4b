#pragma once
// A question the shell around the game puts to the player, drawn over the picture on screen (never into
// the game's back buffer) while no game frame runs: "Quit Varnholt?", "Continue at battle 3", "Retry
// battle 2". The game never sees the keys that answer it. The mouse and touch may answer it too: a row
// under the mouse is highlighted, a click or a touch on a row picks it, a right click cancels.

#include <string>
#include <string_view>
#include <vector>

namespace varnholt::shell {

class ChoicePrompt {
 public:
  // The player closed the window or a quit signal came while the question was open.
  static constexpr int kClosed = -1;

  virtual ~ChoicePrompt() = default;

  // Shows `title` and `choices` (the first one highlighted) over the last presented picture and waits:
  // Up/Down (and Left/Right) move the highlight, Enter picks it, Escape or Backspace picks `cancel` at
  // once. Returns the index picked, or kClosed.
  virtual int ask(std::string_view title, const std::vector<std::string>& choices, int cancel) = 0;

  // As ask, with the choice `highlight` highlighted as it opens (one out of range highlights the first).
  virtual int askFrom(std::string_view title, const std::vector<std::string>& choices, int cancel,
                      int highlight) {
    (void)highlight;
    return ask(title, choices, cancel);
  }
};

}  // namespace varnholt::shell
