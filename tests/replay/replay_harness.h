#pragma once
// Running varnholt-replay from the tests: fixture campaigns built once per test process, key scripts
// written to files, the runner started as a child process, its state, hashes and output read back.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fixture_campaign.h"
#include "flow/game_flow_state.h"
#include "json_value.h"

namespace varnholt::testing {

struct HashLine {
  int frame = 0;
  int index = 0;
  std::string hash;
};

struct ReplayRun {
  // What was run, so that the same run can be repeated (to dump one of its frames).
  std::filesystem::path campaignDir;
  std::string script;
  std::vector<std::string> args;

  int exitCode = -1;
  std::string out;
  std::string err;
  std::optional<JsonValue> state;
  std::string stateText;
  std::vector<HashLine> hashes;
  std::string hashText;

  const JsonValue& s() const { return state.value(); }
  // Presents made in one frame.
  std::vector<std::string> presentsIn(int frame) const;
};

// The campaign built from the named fixture folders (basic first, then the overlays), cached per process.
std::filesystem::path campaign(const std::vector<std::string>& fixtures, const CampaignOptions& options = {},
                               const std::string& variant = "");

// Runs the replay runner on `campaignDir` with `script`; `args` are added to the command line.
ReplayRun runReplay(const std::filesystem::path& campaignDir, const std::string& script,
                    const std::vector<std::string>& args = {});

// A run's hash lines against a golden file. On a difference the run is repeated to write the first
// frame that differs as an 8-bit BMP into `failureDir`, with the run's hash lines beside it, and the
// message names both files.
struct GoldenHashResult {
  bool same = false;
  std::string message;
  std::filesystem::path picture;  // empty when the hashes are the same or no picture could be written
};
GoldenHashResult compareGoldenHashes(const ReplayRun& run, const std::filesystem::path& golden,
                                     const std::filesystem::path& failureDir);

// Compares a run's hash lines with the golden file of that name (golden/<name>.hashes), or rewrites the
// golden file when the environment variable VARNHOLT_UPDATE_GOLDEN is set. A failure leaves the actual
// frame in the build tree's golden-failures/ folder and prints its path.
void expectGoldenHashes(const ReplayRun& run, const std::string& name);
// The same for state files: `states` (one or more runs' state text) against golden/<name>.json.
void expectGoldenStates(const std::string& states, const std::string& name);

std::filesystem::path scratchDir();

// The keys that take the game from the title through the splash to a full party of Ada, Bram, Cora, Dov
// and Elin: the battle screen runs from frame 12.
inline const char* kToBattle =
    "1 Enter\n"
    "3 Enter\n4 Right\n5 Enter\n6 Right\n7 Enter\n8 Right\n9 Enter\n10 Right\n11 Enter\n";

}  // namespace varnholt::testing
