#include "content/campaign_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "content/content_report.h"

namespace varnholt::content {
namespace {

namespace fs = std::filesystem;

class CampaignFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    folder_ = fs::temp_directory_path() /
              ("varnholt-content-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    fs::create_directories(folder_);
    previous_ = setContentReportSink([this](const std::string& m) { reports.push_back(m); });
  }
  void TearDown() override {
    setContentReportSink(std::move(previous_));
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  std::string path(const std::string& name) const { return (folder_ / name).string(); }
  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary | std::ios::trunc) << bytes;
  }

  std::vector<std::string> reports;

 private:
  fs::path folder_;
  ContentReportSink previous_;
};

TEST_F(CampaignFileTest, ARegularFileWithinItsCapIsReadableWithItsSizeAndTime) {
  write("itemdb.txt", "*1 Sword\n");
  const FileFacts facts = guardFile(path("itemdb.txt"), 9, "a database file");
  ASSERT_TRUE(facts.readable());
  EXPECT_EQ(facts.size, 9u) << "at the cap the file is read";
  EXPECT_EQ(facts.cap, 9u);
  EXPECT_EQ(facts.modified,
            static_cast<long long>(fs::last_write_time(path("itemdb.txt")).time_since_epoch().count()));
  EXPECT_EQ(readCampaignFile(path("itemdb.txt"), 9, "a database file"), "*1 Sword\n");

  // Rewritten with another time: the facts follow, so a cache keyed on them sees a new file.
  fs::last_write_time(path("itemdb.txt"), fs::last_write_time(path("itemdb.txt")) - std::chrono::hours(1));
  EXPECT_NE(inspectFile(path("itemdb.txt"), 9).modified, facts.modified);
  EXPECT_TRUE(reports.empty());
}

TEST_F(CampaignFileTest, AFileOverItsCapIsRefusedUnreadAndReportedOnce) {
  write("big.pal", "1 2 3 4\n");
  fs::resize_file(path("big.pal"), 1000);  // sparse: only its size is looked at
  for (int attempt = 0; attempt < 2; ++attempt) {
    const FileFacts facts = guardFile(path("big.pal"), 999, "a palette file");
    EXPECT_EQ(facts.state, FileState::TooLarge);
    EXPECT_EQ(facts.size, 1000u);
    EXPECT_FALSE(readFileBytes(path("big.pal"), facts));
    EXPECT_FALSE(readCampaignFile(path("big.pal"), 999, "a palette file"));
  }
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0],
            path("big.pal") + " is 1000 bytes, more than the 999 a palette file may have; it is not read");
}

TEST_F(CampaignFileTest, AFolderOrADeviceInAFilesPlaceIsRefusedAndReportedOnce) {
  fs::create_directory(path("chardb.txt"));
  fs::create_symlink("/dev/zero", path("mapdb.txt"));  // would be read for ever
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ(guardFile(path("chardb.txt"), 100, "a database file").state, FileState::NotRegular);
    EXPECT_EQ(guardFile(path("mapdb.txt"), 100, "a database file").state, FileState::NotRegular);
    EXPECT_FALSE(readCampaignFile(path("mapdb.txt"), 100, "a database file"));
  }
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0], path("chardb.txt") + " is not a regular file; it is not read");
  EXPECT_EQ(reports[1], path("mapdb.txt") + " is not a regular file; it is not read");
}

TEST_F(CampaignFileTest, AMissingFileIsRefusedWithoutAReport) {
  fs::create_symlink(path("nowhere"), path("dangling.bmp"));
  EXPECT_EQ(guardFile(path("absent.bmp"), 100, "a picture file").state, FileState::Missing);
  EXPECT_EQ(guardFile(path("dangling.bmp"), 100, "a picture file").state, FileState::Missing);
  EXPECT_EQ(guardFile(path("absent.bmp/below"), 100, "a picture file").state, FileState::Missing);
  write("afile", "x");
  EXPECT_EQ(inspectFile(path("afile/below"), 100).state, FileState::Missing)
      << "a file where a folder should be";
  EXPECT_FALSE(readCampaignFile(path("absent.bmp"), 100, "a picture file"));
  EXPECT_TRUE(reports.empty()) << reports.front();
}

TEST_F(CampaignFileTest, AFileThatGrewAfterTheGuardIsNotReadPastWhatWasMeasured) {
  write("skilldb.txt", "12345");
  const FileFacts facts = guardFile(path("skilldb.txt"), 5, "a database file");
  ASSERT_TRUE(facts.readable());
  write("skilldb.txt", "1234567890");
  EXPECT_EQ(readFileBytes(path("skilldb.txt"), facts), "12345");
  write("skilldb.txt", "12");
  EXPECT_EQ(readFileBytes(path("skilldb.txt"), facts), "12") << "one that shrank gives what is left";
  fs::remove(path("skilldb.txt"));
  EXPECT_FALSE(readFileBytes(path("skilldb.txt"), facts)) << "one that went away cannot be opened";
}

}  // namespace
}  // namespace varnholt::content
