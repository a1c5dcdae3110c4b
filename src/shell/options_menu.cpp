// The options menu of the quit question.
#include "shell/options_menu.h"

namespace varnholt::shell {

std::vector<std::string> OptionsMenu::rows(const app::Settings& settings) {
  return {
      settings.window == app::WindowMode::Fullscreen ? "Display: Full screen" : "Display: Window",
      settings.scaling == app::Scaling::Fit ? "Scaling: Fit" : "Scaling: Whole steps",
      settings.keys == app::KeyMode::Press ? "Keys: Once per press" : "Keys: Every frame",
      settings.pointer ? "Pointer: On" : "Pointer: Off",
      "Back",
  };
}

app::Settings OptionsMenu::switched(app::Settings settings, Row row, app::StoredSettings& stored) {
  switch (row) {
    case kDisplay:
      settings.window = settings.window == app::WindowMode::Fullscreen ? app::WindowMode::Windowed
                                                                       : app::WindowMode::Fullscreen;
      stored.window = settings.window;
      break;
    case kScaling:
      settings.scaling = settings.scaling == app::Scaling::Fit ? app::Scaling::Integer : app::Scaling::Fit;
      stored.scaling = settings.scaling;
      break;
    case kKeys:
      settings.keys = settings.keys == app::KeyMode::Press ? app::KeyMode::Frame : app::KeyMode::Press;
      stored.keys = settings.keys;
      break;
    case kPointer:
      settings.pointer = !settings.pointer;
      stored.pointer = settings.pointer;
      break;
    case kBack:
      break;
  }
  return settings;
}

bool OptionsMenu::save(ChoicePrompt& prompt, const app::StoredSettings& stored) {
  if (!savePath_) return true;
  std::string error;
  if (app::saveSettings(*savePath_, stored, error)) return true;
  lastError_ = error;
  if (log_ != nullptr) *log_ << "varnholt: settings not saved: " << error << "\n";
  return prompt.ask("Settings not saved: " + error, {"OK"}, 0) != ChoicePrompt::kClosed;
}

int OptionsMenu::run(ChoicePrompt& prompt) {
  int highlight = kDisplay;
  for (;;) {
    const app::Settings now = hooks_.current ? hooks_.current() : app::Settings{};
    const int answer = prompt.askFrom("Options", rows(now), kBack, highlight);
    if (answer == ChoicePrompt::kClosed) return ChoicePrompt::kClosed;
    if (answer < kDisplay || answer >= kBack) return kBack;
    highlight = answer;
    app::StoredSettings stored;
    const app::Settings next = switched(now, static_cast<Row>(answer), stored);
    if (hooks_.apply) hooks_.apply(next);
    if (!save(prompt, stored)) return ChoicePrompt::kClosed;
  }
}

}  // namespace varnholt::shell
