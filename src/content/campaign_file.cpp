// The guard before a campaign file is read, and the capped read.
#include "content/campaign_file.h"

#include <fstream>

#include "content/content_report.h"

namespace varnholt::content {

namespace fs = std::filesystem;

FileFacts inspectFile(const fs::path& path, std::uintmax_t cap) {
  FileFacts facts;
  facts.cap = cap;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) return facts;
  if (!fs::is_regular_file(status)) {
    facts.state = FileState::NotRegular;
    return facts;
  }
  facts.state = FileState::Unmeasured;
  const std::uintmax_t size = fs::file_size(path, error);
  if (error) return facts;
  facts.size = size;
  if (size > cap) {
    facts.state = FileState::TooLarge;
    return facts;
  }
  const fs::file_time_type modified = fs::last_write_time(path, error);
  if (error) return facts;
  // The cast: some C++ libraries count file times in 128 bits.
  facts.modified = static_cast<long long>(modified.time_since_epoch().count());
  facts.state = FileState::Readable;
  return facts;
}

FileFacts guardFile(const std::string& path, std::uintmax_t cap, std::string_view kind) {
  const FileFacts facts = inspectFile(path, cap);
  if (facts.state == FileState::NotRegular) {
    reportContentProblem(path + " is not a regular file; it is not read");
  } else if (facts.state == FileState::TooLarge) {
    reportContentProblem(path + " is " + std::to_string(facts.size) + " bytes, more than the " +
                         std::to_string(cap) + " " + std::string(kind) + " may have; it is not read");
  }
  return facts;
}

std::optional<std::string> readFileBytes(const fs::path& path, const FileFacts& facts) {
  if (!facts.readable()) return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(facts.size), '\0');
  file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(file.gcount()));
  return bytes;
}

std::optional<std::string> readCampaignFile(const std::string& path, std::uintmax_t cap,
                                            std::string_view kind) {
  return readFileBytes(path, guardFile(path, cap, kind));
}

}  // namespace varnholt::content
