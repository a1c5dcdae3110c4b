// The error message window, through SDL's message box (which needs neither SDL_Init nor an open window).
#include "platform/sdl/error_window.h"

#include <SDL2/SDL.h>

#include <cstdlib>

namespace varnholt::platform {

bool showErrorWindow(std::string_view title, std::string_view message) {
  // Without a display to connect to there is nothing to show; asking SDL anyway would only try every
  // video driver it knows and fail.
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((x11 == nullptr || x11[0] == '\0') && (wayland == nullptr || wayland[0] == '\0')) return false;
  const std::string titleText(title);
  const std::string messageText(message);
  return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, titleText.c_str(), messageText.c_str(), nullptr) == 0;
}

}  // namespace varnholt::platform
