// Parsing and querying key scripts.
#include "app/key_script.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "platform/platform.h"

namespace varnholt::app {
namespace {

struct KeyName {
  std::string_view name;
  KeyBit bit;
  int code;  // DirectInput code of the key in the keyboard snapshot
};

constexpr std::array<KeyName, 8> kKeys{{
    {"Enter", KEY_ENTER, platform::DIK_RETURN},
    {"Backspace", KEY_BACKSPACE, platform::DIK_BACK},
    {"Up", KEY_UP, platform::DIK_UP},
    {"Down", KEY_DOWN, platform::DIK_DOWN},
    {"Left", KEY_LEFT, platform::DIK_LEFT},
    {"Right", KEY_RIGHT, platform::DIK_RIGHT},
    {"Escape", KEY_ESCAPE, platform::DIK_ESCAPE},
    {"Space", KEY_SPACE, platform::DIK_SPACE},
}};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::optional<int> parsePositive(std::string_view text) {
  int value = 0;
  if (text.empty()) return std::nullopt;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 1) return std::nullopt;
  return value;
}

// "N" or "N.k" into (frame, read); read 0 when there is no ".k".
std::optional<std::pair<int, int>> parsePoint(std::string_view text) {
  auto dot = text.find('.');
  if (dot == std::string_view::npos) {
    auto frame = parsePositive(text);
    if (!frame) return std::nullopt;
    return std::pair{*frame, 0};
  }
  auto frame = parsePositive(text.substr(0, dot));
  auto read = parsePositive(text.substr(dot + 1));
  if (!frame || !read) return std::nullopt;
  return std::pair{*frame, *read};
}

std::uint64_t positionOf(int frame, int read) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(frame)) << 32) |
         static_cast<std::uint32_t>(read);
}

// Disjoint spans, painted in script order: a later span replaces whatever the earlier ones gave its
// positions. Each paint adds at most three entries and removes what it covers, so painting n lines
// costs O(n log n) however they overlap.
class SpanPainter {
 public:
  struct Entry {
    std::uint64_t last;
    KeySet keys;
  };

  void paint(std::uint64_t first, std::uint64_t last, KeySet keys) {
    // A span that starts before `first` and reaches into it keeps only its part before `first`, and
    // gets its part after `last` back as a span of its own.
    auto it = spans_.lower_bound(first);
    if (it != spans_.begin()) {
      auto before = std::prev(it);
      if (before->second.last >= first) {
        const Entry old = before->second;
        before->second.last = first - 1;
        if (old.last > last) spans_.emplace(last + 1, Entry{old.last, old.keys});
      }
    }
    // Spans that start inside [first, last] go; the last of them may leave a tail after `last`.
    it = spans_.lower_bound(first);
    while (it != spans_.end() && it->first <= last) {
      if (it->second.last > last) {
        const Entry tail = it->second;
        spans_.erase(it);
        spans_.emplace(last + 1, tail);
        break;
      }
      it = spans_.erase(it);
    }
    spans_.emplace(first, Entry{last, keys});
  }

  const std::map<std::uint64_t, Entry>& spans() const { return spans_; }

 private:
  std::map<std::uint64_t, Entry> spans_;
};

}  // namespace

std::string formatKeySet(KeySet keys) {
  std::string text;
  for (const auto& key : kKeys) {
    if ((keys & key.bit) == 0) continue;
    if (!text.empty()) text += '+';
    text += key.name;
  }
  return text.empty() ? "-" : text;
}

std::optional<KeySet> parseKeySet(std::string_view text) {
  if (text == "-") return KeySet{0};
  KeySet keys = 0;
  while (true) {
    auto plus = text.find('+');
    auto part = text.substr(0, plus);
    auto match = std::find_if(kKeys.begin(), kKeys.end(),
                              [&](const KeyName& key) { return equalsIgnoringCase(key.name, part); });
    if (match == kKeys.end()) return std::nullopt;
    keys |= match->bit;
    if (plus == std::string_view::npos) return keys;
    text.remove_prefix(plus + 1);
  }
}

void keySetToSnapshot(KeySet keys, std::uint8_t (&state)[256]) {
  std::fill(std::begin(state), std::end(state), std::uint8_t{0});
  for (const auto& key : kKeys) {
    if (keys & key.bit) state[key.code] = 0x80;
  }
}

KeySet snapshotToKeySet(const std::uint8_t (&state)[256]) {
  KeySet keys = 0;
  for (const auto& key : kKeys) {
    if (state[key.code] != 0) keys |= key.bit;
  }
  return keys;
}

std::optional<KeyScript> KeyScript::parse(std::string_view text, std::string& error) {
  KeyScript script;
  std::istringstream input{std::string(text)};
  std::string rawLine;
  int lineNumber = 0;
  auto fail = [&](const std::string& what) {
    error = "line " + std::to_string(lineNumber) + ": " + what;
    return std::nullopt;
  };
  while (std::getline(input, rawLine)) {
    ++lineNumber;
    if (auto hash = rawLine.find('#'); hash != std::string::npos) rawLine.erase(hash);
    std::istringstream fields(rawLine);
    std::string when, keys, extra;
    if (!(fields >> when)) continue;
    if (!(fields >> keys)) return fail("'" + when + "' names no keys (use '-' for none)");
    if (fields >> extra) return fail("unexpected '" + extra + "' after the keys");

    Line line;
    auto dash = when.find('-');
    auto from = parsePoint(std::string_view(when).substr(0, dash));
    auto to = dash == std::string::npos ? from : parsePoint(std::string_view(when).substr(dash + 1));
    if (!from || !to) return fail("'" + when + "' is not N, N-M, N.k or N.k-M.j with numbers from 1");
    if ((from->second == 0) != (to->second == 0)) return fail("'" + when + "' mixes a frame and a read");
    if (*to < *from) return fail("'" + when + "' ends before it starts");
    line.fromFrame = from->first;
    line.fromRead = from->second;
    line.toFrame = to->first;
    line.toRead = to->second;

    auto keySet = parseKeySet(keys);
    if (!keySet)
      return fail("'" + keys + "' is not a key list (Enter Backspace Up Down Left Right Escape Space)");
    line.keys = *keySet;
    script.lines_.push_back(line);
  }
  script.buildIndex();
  return script;
}

void KeyScript::buildIndex() {
  SpanPainter frames;
  SpanPainter reads;
  lastFrame_ = 0;
  for (const Line& line : lines_) {
    SpanPainter& painter = line.fromRead == 0 ? frames : reads;
    painter.paint(positionOf(line.fromFrame, line.fromRead), positionOf(line.toFrame, line.toRead),
                  line.keys);
    lastFrame_ = std::max(lastFrame_, line.toFrame);
  }
  const auto flatten = [](const SpanPainter& painter, std::vector<Span>& spans) {
    spans.clear();
    spans.reserve(painter.spans().size());
    for (const auto& [first, entry] : painter.spans()) spans.push_back(Span{first, entry.last, entry.keys});
  };
  flatten(frames, frameSpans_);
  flatten(reads, readSpans_);
}

const KeyScript::Span* KeyScript::findSpan(const std::vector<Span>& spans, Position position) {
  auto it = std::upper_bound(spans.begin(), spans.end(), position,
                             [](Position p, const Span& span) { return p < span.first; });
  if (it == spans.begin()) return nullptr;
  --it;
  return position <= it->last ? &*it : nullptr;
}

std::optional<KeyScript> KeyScript::load(const std::string& path, std::string& error) {
  // A directory opens as a stream that reads nothing, which would pass for an empty script.
  std::error_code ignored;
  std::ifstream file(path, std::ios::binary);
  if (!file || std::filesystem::is_directory(path, ignored)) {
    error = "cannot read " + path;
    return std::nullopt;
  }
  // Read in pieces up to the cap, so that a pipe or a device that never ends cannot fill the memory.
  std::string text;
  char piece[1 << 16];
  while (file.read(piece, sizeof piece) || file.gcount() > 0) {
    text.append(piece, static_cast<std::size_t>(file.gcount()));
    if (text.size() > kMaxKeyScriptBytes) {
      error = path + ": larger than " + std::to_string(kMaxKeyScriptBytes) + " bytes";
      return std::nullopt;
    }
  }
  auto script = parse(text, error);
  if (!script) error = path + ": " + error;
  return script;
}

KeySet KeyScript::frameKeys(int frame) const {
  if (frame < 1) return 0;
  const Span* span = findSpan(frameSpans_, positionOf(frame, 0));
  return span ? span->keys : 0;
}

KeySet KeyScript::readKeys(int frame, int read) const {
  // No line starts before frame 1 or ends on a read below 1, so a read below 1 is looked up as read 0:
  // only read lines from an earlier frame reach it.
  if (frame >= 1) {
    if (const Span* span = findSpan(readSpans_, positionOf(frame, std::max(read, 0)))) return span->keys;
  }
  return frameKeys(frame);
}

int KeyScript::lastFrame() const {
  return lastFrame_;
}

}  // namespace varnholt::app
