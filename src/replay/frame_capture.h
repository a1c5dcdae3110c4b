#pragma once
// Watches what a replayed session presents: the hash of every presented frame (for golden files) and a
// copy of the latest one (for dumping a frame as a picture).

#include <cstdint>
#include <vector>

#include "app/platform_decorator.h"
#include "platform/frame_hash.h"

namespace varnholt::replay {

struct PresentedFrame {
  int frame = 0;  // the frame function call it happened in, from 1
  int index = 0;  // which present inside that call, from 1
  std::uint64_t hash = 0;
};

class FrameCapture : public app::PlatformDecorator {
 public:
  using PlatformDecorator::PlatformDecorator;

  void beginFrame(int frame);
  bool present(const platform::Frame& frame) override;
  // Hashing every frame and copying the latest one cost more than the game's own frame work, so a run
  // that asks for neither skips them. Both are on by default.
  void setRecording(bool hashFrames, bool keepLatest) {
    hashFrames_ = hashFrames;
    keepLatest_ = keepLatest;
  }

  const std::vector<PresentedFrame>& presented() const { return presented_; }
  // The latest presented picture, and the frame it was presented in (0: none yet).
  const platform::CapturedFrame& latest() const { return latest_; }
  int latestFrame() const { return latestFrame_; }

 private:
  int frame_ = 0;
  int index_ = 0;
  std::vector<PresentedFrame> presented_;
  platform::CapturedFrame latest_;
  int latestFrame_ = 0;
  bool hashFrames_ = true;
  bool keepLatest_ = true;
};

}  // namespace varnholt::replay
