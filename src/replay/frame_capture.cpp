// Hashing and keeping presented frames.
#include "replay/frame_capture.h"

#include <algorithm>

namespace varnholt::replay {

void FrameCapture::beginFrame(int frame) {
  frame_ = frame;
  index_ = 0;
}

bool FrameCapture::present(const platform::Frame& frame) {
  if (frame.pixels == nullptr || frame.palette == nullptr) return PlatformDecorator::present(frame);
  ++index_;
  latestFrame_ = frame_;
  if (hashFrames_) presented_.push_back({frame_, index_, platform::hashFrame(frame)});
  if (keepLatest_) {
    latest_.width = frame.width;
    latest_.height = frame.height;
    latest_.pixels.resize(static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height));
    for (int row = 0; row < frame.height; ++row) {
      const std::uint8_t* source = frame.pixels + static_cast<std::ptrdiff_t>(row) * frame.pitch;
      std::copy(source, source + frame.width,
                latest_.pixels.begin() + static_cast<std::ptrdiff_t>(row) * frame.width);
    }
    std::copy(frame.palette, frame.palette + 256, latest_.palette.begin());
  }
  return PlatformDecorator::present(frame);
}

}  // namespace varnholt::replay
