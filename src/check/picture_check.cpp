// The palette file and the pictures. A picture passes when the engine's loader loads it, exactly as the
// game loads it; its size and cells are then judged on what the loader gave: it must hold every rectangle
// its screen or sheet cuts from it (the catalogue of the campaign's pictures says which), and a sheet's
// cells, copied out as the game copies them, should not be empty.

#include <algorithm>
#include <fstream>
#include <vector>

#include "check/content_check.h"
#include "content/campaign_file.h"
#include "data/campaign_pictures.h"
#include "engine/bitmap.h"
#include "engine/display.h"

namespace varnholt::check {
namespace {

std::string cellLabel(const pictures::PictureUse& use, const pictures::SheetCell& cell) {
  std::string label = "cell (" + std::to_string(cell.column) + ", " + std::to_string(cell.row) + ") of " +
                      pictures::sizeText(cell.width, cell.height);
  if (use.file.empty() && cell.width == pictures::characters::kPortrait.width &&
      cell.height == pictures::characters::kPortrait.height &&
      cell.column == pictures::characters::kPortrait.column)
    label = "the portrait, " + label + ",";
  return label;
}

// Why the loader refused a file, as far as its first bytes tell; the verdict is the loader's alone.
std::string refusal(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  char magic[2] = {};
  in.read(magic, 2);
  if (in.gcount() < 2 || magic[0] != 'B' || magic[1] != 'M')
    return "not a BMP file (it does not start with \"BM\")";
  return "the game's picture loader cannot read it; it reads uncompressed 8-, 16- and 24-bit BMP files of 1 "
         "to " +
         std::to_string(BITMAP_MAX_SIDE) + " pixels a side whose pixels the file holds in full";
}

}  // namespace

void checkPicture(const std::filesystem::path& folder, const std::string& name,
                  const pictures::PictureUse& use, Report& report) {
  const auto path = folder / name;
  const content::FileFacts facts = content::inspectFile(path, BITMAP_MAX_FILE_BYTES);
  if (facts.state == content::FileState::Missing || facts.state == content::FileState::NotRegular) {
    report.problem(name, 0, "missing (" + use.what + ")");
    return;
  }
  if (facts.state == content::FileState::TooLarge) {
    report.problem(name, 0, tooLargeProblem(facts, "a picture"));
    return;
  }
  // The engine's picture cache knows a file by name, size and modification time, which a file rewritten
  // within the clock's granularity can share with its former self; the checker reads every file afresh.
  clearPictureCache();
  BitmapFile picture;
  if (!loadBitmapFile(picture, path.string())) {
    report.problem(name, 0, refusal(path));
    return;
  }
  const int width = picture.infoHeader.biWidth, height = picture.infoHeader.biHeight;
  const pictures::Extent need = pictures::extentOf(use);
  if (width < need.width || height < need.height) {
    report.problem(name, 0,
                   "size " + pictures::sizeText(width, height) + "; " + use.what + " needs at least " +
                       pictures::sizeText(need.width, need.height));
    return;
  }
  if (use.cut != pictures::Cut::Sheet) return;
  std::vector<std::uint8_t> cell;
  for (const pictures::SheetCell& at : use.cells) {
    cell.assign(static_cast<std::size_t>(at.width) * static_cast<std::size_t>(at.height), 0);
    copyPictureCell(picture, at.column, at.row, IMAGE_CELL_MODE, at.width, at.height, cell.data(), at.width);
    if (std::all_of(cell.begin(), cell.end(), [](std::uint8_t index) { return index == 0; }))
      report.warn(name, 0, cellLabel(use, at) + " is empty (every pixel transparent)");
  }
}

void checkPalette(const std::filesystem::path& folder, const std::string& name, Report& report) {
  const content::FileFacts facts = content::inspectFile(folder / name, PALETTE_MAX_FILE_BYTES);
  if (facts.state == content::FileState::TooLarge) {
    report.problem(name, 0, tooLargeProblem(facts, "a palette file"));
    return;
  }
  const std::optional<std::string> text =
      facts.readable() ? readPaletteText((folder / name).string()) : std::nullopt;
  if (!text) {
    report.problem(name, 0, "missing or unreadable");
    return;
  }
  const auto lineAt = [&](std::size_t offset) {
    return 1 + static_cast<int>(
                   std::count(text->begin(), text->begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
  };
  const std::vector<PaletteNumber> numbers = readPaletteNumbers(*text);
  static constexpr const char* kFields[4] = {"red", "green", "blue", "flags"};
  for (std::size_t k = 0; k < numbers.size(); ++k) {
    const PaletteNumber& number = numbers[k];
    const std::string entry = "entry " + std::to_string(k / 4);
    const std::string value = std::to_string(number.value);
    const char* field = kFields[k % 4];
    if (k % 4 == 3 && number.value != 0 && number.value != PC_EXPLICIT && number.value != PC_NOCOLLAPSE)
      report.problem(name, lineAt(number.offset), entry + ": flags " + value + " are none of 0, 2 and 4",
                     field);
    else if (k % 4 != 3 && (number.value < 0 || number.value > 255))
      report.problem(name, lineAt(number.offset), entry + ": " + field + " " + value + " is outside 0 to 255",
                     field);
  }
  if (numbers.size() < 4 * 256) {
    // Where the reading stopped: at something that is not a number, or at the end of the file.
    const std::size_t after = numbers.empty() ? 0 : text->find_first_of(" \t\r\n\f\v", numbers.back().offset);
    const std::size_t next =
        after == std::string::npos ? std::string::npos : text->find_first_not_of(" \t\r\n\f\v", after);
    if (next != std::string::npos) {
      const std::size_t end = text->find_first_of(" \t\r\n\f\v", next);
      report.problem(name, lineAt(next),
                     "entry " + std::to_string(numbers.size() / 4) + ": '" + text->substr(next, end - next) +
                         "' is not a number; the game stops reading here");
    }
    report.problem(name, 0,
                   "holds " + std::to_string(numbers.size() / 4) +
                       " complete entries; the game reads 256 of red, green, blue and flags");
  }
}

void checkPictures(const std::filesystem::path& folder, const std::vector<std::string>& characterPictures,
                   Report& report) {
  checkPalette(folder, START_PALETTE_FILE, report);
  for (const pictures::PictureUse& use : pictures::fixedPictureUses())
    checkPicture(folder, use.file, use, report);
  const pictures::PictureUse sheet = pictures::characterSheetUse();
  for (const std::string& name : characterPictures) checkPicture(folder, name, sheet, report);
}

}  // namespace varnholt::check
