#pragma once
// The one guard every reader of a campaign file goes through before it reads: the file must exist, be a
// regular file (a device or a folder in its place would be read for ever, or not at all) and be no
// larger than the reader's cap. A campaign comes from other people, so whatever stands in the way is
// reported once and the reader goes on without the file.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace varnholt::content {

enum class FileState {
  Readable,    // a regular file within the cap: it may be read
  Missing,     // nothing there (or nothing that can be looked at)
  NotRegular,  // a folder, a device, a pipe...
  TooLarge,    // a regular file over the cap
  Unmeasured,  // a regular file whose size or modification time cannot be taken
};

// What the guard found of a file, without reading any of it.
struct FileFacts {
  FileState state = FileState::Missing;
  std::uintmax_t cap = 0;   // the cap it was measured against
  std::uintmax_t size = 0;  // bytes, for Readable and TooLarge
  long long modified = 0;   // the modification time in the file clock's ticks, for Readable

  bool readable() const { return state == FileState::Readable; }
};

// Looks at `path` (following links) and measures it against `cap`. Reports nothing.
FileFacts inspectFile(const std::filesystem::path& path, std::uintmax_t cap);

// inspectFile, and a file in the way reported once: "PATH is not a regular file; it is not read", or
// "PATH is N bytes, more than the CAP KIND may have; it is not read" (`kind` is, say, "a palette file").
// A missing file is not reported: what a missing file means is the reader's to say.
FileFacts guardFile(const std::string& path, std::uintmax_t cap, std::string_view kind);

// The bytes of a file the guard passed, no more than it measured: a file that grew since is not read past
// its cap, one that shrank gives what is left. Nothing when it cannot be opened.
std::optional<std::string> readFileBytes(const std::filesystem::path& path, const FileFacts& facts);

// guardFile, then readFileBytes: the whole file, or nothing.
std::optional<std::string> readCampaignFile(const std::string& path, std::uintmax_t cap,
                                            std::string_view kind);

}  // namespace varnholt::content
