// Sizing the X11 window by hand when no window manager does it.
#include "platform/sdl/x11_window.h"

#include <SDL2/SDL.h>

#ifdef VARNHOLT_HAVE_X11
#include <SDL2/SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace varnholt::platform {

#ifdef VARNHOLT_HAVE_X11
namespace {

// A window manager following the desktop conventions names its check window on the root window.
bool windowManagerRuns(Display* display) {
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                                        &type, &format, &count, &remaining, &data);
  const bool found = status == Success && type == XA_WINDOW && format == 32 && count == 1 && data != nullptr;
  if (data != nullptr) XFree(data);
  return found;
}

}  // namespace

void matchWindowToItsSize(SDL_Window* window) {
  if (window == nullptr) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return;
  Display* display = info.info.x11.display;
  const Window handle = info.info.x11.window;
  if (display == nullptr || windowManagerRuns(display)) return;

  int width = 0;
  int height = 0;
  int x = 0;
  int y = 0;
  SDL_GetWindowSize(window, &width, &height);
  SDL_GetWindowPosition(window, &x, &y);
  XWindowAttributes actual{};
  if (width <= 0 || height <= 0 || XGetWindowAttributes(display, handle, &actual) == 0) return;
  if (actual.width == width && actual.height == height && actual.x == x && actual.y == y) return;
  XMoveResizeWindow(display, handle, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XRaiseWindow(display, handle);
  XSync(display, False);
  // SDL takes in the resulting configure event now, while it still describes the current mode; left
  // for later, a switch back to a window in between would take the screen's size for the window's.
  SDL_PumpEvents();
}

XConnection xConnectionOf(SDL_Window* window) {
  if (window == nullptr) return {};
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return {};
  Display* display = info.info.x11.display;
  if (display == nullptr) return {};
  return {display, ConnectionNumber(display)};
}

bool xEventsQueued(const XConnection& connection) {
  return connection.display != nullptr &&
         XEventsQueued(static_cast<Display*>(connection.display), QueuedAlready) > 0;
}

#else

void matchWindowToItsSize(SDL_Window*) {}
XConnection xConnectionOf(SDL_Window*) {
  return {};
}
bool xEventsQueued(const XConnection&) {
  return false;
}

#endif

}  // namespace varnholt::platform
