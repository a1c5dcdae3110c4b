// Every fixed content file of the default campaign removed, cut to half and replaced by 200 random
// bytes, one at a time, each copy played for 3,000 frames of the winning key script by varnholt-replay:
// the runner never crashes, hangs or trips a sanitizer, and wherever the checker finds the damaged file
// unusable the runner's standard error names it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "check/content_check.h"
#include "data/campaign_pictures.h"
#include "data/game_database.h"
#include "engine/display.h"

namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::string> contentFiles() {
  std::vector<std::string> files = {
      "itemdb.txt", "skilldb.txt", "classdb.txt",  "racedb.txt",
      "chardb.txt", "mapdb.txt",   "battledb.txt", varnholt::START_PALETTE_FILE};
  for (const auto& use : varnholt::pictures::fixedPictureUses()) files.push_back(use.file);
  return files;
}

TEST(FaultMatrix, EveryContentFileRemovedHalvedOrRandomIsSurvivedAndNamed) {
  const std::vector<std::string> files = contentFiles();
  ASSERT_EQ(files.size(), 25u);
  const fs::path work = fs::temp_directory_path() / ("varnholt_faults_" + std::to_string(::getpid()));
  const fs::path folder = work / "campaign";
  fs::remove_all(work);
  fs::create_directories(work);
  fs::copy(VARNHOLT_CAMPAIGN_BUILD_DIR, folder);
  std::mt19937 random(2026);
  const char* damages[] = {"removed", "cut to half", "200 random bytes"};
  for (const std::string& file : files) {
    const fs::path path = folder / file;
    const std::string original = readAll(path);
    ASSERT_FALSE(original.empty()) << file;
    for (const char* damage : damages) {
      const std::string what = file + " " + damage;
      if (damage == damages[0]) fs::remove(path);
      if (damage == damages[1]) writeAll(path, original.substr(0, original.size() / 2));
      if (damage == damages[2]) {
        std::string bytes(200, '\0');
        for (char& b : bytes) b = static_cast<char>(random() & 0xFF);
        writeAll(path, bytes);
      }
      const varnholt::check::Report report = varnholt::check::checkCampaign(folder);
      bool unusable = false;
      for (const auto& finding : report.findings()) unusable |= !finding.warning && finding.file == file;

      const fs::path err = work / "err.txt";
      const std::string command = std::string("timeout 300 ") + VARNHOLT_REPLAY + " --data '" +
                                  folder.string() + "' --keys '" + WIN_KEYS +
                                  "' --frames 3000 >/dev/null 2>'" + err.string() + "'";
      const int status = std::system(command.c_str());
      ASSERT_TRUE(WIFEXITED(status)) << what;
      const int code = WEXITSTATUS(status);
      const std::string said = readAll(err);
      EXPECT_TRUE(code == 0 || code == 1) << what << ": exit " << code << "\n" << said;
      EXPECT_EQ(said.find("Sanitizer"), std::string::npos) << what << "\n" << said;
      EXPECT_EQ(said.find("runtime error"), std::string::npos) << what << "\n" << said;
      if (unusable) {
        EXPECT_NE(said.find(file), std::string::npos) << what << " is not named:\n" << said;
      }
    }
    writeAll(path, original);
  }
  fs::remove_all(work);
}

}  // namespace
