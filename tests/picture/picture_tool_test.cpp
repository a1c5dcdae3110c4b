// varnholt-picture run in-process on pictures made here with libpng and on a copy of the built default
// campaign: PNG to BMP to PNG round trips that the content checker accepts, hostile files refused with a
// message and nothing written, palette files made from pictures and GIMP palettes, the sheet rules, and
// the command line.

#include <gtest/gtest.h>

#include <unistd.h>

#include <sstream>

#include "check/content_check.h"
#include "data/campaign_pictures.h"
#include "engine/display.h"
#include "picture/bmp_codec.h"
#include "picture/palette_file.h"
#include "picture/picture_tool.h"
#include "picture/png_codec.h"
#include "png_fixtures.h"

namespace varnholt::imaging {
namespace {

namespace fs = std::filesystem;
using namespace fixtures;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

Outcome run(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  Outcome result;
  result.status = runPictureTool(args, out, err);
  result.out = out.str();
  result.err = err.str();
  return result;
}

std::string describe(const Outcome& r) {
  return "status " + std::to_string(r.status) + "\nout: " + r.out + "\nerr: " + r.err;
}

PaletteTable campaignPalette() {
  PaletteTable palette{};
  parsePaletteText(readBytes(fs::path(VARNHOLT_CAMPAIGN_BUILD_DIR) / START_PALETTE_FILE), palette.data());
  return palette;
}

Rgba colourOf(const PALETTEENTRY& entry) {
  return {entry.red, entry.green, entry.blue, 255};
}

// Files in `folder` other than those named.
std::vector<std::string> strayFiles(const fs::path& folder, const std::vector<std::string>& expected) {
  std::vector<std::string> stray;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (std::find(expected.begin(), expected.end(), name) == expected.end()) stray.push_back(name);
  }
  return stray;
}

pictures::Extent buttonsExtent() {
  for (const pictures::PictureUse& use : pictures::fixedPictureUses())
    if (use.file == pictures::buttons::kFile) return pictures::extentOf(use);
  return {};
}

class PictureTool : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("varnholt_picture_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "scratch");
    campaign_ = root_ / "campaign";
    fs::copy(VARNHOLT_CAMPAIGN_BUILD_DIR, campaign_);
    scratch_ = root_ / "scratch";
    palette_ = (campaign_ / START_PALETTE_FILE).string();
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string scratch(const std::string& name) const { return (scratch_ / name).string(); }

  fs::path root_, campaign_, scratch_;
  std::string palette_;
};

// A picture of `extent` in campaign colours with a transparent band, each colour one the palette holds
// once, so that its index is known.
Image samplePicture(int width, int height, const PaletteTable& palette, std::vector<std::uint8_t>& expected) {
  std::vector<int> unique;
  for (int i = 1; i < 256; ++i) {
    bool repeated = false;
    for (int j = 0; j < 256; ++j)
      if (j != i && palette[j].red == palette[i].red && palette[j].green == palette[i].green &&
          palette[j].blue == palette[i].blue)
        repeated = true;
    if (!repeated) unique.push_back(i);
  }
  Image image;
  image.width = width;
  image.height = height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool clear = y % 9 == 4;
      const int index = clear ? 0 : unique[static_cast<std::size_t>(x * 7 + y * 3) % unique.size()];
      image.pixels.push_back(clear ? Rgba{12, 34, 56, 0} : colourOf(palette[index]));
      expected.push_back(static_cast<std::uint8_t>(index));
    }
  }
  return image;
}

TEST_F(PictureTool, PngToBmpToPngRoundTripsAndTheCheckerAcceptsTheBmp) {
  const PaletteTable palette = campaignPalette();
  const pictures::Extent extent = buttonsExtent();
  std::vector<std::uint8_t> expected;
  const Image original = samplePicture(extent.width, extent.height, palette, expected);
  writeBytes(scratch("buttons.png"), makePng(original.width, original.height, original.pixels));

  const fs::path bmp = campaign_ / pictures::buttons::kFile;
  const Outcome toBmp = run({scratch("buttons.png"), bmp.string()});
  ASSERT_EQ(toBmp.status, 0) << describe(toBmp);
  EXPECT_NE(toBmp.out.find("holds buttons.bmp"), std::string::npos) << toBmp.out;
  Image written;
  std::string error;
  ASSERT_TRUE(decodeBmp(readBytes(bmp), written, error)) << error;
  EXPECT_EQ(written.indices, expected);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(written.table[i].red, palette[i].red) << i;

  // The campaign with the new picture in it: no problem, no warning.
  const check::Report report = check::checkCampaign(campaign_);
  for (const check::Finding& finding : report.findings())
    ADD_FAILURE() << check::formatFinding(campaign_, finding);

  for (const bool rgb : {false, true}) {
    const std::string png = scratch(rgb ? "back-rgb.png" : "back.png");
    std::vector<std::string> args = {bmp.string(), png};
    if (rgb) args.push_back("--rgb");
    const Outcome toPng = run(args);
    ASSERT_EQ(toPng.status, 0) << describe(toPng);
    Image back;
    ASSERT_TRUE(decodePng(readBytes(png), back, error)) << error;
    EXPECT_EQ(back.indexed(), !rgb);
    ASSERT_EQ(back.pixels.size(), original.pixels.size());
    for (std::size_t i = 0; i < back.pixels.size(); ++i) {
      if (original.pixels[i].alpha == 0) {
        EXPECT_EQ(back.pixels[i].alpha, 0) << i;
      } else {
        ASSERT_EQ(back.pixels[i], original.pixels[i]) << i;
      }
    }
    // And to the BMP again: the same file.
    const Outcome again = run({png, scratch("again.bmp"), "--palette", palette_});
    ASSERT_EQ(again.status, 0) << describe(again);
    EXPECT_EQ(readBytes(scratch("again.bmp")), readBytes(bmp));
  }
}

TEST_F(PictureTool, AnEditedPalettePngKeepsTheIndicesOfEveryCampaignPicture) {
  // Through a palette PNG and back, each picture is the same file, duplicates of a colour included.
  for (const char* name : {pictures::hits::kFile, pictures::cursors::kFile, "aldric.bmp", pictures::kTitle}) {
    const fs::path original = fs::path(VARNHOLT_CAMPAIGN_BUILD_DIR) / name;
    const Outcome toPng = run({original.string(), scratch("edit.png")});
    ASSERT_EQ(toPng.status, 0) << describe(toPng);
    const Outcome toBmp = run({scratch("edit.png"), (campaign_ / name).string()});
    ASSERT_EQ(toBmp.status, 0) << describe(toBmp);
    EXPECT_EQ(readBytes(campaign_ / name), readBytes(original)) << name;
  }
}

TEST_F(PictureTool, HostileFilesAreRefusedAndNothingIsWritten) {
  // A 16 x 16 picture of many colours, so its pixel data is not a few bytes.
  std::vector<Rgba> noise;
  for (int i = 0; i < 256; ++i)
    noise.push_back({static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(i * 91),
                     static_cast<std::uint8_t>(i * 13), 255});
  const std::string good = makePng(16, 16, noise);
  ASSERT_GT(good.size(), 100u);
  std::string badChecksum = good;
  badChecksum[good.size() - 30] = static_cast<char>(badChecksum[good.size() - 30] ^ 0x55);
  std::string bmpJunk = "BM";
  bmpJunk += std::string(200, '\x7f');
  const std::string bmpCut =
      readBytes(fs::path(VARNHOLT_CAMPAIGN_BUILD_DIR) / pictures::buttons::kFile).substr(0, 1100);

  struct Case {
    const char* name;
    std::string bytes;
    const char* message;
  };
  const Case cases[] = {
      {"truncated in its pixels", good.substr(0, good.size() - 20), "damaged PNG file"},
      {"cut in its header", good.substr(0, 20), "damaged PNG file"},
      {"0 x 0", withHeaderSize(good, 0, 0), "damaged PNG file"},
      {"65536 wide", withHeaderSize(good, 65536, 1), "at most 8192 a side"},
      {"8192 x 8192", withHeaderSize(good, 8192, 8192), "at most 64 MiB of decoded pixels"},
      {"a damaged checksum", badChecksum, "damaged PNG file"},
      {"not a PNG", "this is no picture\n", "neither a PNG"},
      {"empty", "", "neither a PNG"},
      {"a BMP of a huge size", bmpJunk, "at most 8192 a side"},
      {"a truncated BMP", bmpCut, "the game's picture loader cannot read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeBytes(scratch("in.png"), c.bytes);
    writeBytes(scratch("old.bmp"), "the earlier file");
    const std::vector<std::vector<std::string>> commands = {
        {scratch("in.png"), scratch("out.bmp"), "--palette", palette_},
        {scratch("in.png"), scratch("old.bmp"), "--palette", palette_, "--dither"},
        {scratch("in.png"), scratch("out.png")},
        {"--make-palette", scratch("in.png"), scratch("out.PAL")},
    };
    for (const auto& command : commands) {
      const Outcome r = run(command);
      EXPECT_EQ(r.status, 1) << describe(r);
      EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
      EXPECT_EQ(strayFiles(scratch_, {"in.png", "old.bmp"}), std::vector<std::string>{});
      EXPECT_EQ(readBytes(scratch("old.bmp")), "the earlier file");
    }
  }
}

TEST_F(PictureTool, PaletteFilesFromPicturesAndGimpPalettes) {
  const fs::path campaignPal = fs::path(VARNHOLT_CAMPAIGN_BUILD_DIR) / START_PALETTE_FILE;
  // An 8-bit BMP's colour table is the palette, written as the campaign generator writes it.
  Outcome r = run(
      {"--make-palette", (fs::path(VARNHOLT_CAMPAIGN_BUILD_DIR) / "buttons.bmp").string(), scratch("a.PAL")});
  ASSERT_EQ(r.status, 0) << describe(r);
  EXPECT_EQ(readBytes(scratch("a.PAL")), readBytes(campaignPal));

  // A GIMP palette of 60 colours: its entries in order, the rest black, the checker content.
  std::string gpl = "GIMP Palette\r\nName: Test\r\nColumns: 8\r\n#\r\n# a comment\r\n\r\n";
  for (int i = 0; i < 60; ++i)
    gpl += std::to_string(i * 4) + " " + std::to_string(255 - i) + "\t" + std::to_string(i) + "\tColour " +
           std::to_string(i) + "\r\n";
  writeBytes(scratch("colours.gpl"), gpl);
  r = run({"--make-palette", scratch("colours.gpl"), scratch(START_PALETTE_FILE)});
  ASSERT_EQ(r.status, 0) << describe(r);
  EXPECT_EQ(r.err, "");
  check::Report report;
  check::checkPalette(scratch_, START_PALETTE_FILE, report);
  EXPECT_EQ(report.findings().size(), 0u);
  PaletteTable made{};
  parsePaletteText(readBytes(scratch(START_PALETTE_FILE)), made.data());
  EXPECT_EQ(made[59].red, 236);
  EXPECT_EQ(made[59].green, 196);
  EXPECT_EQ(made[59].blue, 59);
  EXPECT_EQ(made[60].red + made[60].green + made[60].blue, 0);

  // A picture without a palette: entry 0 the --transparent colour, then its colours as they first appear.
  std::vector<Rgba> pixels;
  for (int i = 0; i < 40; ++i) pixels.push_back({static_cast<std::uint8_t>(200 - i), 10, 20, 255});
  pixels.push_back({1, 2, 3, 255});  // the transparent colour, left out
  pixels.push_back({9, 9, 9, 0});    // transparent, left out
  pixels.push_back(pixels[5]);       // a repeat
  while (pixels.size() < 48) pixels.push_back({50, 60, 70, 255});
  writeBytes(scratch("colours.png"), makePng(8, 6, pixels));
  r = run({"--make-palette", scratch("colours.png"), scratch("b.PAL"), "--transparent", "#010203"});
  ASSERT_EQ(r.status, 0) << describe(r);
  EXPECT_NE(r.err.find("entry 50"), std::string::npos) << "42 colours leave entry 50 black: " << r.err;
  parsePaletteText(readBytes(scratch("b.PAL")), made.data());
  EXPECT_EQ(made[0].red, 1);
  EXPECT_EQ(made[0].blue, 3);
  EXPECT_EQ(made[1].red, 200);
  EXPECT_EQ(made[40].red, 161);
  EXPECT_EQ(made[41].red, 50);
  EXPECT_EQ(made[42].red + made[42].green + made[42].blue, 0);

  // Too few, too many, and a GIMP palette with a broken line: refused.
  const std::vector<Rgba> three = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 0, 0, 255}};
  writeBytes(scratch("three.png"), makePng(2, 2, three));
  writeBytes(scratch("three-indexed.png"), makePng(2, 2, {}, {0, 1, 2, 1}, {three[0], three[1], three[2]}));
  std::vector<Rgba> many;
  for (int i = 0; i < 300; ++i)
    many.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i / 2), 0, 255});
  writeBytes(scratch("many.png"), makePng(20, 15, many));
  std::string longGpl = "GIMP Palette\n";
  for (int i = 0; i < 257; ++i) longGpl += "1 2 3\n";
  writeBytes(scratch("long.gpl"), longGpl);
  writeBytes(scratch("broken.gpl"), "GIMP Palette\nName: x\n1 2 3\n4 5 six\n");
  const struct {
    const char* file;
    const char* message;
  } refused[] = {
      {"three.png", "gives 4 entries; a campaign palette needs at least 16"},
      {"three-indexed.png", "gives 3 entries"},
      {"many.png", "more than 255 distinct opaque colours"},
      {"long.gpl", "line 258: more than 256 colours"},
      {"broken.gpl", "line 4: not a colour"},
  };
  for (const auto& c : refused) {
    r = run({"--make-palette", scratch(c.file), scratch("refused.PAL")});
    EXPECT_EQ(r.status, 1) << c.file << ": " << describe(r);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.file << ": " << r.err;
    EXPECT_FALSE(fs::exists(scratch("refused.PAL")));
  }
}

TEST_F(PictureTool, ASheetTooSmallForItsCellsIsNotWritten) {
  const fs::path buttons = campaign_ / pictures::buttons::kFile;
  const std::string before = readBytes(buttons);
  writeBytes(scratch("small.png"), makePng(100, 50, filled(100, 50, {200, 30, 30, 255})));

  Outcome r = run({scratch("small.png"), buttons.string()});
  EXPECT_EQ(r.status, 1) << describe(r);
  EXPECT_NE(r.err.find("size 100 x 50; 4 buttons of 56 x 56 needs at least 228 x 57"), std::string::npos)
      << r.err;
  EXPECT_EQ(readBytes(buttons), before);
  for (const auto& entry : fs::directory_iterator(campaign_))
    EXPECT_EQ(entry.path().filename().string().find(".part-"), std::string::npos) << entry.path();

  // The same picture by another name is judged when --sheet names the use; a character's sheet is known
  // from the character database beside it.
  r = run({scratch("small.png"), scratch("bar.bmp"), "--palette", palette_, "--sheet", "Buttons"});
  EXPECT_EQ(r.status, 1) << describe(r);
  r = run({scratch("small.png"), (campaign_ / "aldric.bmp").string()});
  EXPECT_EQ(r.status, 1) << describe(r);
  EXPECT_NE(r.err.find("a character's 4 facings and portrait needs at least"), std::string::npos) << r.err;
  r = run({scratch("small.png"), scratch("x.bmp"), "--palette", palette_, "--sheet", "title"});
  EXPECT_EQ(r.status, 1) << describe(r);
  EXPECT_NE(r.err.find("a full-screen picture needs at least 800 x 600"), std::string::npos) << r.err;

  // --sheet none writes it; so does a name the game does not load.
  r = run({scratch("small.png"), buttons.string(), "--sheet", "none"});
  EXPECT_EQ(r.status, 0) << describe(r);
  r = run({scratch("small.png"), scratch("free.bmp"), "--palette", palette_});
  EXPECT_EQ(r.status, 0) << describe(r);

  // A sheet of the right size but wholly transparent: written, each empty cell warned of.
  const pictures::Extent extent = buttonsExtent();
  writeBytes(scratch("clear.png"),
             makePng(extent.width, extent.height, filled(extent.width, extent.height, {0, 0, 0, 0})));
  r = run({scratch("clear.png"), buttons.string()});
  EXPECT_EQ(r.status, 0) << describe(r);
  EXPECT_NE(r.err.find("buttons.bmp:0: warning: cell (3, 0) of 56 x 56 is empty"), std::string::npos)
      << r.err;

  // A name that matches only in another case is judged, with a warning.
  r = run({scratch("clear.png"), (campaign_ / "BUTTONS.BMP").string()});
  EXPECT_EQ(r.status, 0) << describe(r);
  EXPECT_NE(r.err.find("the game opens buttons.bmp"), std::string::npos) << r.err;

  r = run({scratch("small.png"), scratch("x.bmp"), "--palette", palette_, "--sheet", "nonesuch"});
  EXPECT_EQ(r.status, 2) << describe(r);
}

TEST_F(PictureTool, TheCommandLine) {
  writeBytes(scratch("in.png"), makePng(2, 2, filled(2, 2, {10, 20, 30, 255})));
  const struct {
    std::vector<std::string> args;
    int status;
    const char* message;
  } cases[] = {
      {{}, 2, "expected two files"},
      {{scratch("in.png")}, 2, "expected two files"},
      {{scratch("in.png"), scratch("out.gif")}, 2, "OUT must end in .bmp or .png"},
      {{scratch("in.png"), scratch("out.png"), "--dither"}, 2, "--dither is only for a BMP output"},
      {{scratch("in.png"), scratch("out.bmp"), "--rgb", "--palette", palette_},
       2,
       "--rgb is only for a PNG output"},
      {{scratch("in.png"), scratch("out.bmp"), "--transparent", "12345g"}, 2, "needs a colour as RRGGBB"},
      {{scratch("in.png"), scratch("out.bmp"), "--bogus"}, 2, "unknown option '--bogus'"},
      {{scratch("in.png"), scratch("out.bmp")}, 1, "no palette: give --palette FILE"},
      {{scratch("missing.png"), scratch("out.bmp"), "--palette", palette_}, 1, "no such file"},
      {{scratch("in.png"), scratch("out.bmp"), "--palette", scratch("in.png")},
       1,
       "not a palette the game reads"},
      {{scratch_.string(), scratch("out.bmp"), "--palette", palette_}, 1, "not a regular file"},
      {{scratch("in.png"), (scratch_ / "no-folder" / "out.bmp").string(), "--palette", palette_},
       1,
       "cannot write"},
  };
  for (const auto& c : cases) {
    const Outcome r = run(c.args);
    EXPECT_EQ(r.status, c.status) << describe(r);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(strayFiles(scratch_, {"in.png"}), std::vector<std::string>{});
  }
  Outcome r = run({"--help", "whatever"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("Usage: varnholt-picture", 0), 0u);
  r = run({"--version"});
  EXPECT_EQ(r.out.rfind("varnholt-picture ", 0), 0u);

  // A palette file with three entries: the checker's message says where the game stops.
  writeBytes(scratch("short.PAL"), "1 2 3 0\n4 5 6 0\n7 8 9 0\n");
  r = run({scratch("in.png"), scratch("out.bmp"), "--palette", scratch("short.PAL")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("short.PAL:0: holds 3 complete entries"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace varnholt::imaging
