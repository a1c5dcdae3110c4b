// Text drawing for the generator; fonts are opened once per face and size and kept.

#include "art/text.h"

#include <filesystem>

namespace varnholt::art {

TextPainter::TextPainter(std::string defaultFontPath) : defaultPath_(std::move(defaultFontPath)) {}

std::string TextPainter::pathFor(Face face) const {
  const char* file = face == Face::Sans       ? "DejaVuSans.ttf"
                     : face == Face::SansBold ? "DejaVuSans-Bold.ttf"
                                              : "DejaVuSerif-Bold.ttf";
  const std::filesystem::path candidate = std::filesystem::path(defaultPath_).parent_path() / file;
  std::error_code ec;
  if (std::filesystem::exists(candidate, ec)) return candidate.string();
  return defaultPath_;
}

platform::FontRasterizer* TextPainter::font(const TextStyle& style) {
  const auto key = std::make_pair(style.face, style.size);
  auto it = fonts_.find(key);
  if (it == fonts_.end()) {
    std::string error;
    auto opened = platform::FontRasterizer::open(pathFor(style.face), style.size, error);
    if (!opened && error_.empty()) error_ = error;
    it = fonts_.emplace(key, std::move(opened)).first;
  }
  return it->second.get();
}

bool TextPainter::ready(std::string& error) {
  const bool ok = font(TextStyle{}) != nullptr;
  error = error_;
  return ok;
}

int TextPainter::width(const TextStyle& style, std::string_view text) {
  auto* f = font(style);
  return f ? f->measure(text) : 0;
}

int TextPainter::height(const TextStyle& style) {
  auto* f = font(style);
  return f ? f->height() : 0;
}

void TextPainter::draw(Canvas& canvas, const TextStyle& style, int x, int y, std::string_view text,
                       Align align) {
  auto* f = font(style);
  platform::TextMask mask;
  if (!f || !f->render(text, mask)) return;
  if (align == Align::Centre) x -= mask.width / 2;
  if (align == Align::Right) x -= mask.width;
  auto stamp = [&](int dx, int dy, int index) {
    for (int j = 0; j < mask.height; ++j)
      for (int i = 0; i < mask.width; ++i)
        if (mask.ink[static_cast<std::size_t>(j) * mask.width + i] != 0)
          canvas.set(x + i + dx, y + j + dy, index);
  };
  if (style.shadow >= 0) stamp(style.outline >= 0 ? 2 : 1, style.outline >= 0 ? 2 : 1, style.shadow);
  if (style.outline >= 0)
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (dx != 0 || dy != 0) stamp(dx, dy, style.outline);
  stamp(0, 0, style.colour);
}

void TextPainter::drawLines(Canvas& canvas, const TextStyle& style, int x, int y, int lineStep,
                            const std::vector<std::string>& lines, Align align) {
  for (const auto& l : lines) {
    draw(canvas, style, x, y, l, align);
    y += lineStep;
  }
}

}  // namespace varnholt::art
