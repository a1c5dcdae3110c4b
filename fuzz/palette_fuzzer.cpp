// The palette file's reader on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/display.h"

using namespace varnholt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PALETTEENTRY entries[257];
  entries[256] = PALETTEENTRY{7, 7, 7, 7};
  parsePaletteText(std::string_view(reinterpret_cast<const char*>(data), size), entries);
  // Exactly 256 entries are written.
  if (entries[256].red != 7 || entries[256].flags != 7) std::abort();
  return 0;
}
