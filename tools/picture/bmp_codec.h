#pragma once
// 8-bit BMP files, read with the game's own loader and written with the game's own encoder, so that a
// picture this tool writes is exactly what the game reads.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/display.h"
#include "picture/image.h"

namespace varnholt::imaging {

using PaletteTable = std::array<PALETTEENTRY, 256>;

// Whether the bytes start with "BM".
bool looksLikeBmp(std::string_view bytes);

// Decodes an 8-bit BMP into `image`: its indices, its 256-entry colour table, and its pixels in those
// colours, index 0 transparent (alpha 0) as the game draws sprites. False with the reason in `error` for
// a file the game's loader refuses, a 16- or 24-bit one, or one over the size limit.
bool decodeBmp(std::string_view bytes, Image& image, std::string& error);

// The BMP file of width x height indices with `palette` as its colour table (empty on a bad size).
std::vector<std::uint8_t> encodeBmp(int width, int height, const std::vector<std::uint8_t>& indices,
                                    const PaletteTable& palette);

}  // namespace varnholt::imaging
