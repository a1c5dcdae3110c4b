// Running a replay.
#include "replay/replay_session.h"

#include <limits>
#include <sstream>

#include "replay/frame_dump.h"
#include "replay/game_state_json.h"
#include "replay/hash_lines.h"

namespace varnholt::replay {

int frameLimit(int lastNamedFrame, int frames) {
  if (frames > 0) return frames;
  return lastNamedFrame < std::numeric_limits<int>::max() ? lastNamedFrame + 1 : lastNamedFrame;
}

ReplaySession::ReplaySession(platform::Platform& backend, const app::KeyScript& script,
                             ReplaySettings settings, std::ostream& log, std::string program)
    : script_(script),
      settings_(std::move(settings)),
      log_(log),
      program_(std::move(program)),
      keyboard_(backend, script, settings_.maxReads),
      capture_(keyboard_),
      game_(capture_) {
  capture_.setRecording(settings_.hashFrames, !settings_.dumps.empty());
}

bool ReplaySession::start() {
  if (!game_.gameInit()) return false;
  startTicks_ = capture_.ticks();
  return true;
}

void ReplaySession::writeDumpsFor(int frame) {
  auto [first, last] = settings_.dumps.equal_range(frame);
  for (auto it = first; it != last; ++it) {
    // A frame that presented nothing (Backspace on the battle screen) has no picture of its own.
    if (capture_.latestFrame() != frame) {
      log_ << program_ << ": frame " << frame << " presented no picture; " << it->second.string()
           << " not written\n";
      continue;
    }
    std::string error;
    if (!writeFrameDump(capture_.latest(), it->second, error)) log_ << program_ << ": " << error << "\n";
  }
}

const app::LoopResult& ReplaySession::run() {
  app::FrameObserver observer;
  observer.beforeFrame = [&](int frame) {
    keyboard_.beginFrame(frame);
    capture_.beginFrame(frame);
  };
  if (!settings_.dumps.empty()) observer.afterFrame = [&](int frame) { writeDumpsFor(frame); };
  result_ = app::runGameLoop(game_, capture_, observer, frameLimit(script_.lastFrame(), settings_.frames));
  if (result_.reason == app::ExitReason::CampaignEnd || result_.reason == app::ExitReason::Stuck) {
    // The last frame stopped midway; what it presented is still its picture.
    writeDumpsFor(result_.frames);
  }
  for (const auto& [frame, path] : settings_.dumps) {
    if (frame > result_.frames) {
      log_ << program_ << ": the game ended after frame " << result_.frames << "; " << path.string()
           << " not written\n";
    }
  }
  return result_;
}

std::string ReplaySession::stateJson() const {
  std::ostringstream json;
  writeGameState(json, game_, result_);
  return json.str();
}

std::string ReplaySession::hashLines() const {
  return formatHashLines(capture_.presented());
}

std::string ReplaySession::summary() {
  std::ostringstream line;
  line << "frames=" << result_.frames << " ms=" << (capture_.ticks() - startTicks_)
       << " screenState=" << toNumber(game_.flow().screenState)
       << " battleNumber=" << game_.battle().battleNumber << " exit=" << app::exitReasonName(result_.reason);
  return line.str();
}

}  // namespace varnholt::replay
