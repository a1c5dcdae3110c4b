#pragma once
// The hash lines of a replay, one per presented frame: "<frame> <present> <hash>", the hash as 16
// lower-case hexadecimal digits. Golden files, varnholt-replay's --hashes and the page's hashes() are
// all this text.

#include <cstdint>
#include <string>
#include <vector>

#include "replay/frame_capture.h"

namespace varnholt::replay {

// 16 lower-case hexadecimal digits.
std::string formatHash(std::uint64_t hash);
// One line, with its newline.
std::string formatHashLine(const PresentedFrame& presented);
// Every line, in the order presented.
std::string formatHashLines(const std::vector<PresentedFrame>& presented);

}  // namespace varnholt::replay
