// The whole content checker on a copy of the default campaign one of whose small files (a database, the
// palette or a sprite sheet) is the input: the input's first byte picks the file, the rest is its bytes.
// The full-screen pictures are left out of the copy so a run stays short; the checker reports them
// missing every time, which it must take in its stride as well.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "check/content_check.h"
#include "content/content_report.h"

namespace fs = std::filesystem;

namespace {

struct Copy {
  fs::path folder;
  std::vector<std::pair<fs::path, std::string>> files;  // the replaceable files and their bytes
};

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const fs::path& path, const char* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data, static_cast<std::streamsize>(size));
}

Copy& campaignCopy() {
  static Copy copy = [] {
    Copy c;
    c.folder = fs::temp_directory_path() / ("varnholt_fuzz_checker_" + std::to_string(::getpid()));
    fs::remove_all(c.folder);
    fs::create_directories(c.folder);
    std::vector<fs::path> sources;
    for (const auto& entry : fs::directory_iterator(VARNHOLT_CAMPAIGN_BUILD_DIR))
      if (entry.is_regular_file() && entry.file_size() < 100000) sources.push_back(entry.path());
    std::sort(sources.begin(), sources.end());
    for (const fs::path& source : sources) {
      const fs::path target = c.folder / source.filename();
      fs::copy_file(source, target);
      c.files.emplace_back(target, readAll(source));
    }
    if (c.files.empty()) std::abort();
    varnholt::content::setContentReportSink([](const std::string&) {});
    return c;
  }();
  return copy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  Copy& copy = campaignCopy();
  auto& [path, original] = copy.files[data[0] % copy.files.size()];
  writeAll(path, reinterpret_cast<const char*>(data + 1), size - 1);
  const varnholt::check::Report report = varnholt::check::checkCampaign(copy.folder);
  for (const auto& finding : report.findings()) {
    const std::string line = varnholt::check::formatFinding(copy.folder, finding);
    // Nothing of the file reaches a terminal as itself, and no message grows with the input.
    for (const char ch : line)
      if (static_cast<unsigned char>(ch) < 0x20 || static_cast<unsigned char>(ch) >= 0x7F) std::abort();
    if (line.size() > copy.folder.string().size() + 64 + 4 * varnholt::check::kMaxMessageLength) std::abort();
  }
  writeAll(path, original.data(), original.size());
  return 0;
}
