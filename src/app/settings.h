#pragma once
// The player's settings: how the game shows itself and reads the keys, and where its campaign is. They
// come from the built-in defaults, then the settings file ($XDG_CONFIG_HOME/varnholt/settings.ini, or
// ~/.config/varnholt/settings.ini), then the command line, each overriding the one before. The game
// writes the file only when the player switches a setting in its options menu, and then changes only
// the values of those settings, keeping every other line; --print-settings writes a file to start from.
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
  // The mouse and touch: on, they work in the shell's layers; off, the pointer stays hidden and clicks do
  // nothing.
  bool pointer = true;
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
  std::optional<bool> pointer;
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

// The settings the game writes back to the file: the ones its options menu switches. Unset ones are
// left as the file has them.
struct StoredSettings {
  std::optional<WindowMode> window;
  std::optional<Scaling> scaling;
  std::optional<KeyMode> keys;
  std::optional<bool> pointer;
};

// The settings file's text with `stored` written into it. Every line the player wrote stays as it is,
// comments, blank lines, unknown and unusable lines included; for each stored setting the value of the
// line that counts (the last one parseSettings takes) is replaced in place, keeping the spacing and a
// trailing comment; a setting without such a line gets `key = value` appended at the end (in the file's
// own line ending).
std::string updateSettingsText(std::string_view text, const StoredSettings& stored);

// Writes `stored` into the settings file at `path`: reads it (a missing one starts from formatSettings'
// text for the defaults), updates it as updateSettingsText does, creates its folder and writes a new file
// beside it that is then renamed over it, so the file is whole at every moment; its permissions are kept.
// A file that cannot be read (a folder, larger than 64 KiB, unreadable) is not overwritten. False with
// `error` set to one line saying why; the old file is then as it was.
bool saveSettings(const std::filesystem::path& path, const StoredSettings& stored, std::string& error);

}  // namespace varnholt::app
