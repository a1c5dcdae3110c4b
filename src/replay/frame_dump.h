#pragma once
// Writing a captured frame as an 8-bit BMP picture, with the engine's own BMP encoder.

#include <filesystem>
#include <string>

#include "platform/frame_hash.h"

namespace varnholt::replay {

// Writes `frame` to `path`, through a temporary file beside it, so a failed write leaves no half
// picture. False with `error` naming the path when there is no frame or the file cannot be written.
bool writeFrameDump(const platform::CapturedFrame& frame, const std::filesystem::path& path,
                    std::string& error);

}  // namespace varnholt::replay
