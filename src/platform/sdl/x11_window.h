#pragma once
// Desktop full screen on an X display without a window manager. SDL asks the window manager to make
// the window full screen and from then on takes the window to be the screen's size; with no window
// manager nobody does it, the window keeps its old size and the picture, laid out for the screen, comes
// out shifted and cut off. Here the backend then sizes and places the window itself, so the window is
// the size SDL and the renderer believe it is.

struct SDL_Window;

namespace varnholt::platform {

// Moves and sizes an X11 window to SDL's idea of its position and size when no window manager runs
// and the two differ. Does nothing under a window manager, on other video drivers, or without X11.
void matchWindowToItsSize(SDL_Window* window);

// The connection to the X server under an SDL window. A wait can sleep in poll() on its descriptor and so
// learn, without asking the server, that nothing came in: the window's events need no pump then.
struct XConnection {
  void* display = nullptr;  // Xlib's Display
  int fd = -1;              // -1: not an X11 window (or built without X11)
};
XConnection xConnectionOf(SDL_Window* window);
// Whether Xlib holds events it has read from the connection and not handed out yet. No system call.
bool xEventsQueued(const XConnection& connection);

}  // namespace varnholt::platform
