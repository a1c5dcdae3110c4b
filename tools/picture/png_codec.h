#pragma once
// PNG files through libpng's simplified interface, which keeps libpng's error handling (its longjmp)
// inside libpng: a damaged, truncated or unsupported file comes back as a message, never a crash.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "picture/image.h"

namespace varnholt::imaging {

// Whether the bytes start with the PNG signature.
bool looksLikePng(std::string_view bytes);

// Decodes a PNG of any colour type and depth into `image` (8-bit sRGB red, green, blue, alpha; a palette
// PNG also as its indices and table). The size is checked with decodableSize from the header, before
// the pixels are allocated. False with the reason in `error` (and `image` empty) on any failure.
bool decodePng(std::string_view bytes, Image& image, std::string& error);

// Encodes `image`: a palette PNG of its table when it is indexed (entries with alpha below 255 in tRNS),
// otherwise a red, green, blue and alpha PNG. False with the reason in `error`.
bool encodePng(const Image& image, std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace varnholt::imaging
