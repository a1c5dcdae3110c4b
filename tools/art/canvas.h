#pragma once
// An 8-bit picture being drawn: palette indices, top row first. Everything the generator draws goes
// through these few primitives; drawing outside the canvas is clipped.

#include <cstdint>
#include <string>
#include <vector>

#include "art/palette.h"

namespace varnholt::art {

struct Point {
  double x = 0;
  double y = 0;
};

class Canvas {
 public:
  Canvas(int width, int height, int fill = 0);

  int width() const { return width_; }
  int height() const { return height_; }
  const std::vector<std::uint8_t>& pixels() const { return pixels_; }

  int at(int x, int y) const;  // 0 outside
  void set(int x, int y, int index);

  void fillRect(int x, int y, int w, int h, int index);
  void frameRect(int x, int y, int w, int h, int index, int thickness = 1);
  // Every other pixel of the rectangle (a checkerboard), for tints and textures without new colours.
  void ditherRect(int x, int y, int w, int h, int index, int phase = 0);
  void fillEllipse(double cx, double cy, double rx, double ry, int index);
  // An ellipse lit from the upper left along a ramp.
  void shadeEllipse(double cx, double cy, double rx, double ry, Ramp ramp, double low = 0.2,
                    double high = 0.85);
  void fillPolygon(const std::vector<Point>& points, int index);
  void line(double x0, double y0, double x1, double y1, int index, double thickness = 1.0);
  // Vertical gradient along a ramp, dithered between neighbouring entries.
  void gradient(int x, int y, int w, int h, Ramp ramp, double top, double bottom);
  // Draws every non-zero pixel of `source` at (x, y); mirrored left to right on request.
  void blit(const Canvas& source, int x, int y, bool mirror = false);
  // Rings every shape: each transparent pixel next to a non-transparent one becomes `index`.
  void outline(int index);
  // Replaces one index by another everywhere.
  void recolour(int from, int to);

 private:
  int width_;
  int height_;
  std::vector<std::uint8_t> pixels_;
};

// Writes the canvas as an 8-bit BMP with the campaign palette. False on failure.
bool writeBmp(const Canvas& canvas, const std::string& path);

}  // namespace varnholt::art
