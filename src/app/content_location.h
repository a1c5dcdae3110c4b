#pragma once
// Where the game's content is. The game reads every file by a fixed name from its working directory;
// this decides which folder becomes the working directory: --data DIR when given, else the working
// directory when it holds the content, else the default campaign beside the executable
// (<exe dir>/../share/varnholt/campaign), as built or installed.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace varnholt::app {

// The files a campaign folder must hold for the game to start.
const std::vector<std::string>& requiredContentFiles();

// The first required file that `dir` lacks, or nullopt when it has them all.
std::optional<std::string> firstMissingFile(const std::filesystem::path& dir);

struct ContentSearch {
  std::optional<std::filesystem::path> found;  // the folder to use
  std::vector<std::filesystem::path> looked;   // every folder looked in, in order
  std::vector<std::string> missing;            // for each folder looked in: the first file it lacks
  std::string missingFile;                     // when nothing was found: the file the first folder lacks
};

// `dataDir` is the --data value; `workingDir` and `executable` come from the process.
ContentSearch findContent(const std::optional<std::filesystem::path>& dataDir,
                          const std::filesystem::path& workingDir, const std::filesystem::path& executable);

// One line for stderr saying what is missing and where it was looked for: each folder with the file it
// lacks, or one file and every folder when they all lack the same.
std::string describeMissingContent(const ContentSearch& search);

// The running program's own path (from /proc/self/exe), or `fallback` when it cannot be read.
std::filesystem::path executablePath(const std::filesystem::path& fallback);

}  // namespace varnholt::app
