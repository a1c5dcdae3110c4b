#pragma once
// Formatted reading of the text databases: whitespace-separated tokens, records opened by '*' and their
// number. Shared by every loader that reads through the database's stream (including the battle
// definitions). Each read leaves its target 0 (or empty) when the token does not parse, and a word longer
// than its field is cut to fit while the whole word is consumed, so the stream stays on the next token.

#include <cstddef>
#include <istream>

#include "data/bounded_list.h"

namespace varnholt {

// Longest word a skill description keeps after its first word.
inline constexpr std::size_t kDescriptionWordLimit = 11;

// Scans from the stream's position for '*' followed by the int `id` (the star may touch the number or
// stand apart from it). Other characters are skipped one at a time; a '*' followed by anything but a
// number ends the scan. True with the stream just after the number when found.
bool scanToRecord(std::istream& in, int id);

// The scan above, one record at a time: from the stream's position to the next '*' followed by an int,
// which becomes `id`. False when the input ends first or a '*' is followed by anything but a number.
bool scanToNextRecord(std::istream& in, int& id);

// One int or double; on failure the target becomes 0 and the stream stays failed.
bool readInt(std::istream& in, int& value);
bool readDouble(std::istream& in, double& value);

// One word into a field of `size` bytes: at most size - 1 characters are kept, always terminated.
// On failure the field is empty.
bool readWord(std::istream& in, char* field, std::size_t size);

template <std::size_t N>
bool readWord(std::istream& in, char (&field)[N]) {
  return readWord(in, field, N);
}

// A skill description: the first word as it comes, then words up to a lone "*", joined by single blanks
// into a field of `size` bytes. Words after the first are cut to 11 characters, and the joined text to
// what the field holds; every word up to the "*" is consumed either way.
bool readDescription(std::istream& in, char* field, std::size_t size);

enum class FieldKind { Int, Double, Word, DescriptionWord };

// What a FieldObserver is told of one read: which field, where its token starts in the input and how
// much the read consumed.
struct FieldRead {
  const char* name = "";  // the field, as the file's layout names it
  FieldKind kind = FieldKind::Int;
  long long index = 0;        // 1-based place within a repeated field (a description's words from 0)
  long long count = 0;        // how many the repeated field holds, where the record says; else 0
  std::streamoff start = -1;  // offset of the token's first character; -1 when the input ended before it
  std::streamoff end = -1;    // offset just after what the read consumed; -1 when the read failed
  std::size_t capacity = 0;   // words: the characters the field keeps
  int value = 0;              // ints: the value read
};

// Told of every field a record reader reads, for tools that point at a file's lines (the content
// checker). The game reads without one.
class FieldObserver {
 public:
  virtual ~FieldObserver() = default;
  virtual void fieldRead(const FieldRead& read) = 0;
};

// The readers above on one stream, each field named. Without an observer every call is exactly the plain
// reader; with one, the same reads are made (the blanks before a token are skipped first, as every
// reader skips them anyway) and each is reported.
class FieldReader {
 public:
  explicit FieldReader(std::istream& in, FieldObserver* observer = nullptr) : in_(in), observer_(observer) {}

  bool readInt(int& value, const char* name, long long index = 0, long long count = 0);
  bool readDouble(double& value, const char* name, long long index = 0);
  bool readWord(char* field, std::size_t size, const char* name);
  template <std::size_t N>
  bool readWord(char (&field)[N], const char* name) {
    return readWord(field, N, name);
  }
  bool readDescription(char* field, std::size_t size, const char* name);
  // Ints up to the -1 that ends the list; a read that fails ends it as well.
  void readIdList(IdList& list, const char* name);
  template <std::size_t N>
  void readInts(int (&values)[N], const char* name) {
    for (std::size_t k = 0; k < N; ++k) readInt(values[k], name, static_cast<long long>(k) + 1);
  }
  template <std::size_t N>
  void readDoubles(double (&values)[N], const char* name) {
    for (std::size_t k = 0; k < N; ++k) readDouble(values[k], name, static_cast<long long>(k) + 1);
  }

  std::istream& stream() { return in_; }

 private:
  template <typename Read>
  bool observed(FieldRead& read, Read&& plainRead);

  std::istream& in_;
  FieldObserver* observer_;
};

}  // namespace varnholt
