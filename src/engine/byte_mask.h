#pragma once
// Eight pixels at a time: a mask with 0xFF in every byte of a word that is not zero.

#include <cstdint>
#include <cstring>

namespace varnholt {

// 0xFF in each byte of `x` that is not zero, 0x00 in each that is. Exact for every byte value: the
// low seven bits of a byte are added up into its top bit without a carry into the next byte.
inline std::uint64_t nonzeroByteMask(std::uint64_t x) {
  constexpr std::uint64_t LOW7 = 0x7F7F7F7F7F7F7F7FULL;
  constexpr std::uint64_t ONES = 0x0101010101010101ULL;
  const std::uint64_t top = ((x & LOW7) + LOW7) | x;
  return ((top >> 7) & ONES) * 0xFF;
}

inline std::uint64_t loadWord(const std::uint8_t* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

inline void storeWord(std::uint8_t* bytes, std::uint64_t word) {
  std::memcpy(bytes, &word, sizeof word);
}

// `word` where `mask` has 0xFF bytes, `old` elsewhere.
inline std::uint64_t blendWord(std::uint64_t old, std::uint64_t word, std::uint64_t mask) {
  return (old & ~mask) | (word & mask);
}

}  // namespace varnholt
