#pragma once
// Where a fixed-size frame goes inside a window of any size: centred with its aspect ratio kept (black
// bars on the sides that are left over). Integer placement uses the largest whole-number scale that
// fits whenever at least 1x fits, so nearest-neighbour sampling makes every source pixel the same size
// on screen. Fit placement uses the largest size that fits at all (1440 x 1080 for 800 x 600 on a
// 1920 x 1080 screen); it is drawn by enlarging the frame a whole number of times, sharp, and smoothing
// that down to the fitted size, so no pixel row or column comes out doubled beside its neighbours.

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

}  // namespace varnholt::platform
