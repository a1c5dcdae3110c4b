// Formatted token reading for the text databases.

#include "data/token_reader.h"

#include <cctype>
#include <cstring>
#include <string>

namespace varnholt {

namespace {

bool isBlank(int ch) {
  return std::isspace(static_cast<unsigned char>(ch)) != 0;
}

// Reads one whole word, keeping at most size - 1 characters in `field`; `length` is the word's full length.
bool readToken(std::istream& in, char* field, std::size_t size, std::size_t& length) {
  length = 0;
  if (size > 0) field[0] = '\0';
  if (!in) return false;
  in >> std::ws;
  if (!in || in.peek() == std::char_traits<char>::eof()) {
    in.setstate(std::ios::failbit);
    return false;
  }
  std::size_t kept = 0;
  for (int ch = in.peek(); ch != std::char_traits<char>::eof() && !isBlank(ch); ch = in.peek()) {
    in.get();
    if (kept + 1 < size) field[kept++] = static_cast<char>(ch);
    ++length;
  }
  if (size > 0) field[kept] = '\0';
  return true;
}

// Where the stream stands, without touching its state; -1 when it cannot tell.
std::streamoff offsetOf(std::istream& in) {
  std::streambuf* buffer = in.rdbuf();
  if (buffer == nullptr) return -1;
  return static_cast<std::streamoff>(buffer->pubseekoff(0, std::ios::cur, std::ios::in));
}

// Skips the blanks every reader skips before its token, and tells where the token starts (-1 at the end
// of the input or on a failed stream).
std::streamoff tokenStart(std::istream& in) {
  if (!in) return -1;
  in >> std::ws;
  if (!in || in.eof()) return -1;
  return offsetOf(in);
}

void report(FieldObserver* observer, FieldRead read, std::istream& in, bool ok) {
  read.end = ok ? offsetOf(in) : -1;
  observer->fieldRead(read);
}

// readDescription, each word reported when an observer is given.
bool readDescriptionObserved(std::istream& in, char* field, std::size_t size, FieldObserver* observer,
                             const char* name) {
  if (size == 0) return false;
  FieldRead read{name, FieldKind::DescriptionWord, 0, 0, -1, -1, size - 1};
  if (observer) read.start = tokenStart(in);
  const bool first = readWord(in, field, size);
  if (observer) report(observer, read, in, first);
  if (!first) return false;
  std::string joined = field;
  char word[kDescriptionWordLimit + 1];
  for (long long index = 1;; ++index) {
    std::size_t length = 0;
    FieldRead wordRead{name, FieldKind::DescriptionWord, index, 0, -1, -1, kDescriptionWordLimit};
    if (observer) wordRead.start = tokenStart(in);
    const bool ok = readToken(in, word, sizeof word, length);
    if (observer) report(observer, wordRead, in, ok);
    if (!ok) break;
    if (length == 1 && word[0] == '*') break;
    // A blank is added only when at least one character of the word fits after it.
    if (joined.size() + 1 < size - 1) {
      joined += ' ';
      joined += word;
    }
  }
  const std::size_t kept = joined.size() < size - 1 ? joined.size() : size - 1;
  std::memcpy(field, joined.data(), kept);
  field[kept] = '\0';
  return static_cast<bool>(in);
}

}  // namespace

bool scanToNextRecord(std::istream& in, int& id) {
  char ch = 0;
  while (in >> ch) {
    if (ch != '*') continue;
    int number = 0;
    if (!(in >> number)) return false;
    id = number;
    return true;
  }
  return false;
}

bool scanToRecord(std::istream& in, int id) {
  int number = 0;
  while (scanToNextRecord(in, number))
    if (number == id) return true;
  return false;
}

bool readInt(std::istream& in, int& value) {
  int read = 0;
  if (in >> read) {
    value = read;
    return true;
  }
  value = 0;
  return false;
}

bool readDouble(std::istream& in, double& value) {
  double read = 0.0;
  if (in >> read) {
    value = read;
    return true;
  }
  value = 0.0;
  return false;
}

bool readWord(std::istream& in, char* field, std::size_t size) {
  std::size_t length = 0;
  return readToken(in, field, size, length);
}

bool readDescription(std::istream& in, char* field, std::size_t size) {
  return readDescriptionObserved(in, field, size, nullptr, "");
}

template <typename Read>
bool FieldReader::observed(FieldRead& read, Read&& plainRead) {
  if (observer_ == nullptr) return plainRead();
  read.start = tokenStart(in_);
  const bool ok = plainRead();
  report(observer_, read, in_, ok);
  return ok;
}

bool FieldReader::readInt(int& value, const char* name, long long index, long long count) {
  if (observer_ == nullptr) return varnholt::readInt(in_, value);
  FieldRead read{name, FieldKind::Int, index, count};
  return observed(read, [&] {
    const bool ok = varnholt::readInt(in_, value);
    read.value = value;
    return ok;
  });
}

bool FieldReader::readDouble(double& value, const char* name, long long index) {
  FieldRead read{name, FieldKind::Double, index};
  return observed(read, [&] { return varnholt::readDouble(in_, value); });
}

bool FieldReader::readWord(char* field, std::size_t size, const char* name) {
  FieldRead read{name, FieldKind::Word};
  read.capacity = size > 0 ? size - 1 : 0;
  return observed(read, [&] { return varnholt::readWord(in_, field, size); });
}

bool FieldReader::readDescription(char* field, std::size_t size, const char* name) {
  return readDescriptionObserved(in_, field, size, observer_, name);
}

void FieldReader::readIdList(IdList& list, const char* name) {
  int value = 0;
  for (long long index = 1; readInt(value, name, index) && value != -1; ++index) list.add(value);
}

}  // namespace varnholt
