#pragma once
// The game's command line. Without options the game plays full screen with keys that act once per
// press, content from the working directory (or the default campaign beside the executable); the
// settings file may change that, and what the command line gives overrides the file.

#include <optional>
#include <string>
#include <vector>

#include "app/settings.h"

namespace varnholt::app {

struct Options {
  bool help = false;
  bool version = false;
  bool printSettings = false;
  SettingsChanges settings;  // --windowed, --fullscreen, --scaling, --keys, --classic, --pointer, --data
  std::optional<std::string> recordFile;
  // --playtest N: the auto-player wins the battles before N and the player starts at N's party choice.
  std::optional<int> playtest;
};

struct ParsedCommandLine {
  std::optional<Options> options;  // nullopt when the command line is wrong
  std::string error;               // what is wrong, when it is
};

// Parses the arguments after the program name. Accepts "--data DIR" and "--data=DIR" (the same for
// every option with a value).
ParsedCommandLine parseCommandLine(const std::vector<std::string>& args);

// The usage text, naming the program as `program`.
std::string usageText(const std::string& program);

}  // namespace varnholt::app
