#pragma once
// The text the game draws as the font sees it: byte strings made into valid UTF-8 and read back as code
// points. Shared by the SDL_ttf rasteriser and the glyph-atlas rasteriser of the web build, so both see
// the same characters for the same bytes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnholt::platform {

// Text bytes as the font expects them: cut at the first zero byte (the text ends there, as a C string
// would), kept as it is when it is valid UTF-8, and otherwise read as Latin-1 and re-encoded, so any
// byte string renders.
std::string toFontText(std::string_view text);

// The code points of valid UTF-8 text (as toFontText returns it).
std::vector<std::uint32_t> decodeUtf8(std::string_view text);

}  // namespace varnholt::platform
