// Drawing primitives on an 8-bit canvas. Shapes are filled by testing pixel centres, so the same call
// always sets the same pixels.

#include "art/canvas.h"

#include <algorithm>
#include <cmath>

#include "engine/bitmap_writer.h"

namespace varnholt::art {

Canvas::Canvas(int width, int height, int fill)
    : width_(width),
      height_(height),
      pixels_(static_cast<std::size_t>(width) * height, static_cast<std::uint8_t>(fill)) {}

int Canvas::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

void Canvas::set(int x, int y, int index) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<std::size_t>(y) * width_ + x] = static_cast<std::uint8_t>(index);
}

void Canvas::fillRect(int x, int y, int w, int h, int index) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) set(i, j, index);
}

void Canvas::frameRect(int x, int y, int w, int h, int index, int thickness) {
  for (int t = 0; t < thickness; ++t) {
    fillRect(x + t, y + t, w - 2 * t, 1, index);
    fillRect(x + t, y + h - 1 - t, w - 2 * t, 1, index);
    fillRect(x + t, y + t, 1, h - 2 * t, index);
    fillRect(x + w - 1 - t, y + t, 1, h - 2 * t, index);
  }
}

void Canvas::ditherRect(int x, int y, int w, int h, int index, int phase) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i)
      if (((i + j + phase) & 1) == 0) set(i, j, index);
}

void Canvas::fillEllipse(double cx, double cy, double rx, double ry, int index) {
  if (rx <= 0 || ry <= 0) return;
  for (int j = static_cast<int>(std::floor(cy - ry)); j <= static_cast<int>(std::ceil(cy + ry)); ++j)
    for (int i = static_cast<int>(std::floor(cx - rx)); i <= static_cast<int>(std::ceil(cx + rx)); ++i) {
      const double dx = (i + 0.5 - cx) / rx, dy = (j + 0.5 - cy) / ry;
      if (dx * dx + dy * dy <= 1.0) set(i, j, index);
    }
}

void Canvas::shadeEllipse(double cx, double cy, double rx, double ry, Ramp ramp, double low, double high) {
  if (rx <= 0 || ry <= 0) return;
  for (int j = static_cast<int>(std::floor(cy - ry)); j <= static_cast<int>(std::ceil(cy + ry)); ++j)
    for (int i = static_cast<int>(std::floor(cx - rx)); i <= static_cast<int>(std::ceil(cx + rx)); ++i) {
      const double dx = (i + 0.5 - cx) / rx, dy = (j + 0.5 - cy) / ry;
      const double d = dx * dx + dy * dy;
      if (d > 1.0) continue;
      // Light from the upper left: brighter towards (-0.45, -0.5), darker at the rim.
      const double lx = dx + 0.45, ly = dy + 0.5;
      const double light = 1.0 - std::min(1.0, std::sqrt(lx * lx + ly * ly) / 1.7);
      set(i, j, ramp.at(low + (high - low) * light));
    }
}

void Canvas::fillPolygon(const std::vector<Point>& points, int index) {
  if (points.size() < 3) return;
  double minY = points[0].y, maxY = points[0].y;
  for (const auto& p : points) {
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  for (int j = static_cast<int>(std::floor(minY)); j <= static_cast<int>(std::ceil(maxY)); ++j) {
    const double y = j + 0.5;
    std::vector<double> xs;
    for (std::size_t k = 0; k < points.size(); ++k) {
      const Point a = points[k], b = points[(k + 1) % points.size()];
      if ((a.y <= y && b.y > y) || (b.y <= y && a.y > y))
        xs.push_back(a.x + (y - a.y) / (b.y - a.y) * (b.x - a.x));
    }
    std::sort(xs.begin(), xs.end());
    for (std::size_t k = 0; k + 1 < xs.size(); k += 2)
      for (int i = static_cast<int>(std::ceil(xs[k] - 0.5)); i < static_cast<int>(std::ceil(xs[k + 1] - 0.5));
           ++i)
        set(i, j, index);
  }
}

void Canvas::line(double x0, double y0, double x1, double y1, int index, double thickness) {
  const double length = std::hypot(x1 - x0, y1 - y0);
  const int steps = std::max(1, static_cast<int>(std::ceil(length * 2)));
  for (int s = 0; s <= steps; ++s) {
    const double t = static_cast<double>(s) / steps;
    const double x = x0 + (x1 - x0) * t, y = y0 + (y1 - y0) * t;
    if (thickness <= 1.0)
      set(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)), index);
    else
      fillEllipse(x, y, thickness / 2, thickness / 2, index);
  }
}

void Canvas::gradient(int x, int y, int w, int h, Ramp ramp, double top, double bottom) {
  for (int j = 0; j < h; ++j) {
    const double t = h == 1 ? top : top + (bottom - top) * j / (h - 1);
    const double position = std::clamp(t, 0.0, 1.0) * (ramp.count - 1);
    const int low = static_cast<int>(std::floor(position));
    const double fraction = position - low;
    for (int i = 0; i < w; ++i) {
      // A 2 x 2 ordered dither between the two nearest entries.
      static constexpr double threshold[4] = {0.125, 0.625, 0.875, 0.375};
      const bool up = fraction > threshold[((j & 1) << 1) | (i & 1)];
      set(x + i, y + j, ramp.first + std::min(ramp.count - 1, low + (up ? 1 : 0)));
    }
  }
}

void Canvas::blit(const Canvas& source, int x, int y, bool mirror) {
  for (int j = 0; j < source.height(); ++j)
    for (int i = 0; i < source.width(); ++i) {
      const int v = source.at(mirror ? source.width() - 1 - i : i, j);
      if (v != 0) set(x + i, y + j, v);
    }
}

void Canvas::outline(int index) {
  const std::vector<std::uint8_t> before = pixels_;
  auto solid = [&](int i, int j) {
    return i >= 0 && j >= 0 && i < width_ && j < height_ &&
           before[static_cast<std::size_t>(j) * width_ + i] != 0;
  };
  for (int j = 0; j < height_; ++j)
    for (int i = 0; i < width_; ++i)
      if (!solid(i, j) && (solid(i - 1, j) || solid(i + 1, j) || solid(i, j - 1) || solid(i, j + 1)))
        set(i, j, index);
}

void Canvas::recolour(int from, int to) {
  for (auto& p : pixels_)
    if (p == from) p = static_cast<std::uint8_t>(to);
}

bool writeBmp(const Canvas& canvas, const std::string& path) {
  return writeBitmapFile(path, canvas.width(), canvas.height(), canvas.pixels().data(), canvas.width(),
                         campaignPalette().data()) == 1;
}

}  // namespace varnholt::art
