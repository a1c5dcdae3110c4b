// Parsing the game's command line.
#include "app/command_line.h"

#include "battle/battle_definition.h"
#include "cli/option_parser.h"

namespace varnholt::app {

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args) {
  Options options;
  SettingsChanges& settings = options.settings;
  cli::OptionParser parser;
  parser.flag({"--help", "-h"}, [&] { options.help = true; })
      .flag({"--version"}, [&] { options.version = true; })
      .flag({"--print-settings"}, [&] { options.printSettings = true; })
      .flag({"--windowed"}, [&] { settings.window = WindowMode::Windowed; })
      .flag({"--fullscreen"}, [&] { settings.window = WindowMode::Fullscreen; })
      .value("--scaling", "fit or integer",
             [&](const std::string& value) {
               settings.scaling = parseScaling(value);
               return settings.scaling ? std::string() : "--scaling is fit or integer, not '" + value + "'";
             })
      .value("--keys", "frame or press",
             [&](const std::string& value) {
               settings.keys = parseKeyMode(value);
               return settings.keys ? std::string() : "--keys is frame or press, not '" + value + "'";
             })
      .flag({"--classic"}, [&] { settings.classic = true; })
      .flag({"--no-classic"}, [&] { settings.classic = false; })
      .flag({"--pointer"}, [&] { settings.pointer = true; })
      .flag({"--no-pointer"}, [&] { settings.pointer = false; })
      .value("--data", "a folder", cli::storeIn(settings.campaign))
      .value("--record", "a file", cli::storeIn(options.recordFile))
      .value("--playtest", "a battle number", [&](const std::string& value) {
        const auto battle = cli::parseNumber(value, 1);
        if (!battle || *battle > kLastBattle)
          return "--playtest is a battle from 1 to " + std::to_string(kLastBattle) + ", not '" + value + "'";
        options.playtest = *battle;
        return std::string();
      });
  const auto parsed = parser.parse(args);
  if (!parsed.ok()) return {std::nullopt, parsed.error};
  return {options, {}};
}

std::string usageText(const std::string& program) {
  return "Usage: " + program +
         " [options]\n"
         "Varnholt, a turn-based tactical RPG. Arrows move, Enter chooses, Backspace returns to the\n"
         "command bar, Escape or Space quits, F12 saves a screenshot, F11 or Alt+Enter switches between\n"
         "full screen and a window. A game controller works too: D-pad or left stick, A chooses, B\n"
         "returns, Back quits.\n"
         "\n"
         "Options:\n"
         "  --data DIR      read the campaign from DIR (default: the working directory when it holds\n"
         "                  one, else the default campaign installed beside the program)\n"
         "  --windowed      play in a window instead of full screen\n"
         "  --fullscreen    play full screen (the default)\n"
         "  --scaling MODE  fit: the largest sharp picture that fits (the default); integer: whole steps\n"
         "  --keys MODE     press: every press acts once, a held key repeats (the default); frame: a\n"
         "                  held key acts in every frame\n"
         "  --classic       the game exactly as it was defined: a held key acts in every frame whatever\n"
         "                  --keys says (--no-classic undoes classic = yes from the settings file)\n"
         "  --no-pointer    the mouse pointer stays hidden and clicks and touches do nothing (--pointer,\n"
         "                  the default, undoes pointer = no from the settings file)\n"
         "  --record FILE   write the session's key input to FILE as a key script for varnholt-replay\n"
         "  --playtest N    for campaign authors: the auto-player wins battles 1 to N-1 unseen, then you\n"
         "                  play from battle N's party choice (N is 1 to " +
         std::to_string(kLastBattle) +
         "); no Continue is offered, the\n"
         "                  campaign's checkpoint stays as it was, a lost battle can still be retried\n"
         "  --print-settings  print the settings in effect, as a settings file, and exit\n"
         "  --version       print the version and exit\n"
         "  --help          print this text and exit\n"
         "\n"
         "Settings file: $XDG_CONFIG_HOME/varnholt/settings.ini (default ~/.config/varnholt/settings.ini),\n"
         "'key = value' lines, '#' comments; the command line overrides it:\n" +
         settingsHelp();
}

}  // namespace varnholt::app
