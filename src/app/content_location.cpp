// Finding the campaign folder.
#include "app/content_location.h"

#include <system_error>

#include "data/campaign_pictures.h"

namespace varnholt::app {

const std::vector<std::string>& requiredContentFiles() {
  static const std::vector<std::string> files{
      "chardb.txt", "itemdb.txt",   "skilldb.txt",  "classdb.txt",    "racedb.txt",
      "mapdb.txt",  "battledb.txt", "PALDATA2.PAL", pictures::kTitle, pictures::cursors::kFile};
  return files;
}

std::optional<std::string> firstMissingFile(const std::filesystem::path& dir) {
  for (const auto& name : requiredContentFiles()) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(dir / name, error)) return name;
  }
  return std::nullopt;
}

ContentSearch findContent(const std::optional<std::filesystem::path>& dataDir,
                          const std::filesystem::path& workingDir, const std::filesystem::path& executable) {
  ContentSearch search;
  std::vector<std::filesystem::path> candidates;
  if (dataDir) {
    candidates.push_back(*dataDir);
  } else {
    candidates.push_back(workingDir);
    candidates.push_back(
        (executable.parent_path() / ".." / "share" / "varnholt" / "campaign").lexically_normal());
  }
  for (const auto& dir : candidates) {
    search.looked.push_back(dir);
    auto missing = firstMissingFile(dir);
    if (!missing) {
      search.found = dir;
      return search;
    }
    search.missing.push_back(*missing);
    if (search.missingFile.empty()) search.missingFile = *missing;
  }
  return search;
}

std::string describeMissingContent(const ContentSearch& search) {
  bool sameFile = true;
  for (const auto& name : search.missing) sameFile = sameFile && name == search.missingFile;
  std::string what;
  if (sameFile) {
    what = search.missingFile + " is not in ";
    for (std::size_t i = 0; i < search.looked.size(); ++i) {
      if (i > 0) what += i + 1 == search.looked.size() ? " or " : ", ";
      what += search.looked[i].string();
    }
  } else {
    // A folder that holds part of a campaign (a damaged install, say) is named with its own gap.
    for (std::size_t i = 0; i < search.looked.size() && i < search.missing.size(); ++i) {
      if (i > 0) what += ", ";
      what += search.missing[i] + " is not in " + search.looked[i].string();
    }
  }
  return "varnholt: cannot find the game's content: " + what +
         " (use --data DIR to name the campaign folder)";
}

std::filesystem::path executablePath(const std::filesystem::path& fallback) {
  std::error_code error;
  auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::absolute(fallback, error);
  return path;
}

}  // namespace varnholt::app
