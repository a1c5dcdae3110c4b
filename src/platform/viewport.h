#pragma once
// Where a fixed-size frame goes inside a window of any size: as large as fits with its aspect ratio kept
// and centred (black bars on the sides that are left over), at a whole-number scale whenever at least
// 1x fits, so nearest-neighbour sampling makes every source pixel the same size on screen.

namespace varnholt::platform {

struct ViewportRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const ViewportRect&) const = default;
};

// An empty rectangle when either size is not positive.
ViewportRect fitFrame(int outputWidth, int outputHeight, int frameWidth, int frameHeight);

}  // namespace varnholt::platform
