// Checkpoint files: where they live, their format, reading them back and setting bad ones aside.
#include "shell/checkpoint.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "app/key_script.h"
#include "replay/frame_dump.h"

namespace fs = std::filesystem;

namespace varnholt::shell {
namespace {

constexpr std::string_view kMagic = "varnholt checkpoint 1";
// A checkpoint file larger than this is not read.
constexpr std::uintmax_t kMaxFileBytes = app::kMaxKeyScriptBytes + 4096;

// FNV-1a, 64 bits.
class Hash64 {
 public:
  void add(std::string_view bytes) {
    for (unsigned char c : bytes) {
      value_ ^= c;
      value_ *= 0x100000001b3ull;
    }
  }
  void add(std::uint64_t number) {
    char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    add(std::string_view(bytes, 8));
  }
  std::uint64_t value() const { return value_; }

 private:
  std::uint64_t value_ = 0xcbf29ce484222325ull;
};

std::string hex16(std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
  return text;
}

bool isCampaignFile(const fs::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".txt" || ext == ".pal" || ext == ".bmp";
}

// "NAME value" with a name it must be; the value's text.
std::optional<std::string_view> field(std::string_view line, std::string_view name) {
  if (line.size() <= name.size() + 1 || line.substr(0, name.size()) != name || line[name.size()] != ' ')
    return std::nullopt;
  return line.substr(name.size() + 1);
}

template <typename Number>
std::optional<Number> number(std::string_view text, int base = 10) {
  Number value{};
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<fs::path> checkpointFolder(const char* xdgStateHome, const char* home) {
  if (xdgStateHome != nullptr && xdgStateHome[0] == '/') return fs::path(xdgStateHome) / "varnholt";
  if (home != nullptr && home[0] != '\0') return fs::path(home) / ".local" / "state" / "varnholt";
  return std::nullopt;
}

fs::path checkpointFile(const fs::path& folder, const fs::path& campaignDir) {
  std::error_code ignored;
  fs::path absolute = fs::weakly_canonical(fs::absolute(campaignDir, ignored), ignored);
  if (absolute.empty()) absolute = campaignDir;
  absolute = absolute.lexically_normal();
  // "/games/one/" is the folder "/games/one".
  if (!absolute.has_filename() && absolute.has_parent_path() && absolute != absolute.root_path())
    absolute = absolute.parent_path();
  Hash64 hash;
  hash.add(std::string_view(absolute.string()));
  return folder / ("campaign-" + hex16(hash.value()) + ".checkpoint");
}

std::uint64_t campaignFingerprint(const fs::path& campaignDir) {
  std::vector<fs::path> files;
  std::error_code code;
  for (fs::directory_iterator it(campaignDir, code), end; !code && it != end; it.increment(code)) {
    std::error_code kind;
    if (it->is_regular_file(kind) && isCampaignFile(it->path())) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  Hash64 hash;
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string name = file.filename().string();
    hash.add(static_cast<std::uint64_t>(name.size()));
    hash.add(std::string_view(name));
    hash.add(static_cast<std::uint64_t>(bytes.size()));
    hash.add(std::string_view(bytes));
  }
  return hash.value();
}

std::string formatCheckpoint(const Checkpoint& checkpoint) {
  std::ostringstream out;
  out << kMagic << "\nversion " << checkpoint.version << "\ncampaign " << hex16(checkpoint.fingerprint)
      << "\nbattle " << checkpoint.battle << "\nframe " << checkpoint.frame << "\nkeys "
      << checkpoint.keys.size() << "\n"
      << checkpoint.keys;
  return out.str();
}

std::optional<Checkpoint> parseCheckpoint(std::string_view text, std::string& error) {
  std::size_t at = 0;
  auto nextLine = [&]() -> std::optional<std::string_view> {
    const std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) return std::nullopt;
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    return line;
  };
  auto fail = [&](const std::string& what) -> std::optional<Checkpoint> {
    error = what;
    return std::nullopt;
  };
  const auto magic = nextLine();
  if (!magic || *magic != kMagic) return fail("not a Varnholt checkpoint");
  Checkpoint checkpoint;
  const auto version = nextLine();
  const auto versionText = version ? field(*version, "version") : std::nullopt;
  if (!versionText) return fail("no program version");
  checkpoint.version = std::string(*versionText);
  const auto campaign = nextLine();
  const auto campaignText = campaign ? field(*campaign, "campaign") : std::nullopt;
  const auto fingerprint =
      campaignText && campaignText->size() == 16 ? number<std::uint64_t>(*campaignText, 16) : std::nullopt;
  if (!fingerprint) return fail("no campaign fingerprint");
  checkpoint.fingerprint = *fingerprint;
  const auto battleLine = nextLine();
  const auto battle = battleLine ? field(*battleLine, "battle") : std::nullopt;
  const auto battleNumber = battle ? number<int>(*battle) : std::nullopt;
  if (!battleNumber || *battleNumber < 1) return fail("no battle number");
  checkpoint.battle = *battleNumber;
  const auto frameLine = nextLine();
  const auto frame = frameLine ? field(*frameLine, "frame") : std::nullopt;
  const auto frameNumber = frame ? number<int>(*frame) : std::nullopt;
  if (!frameNumber || *frameNumber < 1) return fail("no frame number");
  checkpoint.frame = *frameNumber;
  const auto keysLine = nextLine();
  const auto keys = keysLine ? field(*keysLine, "keys") : std::nullopt;
  const auto keyBytes = keys ? number<std::size_t>(*keys) : std::nullopt;
  if (!keyBytes) return fail("no key count");
  if (text.size() - at != *keyBytes) {
    return fail(text.size() - at < *keyBytes ? "truncated" : "longer than its header says");
  }
  checkpoint.keys = std::string(text.substr(at));
  std::string scriptError;
  const auto script = app::KeyScript::parse(checkpoint.keys, scriptError);
  if (!script) return fail("damaged keys: " + scriptError);
  if (script->lastFrame() > checkpoint.frame) return fail("keys run past the checkpoint's frame");
  return checkpoint;
}

std::string Checkpoints::setAside(const std::string& why) const {
  fs::path aside = file_;
  aside += ".set-aside";
  std::error_code code;
  fs::rename(file_, aside, code);
  if (code) {
    std::error_code removed;
    fs::remove(file_, removed);
    if (changed_) changed_();
    return "varnholt: the checkpoint " + file_.string() + " " + why + "; it could not be set aside (" +
           code.message() + "); a new campaign starts";
  }
  if (changed_) changed_();
  return "varnholt: the checkpoint " + file_.string() + " " + why + "; set aside as " + aside.string() +
         "; a new campaign starts";
}

Checkpoints::Loaded Checkpoints::load() const {
  Loaded loaded;
  std::error_code code;
  if (!fs::exists(file_, code)) return loaded;
  if (!fs::is_regular_file(file_, code)) {
    loaded.message = setAside("is not a file");
    return loaded;
  }
  if (fs::file_size(file_, code) > kMaxFileBytes) {
    loaded.message = setAside("is too large");
    return loaded;
  }
  std::ifstream in(file_, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in.eof() && in.fail()) {
    loaded.message = setAside("cannot be read");
    return loaded;
  }
  std::string error;
  auto checkpoint = parseCheckpoint(text, error);
  if (!checkpoint) {
    loaded.message = setAside("is damaged (" + error + ")");
  } else if (checkpoint->version != version_) {
    loaded.message = setAside("was kept by version " + checkpoint->version + ", not " + version_);
  } else if (checkpoint->fingerprint != fingerprint_) {
    loaded.message = setAside("belongs to other campaign files");
  } else {
    loaded.checkpoint = std::move(checkpoint);
  }
  return loaded;
}

bool Checkpoints::keep(Checkpoint checkpoint, std::string& error) const {
  checkpoint.version = version_;
  checkpoint.fingerprint = fingerprint_;
  std::error_code code;
  fs::create_directories(file_.parent_path(), code);
  const bool kept = replay::writeFileAtomically(file_, formatCheckpoint(checkpoint), error);
  if (kept && changed_) changed_();
  return kept;
}

void Checkpoints::discard() const {
  std::error_code code;
  if (fs::remove(file_, code) && changed_) changed_();
}

}  // namespace varnholt::shell
