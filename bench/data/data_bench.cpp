// computeDerived with every record already cached, and the first computeDerived of a character, which fills
// the caches by scanning the race, class and item files. The content is written to a temporary folder at
// start: 8 races, 12 classes and 60 items, the character's records near the end of each file.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "data/character.h"
#include "data/game_database.h"

namespace varnholt {
namespace {

std::string writeContent() {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("varnholt-data-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::ofstream races(folder / "racedb.txt");
  for (int id = 1; id <= 8; ++id) races << "*" << id << " Race" << id << " 1 2 1 2 1 2 1.5 1.0 2 0\n";
  std::ofstream classes(folder / "classdb.txt");
  for (int id = 1; id <= 12; ++id)
    classes << "*" << id << " Class" << id << " 2 1 2 1 2 1 2.0 0.5 " << id << " " << id + 1 << " -1 3 0\n";
  std::ofstream items(folder / "itemdb.txt");
  for (int id = 1; id <= 60; ++id) {
    items << "*" << id << " Item" << id << " " << id % 7 << " " << id % 5 << " " << id % 3 << " 1\n ";
    for (int k = 0; k < 20; ++k) items << " 0." << (id + k) % 10;
    items << "\n 0 0 0 0 1 2 3 1\n";
  }
  return folder.string();
}

// The folder lives until the program ends and is removed then.
class ContentFolder {
 public:
  ContentFolder() : path_(writeContent()) {}
  ~ContentFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const std::string& contentFolder() {
  static const ContentFolder folder;
  return folder.path();
}

Character benchCharacter() {
  Character c;
  c.id = 1;
  c.raceId = 7;
  c.classId = 11;
  c.level = 3;
  c.strength = c.vitality = c.dexterity = c.intelligence = c.agility = c.mind = 9;
  const int equipment[kEquipmentSlots] = {55, 56, 57, 58, 59, 60};
  for (int s = 0; s < kEquipmentSlots; ++s) c.equipment[s] = equipment[s];
  return c;
}

void BM_ComputeDerivedCached(benchmark::State& state) {
  GameDatabase database;
  database.baseDirectory = contentFolder();
  benchCharacter().computeDerived(database);
  for (auto _ : state) {
    Character c = benchCharacter();
    c.computeDerived(database);
    benchmark::DoNotOptimize(c.maxHp);
  }
}
BENCHMARK(BM_ComputeDerivedCached);

void BM_ComputeDerivedFillingCaches(benchmark::State& state) {
  GameDatabase database;
  database.baseDirectory = contentFolder();
  for (auto _ : state) {
    database.clearCaches();
    Character c = benchCharacter();
    c.computeDerived(database);
    benchmark::DoNotOptimize(c.maxHp);
  }
}
BENCHMARK(BM_ComputeDerivedFillingCaches);

}  // namespace
}  // namespace varnholt
