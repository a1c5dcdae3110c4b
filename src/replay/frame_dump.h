#pragma once
// Writing a replay's outputs: a captured frame as an 8-bit BMP picture, with the engine's own BMP
// encoder, and any output file through a new file that is then renamed over it.

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/frame_hash.h"

namespace varnholt::replay {

// Writes `bytes` to `path` through a temporary file beside it that is then renamed over it, so a reader
// never sees half a file and a failed write leaves an earlier file at `path` as it was. False with
// `error` naming the path when it cannot be written.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string& error);

// Writes `frame` to `path` as writeFileAtomically does. False with `error` naming the path when there
// is no frame or the file cannot be written.
bool writeFrameDump(const platform::CapturedFrame& frame, const std::filesystem::path& path,
                    std::string& error);

}  // namespace varnholt::replay
