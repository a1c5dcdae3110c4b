// The replay library's shared pieces: the frame limit, the hash lines, frame dumps read back by the
// engine's own BMP reader, a session run in-process, and the frame loop ending on a FrameStop.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

#include "app/frame_stop.h"
#include "app/game.h"
#include "app/game_loop.h"
#include "app/platform_decorator.h"
#include "engine/bitmap.h"
#include "engine/display.h"
#include "platform/headless/headless_platform.h"
#include "replay/frame_dump.h"
#include "replay/hash_lines.h"
#include "replay/replay_session.h"
#include "replay_harness.h"

namespace varnholt::testing {
namespace {

namespace fs = std::filesystem;
using platform::CapturedFrame;

TEST(ReplayFrameLimit, IsTheFrameAfterTheLastNamedUnlessFramesAreGiven) {
  constexpr int kMax = std::numeric_limits<int>::max();
  EXPECT_EQ(replay::frameLimit(5, 0), 6);
  EXPECT_EQ(replay::frameLimit(0, 0), 1) << "a script without lines still runs one frame";
  EXPECT_EQ(replay::frameLimit(kMax - 1, 0), kMax);
  EXPECT_EQ(replay::frameLimit(kMax, 0), kMax) << "no frame after the largest: it runs to that one";
  // --frames wins either way, shorter or longer than the script.
  EXPECT_EQ(replay::frameLimit(10, 3), 3);
  EXPECT_EQ(replay::frameLimit(10, 40), 40);
  EXPECT_EQ(replay::frameLimit(kMax, 1), 1);
  EXPECT_EQ(replay::frameLimit(0, kMax), kMax);
}

TEST(ReplayHashLines, AreFrameIndexAndSixteenLowerCaseHexDigits) {
  EXPECT_EQ(replay::formatHash(0), "0000000000000000");
  EXPECT_EQ(replay::formatHash(0xABCDEFull), "0000000000abcdef");
  EXPECT_EQ(replay::formatHash(~0ull), "ffffffffffffffff");
  EXPECT_EQ(replay::formatHashLine({12, 3, 0x0123456789ABCDEFull}), "12 3 0123456789abcdef\n");
  EXPECT_EQ(replay::formatHashLines({}), "");
  EXPECT_EQ(replay::formatHashLines({{1, 1, 1}, {1, 2, 0xF0ull << 56}, {2147483647, 1, 2}}),
            "1 1 0000000000000001\n1 2 f000000000000000\n2147483647 1 0000000000000002\n");
}

std::vector<std::uint8_t> fileBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(FrameDump, WritesABottomUpEightBitPictureTheEngineReadsBack) {
  CapturedFrame frame;
  frame.width = 3;  // rows padded to 4 bytes in the file
  frame.height = 2;
  frame.pixels = {1, 2, 3, 4, 5, 6};
  frame.palette[5] = {200, 100, 50, 4};
  const fs::path path = scratchDir() / "dump-readback.bmp";
  std::string error;
  ASSERT_TRUE(replay::writeFrameDump(frame, path, error)) << error;
  EXPECT_FALSE(fs::exists(path.string() + ".part"));

  const std::vector<std::uint8_t> bytes = fileBytes(path);
  ASSERT_EQ(bytes.size(), 14u + 40u + 1024u + 8u);
  const auto u32 = [&](std::size_t at) {
    return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 | std::uint32_t{bytes[at + 2]} << 16 |
           std::uint32_t{bytes[at + 3]} << 24;
  };
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(u32(10), 1078u);             // pixel data offset
  EXPECT_EQ(u32(22), 2u);                // height (positive: bottom-up)
  EXPECT_EQ(u32(34), 8u);                // image size, the exact pixel data
  EXPECT_EQ(bytes[54 + 5 * 4 + 0], 50);  // colour table is blue, green, red
  EXPECT_EQ(bytes[54 + 5 * 4 + 2], 200);
  const std::vector<std::uint8_t> rows(bytes.begin() + 1078, bytes.end());
  EXPECT_EQ(rows, (std::vector<std::uint8_t>{4, 5, 6, 0, 1, 2, 3, 0}));

  BitmapFile picture;
  ASSERT_EQ(decodeBitmap(bytes.data(), bytes.size(), 8, picture), 1);
  EXPECT_EQ(picture.infoHeader.biWidth, 3);
  EXPECT_EQ(picture.infoHeader.biHeight, 2);
  EXPECT_EQ(picture.infoHeader.biBitCount, 8);
  EXPECT_EQ(picture.palette[5].red, 200);
  EXPECT_EQ(picture.palette[5].green, 100);
  EXPECT_EQ(picture.palette[5].blue, 50);
}

TEST(FrameDump, ReplacesAnOldPictureAndReportsWhatItCannotWrite) {
  const fs::path path = scratchDir() / "dump-replaced.bmp";
  std::ofstream(path) << "an older and much longer file than the picture that replaces it";
  CapturedFrame frame;
  frame.width = frame.height = 4;
  frame.pixels.assign(16, 9);
  std::string error;
  ASSERT_TRUE(replay::writeFrameDump(frame, path, error)) << error;
  EXPECT_EQ(fileBytes(path).size(), 14u + 40u + 1024u + 16u);

  EXPECT_FALSE(replay::writeFrameDump(CapturedFrame{}, scratchDir() / "empty.bmp", error));
  EXPECT_FALSE(fs::exists(scratchDir() / "empty.bmp"));
  CapturedFrame torn = frame;
  torn.pixels.pop_back();  // fewer pixels than its size says
  EXPECT_FALSE(replay::writeFrameDump(torn, scratchDir() / "torn.bmp", error));
  EXPECT_FALSE(replay::writeFrameDump(frame, "/nonexistent-folder/frame.bmp", error));
  EXPECT_NE(error.find("/nonexistent-folder/frame.bmp"), std::string::npos) << error;
}

TEST(OutputFile, IsWrittenWholeOrLeavesWhatWasThere) {
  const fs::path path = scratchDir() / "output-state.json";
  std::string error;
  ASSERT_TRUE(replay::writeFileAtomically(path, "an older, longer state file", error)) << error;
  ASSERT_TRUE(replay::writeFileAtomically(path, "{}", error)) << error;
  EXPECT_EQ(fileBytes(path).size(), 2u);
  EXPECT_FALSE(fs::exists(scratchDir() / "output-state.json.part"));

  // A folder with something in it cannot be replaced by a file: the write fails, says where, keeps the
  // folder and leaves no temporary file behind.
  const fs::path taken = scratchDir() / "output-taken";
  fs::create_directories(taken / "inside");
  EXPECT_FALSE(replay::writeFileAtomically(taken, "{}", error));
  EXPECT_NE(error.find("output-taken"), std::string::npos) << error;
  EXPECT_TRUE(fs::is_directory(taken / "inside"));
  EXPECT_FALSE(fs::exists(scratchDir() / "output-taken.part"));
}

// Runs `body` inside the campaign folder, as the game needs.
template <typename Body>
void inCampaign(const fs::path& dir, Body body) {
  const fs::path here = fs::current_path();
  ASSERT_EQ(::chdir(dir.c_str()), 0);
  body();
  ASSERT_EQ(::chdir(here.c_str()), 0);
}

TEST(ReplaySession, RunsTheGivenFramesAndSumsUpAsTheRunnerDoes) {
  std::string error;
  const auto script = app::KeyScript::parse("1 Up\n9 Down\n", error);
  ASSERT_TRUE(script) << error;
  inCampaign(campaign({}), [&] {
    platform::HeadlessPlatform headless;
    replay::ReplaySettings settings;
    settings.frames = 4;
    std::ostringstream log;
    replay::ReplaySession session(headless, *script, settings, log, "test");
    ASSERT_TRUE(session.start()) << session.failure();
    EXPECT_EQ(session.run().frames, 4) << "--frames cuts the script short";
    EXPECT_EQ(session.result().reason, app::ExitReason::Running);
    EXPECT_EQ(session.summary(), "frames=4 ms=" + std::to_string(4 * (20 + 1)) +
                                     " screenState=" + std::to_string(toNumber(Screen::Title)) +
                                     " battleNumber=1 exit=running");
    const std::string lines = session.hashLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 4) << lines;
    EXPECT_EQ(lines.substr(lines.size() - 21, 4), "4 1 ") << lines;
    EXPECT_EQ(session.exitCode(), 0);
    EXPECT_EQ(log.str(), "");
    session.shutdown();
  });
}

TEST(ReplaySession, AStuckFrameEndsTheRunWithExitThreeAndItsDumpsAreNoted) {
  // Frame 2 opens the intro pages, whose Enter comes only at the first read.
  std::string error;
  const auto script = app::KeyScript::parse("1 Down\n2.1 Enter\n", error);
  ASSERT_TRUE(script) << error;
  inCampaign(campaign({}), [&] {
    platform::HeadlessPlatform headless;
    replay::ReplaySettings settings;
    settings.maxReads = 50;
    const fs::path stopped = scratchDir() / "stuck-frame.bmp";
    fs::remove(stopped);
    settings.dumps.emplace(2, stopped);
    settings.dumps.emplace(5, scratchDir() / "never.bmp");
    std::ostringstream log;
    replay::ReplaySession session(headless, *script, settings, log, "test");
    ASSERT_TRUE(session.start()) << session.failure();
    const app::LoopResult& result = session.run();
    EXPECT_EQ(result.reason, app::ExitReason::Stuck);
    EXPECT_EQ(result.frames, 2);
    EXPECT_TRUE(fs::exists(stopped)) << "the stopped frame's last picture is still written";
    EXPECT_EQ(session.exitCode(), 3);
    EXPECT_NE(session.summary().find(" exit=stuck"), std::string::npos);
    EXPECT_NE(log.str().find("test: the game ended after frame " + std::to_string(result.frames)),
              std::string::npos)
        << log.str();
    session.shutdown();
  });
}

// Stops the frame that makes the `at`-th present with `stop`.
class StopAtPresent : public app::PlatformDecorator {
 public:
  StopAtPresent(platform::Platform& inner, int at, app::FrameStop stop)
      : PlatformDecorator(inner), at_(at), stop_(std::move(stop)) {}
  bool present(const platform::Frame& frame) override {
    const bool shown = PlatformDecorator::present(frame);
    if (++presents_ == at_) throw stop_;
    return shown;
  }

 private:
  int at_;
  int presents_ = 0;
  app::FrameStop stop_;
};

TEST(FrameLoop, EndsWithTheReasonAFrameStopCarries) {
  const app::FrameStop stops[] = {app::FrameStop::quit(), app::FrameStop::campaignEnd(),
                                  app::FrameStop::stuck(3)};
  inCampaign(campaign({}), [&] {
    for (const app::FrameStop& stop : stops) {
      platform::HeadlessPlatform headless;
      StopAtPresent stopper(headless, 3, stop);
      app::Game game(stopper);
      ASSERT_TRUE(game.gameInit()) << game.failure();
      int afterFrames = 0;
      app::FrameObserver observer;
      observer.afterFrame = [&](int) { ++afterFrames; };
      const app::LoopResult result = app::runGameLoop(game, stopper, observer, 10);
      EXPECT_EQ(result.reason, stop.reason()) << stop.what();
      EXPECT_EQ(result.frames, 3) << "the stopped frame counts";
      EXPECT_EQ(afterFrames, 2) << "a stopped frame has no end to observe";
      // Only a quit is shut down by the loop; a campaign's end shuts down itself, and a stuck replay
      // keeps its state for the report.
      EXPECT_EQ(backBuffer == nullptr, stop.reason() == app::ExitReason::Quit) << stop.what();
      game.gameShutdown();
    }
  });
  EXPECT_EQ(app::FrameStop::stuck(3).frame(), 3);
  EXPECT_EQ(std::string(app::FrameStop::stuck(3).what()), "frame 3 kept reading the keyboard without ending");
}

}  // namespace
}  // namespace varnholt::testing
