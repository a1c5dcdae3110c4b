#pragma once
// The one way a frame stops before its end: a FrameStop thrown out of the frame function, carrying why.
// The frame loop catches it and ends with that reason; whoever throws (the victory handling, the scripted
// keyboard, the outside-quit watch) is never named by the loop.

#include <stdexcept>
#include <string>

namespace varnholt::app {

// How the frame loop ended.
enum class ExitReason {
  Running,      // the frame limit was reached with the game still running
  Quit,         // Escape, Space, the window closed or a quit signal: the game shut down
  CampaignEnd,  // the last battle was won: the game shut down itself
  Stuck,        // a frame kept reading the keyboard without ending
};

class FrameStop : public std::runtime_error {
 public:
  // After the last battle, once the game has shut down: no further frame runs.
  static FrameStop campaignEnd() { return {ExitReason::CampaignEnd, "the campaign is over", 0}; }
  // The user asked from outside the game for it to end; the loop shuts the game down.
  static FrameStop quit() { return {ExitReason::Quit, "quit requested from outside the game", 0}; }
  // Frame `frame` of a replay kept reading the keyboard past the read limit.
  static FrameStop stuck(int frame) {
    return {ExitReason::Stuck, "frame " + std::to_string(frame) + " kept reading the keyboard without ending",
            frame};
  }

  ExitReason reason() const { return reason_; }
  // The frame that was stopped, where the thrower knows it (a stuck frame); otherwise 0.
  int frame() const { return frame_; }

 private:
  FrameStop(ExitReason reason, const std::string& what, int frame)
      : std::runtime_error(what), reason_(reason), frame_(frame) {}

  ExitReason reason_;
  int frame_;
};

}  // namespace varnholt::app
