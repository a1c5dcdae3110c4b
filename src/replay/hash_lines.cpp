// Formatting the hash lines.
#include "replay/hash_lines.h"

#include <cstdio>

namespace varnholt::replay {

std::string formatHash(std::uint64_t hash) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::string formatHashLine(const PresentedFrame& presented) {
  return std::to_string(presented.frame) + ' ' + std::to_string(presented.index) + ' ' +
         formatHash(presented.hash) + '\n';
}

std::string formatHashLines(const std::vector<PresentedFrame>& presented) {
  std::string text;
  text.reserve(presented.size() * 24);
  for (const PresentedFrame& line : presented) text += formatHashLine(line);
  return text;
}

}  // namespace varnholt::replay
