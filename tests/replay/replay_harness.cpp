// The replay test harness.
#include "replay_harness.h"

#include <sys/wait.h>
#include <unistd.h>

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
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = readFile(base.string() + ".out");
  run.err = readFile(base.string() + ".err");
  run.stateText = readFile(base.string() + ".json");
  if (!run.stateText.empty()) run.state = JsonValue::parse(run.stateText);
  run.hashText = readFile(base.string() + ".hashes");
  std::istringstream lines(run.hashText);
  HashLine line;
  while (lines >> line.frame >> line.index >> line.hash) run.hashes.push_back(line);
  return run;
}

void expectGoldenHashes(const ReplayRun& run, const std::string& name) {
  const fs::path golden = fs::path(REPLAY_SOURCE_DIR) / "golden" / (name + ".hashes");
  if (std::getenv("VARNHOLT_UPDATE_GOLDEN") != nullptr) {
    fs::create_directories(golden.parent_path());
    std::ofstream(golden) << run.hashText;
    return;
  }
  EXPECT_EQ(run.hashText, readFile(golden))
      << "frame hashes differ from " << golden.string() << " (VARNHOLT_UPDATE_GOLDEN=1 rewrites it)";
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
