// Frame dumps as BMP files, and output files written whole or not at all.
#include "replay/frame_dump.h"

#include <fstream>
#include <system_error>

#include "engine/bitmap_writer.h"

namespace varnholt::replay {

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string& error) {
  std::filesystem::path temporary = path;
  temporary += ".part";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      error = "cannot write " + path.string();
      return false;
    }
  }
  std::error_code renamed;
  std::filesystem::rename(temporary, path, renamed);
  if (renamed) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    error = "cannot write " + path.string() + ": " + renamed.message();
    return false;
  }
  return true;
}

bool writeFrameDump(const platform::CapturedFrame& frame, const std::filesystem::path& path,
                    std::string& error) {
  const bool whole = frame.width > 0 && frame.height > 0 &&
                     frame.pixels.size() == static_cast<std::size_t>(frame.width) * frame.height;
  const std::vector<std::uint8_t> bytes =
      whole ? encodeBitmapFile(frame.width, frame.height, frame.pixels.data(), frame.width,
                               frame.palette.data())
            : std::vector<std::uint8_t>();
  if (bytes.empty()) {
    error = "no frame to write to " + path.string();
    return false;
  }
  return writeFileAtomically(
      path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), error);
}

}  // namespace varnholt::replay
