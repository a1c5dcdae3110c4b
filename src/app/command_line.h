#pragma once
// The game's command line. Without options the game behaves as it always has: full screen, content
// from the working directory (or the default campaign beside the executable).

#include <optional>
#include <string>
#include <vector>

namespace varnholt::app {

struct Options {
  bool help = false;
  bool version = false;
  bool windowed = false;
  std::optional<std::string> dataDir;
  std::optional<std::string> recordFile;
};

struct ParsedCommandLine {
  std::optional<Options> options;  // nullopt when the command line is wrong
  std::string error;               // what is wrong, when it is
};

// Parses the arguments after the program name. Accepts "--data DIR" and "--data=DIR" (the same for
// --record).
ParsedCommandLine parseCommandLine(const std::vector<std::string>& args);

// The usage text, naming the program as `program`.
std::string usageText(const std::string& program);

}  // namespace varnholt::app
