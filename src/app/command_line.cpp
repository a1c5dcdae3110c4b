// Parsing the game's command line.
#include "app/command_line.h"

namespace varnholt::app {

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args) {
  ParsedCommandLine result;
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto valueOf = [&](const std::string& name) -> std::optional<std::string> {
      if (arg == name) {
        if (i + 1 >= args.size() || args[i + 1].empty()) return std::nullopt;
        return args[++i];
      }
      auto value = arg.substr(name.size() + 1);
      if (value.empty()) return std::nullopt;
      return value;
    };
    auto is = [&](const std::string& name) { return arg == name || arg.rfind(name + "=", 0) == 0; };
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--windowed") {
      options.windowed = true;
    } else if (is("--data")) {
      options.dataDir = valueOf("--data");
      if (!options.dataDir) return {std::nullopt, "--data needs a folder"};
    } else if (is("--record")) {
      options.recordFile = valueOf("--record");
      if (!options.recordFile) return {std::nullopt, "--record needs a file"};
    } else {
      return {std::nullopt, "unknown option '" + arg + "'"};
    }
  }
  result.options = options;
  return result;
}

std::string usageText(const std::string& program) {
  return "Usage: " + program +
         " [options]\n"
         "Varnholt, a turn-based tactical RPG. Arrows move, Enter chooses, Backspace returns to the\n"
         "command bar, Escape or Space quits, F12 saves a screenshot.\n"
         "\n"
         "Options:\n"
         "  --data DIR      read the campaign from DIR (default: the working directory when it holds\n"
         "                  one, else the default campaign installed beside the program)\n"
         "  --windowed      play in a window instead of full screen\n"
         "  --record FILE   write the session's key input to FILE as a key script for varnholt-replay\n"
         "  --version       print the version and exit\n"
         "  --help          print this text and exit\n";
}

}  // namespace varnholt::app
