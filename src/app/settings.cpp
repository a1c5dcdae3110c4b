// Reading and writing the settings file.
#include "app/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
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

// One line of a settings file, split as the reader and the writer both see it.
struct Line {
  enum Kind { Blank, Setting, Bad };
  Kind kind = Blank;
  std::string_view key;    // Setting: views into the line itself
  std::string_view value;  // Setting: never empty
  std::string error;       // Bad: what is wrong with it
};

Line splitLine(std::string_view raw) {
  Line result;
  const std::string_view line = trim(withoutComment(raw));
  if (line.empty()) return result;
  result.kind = Line::Bad;
  if (line.find('\0') != std::string_view::npos) {
    result.error = "a NUL byte; the line is ignored";
    return result;
  }
  const auto equals = line.find('=');
  if (equals == std::string_view::npos) {
    result.error = "expected 'key = value', found " + quoted(line);
    return result;
  }
  const std::string_view key = trim(line.substr(0, equals));
  const std::string_view value = trim(line.substr(equals + 1));
  if (key.empty()) {
    result.error = "a value without a key";
    return result;
  }
  if (value.empty()) {
    result.error = std::string(key) + " has no value";
    return result;
  }
  result.kind = Line::Setting;
  result.key = key;
  result.value = value;
  return result;
}

enum class ReadResult { Missing, Read, Failed };

// Reads the whole settings file; Failed with `error` saying why (without the file's name).
ReadResult readSettingsText(const fs::path& path, std::string& text, std::string& error) {
  std::error_code code;
  const auto status = fs::status(path, code);
  if (code || !fs::exists(status)) {
    // A missing file (or a link to one, or a file where one of its folders should be); any other failure
    // to look at it is a file that cannot be read.
    if (!code || code == std::errc::no_such_file_or_directory || code == std::errc::not_a_directory)
      return ReadResult::Missing;
    error = "cannot be read (" + code.message() + ")";
    return ReadResult::Failed;
  }
  if (fs::is_directory(status)) {
    error = "a folder, not a settings file";
    return ReadResult::Failed;
  }
  if (fs::is_regular_file(status) && fs::file_size(path, code) > kLargestFile && !code) {
    error = "larger than 64 KiB, not a settings file";
    return ReadResult::Failed;
  }
  std::ifstream in(path, std::ios::binary);
  text.clear();
  if (in) {
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
  }
  if (!in && !in.eof()) {
    error = "cannot be read";
    return ReadResult::Failed;
  }
  if (text.size() > kLargestFile) {
    error = "larger than 64 KiB, not a settings file";
    return ReadResult::Failed;
  }
  return ReadResult::Read;
}

// Writes `bytes` to a new file `temporary` and closes it; false with `error` set. `mode`, when set, is
// given to the new file.
bool writeNewFile(const fs::path& temporary, std::string_view bytes, std::optional<fs::perms> mode,
                  std::string& error) {
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0 && errno == EEXIST) {
    // Left by an earlier save of a process with this number that did not finish; nobody else writes it.
    ::unlink(temporary.c_str());
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  }
  if (fd < 0) {
    error = "cannot write in " + temporary.parent_path().string() + " (" + std::strerror(errno) + ")";
    return false;
  }
  bool ok = true;
  int failure = 0;
  // Should the old file's permissions not take, the new file keeps the default ones: the settings are
  // still worth saving.
  if (mode) (void)::fchmod(fd, static_cast<mode_t>(*mode & fs::perms::mask));
  std::size_t done = 0;
  while (ok && done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      ok = false;
      failure = wrote < 0 ? errno : ENOSPC;
    } else {
      done += static_cast<std::size_t>(wrote);
    }
  }
  if (ok && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
    ok = false;
    failure = errno;
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    failure = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    error = "cannot write " + temporary.string() + " (" + std::strerror(failure) + ")";
  }
  return ok;
}

const char* const kStoredKeys[] = {"window", "scaling", "keys", "pointer"};

}  // namespace

Settings applyChanges(Settings settings, const SettingsChanges& changes) {
  if (changes.window) settings.window = *changes.window;
  if (changes.scaling) settings.scaling = *changes.scaling;
  if (changes.keys) settings.keys = *changes.keys;
  if (changes.classic) settings.classic = *changes.classic;
  if (changes.pointer) settings.pointer = *changes.pointer;
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
    const Line line = splitLine(raw);
    if (line.kind == Line::Blank) continue;
    if (line.kind == Line::Bad) {
      fail(line.error);
      continue;
    }
    const std::string_view key = line.key;
    const std::string_view value = line.value;
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
    } else if (key == "pointer") {
      if (auto pointer = parseYesNo(value))
        result.changes.pointer = pointer;
      else
        fail("pointer is yes or no, not " + quoted(value));
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
      fail("unknown setting " + quoted(key) + " (window, scaling, keys, classic, pointer, campaign)");
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
  std::string text;
  std::string error;
  const ReadResult read = readSettingsText(path, text, error);
  if (read == ReadResult::Missing) return result;
  if (read == ReadResult::Failed) {
    result.errors.push_back(path.string() + ": " + error + "; ignored");
    return result;
  }
  return parseSettings(text, path.string(), path.parent_path(), home);
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
      "\n\n# yes: the mouse and touch work; no: the mouse pointer stays hidden and clicks do nothing\n"
      "pointer = ";
  text += yesNo(settings.pointer);
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
         "  pointer = yes|no                 yes: the mouse and touch work (the default); no: the\n"
         "                                   pointer stays hidden and clicks do nothing\n"
         "  campaign = FOLDER                the campaign to play (as --data)\n";
}

std::string updateSettingsText(std::string_view text, const StoredSettings& stored) {
  // The new values, in the order of kStoredKeys.
  std::optional<std::string> values[4];
  if (stored.window) values[0] = settingName(*stored.window);
  if (stored.scaling) values[1] = settingName(*stored.scaling);
  if (stored.keys) values[2] = settingName(*stored.keys);
  if (stored.pointer) values[3] = yesNo(*stored.pointer);
  auto usable = [](std::size_t which, std::string_view value) {
    switch (which) {
      case 0:
        return parseWindowMode(value).has_value();
      case 1:
        return parseScaling(value).has_value();
      case 2:
        return parseKeyMode(value).has_value();
      default:
        return parseYesNo(value).has_value();
    }
  };

  // Where the value of each setting's line that counts is: offset and length in `text`.
  std::optional<std::pair<std::size_t, std::size_t>> spans[4];
  std::string_view lineEnd = "\n";
  bool firstLine = true;
  for (std::size_t at = 0; at < text.size();) {
    const auto end = text.find('\n', at);
    const std::string_view raw =
        text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    if (firstLine && end != std::string_view::npos && !raw.empty() && raw.back() == '\r') lineEnd = "\r\n";
    firstLine = false;
    const Line line = splitLine(raw);
    if (line.kind == Line::Setting) {
      for (std::size_t which = 0; which < 4; ++which) {
        if (values[which] && line.key == kStoredKeys[which] && usable(which, line.value)) {
          spans[which] = std::make_pair(at + static_cast<std::size_t>(line.value.data() - raw.data()),
                                        line.value.size());
        }
      }
    }
    if (end == std::string_view::npos) break;
    at = end + 1;
  }

  // The replacements from the last in the text to the first, so the offsets before each stay right.
  std::string result(text);
  std::vector<std::size_t> order;
  for (std::size_t which = 0; which < 4; ++which) {
    if (spans[which]) order.push_back(which);
  }
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return spans[a]->first > spans[b]->first; });
  for (const std::size_t which : order)
    result.replace(spans[which]->first, spans[which]->second, *values[which]);

  for (std::size_t which = 0; which < 4; ++which) {
    if (!values[which] || spans[which]) continue;
    if (!result.empty() && result.back() != '\n') result += lineEnd;
    result += std::string(kStoredKeys[which]) + " = " + *values[which];
    result += lineEnd;
  }
  return result;
}

bool saveSettings(const fs::path& path, const StoredSettings& stored, std::string& error) {
  std::error_code code;
  // A settings file that is a link to one kept elsewhere is written where the link points, and stays a
  // link.
  fs::path target = path;
  if (fs::is_symlink(fs::symlink_status(path, code))) {
    target = fs::weakly_canonical(path, code);
    if (code) {
      error = path.string() + " is a link that cannot be followed (" + code.message() + ")";
      return false;
    }
  }
  std::string text;
  std::string why;
  const ReadResult read = readSettingsText(target, text, why);
  if (read == ReadResult::Failed) {
    error = target.string() + ": " + why;
    return false;
  }
  std::optional<fs::perms> mode;
  if (read == ReadResult::Missing) {
    text = formatSettings(Settings{});
  } else {
    const auto status = fs::status(target, code);
    if (!code) mode = status.permissions();
  }
  const std::string updated = updateSettingsText(text, stored);
  if (read == ReadResult::Read && updated == text) return true;

  const fs::path folder = target.parent_path();
  if (!folder.empty()) {
    fs::create_directories(folder, code);
    if (code) {
      error = "cannot make the folder " + folder.string() + " (" + code.message() + ")";
      return false;
    }
  }
  fs::path temporary = target;
  temporary += ".new-" + std::to_string(::getpid());
  if (!writeNewFile(temporary, updated, mode, error)) return false;
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    const int failure = errno;
    ::unlink(temporary.c_str());
    error = "cannot replace " + target.string() + " (" + std::strerror(failure) + ")";
    return false;
  }
  return true;
}

}  // namespace varnholt::app
