#pragma once
// varnholt-picture: pictures to and from the game's 8-bit BMP files, and palette files from pictures or
// GIMP palettes. Everything the program does is here, so that the tests run it in-process; its main only
// passes the command line on.
//
//   varnholt-picture IN OUT.bmp [--palette FILE] [--dither] [--transparent RRGGBB] [--sheet NAME]
//   varnholt-picture IN OUT.png [--rgb]
//   varnholt-picture --make-palette IN OUT.PAL [--transparent RRGGBB]
//
// IN is a PNG or an 8-bit BMP (a GIMP .gpl file too for --make-palette), told by its first bytes. Exit
// status: 0 written, 1 nothing written (bad input, a problem with the palette or the sheet, a failed
// write), 2 a wrong command line.

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "data/campaign_pictures.h"
#include "picture/image.h"

namespace varnholt::imaging {

extern const char* const kUsage;

// Runs the program on the arguments after its name: what was written goes to `out`, problems and
// warnings to `err`.
int runPictureTool(const std::vector<std::string>& args, std::ostream& output, std::ostream& err);

// "RRGGBB" or "#RRGGBB" in hexadecimal, as an opaque colour.
std::optional<Rgba> parseColour(std::string_view text);

// Which of the game's uses a BMP written to `output` is judged by: the one `requested` names (a picture
// of the catalogue, with or without its extension, in any case; "character" for a character's sheet;
// "none" for no check), or, with nothing requested, the one the output's file name is in the catalogue
// or in the character database beside it. `label` names it in messages; `warning` is set when the name
// matches only in another case.
struct SheetChoice {
  std::optional<pictures::PictureUse> use;
  std::string label;
  std::string warning;
};
bool chooseSheet(const std::string& requested, const std::filesystem::path& output, SheetChoice& choice,
                 std::string& error);

// The whole file, refused (with the reason in `error`) when it is missing, not a regular file or larger
// than `cap` bytes.
bool readWholeFile(const std::filesystem::path& path, std::size_t cap, std::string& bytes,
                   std::string& error);

// A file written beside its final name and moved there in one rename, so that the final name holds the
// old file or the whole new one, never a part. Removed unless committed.
class PendingFile {
 public:
  explicit PendingFile(std::filesystem::path target);
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  bool write(std::string_view bytes, std::string& error);
  bool commit(std::string& error);
  const std::filesystem::path& temporary() const { return temporary_; }

 private:
  std::filesystem::path target_;
  std::filesystem::path temporary_;
  bool written_ = false;
};

}  // namespace varnholt::imaging
