#pragma once
// A message a desktop user sees when the game cannot start: a small window with the message and an OK
// button, for a start from the desktop menu where nobody reads standard error. The caller still writes
// the message to standard error itself.

#include <string>
#include <string_view>

namespace varnholt::platform {

// Shows `message` in a modal message window titled `title` and returns once it is closed. Where no
// window can be shown (no display, no window system) it returns false at once and shows nothing.
bool showErrorWindow(std::string_view title, std::string_view message);

}  // namespace varnholt::platform
