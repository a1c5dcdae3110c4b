#pragma once
// The options menu the quit question opens: the settings a player may want to switch while playing,
// each a row showing its value. Picking a row switches that setting at once, through the hooks the game
// gives (the window, the key mode, the pointer layer), and writes it to the settings file, keeping the
// player's own lines; the menu then asks again with the same row highlighted. Back, Escape and Backspace
// leave it. A save that fails is said in one line, in a dialog and in the log, and the game goes on.

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/settings.h"
#include "shell/choice_prompt.h"

namespace varnholt::shell {

struct OptionsHooks {
  // The settings in effect now.
  std::function<app::Settings()> current;
  // Puts `settings` into effect at once (only the switched setting differs from current()).
  std::function<void(const app::Settings&)> apply;
};

class OptionsMenu {
 public:
  // The menu's rows, in order.
  enum Row { kDisplay = 0, kScaling, kKeys, kPointer, kBack };

  // `savePath`: the settings file the switched settings are written to; none: they are not saved.
  // `log`: where a failed save is reported (may be null).
  OptionsMenu(OptionsHooks hooks, std::optional<std::filesystem::path> savePath, std::ostream* log)
      : hooks_(std::move(hooks)), savePath_(std::move(savePath)), log_(log) {}

  // The rows as they read for these settings: "Display: Full screen", ..., "Back".
  static std::vector<std::string> rows(const app::Settings& settings);
  // `settings` with the setting of `row` switched to its other value, and what of it is to be stored.
  static app::Settings switched(app::Settings settings, Row row, app::StoredSettings& stored);

  // Asks "Options" through `prompt` until the player leaves it: kBack, or ChoicePrompt::kClosed when the
  // window was closed or a quit came meanwhile.
  int run(ChoicePrompt& prompt);

  // The message of the latest save that failed (empty if none has).
  const std::string& lastError() const { return lastError_; }

 private:
  // Saves `stored`; false when the player closed the window while the failure was shown.
  bool save(ChoicePrompt& prompt, const app::StoredSettings& stored);

  OptionsHooks hooks_;
  std::optional<std::filesystem::path> savePath_;
  std::ostream* log_;
  std::string lastError_;
};

}  // namespace varnholt::shell
