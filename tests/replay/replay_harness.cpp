// The replay test harness.
#include "replay_harness.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace varnholt::testing {
namespace fs = std::filesystem;
namespace {

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<HashLine> parseHashes(const std::string& text) {
  std::vector<HashLine> hashes;
  std::istringstream lines(text);
  HashLine line;
  while (lines >> line.frame >> line.index >> line.hash) hashes.push_back(line);
  return hashes;
}

std::string quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace

std::vector<std::string> ReplayRun::presentsIn(int frame) const {
  std::vector<std::string> found;
  for (const auto& line : hashes) {
    if (line.frame == frame) found.push_back(line.hash);
  }
  return found;
}

// A folder of this test process, removed when the process ends.
struct ScratchFolder {
  fs::path path = fs::temp_directory_path() / ("varnholt-replay-test-" + std::to_string(::getpid()));
  ScratchFolder() {
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

fs::path scratchDir() {
  static const ScratchFolder folder;
  return folder.path;
}

fs::path campaign(const std::vector<std::string>& fixtures, const CampaignOptions& options,
                  const std::string& variant) {
  static std::map<std::string, fs::path> built;
  std::string key = variant;
  for (const auto& fixture : fixtures) key += "+" + fixture;
  if (auto it = built.find(key); it != built.end()) return it->second;
  std::vector<fs::path> textDirs{fs::path(REPLAY_SOURCE_DIR) / "fixtures" / "basic"};
  for (const auto& fixture : fixtures) textDirs.push_back(fs::path(REPLAY_SOURCE_DIR) / "fixtures" / fixture);
  const fs::path out = scratchDir() / ("campaign" + std::to_string(built.size()));
  std::string error;
  if (!buildCampaign(textDirs, out, options, error)) ADD_FAILURE() << error;
  built.emplace(key, out);
  return out;
}

ReplayRun runReplay(const fs::path& campaignDir, const std::string& script,
                    const std::vector<std::string>& args) {
  static int counter = 0;
  const fs::path base = scratchDir() / ("run" + std::to_string(++counter));
  { std::ofstream(base.string() + ".keys") << script; }
  std::string command = quote(VARNHOLT_REPLAY) + " --data " + quote(campaignDir.string()) + " --keys " +
                        quote(base.string() + ".keys") + " --state " + quote(base.string() + ".json") +
                        " --hashes " + quote(base.string() + ".hashes");
  for (const auto& arg : args) command += " " + quote(arg);
  command += " > " + quote(base.string() + ".out") + " 2> " + quote(base.string() + ".err");
  const int status = std::system(command.c_str());

  ReplayRun run;
  run.campaignDir = campaignDir;
  run.script = script;
  run.args = args;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = readFile(base.string() + ".out");
  run.err = readFile(base.string() + ".err");
  run.stateText = readFile(base.string() + ".json");
  if (!run.stateText.empty()) run.state = JsonValue::parse(run.stateText);
  run.hashText = readFile(base.string() + ".hashes");
  run.hashes = parseHashes(run.hashText);
  return run;
}

GoldenHashResult compareGoldenHashes(const ReplayRun& run, const fs::path& golden,
                                     const fs::path& failureDir) {
  GoldenHashResult result;
  const std::string expectedText = readFile(golden);
  if (run.hashText == expectedText) {
    result.same = true;
    return result;
  }
  const std::vector<HashLine> expected = parseHashes(expectedText);
  std::size_t first = 0;
  while (first < run.hashes.size() && first < expected.size() &&
         run.hashes[first].frame == expected[first].frame &&
         run.hashes[first].index == expected[first].index && run.hashes[first].hash == expected[first].hash)
    ++first;

  std::ostringstream message;
  message << "frame hashes differ from " << golden.string();
  const auto describe = [](const std::vector<HashLine>& lines, std::size_t i) {
    if (i >= lines.size()) return std::string("(no line)");
    return std::to_string(lines[i].frame) + " " + std::to_string(lines[i].index) + " " + lines[i].hash;
  };
  message << "\n  first difference at line " << first + 1 << ": expected " << describe(expected, first)
          << ", actual " << describe(run.hashes, first);
  const std::string stem = golden.stem().string();
  fs::create_directories(failureDir);
  const fs::path actualHashes = failureDir / (stem + ".actual.hashes");
  std::ofstream(actualHashes) << run.hashText;
  message << "\n  actual hashes: " << actualHashes.string();

  // The first present that differs, or the run's last one when the run presented fewer.
  if (run.hashes.empty()) {
    message << "\n  the run presented no picture";
  } else {
    const HashLine& differing = run.hashes[std::min(first, run.hashes.size() - 1)];
    const fs::path picture = failureDir / (stem + "-frame" + std::to_string(differing.frame) + ".bmp");
    fs::remove(picture);
    std::vector<std::string> args = run.args;
    args.insert(args.end(), {"--dump", std::to_string(differing.frame) + ":" + picture.string()});
    runReplay(run.campaignDir, run.script, args);
    if (fs::exists(picture)) {
      result.picture = picture;
      message << "\n  actual frame " << differing.frame;
      const std::size_t presents = run.presentsIn(differing.frame).size();
      if (presents > 1)
        message << " (it presented " << presents
                << " pictures; this is the last, the difference is in number " << differing.index << ")";
      message << ": " << picture.string();
    } else {
      message << "\n  frame " << differing.frame << " could not be written as a picture";
    }
  }
  message << "\n  VARNHOLT_UPDATE_GOLDEN=1 rewrites the golden file";
  result.message = message.str();
  return result;
}

void expectGoldenHashes(const ReplayRun& run, const std::string& name) {
  const fs::path golden = fs::path(REPLAY_SOURCE_DIR) / "golden" / (name + ".hashes");
  if (std::getenv("VARNHOLT_UPDATE_GOLDEN") != nullptr) {
    fs::create_directories(golden.parent_path());
    std::ofstream(golden) << run.hashText;
    return;
  }
  const GoldenHashResult result =
      compareGoldenHashes(run, golden, fs::path(REPLAY_BINARY_DIR) / "golden-failures");
  EXPECT_TRUE(result.same) << result.message;
}

void expectGoldenStates(const std::string& states, const std::string& name) {
  const fs::path golden = fs::path(REPLAY_SOURCE_DIR) / "golden" / (name + ".json");
  if (std::getenv("VARNHOLT_UPDATE_GOLDEN") != nullptr) {
    fs::create_directories(golden.parent_path());
    std::ofstream(golden) << states;
    return;
  }
  EXPECT_EQ(states, readFile(golden))
      << "state files differ from " << golden.string() << " (VARNHOLT_UPDATE_GOLDEN=1 rewrites it)";
}

}  // namespace varnholt::testing
