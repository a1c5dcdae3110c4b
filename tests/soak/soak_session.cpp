// A long session of random keys on the built campaign, headless: every keyboard read gets keys from a
// fixed-seed generator of this program's own (never the game's), and the game is started again when
// it ends or every kSessionFrames frames. Resident memory is read at fixed shares of the run and
// printed as a table; the run fails when memory at the end has grown well beyond what it was at a
// fifth of the run (a leak or an unbounded cache), or when a session gets stuck.
//   soak_session [FRAMES]      (run inside the campaign folder; default 200000)
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "app/game.h"
#include "app/game_loop.h"
#include "app/key_script.h"
#include "platform/headless/headless_platform.h"

using namespace varnholt;

namespace {

constexpr int kSessionFrames = 20000;
// Growth allowed between a fifth of the run and its end: far more than noise, far less than a leak of a
// picture or a record per frame would give over the run.
constexpr long kAllowedGrowthKiB = 64 * 1024;

long residentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// xorshift32: the test's own sequence, the same on every run.
class Keys {
 public:
  app::KeySet next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    // Escape and Space are left out: either would quit at the next frame's start.
    static constexpr app::KeySet kChoices[] = {0,
                                               0,
                                               0,
                                               app::KEY_ENTER,
                                               app::KEY_ENTER,
                                               app::KEY_BACKSPACE,
                                               app::KEY_UP,
                                               app::KEY_DOWN,
                                               app::KEY_LEFT,
                                               app::KEY_RIGHT,
                                               app::KEY_UP | app::KEY_LEFT};
    return kChoices[state_ % (sizeof kChoices / sizeof kChoices[0])];
  }

 private:
  std::uint32_t state_ = 0x9E3779B9u;
};

}  // namespace

int main(int argc, char** argv) {
  const long total = argc > 1 ? std::stol(argv[1]) : 200000;
  if (total < 10) {
    std::cerr << "soak_session: FRAMES must be at least 10\n";
    return 2;
  }
  Keys keys;
  app::KeySet latest = 0;
  platform::HeadlessPlatform headless;
  headless.setKeyboardHook([&](std::uint8_t(&state)[256]) {
    latest = keys.next();
    app::keySetToSnapshot(latest, state);
  });
  headless.setKeyDownHook([&](platform::DirectKey key) {
    return key == platform::DirectKey::Return && (latest & app::KEY_ENTER);
  });

  const int checkpoints[] = {10, 20, 50, 100};
  long rssAtFifth = 0;
  long rssAtEnd = 0;
  long done = 0;
  int sessions = 0;
  int battlesReached = 0;
  long battleFrames = 0;  // frames that ended on the battle screen
  std::unique_ptr<app::Game> game;
  long sessionFrames = 0;
  const auto endSession = [&](bool shutDown) {
    battlesReached = std::max(battlesReached, game->battle().battleNumber);
    if (shutDown) game->gameShutdown();
    game.reset();
  };
  const auto start = std::chrono::steady_clock::now();
  std::printf("%8s %10s %9s %11s %9s %8s %14s\n", "share", "frames", "seconds", "rss KiB", "sessions",
              "battle", "battle frames");
  for (const int share : checkpoints) {
    const long target = total * share / 100;
    while (done < target) {
      if (!game) {
        game = std::make_unique<app::Game>(headless);
        ++sessions;
        sessionFrames = 0;
        if (!game->gameInit()) {
          std::cerr << "soak_session: " << game->failure() << "\n";
          return 1;
        }
      }
      const long frames = std::min(target - done, kSessionFrames - sessionFrames);
      app::FrameObserver observer;
      observer.afterFrame = [&](int) {
        if (game->flow().screenState == Screen::Battle) ++battleFrames;
      };
      const app::LoopResult result = app::runGameLoop(*game, headless, observer, static_cast<int>(frames));
      done += result.frames;
      sessionFrames += result.frames;
      if (result.reason == app::ExitReason::Stuck) {
        std::cerr << "soak_session: session " << sessions << " stuck after " << sessionFrames << " frames\n";
        return 1;
      }
      if (result.reason != app::ExitReason::Running) {
        endSession(false);
      } else if (sessionFrames >= kSessionFrames) {
        endSession(true);
      }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long rss = residentKiB();
    std::printf("%7d%% %10ld %9.1f %11ld %9d %8d %14ld\n", share, done, seconds, rss, sessions,
                std::max(battlesReached, game ? game->battle().battleNumber : 0), battleFrames);
    std::fflush(stdout);
    if (share == 20) rssAtFifth = rss;
    rssAtEnd = rss;
  }
  if (game) endSession(true);
  if (rssAtEnd > rssAtFifth + kAllowedGrowthKiB) {
    std::cerr << "soak_session: resident memory grew from " << rssAtFifth << " KiB to " << rssAtEnd
              << " KiB\n";
    return 1;
  }
  return 0;
}
