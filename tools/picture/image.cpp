// The size limit every reader applies before it allocates a picture's pixels.
#include "picture/image.h"

namespace varnholt::imaging {

bool decodableSize(long long width, long long height, std::string_view what, std::string& error) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  if (width < 1 || height < 1) {
    error = std::string(what) + " is " + size + " pixels; a picture needs at least one pixel";
    return false;
  }
  if (width > kMaxSide || height > kMaxSide) {
    error = std::string(what) + " is " + size + " pixels; at most " + std::to_string(kMaxSide) +
            " a side are read (the game reads no larger pictures)";
    return false;
  }
  if (static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) * sizeof(Rgba) >
      kMaxDecodedBytes) {
    error = std::string(what) + " is " + size + " pixels; at most " + std::to_string(kMaxDecodedBytes >> 20) +
            " MiB of decoded pixels are read (4096 x 4096, or 8192 x 2048)";
    return false;
  }
  return true;
}

}  // namespace varnholt::imaging
