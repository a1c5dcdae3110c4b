// Checkpoint files: where they live, the format read back field by field, bad files set aside with a
// line that says why, and a failed write leaving the kept file as it was.
#include "shell/checkpoint.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

namespace varnholt::shell {
namespace {

namespace fs = std::filesystem;

fs::path freshFolder(const std::string& name) {
  const fs::path folder =
      fs::temp_directory_path() / ("varnholt-checkpoint-" + std::to_string(::getpid())) / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

Checkpoint sample() {
  Checkpoint checkpoint;
  checkpoint.battle = 3;
  checkpoint.frame = 120;
  checkpoint.keys = "1 Enter\n3-7 Right\n8.2 Enter+Up\n";
  return checkpoint;
}

TEST(CheckpointPlace, StateHomeFirstThenTheHomeFolderAndOneFilePerCampaignFolder) {
  EXPECT_EQ(checkpointFolder("/state", "/home/p"), fs::path("/state/varnholt"));
  EXPECT_EQ(checkpointFolder("", "/home/p"), fs::path("/home/p/.local/state/varnholt"));
  EXPECT_EQ(checkpointFolder("relative", "/home/p"), fs::path("/home/p/.local/state/varnholt"))
      << "a relative XDG_STATE_HOME is ignored";
  EXPECT_FALSE(checkpointFolder(nullptr, nullptr));
  EXPECT_FALSE(checkpointFolder(nullptr, ""));

  const fs::path a = checkpointFile("/state", "/games/one");
  EXPECT_EQ(a.parent_path(), fs::path("/state"));
  EXPECT_EQ(a, checkpointFile("/state", "/games/one/"));
  EXPECT_NE(a, checkpointFile("/state", "/games/two"));
  EXPECT_EQ(a.extension(), ".checkpoint");
}

TEST(CheckpointFingerprint, CoversTheNameSizeAndBytesOfCampaignFilesOnly) {
  const fs::path dir = freshFolder("fingerprint");
  writeAll(dir / "UNITS.TXT", "abc");
  writeAll(dir / "title.bmp", "BM..");
  const std::uint64_t first = campaignFingerprint(dir);
  EXPECT_EQ(first, campaignFingerprint(dir));
  writeAll(dir / "notes.keys", "1 Enter\n");
  EXPECT_EQ(first, campaignFingerprint(dir)) << "a recording beside the campaign is not part of it";
  writeAll(dir / "UNITS.TXT", "abd");
  const std::uint64_t changedByte = campaignFingerprint(dir);
  EXPECT_NE(first, changedByte);
  writeAll(dir / "UNITS.TXT", "abc");
  fs::rename(dir / "title.bmp", dir / "other.bmp");
  EXPECT_NE(first, campaignFingerprint(dir)) << "a renamed picture";
  fs::rename(dir / "other.bmp", dir / "title.bmp");
  EXPECT_EQ(first, campaignFingerprint(dir));
  writeAll(dir / "PALDATA2.PAL", "");
  EXPECT_NE(first, campaignFingerprint(dir)) << "an empty palette still counts";
}

TEST(CheckpointFormat, ReadsBackWhatItWroteAndRejectsEveryBrokenField) {
  Checkpoint written = sample();
  written.version = "1.2.3";
  written.fingerprint = 0x0123456789abcdefull;
  const std::string text = formatCheckpoint(written);
  std::string error;
  const auto read = parseCheckpoint(text, error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(read->version, "1.2.3");
  EXPECT_EQ(read->fingerprint, 0x0123456789abcdefull);
  EXPECT_EQ(read->battle, 3);
  EXPECT_EQ(read->frame, 120);
  EXPECT_EQ(read->keys, written.keys);

  const auto rejects = [&](const std::string& broken, const std::string& why) {
    std::string message;
    EXPECT_FALSE(parseCheckpoint(broken, message)) << broken;
    EXPECT_NE(message.find(why), std::string::npos) << message;
  };
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string copy = text;
    copy.replace(copy.find(from), from.size(), to);
    return copy;
  };
  rejects("", "not a Varnholt checkpoint");
  rejects("# a key script\n1 Enter\n", "not a Varnholt checkpoint");
  rejects(replaced("version 1.2.3", "versio 1.2.3"), "version");
  rejects(replaced("campaign 0123456789abcdef", "campaign 0123456789abcdeg"), "fingerprint");
  rejects(replaced("campaign 0123456789abcdef", "campaign 123"), "fingerprint");
  rejects(replaced("battle 3", "battle 0"), "battle");
  rejects(replaced("battle 3", "battle 3x"), "battle");
  rejects(replaced("frame 120", "frame -1"), "frame");
  rejects(replaced("frame 120", "frame 7"), "past the checkpoint's frame");
  rejects(text.substr(0, text.size() - 4), "truncated");
  rejects(text.substr(0, text.find("keys ")), "key count");
  rejects(text + "9 Enter\n", "longer");
  rejects(replaced("8.2 Enter+Up", "8.2 Enter+Uq"), "damaged keys");
}

class CheckpointFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = freshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    file_ = folder_ / "campaign.checkpoint";
  }
  fs::path aside() const { return fs::path(file_.string() + ".set-aside"); }

  // A file that does not load leaves no checkpoint, is moved aside whole, and says why in one line.
  void expectSetAside(const Checkpoints& checkpoints, const std::string& why) {
    const std::string before = readAll(file_);
    const Checkpoints::Loaded loaded = checkpoints.load();
    EXPECT_FALSE(loaded.checkpoint);
    EXPECT_NE(loaded.message.find(why), std::string::npos) << loaded.message;
    EXPECT_NE(loaded.message.find(aside().string()), std::string::npos) << loaded.message;
    EXPECT_EQ(loaded.message.find('\n'), std::string::npos);
    EXPECT_FALSE(fs::exists(file_));
    EXPECT_EQ(readAll(aside()), before);
    EXPECT_FALSE(checkpoints.load().message.size()) << "once aside, it is no longer there to complain about";
  }

  fs::path folder_;
  fs::path file_;
};

TEST_F(CheckpointFile, KeptAndLoadedWithItsVersionAndFingerprint) {
  const Checkpoints checkpoints(file_, "0.1.0", 42);
  EXPECT_FALSE(checkpoints.load().checkpoint);
  EXPECT_TRUE(checkpoints.load().message.empty()) << "no file is not a fault";
  std::string error;
  ASSERT_TRUE(checkpoints.keep(sample(), error)) << error;
  EXPECT_FALSE(fs::exists(file_.string() + ".part"));
  const auto loaded = checkpoints.load();
  ASSERT_TRUE(loaded.checkpoint) << loaded.message;
  EXPECT_EQ(loaded.checkpoint->battle, 3);
  EXPECT_EQ(loaded.checkpoint->keys, sample().keys);
  EXPECT_EQ(loaded.checkpoint->version, "0.1.0");
  checkpoints.discard();
  EXPECT_FALSE(fs::exists(file_));
}

TEST_F(CheckpointFile, EveryChangeOfTheFileIsTold) {
  Checkpoints checkpoints(file_, "0.1.0", 42);
  int changes = 0;
  checkpoints.setChanged([&] { ++changes; });
  checkpoints.discard();
  EXPECT_EQ(changes, 0) << "removing no file changes nothing";
  std::string error;
  ASSERT_TRUE(checkpoints.keep(sample(), error)) << error;
  EXPECT_EQ(changes, 1);
  checkpoints.discard();
  EXPECT_EQ(changes, 2);
  ASSERT_TRUE(Checkpoints(file_, "0.0.9", 42).keep(sample(), error)) << error;
  EXPECT_FALSE(checkpoints.load().checkpoint);
  EXPECT_EQ(changes, 3) << "a file set aside is a change";
}

TEST_F(CheckpointFile, KeepMakesTheFolder) {
  const Checkpoints checkpoints(folder_ / "a" / "b" / "c.checkpoint", "0.1.0", 42);
  std::string error;
  ASSERT_TRUE(checkpoints.keep(sample(), error)) << error;
  EXPECT_TRUE(checkpoints.load().checkpoint);
}

TEST_F(CheckpointFile, OtherVersionIsSetAside) {
  std::string error;
  ASSERT_TRUE(Checkpoints(file_, "0.0.9", 42).keep(sample(), error)) << error;
  expectSetAside(Checkpoints(file_, "0.1.0", 42), "version 0.0.9");
}

TEST_F(CheckpointFile, OtherCampaignIsSetAside) {
  std::string error;
  ASSERT_TRUE(Checkpoints(file_, "0.1.0", 41).keep(sample(), error)) << error;
  expectSetAside(Checkpoints(file_, "0.1.0", 42), "other campaign files");
}

TEST_F(CheckpointFile, DamagedTruncatedAndForeignFilesAreSetAside) {
  const Checkpoints checkpoints(file_, "0.1.0", 42);
  std::string error;
  ASSERT_TRUE(checkpoints.keep(sample(), error)) << error;
  const std::string good = readAll(file_);

  writeAll(file_, good.substr(0, good.size() - 5));
  expectSetAside(checkpoints, "truncated");

  std::string damaged = good;
  damaged[damaged.find("Right")] = '?';
  writeAll(file_, damaged);
  expectSetAside(checkpoints, "damaged");

  writeAll(file_, std::string("\x89PNG\r\n\x1a\n\0\0", 10));
  expectSetAside(checkpoints, "not a Varnholt checkpoint");

  fs::create_directories(file_);
  const Checkpoints::Loaded folder = checkpoints.load();
  EXPECT_FALSE(folder.checkpoint);
  EXPECT_NE(folder.message.find("not a file"), std::string::npos) << folder.message;
}

TEST_F(CheckpointFile, AFailedWriteLeavesTheKeptCheckpoint) {
  const Checkpoints checkpoints(file_, "0.1.0", 42);
  std::string error;
  ASSERT_TRUE(checkpoints.keep(sample(), error)) << error;
  const std::string kept = readAll(file_);
  // The new file cannot be made where it is written first.
  fs::create_directories(file_.string() + ".part/blocked");
  Checkpoint later = sample();
  later.battle = 4;
  EXPECT_FALSE(checkpoints.keep(later, error));
  EXPECT_NE(error.find(file_.string()), std::string::npos) << error;
  EXPECT_EQ(readAll(file_), kept);
  EXPECT_EQ(checkpoints.load().checkpoint->battle, 3);
}

}  // namespace
}  // namespace varnholt::shell
