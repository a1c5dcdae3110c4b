// The varnholt-picture commands: converting pictures, making palette files, and judging a written BMP
// by the content checker's picture rules.
#include "picture/picture_tool.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <set>

#include "check/content_check.h"
#include "cli/option_parser.h"
#include "content/campaign_file.h"
#include "content/content_report.h"
#include "engine/display.h"
#include "picture/bmp_codec.h"
#include "picture/colour_match.h"
#include "picture/palette_file.h"
#include "picture/png_codec.h"

namespace varnholt::imaging {

namespace fs = std::filesystem;

const char* const kUsage =
    "Usage: varnholt-picture IN OUT.bmp [--palette FILE] [--dither] [--transparent RRGGBB] [--sheet NAME]\n"
    "       varnholt-picture IN OUT.png [--rgb]\n"
    "       varnholt-picture --make-palette IN OUT.PAL [--transparent RRGGBB]\n"
    "Converts a PNG or an 8-bit BMP to an 8-bit BMP in the campaign's palette (nearest colour by CIEDE2000;\n"
    "alpha below half, or the --transparent colour, becomes index 0, which the game leaves undrawn), or to\n"
    "a PNG for editing; or makes a palette file from a PNG, an 8-bit BMP or a GIMP .gpl palette.\n"
    "  --palette FILE        the palette file (default: PALDATA2.PAL beside OUT.bmp)\n"
    "  --dither              Floyd-Steinberg dithering\n"
    "  --transparent RRGGBB  an opaque colour that also means index 0 (with --make-palette: entry 0's "
    "colour)\n"
    "  --sheet NAME          judge OUT.bmp as the campaign picture NAME (buttons.bmp, title.BMP...), as a\n"
    "                        character's sheet (character), or not at all (none); default: by OUT's name\n"
    "  --rgb                 write an RGBA PNG rather than a palette PNG\n"
    "  --make-palette        make the palette file OUT.PAL from IN\n"
    "  --help                show this help\n"
    "  --version             show the version\n"
    "Exit status: 0 written, 1 nothing written (bad input, a problem found), 2 bad command line.\n";

namespace {

constexpr const char* kProgram = "varnholt-picture";

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return text;
}

std::string shown(const fs::path& path) {
  return content::escapeForTerminal(path.string());
}

struct Options {
  std::vector<std::string> files;
  std::optional<fs::path> palette;
  std::optional<Rgba> transparent;
  std::optional<std::string> sheet;
  bool dither = false;
  bool rgb = false;
  bool makePalette = false;
  bool help = false;
  bool version = false;
};

// The command line: options through the shared reader, the words that are not options (or an option's
// value) as the files, in order; everything after "--" is a file.
std::string parseArguments(const std::vector<std::string>& args, Options& options) {
  cli::OptionParser parser;
  parser
      .flag(
          {"--help", "-h"}, [&] { options.help = true; }, true)
      .flag(
          {"--version"}, [&] { options.version = true; }, true)
      .flag({"--dither"}, [&] { options.dither = true; })
      .flag({"--rgb"}, [&] { options.rgb = true; })
      .flag({"--make-palette"}, [&] { options.makePalette = true; })
      .value("--palette", "a palette file", cli::storeIn(options.palette))
      .value("--sheet", "a picture name, character or none", cli::storeIn(options.sheet))
      .value("--transparent", "a colour as RRGGBB", [&](const std::string& value) {
        options.transparent = parseColour(value);
        return options.transparent ? std::string()
                                   : "--transparent needs a colour as RRGGBB, not '" + value + "'";
      });
  const std::set<std::string> takesValue = {"--palette", "--sheet", "--transparent"};
  std::vector<std::string> optionArgs;
  bool filesOnly = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (filesOnly || arg.empty() || arg[0] != '-' || arg == "-") {
      options.files.push_back(arg);
    } else if (arg == "--") {
      filesOnly = true;
    } else {
      optionArgs.push_back(arg);
      if (takesValue.count(arg) != 0 && i + 1 < args.size()) optionArgs.push_back(args[++i]);
    }
  }
  const cli::OptionParser::Result result = parser.parse(optionArgs);
  if (!result.ok()) return result.error;
  if (options.help || options.version) return {};
  if (options.files.size() != 2)
    return "expected two files, IN and OUT, not " + std::to_string(options.files.size());
  return {};
}

int fail(std::ostream& err, const fs::path& file, const std::string& message) {
  err << kProgram << ": " << shown(file) << ": " << content::escapeForTerminal(message) << "\n";
  return 1;
}

bool readInput(const fs::path& path, std::string& bytes, std::string& error) {
  return readWholeFile(path, kMaxFileBytes, bytes, error);
}

// Reads a PNG or an 8-bit BMP, whichever the bytes are.
bool decodePicture(const std::string& bytes, Image& image, std::string& error) {
  if (looksLikePng(bytes)) return decodePng(bytes, image, error);
  if (looksLikeBmp(bytes)) return decodeBmp(bytes, image, error);
  error = "neither a PNG nor a BMP file";
  return false;
}

int distinctIndices(const std::vector<std::uint8_t>& indices) {
  bool used[256] = {};
  for (std::uint8_t index : indices) used[index] = true;
  return static_cast<int>(std::count(std::begin(used), std::end(used), true));
}

std::string sizeOf(const Image& image) {
  return pictures::sizeText(image.width, image.height);
}

int toBmp(const Options& options, const fs::path& in, const fs::path& out, std::ostream& output,
          std::ostream& err) {
  SheetChoice sheet;
  std::string error;
  if (!chooseSheet(options.sheet.value_or(""), out, sheet, error)) {
    err << kProgram << ": " << error << "\n" << kUsage;
    return 2;
  }
  const fs::path folder = out.parent_path().empty() ? fs::path(".") : out.parent_path();
  const fs::path palettePath = options.palette.value_or(folder / START_PALETTE_FILE);
  if (!options.palette && !fs::exists(palettePath))
    return fail(
        err, out,
        "no palette: give --palette FILE (there is no " + std::string(START_PALETTE_FILE) + " beside it)");
  PaletteTable palette{};
  std::vector<std::string> problems;
  if (!readPaletteFile(palettePath, palette, problems)) {
    for (const std::string& problem : problems) err << kProgram << ": " << problem << "\n";
    return fail(err, palettePath, "not a palette the game reads; nothing written");
  }

  std::string bytes;
  Image image;
  if (!readInput(in, bytes, error) || !decodePicture(bytes, image, error)) return fail(err, in, error);
  bytes.clear();
  bytes.shrink_to_fit();

  const std::vector<std::uint8_t> indices =
      mapToPalette(image, palette, MapOptions{options.dither, options.transparent});
  const std::vector<std::uint8_t> file = encodeBmp(image.width, image.height, indices, palette);
  if (file.empty()) return fail(err, in, "the picture cannot be written as a BMP (" + sizeOf(image) + ")");

  PendingFile pending(out);
  if (!pending.write(std::string_view(reinterpret_cast<const char*>(file.data()), file.size()), error))
    return fail(err, out, error);
  if (!sheet.warning.empty()) err << kProgram << ": " << shown(out) << ": warning: " << sheet.warning << "\n";
  if (sheet.use) {
    // The file as written, judged by the checker's own rule for the picture.
    check::Report report;
    check::checkPicture(pending.temporary().parent_path(), pending.temporary().filename().string(),
                        *sheet.use, report);
    for (check::Finding finding : report.findings()) {
      finding.file = out.filename().string();
      err << kProgram << ": " << check::formatFinding(out.parent_path(), finding) << "\n";
    }
    if (report.problems() > 0)
      return fail(err, out,
                  "not written: the game cuts " + sheet.label + " from it (--sheet none to write it anyway)");
  }
  if (!pending.commit(error)) return fail(err, out, error);
  output << "wrote " << shown(out) << ": " << sizeOf(image) << ", " << distinctIndices(indices)
         << " palette entries used";
  if (sheet.use) output << "; holds " << sheet.label;
  output << "\n";
  return 0;
}

int toPng(const Options& options, const fs::path& in, const fs::path& out, std::ostream& output,
          std::ostream& err) {
  std::string bytes, error;
  Image image;
  if (!readInput(in, bytes, error) || !decodePicture(bytes, image, error)) return fail(err, in, error);
  if (options.rgb) {
    image.indices.clear();
    image.table.clear();
  }
  std::vector<std::uint8_t> file;
  if (!encodePng(image, file, error)) return fail(err, out, error);
  PendingFile pending(out);
  if (!pending.write(std::string_view(reinterpret_cast<const char*>(file.data()), file.size()), error) ||
      !pending.commit(error))
    return fail(err, out, error);
  output << "wrote " << shown(out) << ": " << sizeOf(image) << ", "
         << (image.indexed() ? "a palette PNG of " + std::to_string(image.table.size()) + " entries"
                             : std::string("an RGBA PNG"))
         << "\n";
  return 0;
}

int makePalette(const Options& options, const fs::path& in, const fs::path& out, std::ostream& output,
                std::ostream& err) {
  std::string bytes, error;
  if (!readInput(in, bytes, error)) return fail(err, in, error);
  MadePalette made;
  if (looksLikeGpl(bytes)) {
    if (bytes.size() > kMaxGplBytes)
      return fail(err, in,
                  std::to_string(bytes.size()) + " bytes, more than the " + std::to_string(kMaxGplBytes) +
                      " read of a GIMP palette");
    if (!paletteFromGpl(bytes, made, error)) return fail(err, in, error);
    if (options.transparent)
      made.entries[0] = {options.transparent->red, options.transparent->green, options.transparent->blue, 0};
  } else {
    Image image;
    if (!decodePicture(bytes, image, error)) {
      if (!looksLikePng(bytes) && !looksLikeBmp(bytes))
        error = "neither a PNG, a BMP nor a GIMP palette (.gpl)";
      return fail(err, in, error);
    }
    if (!paletteFromImage(image, options.transparent, made, error)) return fail(err, in, error);
  }
  for (const std::string& warning : made.warnings)
    err << kProgram << ": " << shown(out) << ": warning: " << warning << "\n";
  PendingFile pending(out);
  if (!pending.write(paletteText(made.entries), error) || !pending.commit(error))
    return fail(err, out, error);
  output << "wrote " << shown(out) << ": " << made.colours << " colours";
  if (made.colours < 256) output << ", entries " << made.colours << " to 255 black";
  output << "\n";
  return 0;
}

}  // namespace

std::optional<Rgba> parseColour(std::string_view text) {
  if (!text.empty() && text[0] == '#') text.remove_prefix(1);
  if (text.size() != 6) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : text) {
    int digit = 0;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return Rgba{static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>((value >> 8) & 0xFF),
              static_cast<std::uint8_t>(value & 0xFF), 255};
}

bool chooseSheet(const std::string& requested, const fs::path& output, SheetChoice& choice,
                 std::string& error) {
  choice = SheetChoice{};
  const auto take = [&](pictures::PictureUse use, const std::string& name) {
    choice.label = (name.empty() ? std::string("a character's sheet") : name) + " (" + use.what + ")";
    choice.use = std::move(use);
    return true;
  };
  const std::vector<pictures::PictureUse> fixed = pictures::fixedPictureUses();
  if (!requested.empty()) {
    const std::string wanted = lower(requested);
    if (wanted == "none") return true;
    if (wanted == "character") return take(pictures::characterSheetUse(), "");
    for (const pictures::PictureUse& use : fixed) {
      const std::string name = lower(use.file);
      if (wanted == name || wanted == name.substr(0, name.rfind('.'))) return take(use, use.file);
    }
    std::string names;
    for (const pictures::PictureUse& use : fixed) names += " " + use.file;
    error = "--sheet " + requested + " is none of character, none and the campaign's pictures:" + names;
    return false;
  }
  const std::string name = output.filename().string();
  for (const pictures::PictureUse& use : fixed) {
    if (use.file == name) return take(use, use.file);
  }
  for (const pictures::PictureUse& use : fixed) {
    if (lower(use.file) == lower(name)) {
      choice.warning = "the game opens " + use.file + ", and file names differ by case on most systems";
      return take(use, use.file);
    }
  }
  // A character's sheet: a picture the character database beside the output names.
  const fs::path folder = output.parent_path().empty() ? fs::path(".") : output.parent_path();
  std::error_code code;
  if (fs::exists(folder / "chardb.txt", code)) {
    check::Report ignored;
    std::vector<std::string> characterPictures;
    check::checkDatabases(folder, ignored, characterPictures);
    if (std::find(characterPictures.begin(), characterPictures.end(), name) != characterPictures.end())
      return take(pictures::characterSheetUse(), "");
  }
  return true;
}

bool readWholeFile(const fs::path& path, std::size_t cap, std::string& bytes, std::string& error) {
  bytes.clear();
  const content::FileFacts facts = content::inspectFile(path, cap);
  switch (facts.state) {
    case content::FileState::Missing:
      error = "no such file";
      return false;
    case content::FileState::NotRegular:
      error = "not a regular file";
      return false;
    case content::FileState::TooLarge:
      error = std::to_string(facts.size) + " bytes, more than the " + std::to_string(cap) + " read of a file";
      return false;
    case content::FileState::Unmeasured:
      error = "cannot be measured";
      return false;
    case content::FileState::Readable:
      break;
  }
  std::optional<std::string> read = content::readFileBytes(path, facts);
  if (!read) {
    error = "cannot be read";
    return false;
  }
  bytes = std::move(*read);
  return true;
}

PendingFile::PendingFile(fs::path target) : target_(std::move(target)) {
  // Hidden and in the same folder, so the rename stays on one file system and the game never sees it.
  temporary_ =
      target_.parent_path() / ("." + target_.filename().string() + ".part-" + std::to_string(::getpid()));
}

PendingFile::~PendingFile() {
  if (written_) ::unlink(temporary_.c_str());
}

bool PendingFile::write(std::string_view bytes, std::string& error) {
  const int fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = "cannot write it (" + std::string(std::strerror(errno)) + ")";
    return false;
  }
  written_ = true;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = "cannot write it (" + std::string(std::strerror(errno)) + ")";
      ::close(fd);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    error = "cannot write it (" + std::string(std::strerror(errno)) + ")";
    return false;
  }
  return true;
}

bool PendingFile::commit(std::string& error) {
  if (!written_) {
    error = "nothing was written";
    return false;
  }
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    error = "cannot replace it (" + std::string(std::strerror(errno)) + ")";
    return false;
  }
  written_ = false;
  return true;
}

int runPictureTool(const std::vector<std::string>& args, std::ostream& output, std::ostream& err) {
  Options options;
  if (const std::string error = parseArguments(args, options); !error.empty()) {
    err << kProgram << ": " << content::escapeForTerminal(error) << "\n" << kUsage;
    return 2;
  }
  if (options.help) {
    output << kUsage;
    return 0;
  }
  if (options.version) {
    output << kProgram << " " << VARNHOLT_VERSION << "\n";
    return 0;
  }
  // The readers report a file they refuse on their own; here every refusal is said once, by this program.
  const content::ContentReportSink previous = content::setContentReportSink([](const std::string&) {});
  struct RestoreSink {
    const content::ContentReportSink& sink;
    ~RestoreSink() { content::setContentReportSink(sink); }
  } restore{previous};

  const fs::path in = options.files[0], out = options.files[1];
  const std::string kind = lower(out.extension().string());
  const auto misplaced = [&](const char* option, const char* where) {
    err << kProgram << ": " << option << " is only for " << where << "\n" << kUsage;
    return 2;
  };
  if (options.makePalette) {
    if (options.palette) return misplaced("--palette", "a BMP output");
    if (options.dither) return misplaced("--dither", "a BMP output");
    if (options.sheet) return misplaced("--sheet", "a BMP output");
    if (options.rgb) return misplaced("--rgb", "a PNG output");
    return makePalette(options, in, out, output, err);
  }
  if (kind == ".bmp") {
    if (options.rgb) return misplaced("--rgb", "a PNG output");
    return toBmp(options, in, out, output, err);
  }
  if (kind == ".png") {
    if (options.palette) return misplaced("--palette", "a BMP output");
    if (options.dither) return misplaced("--dither", "a BMP output");
    if (options.sheet) return misplaced("--sheet", "a BMP output");
    if (options.transparent) return misplaced("--transparent", "a BMP output or --make-palette");
    return toPng(options, in, out, output, err);
  }
  err << kProgram << ": " << shown(out) << ": OUT must end in .bmp or .png (or use --make-palette)\n"
      << kUsage;
  return 2;
}

}  // namespace varnholt::imaging
