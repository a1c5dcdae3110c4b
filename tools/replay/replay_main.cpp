// varnholt-replay: runs the game headless with a virtual clock, driven by a key script, and reports the
// final state as JSON, the hash of every presented frame, and chosen frames as BMP pictures.
//
//   varnholt-replay --data DIR --keys FILE [--frames N] [--state FILE] [--hashes FILE] [--dump N:FILE.bmp]...
//
// Exit codes: 0 ran as asked; 1 the game could not start (content missing, set-up failed); 2 bad usage
// or an unreadable script; 3 a frame made more than 100000 keyboard reads (--max-reads) without ending.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/content_location.h"
#include "app/key_script.h"
#include "app/scripted_keyboard.h"
#include "check/content_check.h"
#include "cli/option_parser.h"
#include "platform/headless/headless_platform.h"
#include "replay/frame_dump.h"
#include "replay/replay_session.h"

namespace fs = std::filesystem;
using namespace varnholt;

namespace {

struct ReplayOptions {
  std::optional<fs::path> dataDir;
  fs::path keys;
  int frames = 0;  // 0: the last frame the script names, plus one
  std::optional<fs::path> state;
  std::optional<fs::path> hashes;
  std::multimap<int, fs::path> dumps;
  int maxReads = app::ScriptedKeyboard::kDefaultReadLimit;
};

const char* kUsage =
    "Usage: varnholt-replay --data DIR --keys FILE [--frames N] [--state FILE] [--hashes FILE]\n"
    "                       [--dump N:FILE.bmp]...\n"
    "Runs Varnholt headless on the campaign in DIR, holding the keys the script FILE names.\n"
    "  --frames N          run N frames (default: the last frame the script names, plus one)\n"
    "  --state FILE        write the game's state as JSON after the last frame\n"
    "  --hashes FILE       write '<frame> <present> <hash>' for every presented frame\n"
    "  --dump N:FILE.bmp   write the last picture presented in frame N as an 8-bit BMP\n"
    "  --max-reads N       keyboard reads one frame may make before it counts as stuck (100000)\n";

// Parses the arguments; on a mistake prints it with the usage and returns nullopt. --help prints the
// usage and ends the program at once.
std::optional<ReplayOptions> parseArguments(int argc, char** argv) {
  ReplayOptions options;
  bool haveKeys = false;
  bool help = false;
  cli::OptionParser parser;
  parser
      .flag(
          {"--help"}, [&] { help = true; }, true)
      .value("--data", "a value", cli::storeIn(options.dataDir))
      .value("--keys", "a value",
             [&](const std::string& value) {
               options.keys = value;
               haveKeys = true;
               return std::string();
             })
      .value("--frames", "a value", cli::numberIn(options.frames, 1, "--frames needs a number from 1"))
      .value("--max-reads", "a value",
             cli::numberIn(options.maxReads, 1, "--max-reads needs a number from 1"))
      .value("--state", "a value", cli::storeIn(options.state))
      .value("--hashes", "a value", cli::storeIn(options.hashes))
      .value("--dump", "a value", [&](const std::string& value) {
        const auto colon = value.find(':');
        const auto frame =
            colon == std::string::npos ? std::nullopt : cli::parseNumber(value.substr(0, colon), 1);
        if (!frame || colon + 1 >= value.size()) return std::string("--dump needs N:FILE.bmp");
        options.dumps.emplace(*frame, value.substr(colon + 1));
        return std::string();
      });
  const auto parsed = parser.parse(argc, argv);
  if (help) {
    std::cout << kUsage;
    std::exit(0);
  }
  std::string error = parsed.error;
  if (error.empty() && !haveKeys) error = "--keys FILE is required";
  if (!error.empty()) {
    std::cerr << "varnholt-replay: " << error << "\n" << kUsage;
    return std::nullopt;
  }
  return options;
}

// Runs the game in the campaign folder (the working directory by now) to the end of the script and
// writes what was asked for. Returns the exit code.
int runReplay(const ReplayOptions& options, const app::KeyScript& script) {
  platform::HeadlessPlatform headless;
  replay::ReplaySettings settings;
  settings.frames = options.frames;
  settings.maxReads = options.maxReads;
  settings.hashFrames = options.hashes.has_value();
  settings.dumps = options.dumps;
  replay::ReplaySession session(headless, script, std::move(settings), std::cerr, "varnholt-replay");
  if (!session.start()) {
    std::cerr << "varnholt: " << session.failure() << "\n";
    return 1;
  }
  const app::LoopResult& result = session.run();
  // Each output is written whole or not at all: a tool waiting for the file never reads half of it.
  auto write = [](const fs::path& path, const std::string& text) {
    std::string error;
    if (!replay::writeFileAtomically(path, text, error)) std::cerr << "varnholt-replay: " << error << "\n";
  };
  if (options.state) write(*options.state, session.stateJson());
  if (options.hashes) write(*options.hashes, session.hashLines());
  std::cout << session.summary() << "\n";
  if (result.reason == app::ExitReason::Stuck) {
    std::cerr << "varnholt-replay: frame " << result.frames << " kept reading the keyboard without ending\n";
  }
  session.shutdown();
  return session.exitCode();
}

}  // namespace

int main(int argc, char** argv) {
  auto options = parseArguments(argc, argv);
  if (!options) return 2;

  std::string error;
  auto script = app::KeyScript::load(options->keys.string(), error);
  if (!script) {
    std::cerr << "varnholt-replay: " << error << "\n";
    return 2;
  }

  const fs::path workingDir = fs::current_path();
  auto search = app::findContent(options->dataDir, workingDir, app::executablePath(argv[0]));
  if (!search.found) {
    std::cerr << app::describeMissingContent(search) << "\n";
    return 1;
  }
  check::reportCampaignAtStart(*search.found, "varnholt-replay", std::cerr);
  // The outputs are named relative to where the runner was started; the game reads from the campaign.
  auto absolute = [&](const fs::path& path) { return path.is_absolute() ? path : workingDir / path; };
  if (options->state) options->state = absolute(*options->state);
  if (options->hashes) options->hashes = absolute(*options->hashes);
  for (auto& dump : options->dumps) dump.second = absolute(dump.second);
  if (::chdir(search.found->c_str()) != 0) {
    std::cerr << "varnholt-replay: cannot enter " << search.found->string() << "\n";
    return 1;
  }
  return runReplay(*options, *script);
}
