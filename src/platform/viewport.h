#pragma once
// Where a fixed-size frame goes inside a window of any size: centred with its aspect ratio kept (black
// bars on the sides that are left over). Integer placement uses the largest whole-number scale that
// fits whenever at least 1x fits, so nearest-neighbour sampling makes every source pixel the same size
// on screen. Fit placement uses the largest size that fits at all (1440 x 1080 for 800 x 600 on a
// 1920 x 1080 screen); it is drawn by enlarging the frame a whole number of times, sharp, and smoothing
// that down to the fitted size, so no pixel row or column comes out doubled beside its neighbours.
// framePoint() goes the other way: from a point of the window (the mouse, a finger) to the frame's pixel
// shown under it.

namespace varnholt::platform {

struct ViewportRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const ViewportRect&) const = default;
};

enum class FitMode { Integer, Fit };

// An empty rectangle when either size is not positive.
ViewportRect fitFrame(int outputWidth, int outputHeight, int frameWidth, int frameHeight,
                      FitMode mode = FitMode::Integer);

// The whole-number scale at which the frame is first enlarged before being smoothed down to a place
// `placeWidth` x `placeHeight`: the smallest at which it covers the place (1 when the place is not
// larger than the frame). The place is drawn straight from the frame when this equals its own scale.
int enlargement(int placeWidth, int placeHeight, int frameWidth, int frameHeight);

// What a window point is mapped through: the window's size in its own units (those of the mouse and the
// fingers), the size of what is drawn in pixels (larger on a high-DPI window, where one unit is several
// pixels), and the frame's size and fit there.
struct PointerMapping {
  int windowWidth = 0;
  int windowHeight = 0;
  int outputWidth = 0;
  int outputHeight = 0;
  int frameWidth = 0;
  int frameHeight = 0;
  FitMode mode = FitMode::Integer;
};

// A frame pixel under a window point; `inside` is false for a point on the bars or outside the window,
// and x and y are then clamped to the frame's nearest edge.
struct FramePoint {
  int x = 0;
  int y = 0;
  bool inside = false;
  bool operator==(const FramePoint&) const = default;
};

// The frame pixel under the window point (x, y), given in window units as a continuous position (a mouse's
// whole-unit position is best given by its unit's centre, + 0.5). Nothing placed, or a position that is
// not a number: (0, 0), not inside.
FramePoint framePoint(const PointerMapping& mapping, double x, double y);

}  // namespace varnholt::platform
