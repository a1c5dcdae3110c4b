// Reading and writing the settings file.
#include "app/settings.h"

#include <fstream>
#include <sstream>

namespace varnholt::app {
namespace {

namespace fs = std::filesystem;

// Settings files are a few lines long; anything far larger is not one.
constexpr std::uintmax_t kLargestFile = 64 * 1024;

std::string_view trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// The line without its comment: '#' at the start or after white space.
std::string_view withoutComment(std::string_view line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) return line.substr(0, i);
  }
  return line;
}

std::string quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

}  // namespace

Settings applyChanges(Settings settings, const SettingsChanges& changes) {
  if (changes.window) settings.window = *changes.window;
  if (changes.scaling) settings.scaling = *changes.scaling;
  if (changes.keys) settings.keys = *changes.keys;
  if (changes.classic) settings.classic = *changes.classic;
  if (changes.campaign) settings.campaign = changes.campaign;
  return settings;
}

std::optional<WindowMode> parseWindowMode(std::string_view text) {
  if (text == "fullscreen") return WindowMode::Fullscreen;
  if (text == "windowed") return WindowMode::Windowed;
  return std::nullopt;
}
std::optional<Scaling> parseScaling(std::string_view text) {
  if (text == "fit") return Scaling::Fit;
  if (text == "integer") return Scaling::Integer;
  return std::nullopt;
}
std::optional<KeyMode> parseKeyMode(std::string_view text) {
  if (text == "frame") return KeyMode::Frame;
  if (text == "press") return KeyMode::Press;
  return std::nullopt;
}
std::optional<bool> parseYesNo(std::string_view text) {
  if (text == "yes") return true;
  if (text == "no") return false;
  return std::nullopt;
}
KeyMode keyModeInEffect(const Settings& settings) {
  return settings.classic ? KeyMode::Frame : settings.keys;
}
const char* settingName(WindowMode mode) {
  return mode == WindowMode::Windowed ? "windowed" : "fullscreen";
}
const char* settingName(Scaling scaling) {
  return scaling == Scaling::Integer ? "integer" : "fit";
}
const char* settingName(KeyMode mode) {
  return mode == KeyMode::Press ? "press" : "frame";
}
const char* yesNo(bool value) {
  return value ? "yes" : "no";
}

SettingsFile parseSettings(std::string_view text, const std::string& fileName, const fs::path& baseDir,
                           const std::optional<std::string>& home) {
  SettingsFile result;
  int lineNumber = 0;
  while (!text.empty()) {
    const auto end = text.find('\n');
    const std::string_view raw = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++lineNumber;
    auto fail = [&](const std::string& message) {
      result.errors.push_back(fileName + ":" + std::to_string(lineNumber) + ": " + message);
    };
    const std::string_view line = trim(withoutComment(raw));
    if (line.empty()) continue;
    if (line.find('\0') != std::string_view::npos) {
      fail("a NUL byte; the line is ignored");
      continue;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
      fail("expected 'key = value', found " + quoted(line));
      continue;
    }
    const std::string_view key = trim(line.substr(0, equals));
    const std::string_view value = trim(line.substr(equals + 1));
    if (key.empty()) {
      fail("a value without a key");
      continue;
    }
    if (value.empty()) {
      fail(std::string(key) + " has no value");
      continue;
    }
    if (key == "window") {
      if (auto mode = parseWindowMode(value))
        result.changes.window = mode;
      else
        fail("window is fullscreen or windowed, not " + quoted(value));
    } else if (key == "scaling") {
      if (auto scaling = parseScaling(value))
        result.changes.scaling = scaling;
      else
        fail("scaling is fit or integer, not " + quoted(value));
    } else if (key == "keys") {
      if (auto mode = parseKeyMode(value))
        result.changes.keys = mode;
      else
        fail("keys is frame or press, not " + quoted(value));
    } else if (key == "classic") {
      if (auto classic = parseYesNo(value))
        result.changes.classic = classic;
      else
        fail("classic is yes or no, not " + quoted(value));
    } else if (key == "campaign") {
      fs::path folder;
      if (value.rfind("~/", 0) == 0 && home) {
        folder = fs::path(*home) / std::string(value.substr(2));
      } else {
        folder = std::string(value);
        if (folder.is_relative()) folder = baseDir / folder;
      }
      result.changes.campaign = folder.lexically_normal().string();
    } else {
      fail("unknown setting " + quoted(key) + " (window, scaling, keys, classic, campaign)");
    }
  }
  return result;
}

std::optional<fs::path> settingsPath(const char* xdgConfigHome, const char* home) {
  // A relative XDG_CONFIG_HOME is invalid and is ignored, as the base directory rules say.
  if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/')
    return fs::path(xdgConfigHome) / "varnholt" / "settings.ini";
  if (home != nullptr && home[0] != '\0') return fs::path(home) / ".config" / "varnholt" / "settings.ini";
  return std::nullopt;
}

SettingsFile loadSettingsFile(const fs::path& path, const std::optional<std::string>& home) {
  SettingsFile result;
  std::error_code code;
  const auto status = fs::status(path, code);
  if (code || !fs::exists(status)) return result;
  const std::string name = path.string();
  if (fs::is_directory(status)) {
    result.errors.push_back(name + ": a folder, not a settings file; ignored");
    return result;
  }
  if (fs::is_regular_file(status) && fs::file_size(path, code) > kLargestFile && !code) {
    result.errors.push_back(name + ": larger than 64 KiB, not a settings file; ignored");
    return result;
  }
  std::ifstream in(path, std::ios::binary);
  std::string text;
  if (in) {
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
  }
  if (!in && !in.eof()) {
    result.errors.push_back(name + ": cannot be read; ignored");
    return result;
  }
  if (text.size() > kLargestFile) {
    result.errors.push_back(name + ": larger than 64 KiB, not a settings file; ignored");
    return result;
  }
  return parseSettings(text, name, path.parent_path(), home);
}

std::string formatSettings(const Settings& settings) {
  std::string text =
      "# Varnholt settings: $XDG_CONFIG_HOME/varnholt/settings.ini (~/.config/varnholt/settings.ini\n"
      "# when XDG_CONFIG_HOME is not set). 'key = value' lines; '#' starts a comment. The command line\n"
      "# overrides what is set here.\n"
      "\n"
      "# fullscreen or windowed (F11 or Alt+Enter switches while playing)\n"
      "window = ";
  text += settingName(settings.window);
  text +=
      "\n\n# fit: the largest picture that fits the screen, sharp and even; integer: whole steps only\n"
      "scaling = ";
  text += settingName(settings.scaling);
  text +=
      "\n\n# press: every press acts once, a held key repeats; frame: a held key acts in every frame\n"
      "keys = ";
  text += settingName(settings.keys);
  text +=
      "\n\n# yes: the game exactly as it was defined, with frame keys whatever 'keys' says; no: with the\n"
      "# comforts around it\n"
      "classic = ";
  text += yesNo(settings.classic);
  text +=
      "\n\n# The campaign folder (relative to this file's folder, or starting with ~/); without it the\n"
      "# game plays the working directory's campaign, else the one installed with it.\n";
  text += settings.campaign ? "campaign = " + *settings.campaign + "\n" : "# campaign = FOLDER\n";
  return text;
}

std::string settingsHelp() {
  return "  window = fullscreen|windowed     full screen (the default) or a window\n"
         "  scaling = fit|integer            the largest sharp picture that fits (the default), or\n"
         "                                   whole-number steps only\n"
         "  keys = press|frame               every press acts once, a held key repeats (the default),\n"
         "                                   or a held key acts in every frame\n"
         "  classic = no|yes                 yes: the game exactly as it was defined, with frame keys\n"
         "                                   whatever keys says (as --classic); no is the default\n"
         "  campaign = FOLDER                the campaign to play (as --data)\n";
}

}  // namespace varnholt::app
