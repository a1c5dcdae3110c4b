// The key-script parser on arbitrary text. A script that parses is then asked for its keys around every
// point its lines name, and each answer is compared with the rule written out the slow way: the last
// line that covers the point wins, and a read no read line covers takes its frame's keys.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/key_script.h"

using namespace varnholt::app;

namespace {

bool covers(const KeyScript::Line& line, int frame, int read) {
  const auto point = std::pair{frame, read};
  return std::pair{line.fromFrame, line.fromRead} <= point && point <= std::pair{line.toFrame, line.toRead};
}

KeySet slowFrameKeys(const std::vector<KeyScript::Line>& lines, int frame) {
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    if (it->fromRead == 0 && covers(*it, frame, 0)) return it->keys;
  }
  return 0;
}

KeySet slowReadKeys(const std::vector<KeyScript::Line>& lines, int frame, int read) {
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    if (it->fromRead != 0 && covers(*it, frame, read)) return it->keys;
  }
  return slowFrameKeys(lines, frame);
}

int step(int value, int by) {
  const long long moved = static_cast<long long>(value) + by;
  return moved > INT_MAX ? INT_MAX : moved < INT_MIN ? INT_MIN : static_cast<int>(moved);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  const auto script = KeyScript::parse(std::string_view(reinterpret_cast<const char*>(data), size), error);
  if (!script) {
    if (error.empty()) std::abort();
    return 0;
  }
  const std::vector<KeyScript::Line>& lines = script->lines();
  int last = 0;
  for (const auto& line : lines) last = std::max(last, line.toFrame);
  if (script->lastFrame() != last) std::abort();

  // Probes around the first lines' corners; the slow rule scans every line, so their number is capped.
  const std::size_t probed = std::min<std::size_t>(lines.size(), 48);
  for (std::size_t i = 0; i < probed; ++i) {
    const KeyScript::Line& line = lines[i];
    for (const auto& [frame, read] :
         {std::pair{line.fromFrame, line.fromRead}, std::pair{line.toFrame, line.toRead}}) {
      for (const int df : {-1, 0, 1}) {
        for (const int dr : {-1, 0, 1, 2}) {
          const int f = step(frame, df);
          const int r = step(read, dr);
          if (script->frameKeys(f) != slowFrameKeys(lines, f)) std::abort();
          if (script->readKeys(f, r) != slowReadKeys(lines, f, r)) std::abort();
        }
        const int f = step(frame, df);
        if (script->readKeys(f, INT_MAX) != slowReadKeys(lines, f, INT_MAX)) std::abort();
      }
    }
  }
  return 0;
}
