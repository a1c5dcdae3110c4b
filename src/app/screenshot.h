#pragma once
// Screenshots: the last presented 800 x 600 frame written as a PNG with its palette.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace varnholt::app {

// A copy of one presented frame: indices row by row without padding, and the palette.
struct FrameCopy {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
  std::vector<platform::PaletteEntry> palette;

  bool empty() const { return pixels.empty(); }
  void assign(const platform::Frame& frame);
};

// Writes `frame` as a palettized 8-bit PNG. False with `error` set on failure.
bool writePng(const std::filesystem::path& path, const FrameCopy& frame, std::string& error);

// $XDG_DATA_HOME/varnholt/screenshots, or ~/.local/share/varnholt/screenshots without it; nullopt when
// neither variable is set.
std::optional<std::filesystem::path> screenshotFolder(const char* xdgDataHome, const char* home);

// A file name in `folder` that does not exist yet, made from the local time: varnholt-YYYYMMDD-HHMMSS[-n].png
std::filesystem::path nextScreenshotPath(const std::filesystem::path& folder);

}  // namespace varnholt::app
