// varnholt-picture's PNG reader on arbitrary bytes, then what a conversion does with a picture it
// decoded: mapped (with dithering) onto a palette and encoded again as a PNG, which must read back at the
// same size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "picture/colour_match.h"
#include "picture/png_codec.h"

using namespace varnholt::imaging;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Image image;
  std::string error;
  if (!decodePng(std::string_view(reinterpret_cast<const char*>(data), size), image, error)) {
    if (!image.pixels.empty() || error.empty()) std::abort();  // refused: nothing kept, a reason given
    return 0;
  }
  const std::size_t count = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
  if (image.width < 1 || image.height < 1 || image.pixels.size() != count) std::abort();
  if (image.indexed() && (image.indices.size() != count || image.table.empty() || image.table.size() > 256))
    std::abort();
  // The pictures a fuzzer makes are mostly small; larger ones are decoded only, which keeps runs fast.
  if (count > 4096) return 0;

  PaletteTable palette{};
  for (int i = 0; i < 256; ++i)
    palette[i] = {static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(i * 91),
                  static_cast<std::uint8_t>(i * 13), 0};
  const std::vector<std::uint8_t> indices = mapToPalette(image, palette, MapOptions{true, std::nullopt});
  if (indices.size() != count) std::abort();
  for (std::size_t i = 0; i < count; ++i)
    if ((indices[i] == 0) != (image.pixels[i].alpha < kOpaqueAlpha)) std::abort();

  std::vector<std::uint8_t> encoded;
  if (!encodePng(image, encoded, error)) std::abort();
  Image again;
  if (!decodePng(std::string_view(reinterpret_cast<const char*>(encoded.data()), encoded.size()), again,
                 error) ||
      again.width != image.width || again.height != image.height)
    std::abort();
  return 0;
}
