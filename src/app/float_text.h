#pragma once
// What std::to_chars(float) writes, for a C++ library without it (the web build's libc++): the fewest
// significant digits that read back as the same float, in fixed or scientific notation, whichever is
// shorter (fixed when they tie). The JSON state of a replay must read the same in both builds.

#include <string>

namespace varnholt::app {

// For finite numbers.
std::string shortestFloatText(float number);

}  // namespace varnholt::app
