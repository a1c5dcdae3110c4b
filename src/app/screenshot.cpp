// PNG screenshots through libpng.
#include "app/screenshot.h"

#include <png.h>

#include <cstdio>
#include <ctime>
#include <memory>

namespace varnholt::app {

void FrameCopy::assign(const platform::Frame& frame) {
  width = frame.width;
  height = frame.height;
  pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int row = 0; row < height; ++row) {
    const std::uint8_t* source = frame.pixels + static_cast<std::ptrdiff_t>(row) * frame.pitch;
    std::copy(source, source + width, pixels.begin() + static_cast<std::ptrdiff_t>(row) * width);
  }
  palette.assign(frame.palette, frame.palette + 256);
}

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

struct PngWriter {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngWriter() { png_destroy_write_struct(&png, info != nullptr ? &info : nullptr); }
};

}  // namespace

bool writePng(const std::filesystem::path& path, const FrameCopy& frame, std::string& error) {
  if (frame.empty() || frame.palette.size() != 256) {
    error = "no frame has been shown yet";
    return false;
  }
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    error = "cannot write " + path.string();
    return false;
  }
  PngWriter writer;
  writer.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (writer.png == nullptr) {
    error = "libpng could not start";
    return false;
  }
  writer.info = png_create_info_struct(writer.png);
  if (writer.info == nullptr) {
    error = "libpng could not start";
    return false;
  }
  std::vector<png_color> colours(256);
  for (int i = 0; i < 256; ++i) {
    colours[i] = png_color{frame.palette[i].red, frame.palette[i].green, frame.palette[i].blue};
  }
  std::vector<png_bytep> rows(static_cast<std::size_t>(frame.height));
  for (int row = 0; row < frame.height; ++row) {
    rows[row] = const_cast<png_bytep>(frame.pixels.data()) + static_cast<std::ptrdiff_t>(row) * frame.width;
  }
  // libpng reports errors by longjmp; nothing with a destructor is created between here and the end.
  if (setjmp(png_jmpbuf(writer.png))) {
    error = "libpng failed while writing " + path.string();
    return false;
  }
  png_init_io(writer.png, file.get());
  png_set_IHDR(writer.png, writer.info, static_cast<png_uint_32>(frame.width),
               static_cast<png_uint_32>(frame.height), 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_PLTE(writer.png, writer.info, colours.data(), 256);
  png_set_rows(writer.png, writer.info, rows.data());
  png_write_png(writer.png, writer.info, PNG_TRANSFORM_IDENTITY, nullptr);
  if (std::fflush(file.get()) != 0) {
    error = "cannot write " + path.string();
    return false;
  }
  return true;
}

std::optional<std::filesystem::path> screenshotFolder(const char* xdgDataHome, const char* home) {
  if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
    return std::filesystem::path(xdgDataHome) / "varnholt" / "screenshots";
  }
  if (home != nullptr && home[0] != '\0') {
    return std::filesystem::path(home) / ".local" / "share" / "varnholt" / "screenshots";
  }
  return std::nullopt;
}

std::filesystem::path nextScreenshotPath(const std::filesystem::path& folder) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::string base = std::string("varnholt-") + stamp;
  auto path = folder / (base + ".png");
  for (int n = 2; std::filesystem::exists(path); ++n)
    path = folder / (base + "-" + std::to_string(n) + ".png");
  return path;
}

}  // namespace varnholt::app
