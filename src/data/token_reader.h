#pragma once
// Formatted reading of the text databases: whitespace-separated tokens, records opened by '*' and their
// number. Shared by every loader that reads through the database's stream (including the battle
// definitions). Each read leaves its target 0 (or empty) when the token does not parse, and a word longer
// than its field is cut to fit while the whole word is consumed, so the stream stays on the next token.

#include <cstddef>
#include <istream>

namespace varnholt {

// Scans from the stream's position for '*' followed by the int `id` (the star may touch the number or
// stand apart from it). Other characters are skipped one at a time; a '*' followed by anything but a
// number ends the scan. True with the stream just after the number when found.
bool scanToRecord(std::istream& in, int id);

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

}  // namespace varnholt
