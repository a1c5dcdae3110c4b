#pragma once
// The smoke test's view of an SDL window as the X server has it: its real place and size and its
// pixels. Kept apart from the tests because X11's headers define macros (None, Bool, Status) that clash
// with GoogleTest and the platform's own names.

#include <cstdint>
#include <optional>

namespace varnholt::platform {

struct XWindowGeometry {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Both empty when the window with this SDL id is not an X11 window.
std::optional<XWindowGeometry> xWindowGeometry(std::uint32_t windowId);
// The pixel at (x, y) of the window as 0xRRGGBB.
std::optional<std::uint32_t> xWindowPixel(std::uint32_t windowId, int x, int y);
// The X server's id of the window, for tools that act on it from outside (xdotool).
std::optional<unsigned long> xWindowId(std::uint32_t windowId);

}  // namespace varnholt::platform
