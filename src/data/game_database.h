#pragma once
// GameDatabase: the seven text databases of the content folder, read through one shared input stream,
// with a cache for each of the five record files. Every lookup returns a copy: from the cache when it holds
// the number, else read from the file (scanned from its start) and added to the cache. A missing file or
// number gives the empty record (id 0, every field 0), which is not cached. A file larger than any
// campaign needs (kMaxDatabaseFileBytes) or that is not a regular file is not read: it is reported once
// as a content problem and counts as missing.

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

#include "data/bounded_list.h"
#include "data/character.h"
#include "data/database_input.h"
#include "data/map_record.h"
#include "data/records.h"

namespace varnholt {

// The largest database file that is read (16 MiB; the default campaign's files are a few KiB each).
inline constexpr std::size_t kMaxDatabaseFileBytes = std::size_t{16} << 20;

class GameDatabase {
 public:
  GameDatabase();
  GameDatabase(const GameDatabase&) = delete;
  GameDatabase& operator=(const GameDatabase&) = delete;

  ItemRecord getItem(int id);
  SkillRecord getSkill(int id);
  ClassRecord getClass(int id);
  RaceRecord getRace(int id);
  Character getCharacter(int id);
  // Maps have no cache: every call reads the file.
  MapRecord getMap(int id);

  // For loaders without a cache (maps, battle definitions): opens `fileName` (one of the file-name
  // fields) on `input` and scans it for record `id`. True with `input` just after the record's number;
  // false with `input` closed when the file cannot be opened or lacks the number. Call closeInput() after
  // reading the record, before any other lookup.
  bool openRecord(const char* fileName, int id);
  void closeInput();

  // The path a file name is opened under: the name itself, relative to the working directory, unless a
  // base directory is set.
  std::string pathOf(const char* fileName) const;

  // Empties the five caches (the file names and base directory stay).
  void clearCaches();

  // Serves the file `fileName` (as a file-name field names it) from `contents` instead of the disk,
  // read exactly as the file would be; for tools and fuzzing that hold content in memory. The caches
  // are not touched.
  void setMemoryFile(std::string_view fileName, std::string contents);

  BoundedList<ItemRecord, 50> itemCache;
  BoundedList<Character, 25> characterCache;
  BoundedList<SkillRecord, 50> skillCache;
  BoundedList<ClassRecord, 15> classCache;
  BoundedList<RaceRecord, 15> raceCache;

  char characterFile[15] = {};
  char itemFile[15] = {};
  char classFile[15] = {};
  char skillFile[15] = {};
  char raceFile[15] = {};
  char mapFile[15] = {};
  char battleFile[15] = {};

  DatabaseInput input;

  // Folder the file names are relative to; empty (the working directory) in the game.
  std::string baseDirectory;

 private:
  std::map<std::string, std::string, std::less<>> memoryFiles_;
};

}  // namespace varnholt
