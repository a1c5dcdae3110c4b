#pragma once
// Text in pictures: DejaVu through the platform's font rasteriser at any size, drawn as solid ink with
// an optional one-pixel outline and drop shadow so it stays legible over busy backgrounds.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "art/canvas.h"
#include "platform/font/font_rasterizer.h"

namespace varnholt::art {

enum class Face { Sans, SansBold, SerifBold };

struct TextStyle {
  Face face = Face::Sans;
  int size = 12;
  int colour = colour::ink;
  int outline = -1;  // -1: none
  int shadow = -1;   // -1: none; drawn one pixel right and down
};

enum class Align { Left, Centre, Right };

class TextPainter {
 public:
  // Looks for the faces beside `defaultFontPath` (DejaVu's file names) and falls back to that font.
  explicit TextPainter(std::string defaultFontPath);

  // False when no font could be opened; `error` says why.
  bool ready(std::string& error);

  int width(const TextStyle& style, std::string_view text);
  int height(const TextStyle& style);
  // Draws one line with its top-left (or top-centre, top-right) at (x, y).
  void draw(Canvas& canvas, const TextStyle& style, int x, int y, std::string_view text,
            Align align = Align::Left);
  // Draws lines `lineStep` pixels apart.
  void drawLines(Canvas& canvas, const TextStyle& style, int x, int y, int lineStep,
                 const std::vector<std::string>& lines, Align align = Align::Left);

 private:
  platform::FontRasterizer* font(const TextStyle& style);
  std::string pathFor(Face face) const;

  std::string defaultPath_;
  std::map<std::pair<Face, int>, std::unique_ptr<platform::FontRasterizer>> fonts_;
  std::string error_;
};

}  // namespace varnholt::art
