#pragma once
// Builds a small campaign for the replay tests: the text data of a fixture folder copied as it is, and
// every picture and the palette drawn from code, so no binary file is kept in the repository.

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace varnholt::testing {

struct CampaignOptions {
  // Pictures to leave out (to show what a screen does without them).
  std::set<std::string> omit;
};

// Copies the *.txt files of each folder of `textDirs` in turn into `outDir` (created if needed), a later
// folder's file replacing an earlier one's, and writes the pictures and "PALDATA2.PAL" there. False with
// `error` set when something cannot be written.
bool buildCampaign(const std::vector<std::filesystem::path>& textDirs, const std::filesystem::path& outDir,
                   const CampaignOptions& options, std::string& error);

// Palette indices the pictures are filled with, so tests can tell them apart in a dumped frame.
inline constexpr int kResultPictureIndex = 60;  // victory, game-over and end pictures: no index 0 at all
// Each result picture carries a 50 x 50 mark at (200, 200) in its own index, at (199, 199) on screen.
inline constexpr const char* kResultPictures[3] = {"gameover.bmp", "victory.bmp", "gameend.bmp"};
inline constexpr int kResultMarkIndex[3] = {61, 62, 63};

}  // namespace varnholt::testing
