// Formatted token reading for the text databases.

#include "data/token_reader.h"

#include <cctype>
#include <cstring>
#include <string>

namespace varnholt {

namespace {

// Longest word the description keeps after its first word.
constexpr std::size_t kDescriptionWordLimit = 11;

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

}  // namespace

bool scanToRecord(std::istream& in, int id) {
  char ch = 0;
  while (in >> ch) {
    if (ch != '*') continue;
    int number = 0;
    if (!(in >> number)) return false;
    if (number == id) return true;
  }
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
  if (size == 0) return false;
  if (!readWord(in, field, size)) return false;
  std::string joined = field;
  char word[kDescriptionWordLimit + 1];
  for (;;) {
    std::size_t length = 0;
    if (!readToken(in, word, sizeof word, length)) break;
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

}  // namespace varnholt
