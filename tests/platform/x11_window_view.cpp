// Reading an SDL window's geometry and pixels back from the X server.
#include "x11_window_view.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace varnholt::platform {

namespace {

struct XHandle {
  Display* display = nullptr;
  Window window = 0;
};

std::optional<XHandle> xHandle(std::uint32_t windowId) {
  SDL_Window* window = SDL_GetWindowFromID(windowId);
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE ||
      info.subsystem != SDL_SYSWM_X11) {
    return std::nullopt;
  }
  XSync(info.info.x11.display, False);
  return XHandle{info.info.x11.display, info.info.x11.window};
}

}  // namespace

std::optional<XWindowGeometry> xWindowGeometry(std::uint32_t windowId) {
  const std::optional<XHandle> handle = xHandle(windowId);
  XWindowAttributes attributes{};
  if (!handle || XGetWindowAttributes(handle->display, handle->window, &attributes) == 0) return std::nullopt;
  return XWindowGeometry{attributes.x, attributes.y, attributes.width, attributes.height};
}

std::optional<std::uint32_t> xWindowPixel(std::uint32_t windowId, int x, int y) {
  const std::optional<XHandle> handle = xHandle(windowId);
  if (!handle) return std::nullopt;
  XImage* image = XGetImage(handle->display, handle->window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return std::nullopt;
  const auto value = static_cast<std::uint32_t>(XGetPixel(image, 0, 0) & 0xFFFFFF);
  XDestroyImage(image);
  return value;
}

std::optional<unsigned long> xWindowId(std::uint32_t windowId) {
  const std::optional<XHandle> handle = xHandle(windowId);
  if (!handle) return std::nullopt;
  return handle->window;
}

}  // namespace varnholt::platform
