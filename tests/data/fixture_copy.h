#pragma once
// Test helpers for the database fixtures: pointing a database at a fixture folder, and a private copy of a
// folder for tests that change or delete a file after a lookup.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "data/game_database.h"

namespace varnholt::test {

inline void useFixture(GameDatabase& database, const std::string& name) {
  database.baseDirectory = "fixtures/" + name;
}

class FixtureCopy {
 public:
  explicit FixtureCopy(const std::string& name) {
    static int serial = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("varnholt-data-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    std::error_code failed;
    std::filesystem::copy("fixtures/" + name, path_, std::filesystem::copy_options::recursive, failed);
    if (failed) {
      std::filesystem::remove_all(path_, failed);
      throw std::runtime_error("fixture folder fixtures/" + name + " cannot be copied");
    }
  }
  ~FixtureCopy() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  FixtureCopy(const FixtureCopy&) = delete;
  FixtureCopy& operator=(const FixtureCopy&) = delete;

  std::string path() const { return path_.string(); }
  void remove(const char* file) const { std::filesystem::remove(path_ / file); }
  void write(const char* file, const std::string& text) const { std::ofstream(path_ / file) << text; }

 private:
  std::filesystem::path path_;
};

}  // namespace varnholt::test
