#pragma once
// Writing 8-bit pictures as BMP files (frame dumps, the campaign's generated pictures): uncompressed,
// a 256-entry colour table, bottom row first, rows padded to 4 bytes, biSizeImage exact, pixel data
// ending the file, so a width divisible by 4 gives a file of the strict subset every reader takes.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/display.h"

namespace varnholt {

// The file's bytes for height rows of width palette indices, `pitch` bytes apart, with `palette` (256
// entries). Empty for a size outside 1 to 8192, a pitch below the width or a null buffer or palette.
std::vector<std::uint8_t> encodeBitmapFile(int width, int height, const std::uint8_t* pixels, int pitch,
                                           const PALETTEENTRY* palette);

// Writes that file. 1 on success, 0 on failure.
int writeBitmapFile(const std::string& fileName, int width, int height, const std::uint8_t* pixels, int pitch,
                    const PALETTEENTRY* palette);

}  // namespace varnholt
