#pragma once
// The player's settings: how the game shows itself and reads the keys, and where its campaign is. They
// come from the built-in defaults, then the settings file ($XDG_CONFIG_HOME/varnholt/settings.ini, or
// ~/.config/varnholt/settings.ini), then the command line, each overriding the one before. The game
// reads the file and never writes it; --print-settings writes a file to start from.
//
// The file holds `key = value` lines; blank lines and lines starting with '#' are ignored, and a '#'
// after white space starts a comment. A line the game cannot use is reported as FILE:LINE: message and
// skipped; the rest of the file still counts.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnholt::app {

enum class WindowMode { Fullscreen, Windowed };
enum class Scaling { Fit, Integer };
enum class KeyMode { Frame, Press };

struct Settings {
  WindowMode window = WindowMode::Fullscreen;
  Scaling scaling = Scaling::Fit;
  KeyMode keys = KeyMode::Press;
  // The game exactly as it was defined, without the comforts of the shell around it: frame keys
  // whatever `keys` says. Every later comfort of the shell tests this one value.
  bool classic = false;
  std::optional<std::string> campaign;  // unset: the working directory or the installed campaign
};

// The key mode the game plays with: frame keys in classic mode, else the `keys` setting.
KeyMode keyModeInEffect(const Settings& settings);

// What one source (the file or the command line) sets; what it leaves unset keeps the earlier value.
struct SettingsChanges {
  std::optional<WindowMode> window;
  std::optional<Scaling> scaling;
  std::optional<KeyMode> keys;
  std::optional<bool> classic;
  std::optional<std::string> campaign;
};

Settings applyChanges(Settings settings, const SettingsChanges& changes);

// The values of each setting as the file and the command line spell them.
std::optional<WindowMode> parseWindowMode(std::string_view text);
std::optional<Scaling> parseScaling(std::string_view text);
std::optional<KeyMode> parseKeyMode(std::string_view text);
std::optional<bool> parseYesNo(std::string_view text);
const char* settingName(WindowMode mode);
const char* settingName(Scaling scaling);
const char* settingName(KeyMode mode);
const char* yesNo(bool value);

struct SettingsFile {
  SettingsChanges changes;
  std::vector<std::string> errors;  // "FILE:LINE: message", one per line the game could not use
};

// Reads settings text. `fileName` names the file in the messages; a relative campaign folder is taken
// relative to `baseDir` (the file's own folder), and "~/" at its start stands for `home` when known.
SettingsFile parseSettings(std::string_view text, const std::string& fileName,
                           const std::filesystem::path& baseDir, const std::optional<std::string>& home);

// Where the settings file is: nullopt when neither XDG_CONFIG_HOME (absolute) nor HOME is set.
std::optional<std::filesystem::path> settingsPath(const char* xdgConfigHome, const char* home);

// Reads the settings file at `path`. A missing file sets nothing and reports nothing; one that cannot
// be read, or is larger than any settings file needs to be, is reported as one error.
SettingsFile loadSettingsFile(const std::filesystem::path& path, const std::optional<std::string>& home);

// The settings as a file in the format parseSettings reads, each with a comment naming its values.
std::string formatSettings(const Settings& settings);

// The settings' lines for the --help text.
std::string settingsHelp();

}  // namespace varnholt::app
