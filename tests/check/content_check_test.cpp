// The content checker on copies of the built default campaign: the copy itself is clean; each broken
// requirement, made by one small edit, gives its message at the right file and line; and mangled copies
// of every small file never crash it.

#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "battle/battle_definition.h"
#include "check/content_check.h"
#include "data/campaign_pictures.h"
#include "data/game_database.h"
#include "engine/bitmap.h"

namespace varnholt::check {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// An 8-bit BMP in the layout the game reads, every pixel `fill`; `patch` may spoil the header afterwards.
std::string bmp(int width, int height, std::uint8_t fill) {
  const std::uint32_t pixels = static_cast<std::uint32_t>(width * height), size = 54 + 1024 + pixels;
  std::string b(size, '\0');
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + k] = static_cast<char>((v >> (8 * k)) & 0xFF);
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, size);
  put32(10, 54 + 1024);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  b[26] = 1;
  b[28] = 8;
  put32(34, pixels);
  for (std::size_t i = 1078; i < size; ++i) b[i] = static_cast<char>(fill);
  return b;
}

std::string patched(std::string bytes, std::size_t at, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<char>((value >> (8 * k)) & 0xFF);
  return bytes;
}

class CampaignCopy : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = fs::temp_directory_path() / ("varnholt_check_" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::copy(VARNHOLT_CAMPAIGN_BUILD_DIR, folder_);
  }
  static void TearDownTestSuite() { fs::remove_all(folder_); }
  static fs::path folder_;
};

fs::path CampaignCopy::folder_;

TEST_F(CampaignCopy, TheDefaultCampaignHasNoProblemsAndNoWarnings) {
  const Report report = checkCampaign(folder_);
  for (const Finding& f : report.findings()) ADD_FAILURE() << formatFinding(folder_, f);
  EXPECT_EQ(summaryLine(report), "0 problems, 0 warnings");
}

enum class Op { Replace, Append, Write, Remove };

struct Edit {
  std::string file;
  Op op;
  std::string from;  // Replace: the text replaced (first occurrence)
  std::string to;    // Replace, Append, Write: the new text
};

constexpr int kEditLine = -1;
constexpr int kAnyLine = -2;

struct Case {
  const char* name;
  std::vector<Edit> edits;
  std::string file;
  int line;  // kEditLine: the line of the first edit's replaced text
  bool warning;
  std::string message;  // part of the expected message
};

Edit replace(std::string file, std::string from, std::string to) {
  return {std::move(file), Op::Replace, std::move(from), std::move(to)};
}

std::string entries(int count) {
  std::string text;
  for (int k = 0; k < count; ++k)
    text +=
        std::to_string(11 + k) + " " + std::to_string(1 + k % 10) + " " + std::to_string(1 + k / 10) + " 2 ";
  return text;
}

std::string palette(int entries, const std::string& last) {
  std::string text;
  for (int k = 0; k < entries; ++k) text += "\n1 2 3 0";
  return text + last;
}

std::string wideMap() {
  std::string text = "\n*6 Wide 12 10\n";
  for (int k = 0; k < 120; ++k) text += "0 ";
  return text + "\n";
}

TEST_F(CampaignCopy, EachBrokenRequirementIsReportedWhereItStands) {
  const std::string b1 = "*1 1    11 8 5 2   12 9 3 2   13 9 7 2   14 10 5 2   0";
  const std::string aldric =
      "*1 Aldric    1 1   13 14 10  4 10  8   1 0   1 2 -1            1  5 7 5 5 5   aldric.bmp";
  auto aldricWith = [&](const std::string& from, const std::string& to) {
    std::string s = aldric;
    s.replace(s.find(from), from.size(), to);
    return replace("chardb.txt", aldric, s);
  };
  const std::vector<Case> cases{
      // The roster and the battles.
      {"party member missing",
       {replace("chardb.txt", "*8 Miro", "*9 Miro")},
       "chardb.txt",
       0,
       false,
       "party member 8 is missing"},
      {"battle missing",
       {replace("battledb.txt", "*5 5 ", "*6 5 ")},
       "battledb.txt",
       0,
       false,
       "battle 5 is missing"},
      {"opponent with a party number",
       {replace("battledb.txt", b1, "*1 1  3 8 5 2  0")},
       "battledb.txt",
       kEditLine,
       false,
       "character 3 has a party member's number"},
      {"opponent twice",
       {replace("battledb.txt", "12 9 3 2", "11 9 3 2")},
       "battledb.txt",
       kEditLine,
       false,
       "character 11 is listed twice"},
      {"shared cell",
       {replace("battledb.txt", "12 9 3 2", "12 8 5 2")},
       "battledb.txt",
       kEditLine,
       false,
       "character 12 shares cell (8, 5) with character 11"},
      {"cell off the map",
       {replace("battledb.txt", "12 9 3 2", "12 11 3 2")},
       "battledb.txt",
       kEditLine,
       false,
       "character 12 stands at (11, 3), off the map's 10 x 10 cells"},
      {"unknown map",
       {replace("battledb.txt", "*1 1 ", "*1 9 ")},
       "battledb.txt",
       kEditLine,
       false,
       "battle 1: map 9 is not in mapdb.txt"},
      {"unknown character",
       {replace("battledb.txt", "12 9 3 2", "99 9 3 2")},
       "battledb.txt",
       kEditLine,
       false,
       "character 99 is not in chardb.txt"},
      {"nine opponents",
       {replace("battledb.txt", b1, "*1 1 " + entries(9) + "0")},
       "battledb.txt",
       kEditLine,
       false,
       "9 combatants listed; with the party of 5 that is more than the 13"},
      {"thirteen entries",
       {replace("battledb.txt", b1, "*1 1 " + entries(13) + "0")},
       "battledb.txt",
       kEditLine,
       false,
       "13 combatants listed; a battle lists at most 12"},
      {"no room for the party on a small map",
       {replace("battledb.txt", b1, "*1 1  11 1 1 2  0"),
        replace("mapdb.txt", "*1 MillRoad 10 10", "*1 MillRoad 2 2")},
       "battledb.txt",
       kEditLine,
       false,
       "only 3 cells of the map within columns and rows 1 to 10 are free"},
      {"battle entry cut short",
       {replace("battledb.txt", b1, "*1 1  11 8 5 x")},
       "battledb.txt",
       kEditLine,
       false,
       "record 1: side of character 11 should be an int, found 'x'"},
      // Words, numbers and stars.
      {"name too long",
       {aldricWith("Aldric", "AldricTheVeryBold")},
       "chardb.txt",
       kEditLine,
       false,
       "name 'AldricTheVeryBold' is longer than 15 characters"},
      {"item name too long",
       {replace("itemdb.txt", "*1 Sword ", "*1 SwordOfTheNineteenKings ")},
       "itemdb.txt",
       kEditLine,
       false,
       "record 1: name 'SwordOfTheNineteenKings' is longer than 19 characters"},
      {"picture file name too long",
       {aldricWith("aldric.bmp", "aldric_the_very_bold_knight.bmp")},
       "chardb.txt",
       kEditLine,
       false,
       "picture file 'aldric_the_very_bold_knight.bmp' is longer than 24 characters"},
      {"last word too long",
       {replace("chardb.txt", "aldric.bmp   party", "aldric.bmp   a_party_member_of_the_first_rank")},
       "chardb.txt",
       kEditLine,
       false,
       "last word 'a_party_member_of_the_first_rank' is longer than 26 characters"},
      {"long description word",
       {replace("skilldb.txt", "A heavy blow:", "A heavyweighted blow:")},
       "skilldb.txt",
       kEditLine,
       false,
       "description word 'heavyweighted' is longer than 11"},
      {"long description",
       {replace("skilldb.txt", "A heavy blow:", "A heavy and very slow and very sure blow:")},
       "skilldb.txt",
       kEditLine,
       false,
       "the skill list holds 51"},
      {"description without its closing star",
       {replace("skilldb.txt", "beside. 5 SP\n*", "beside. 5 SP\n")},
       "skilldb.txt",
       kAnyLine,
       false,
       "record 18: the description is not ended by a lone '*'"},
      {"empty description",
       {replace("skilldb.txt", "1 0 1.6 0 2\nA heavy blow: 1.6 x Atk to a foe beside you. 4 SP\n",
                "1 0 1.6 0 2\n")},
       "skilldb.txt",
       kAnyLine,
       false,
       "record 1: the description is empty"},
      {"skill list without its -1",
       {replace("classdb.txt", "2.2 0.8   1 2 -1", "2.2 0.8   1 2")},
       "classdb.txt",
       kAnyLine,
       false,
       "record 1: skill list (ended by -1) should be an int, found '*2'"},
      {"battle without its closing 0",
       {replace("battledb.txt", "58 10 10 2   0", "58 10 10 2")},
       "battledb.txt",
       kEditLine,
       false,
       "record 5: the file ends before its next character (or the closing 0)"},
      {"star touching the next skill",
       {replace("skilldb.txt", "* 2 Guard", "*2 Guard")},
       "skilldb.txt",
       kEditLine,
       false,
       "'*2' holds a '*'"},
      {"star in a comment",
       {replace("itemdb.txt", "Varnholt items.", "Varnholt *items.")},
       "itemdb.txt",
       kEditLine,
       false,
       "'*items.' holds a '*' not followed by a record number"},
      {"word for an int",
       {replace("itemdb.txt", "*1 Sword       12", "*1 Sword       twelve")},
       "itemdb.txt",
       kEditLine,
       false,
       "record 1: atk should be an int, found 'twelve'"},
      {"repeated record",
       {replace("racedb.txt", "*2 Elf", "*1 Elf")},
       "racedb.txt",
       kEditLine,
       false,
       "record 1 repeats the number of the record at line"},
      // References and ranges.
      {"unknown race",
       {aldricWith("Aldric    1 1", "Aldric    30 1")},
       "chardb.txt",
       kEditLine,
       false,
       "character 1: race 30 is not in racedb.txt"},
      {"unknown item",
       {aldricWith("1  5 7 5 5 5", "1  5 77 5 5 5")},
       "chardb.txt",
       kEditLine,
       false,
       "item 77 in equipment slot 3 is not in itemdb.txt"},
      {"unknown skill",
       {aldricWith("1 2 -1", "1 222 -1")},
       "chardb.txt",
       kEditLine,
       false,
       "skill 222 is not in skilldb"},
      {"weapon range",
       {replace("itemdb.txt", "0 0 0 0   28 0  6 1", "0 0 0 0   28 0  6 9")},
       "itemdb.txt",
       kEditLine,
       false,
       "item 1: range 9 is outside 0 to 8"},
      {"skill range",
       {replace("skilldb.txt", "0 0 0 0   1 0 1.6 0 2", "0 0 0 0   9 0 1.6 0 2")},
       "skilldb.txt",
       kEditLine,
       false,
       "skill 1: range 9 is outside 0 to 8"},
      {"skill kind",
       {replace("skilldb.txt", "0 0 0 0   1 0 1.6 0 2", "0 0 0 0   1 0 1.6 0 4")},
       "skilldb.txt",
       kEditLine,
       false,
       "skill 1: kind 4 is none of"},
      {"move range",
       {replace("racedb.txt", "*1 Human     1 1 1 1 1 1   1.0 1.0   1 0", "*1 Human 1 1 1 1 1 1 1 1 8 0")},
       "chardb.txt",
       6,
       false,
       "character 1: move range 9 (race plus class) is outside 0 to 8"},
      {"flee below one",
       {aldricWith("13 14 10  4 10  8", "13 14 10  4 -20  8")},
       "chardb.txt",
       kEditLine,
       false,
       "is below 1; the hit roll divides by it"},
      {"map too large",
       {replace("mapdb.txt", "*1 MillRoad 10 10", "*1 MillRoad 26 10")},
       "mapdb.txt",
       kEditLine,
       false,
       "map 1: size 26 x 10 is outside 1 to 25"},
      {"item range below 0",
       {replace("itemdb.txt", "0 0 0 0   28 0  6 1", "0 0 0 0   28 0  6 -1")},
       "itemdb.txt",
       kEditLine,
       false,
       "item 1: range -1 is outside 0 to 8"},
      {"map without columns",
       {replace("mapdb.txt", "*1 MillRoad 10 10", "*1 MillRoad 0 10")},
       "mapdb.txt",
       kEditLine,
       false,
       "map 1: size 0 x 10 is outside 1 to 25"},
      {"map cells cut short",
       {replace("mapdb.txt", "*1 MillRoad 10 10", "*1 MillRoad 10 20")},
       "mapdb.txt",
       kAnyLine,
       false,
       "record 1: terrain code 101 of 200 should be an int, found '*2'"},
      // Legal but playing badly.
      {"small map",
       {replace("mapdb.txt", "*1 MillRoad 10 10", "*1 MillRoad 9 10")},
       "mapdb.txt",
       kEditLine,
       true,
       "map 1: size 9 x 10 is smaller than 10 x 10"},
      {"beyond the grid cursor",
       {replace("battledb.txt", b1, "*1 6  11 12 5 2  12 9 3 2  13 9 7 2  0"),
        {"mapdb.txt", Op::Append, "", wideMap()}},
       "battledb.txt",
       kEditLine,
       true,
       "character 11 at (12, 5) is outside columns and rows 1 to 10"},
      {"slow opponents",
       {replace("battledb.txt", b1, "*1 1  11 8 5 2  0")},
       "battledb.txt",
       kEditLine,
       true,
       "the computer's speeds sum to 34, below 100"},
      {"sixteen skills",
       {aldricWith("1 2 -1", "1 2 1 2 1 2 1 2 1 2 1 2 1 2 1 2 -1")},
       "chardb.txt",
       kEditLine,
       true,
       "character 1: lists 16 skills; only the last 15 are kept"},
      {"weapon without a swing",
       {aldricWith("1  5 7 5 5 5", "5  5 7 5 5 5")},
       "chardb.txt",
       kEditLine,
       true,
       "weapon 5 has no swing picture"},
      // The palette and the pictures.
      {"short palette",
       {{"PALDATA2.PAL", Op::Write, "", palette(255, "")}},
       "PALDATA2.PAL",
       0,
       false,
       "holds 255 complete entries"},
      {"palette value",
       {{"PALDATA2.PAL", Op::Write, "", palette(10, "\n1 300 3 0") + palette(245, "")}},
       "PALDATA2.PAL",
       12,
       false,
       "entry 10: green 300 is outside 0 to 255"},
      {"palette flags",
       {{"PALDATA2.PAL", Op::Write, "", palette(10, "\n1 2 3 1") + palette(245, "")}},
       "PALDATA2.PAL",
       12,
       false,
       "entry 10: flags 1 are none of 0, 2 and 4"},
      {"picture missing", {{"cur.bmp", Op::Remove, "", ""}}, "cur.bmp", 0, false, "missing"},
      {"character picture missing", {{"aldric.bmp", Op::Remove, "", ""}}, "aldric.bmp", 0, false, "missing"},
      {"not a BMP",
       {{"title.BMP", Op::Write, "", "GIF89a" + std::string(100, 'x')}},
       "title.BMP",
       0,
       false,
       "not a BMP file"},
      {"24-bit header on 8-bit pixels",
       {{"buttons.bmp", Op::Write, "", patched(bmp(232, 58, 1), 28, 24)}},
       "buttons.bmp",
       0,
       false,
       "the game's picture loader cannot read it"},
      {"unpadded rows of an odd width",
       {{"buttons.bmp", Op::Write, "", bmp(230, 58, 1)}},
       "buttons.bmp",
       0,
       false,
       "the game's picture loader cannot read it"},
      {"truncated picture",
       {{"buttons.bmp", Op::Write, "", bmp(232, 58, 1).substr(0, 2000)}},
       "buttons.bmp",
       0,
       false,
       "the game's picture loader cannot read it"},
      {"buttons too small",
       {{"buttons.bmp", Op::Write, "", bmp(200, 58, 1)}},
       "buttons.bmp",
       0,
       false,
       "4 buttons of 56 x 56 needs at least 228 x 57"},
      {"result picture without the border",
       {{"victory.bmp", Op::Write, "", bmp(800, 600, 1)}},
       "victory.bmp",
       0,
       false,
       "needs at least 801 x 601"},
      {"sheet without a portrait",
       {{"aldric.bmp", Op::Write, "", bmp(288, 60, 1)}},
       "aldric.bmp",
       0,
       false,
       "needs at least 285 x 66"},
      {"empty sheet cell",
       {{"cur.bmp", Op::Write, "", bmp(288, 42, 0)}},
       "cur.bmp",
       0,
       true,
       "cell (0, 0) of 56 x 40 is empty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::pair<fs::path, std::string>> originals;
    int line = c.line;
    for (const Edit& e : c.edits) {
      const fs::path path = folder_ / e.file;
      std::string text = readFile(path);
      originals.emplace_back(path, text);
      switch (e.op) {
        case Op::Replace: {
          const auto at = text.find(e.from);
          ASSERT_NE(at, std::string::npos) << "the campaign no longer holds '" << e.from << "'";
          if (line == kEditLine)
            line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + at, '\n'));
          text.replace(at, e.from.size(), e.to);
          writeFile(path, text);
          break;
        }
        case Op::Append:
          writeFile(path, text + e.to);
          break;
        case Op::Write:
          writeFile(path, e.to);
          break;
        case Op::Remove:
          fs::remove(path);
          break;
      }
    }
    const Report report = checkCampaign(folder_);
    bool found = false;
    for (const Finding& f : report.findings())
      found |= f.file == c.file && (f.line == line || line == kAnyLine) && f.warning == c.warning &&
               f.message.find(c.message) != std::string::npos;
    EXPECT_TRUE(found) << "expected " << c.file << ":" << line << ": " << c.message;
    if (!found)
      for (const Finding& f : report.findings()) ADD_FAILURE() << "got " << formatFinding(folder_, f);
    for (auto it = originals.rbegin(); it != originals.rend(); ++it) writeFile(it->first, it->second);
  }
  EXPECT_EQ(checkCampaign(folder_).findings().size(), 0u) << "every edit was undone";
}

// A BMP of any of the variants the loader meets; every pixel inked.
struct BmpShape {
  const char* name;
  std::int32_t width = 800;
  std::int32_t height = 600;  // negative: top-down rows
  int bits = 8;
  std::uint32_t infoSize = 40;
  std::uint32_t tableEntries = 256;  // 8-bit only
  bool zeroImageSize = false;
  std::uint32_t compression = 0;
  std::size_t trailing = 0;  // bytes after the pixels
  std::size_t cut = 0;       // bytes missing at the end
  bool magic = true;
};

std::string shapedBmp(const BmpShape& s) {
  const std::uint64_t rows = static_cast<std::uint64_t>(s.height < 0 ? -std::int64_t{s.height} : s.height);
  const std::uint64_t stride = (static_cast<std::uint64_t>(std::max(s.width, 0)) * (s.bits / 8) + 3) & ~3ull;
  const std::uint64_t table = s.bits == 8 ? 4ull * s.tableEntries : 0;
  const std::uint64_t offset = 14 + s.infoSize + table, pixels = stride * rows;
  std::string b(offset + pixels + s.trailing, '\0');
  auto put = [&](std::size_t at, std::uint32_t v, int bytes) {
    for (int k = 0; k < bytes; ++k) b[at + k] = static_cast<char>((v >> (8 * k)) & 0xFF);
  };
  b[0] = s.magic ? 'B' : 'G';
  b[1] = s.magic ? 'M' : 'I';
  put(2, static_cast<std::uint32_t>(b.size()), 4);
  put(10, static_cast<std::uint32_t>(offset), 4);
  put(14, s.infoSize, 4);
  if (s.infoSize >= 40) {
    put(18, static_cast<std::uint32_t>(s.width), 4);
    put(22, static_cast<std::uint32_t>(s.height), 4);
    put(26, 1, 2);
    put(28, static_cast<std::uint32_t>(s.bits), 2);
    put(30, s.compression, 4);
    put(34, s.zeroImageSize ? 0 : static_cast<std::uint32_t>(pixels), 4);
    put(46, s.bits == 8 ? s.tableEntries : 0, 4);
  }
  for (std::uint64_t i = offset; i < offset + pixels; ++i) b[i] = 7;
  b.resize(b.size() - std::min(s.cut, b.size()));
  return b;
}

TEST(PictureVerdicts, TheCheckerPassesAPictureExactlyWhenTheGamesLoaderLoadsIt) {
  const fs::path folder = fs::temp_directory_path() / ("varnholt_check_bmp_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::vector<BmpShape> shapes{
      {"the classic layout"},
      {"top-down rows", 800, -600},
      {"padded rows", 802},
      {"an image size of 0", 800, 600, 8, 40, 256, true},
      {"a 16-entry colour table", 800, 600, 8, 40, 16},
      {"16-bit pixels", 800, 600, 16},
      {"24-bit pixels", 800, 600, 24},
      {"trailing bytes", 800, 600, 8, 40, 256, false, 0, 37},
      {"a 124-byte info header", 800, 600, 8, 124},
      {"wider than the loader's limit", 8196},
      {"taller than the loader's limit", 800, 8200, 8, 40, 256, false, 0, 0, 0},
      {"run-length compressed", 800, 600, 8, 40, 256, false, 1},
      {"pixels cut short", 800, 600, 8, 40, 256, false, 0, 0, 5000},
      {"a 12-byte core header", 800, 600, 8, 12},
      {"no width", 0},
      {"not a BMP", 800, 600, 8, 40, 256, false, 0, 0, 0, false},
      {"smaller than the screen", 800, 599},
  };
  // The first nine are what the game shows; the table is no test of anything unless it holds both kinds.
  std::vector<std::string> shownByTheGame;
  for (std::size_t k = 0; k < 9; ++k) shownByTheGame.push_back(shapes[k].name);
  std::vector<std::string> shownNames;
  const pictures::PictureUse screen = pictures::fixedPictureUses().front();
  ASSERT_EQ(screen.cut, pictures::Cut::FullScreen);
  for (const BmpShape& shape : shapes) {
    SCOPED_TRACE(shape.name);
    writeFile(folder / screen.file, shapedBmp(shape));
    BitmapFile loaded;
    clearPictureCache();
    const bool shown = loadBitmapFile(loaded, (folder / screen.file).string()) == 1 &&
                       loaded.infoHeader.biWidth >= pictures::kScreenWidth &&
                       loaded.infoHeader.biHeight >= pictures::kScreenHeight;
    Report report;
    checkPicture(folder, screen.file, screen, report);
    EXPECT_EQ(report.problems() == 0, shown);
    if (shown) shownNames.push_back(shape.name);
    for (const Finding& f : report.findings()) EXPECT_FALSE(f.warning) << f.message;
  }
  EXPECT_EQ(shownNames, shownByTheGame);
  fs::remove_all(folder);
}

TEST_F(CampaignCopy, ABattlesFindingsComeEntryByEntryThenForTheWholeBattle) {
  const fs::path battles = folder_ / "battledb.txt", maps = folder_ / "mapdb.txt";
  const std::string battleText = readFile(battles), mapText = readFile(maps);
  const std::string b1 = "*1 1    11 8 5 2   12 9 3 2   13 9 7 2   14 10 5 2   0", m1 = "*1 MillRoad 10 10";
  ASSERT_NE(battleText.find(b1), std::string::npos);
  ASSERT_NE(mapText.find(m1), std::string::npos);
  // Each entry breaks several rules, and the small map leaves the party too little room.
  writeFile(battles,
            std::string(battleText)
                .replace(battleText.find(b1), b1.size(), "*1 1  3 1 1 2  3 3 1 2  99 1 1 2  12 11 1 2  0"));
  writeFile(maps, std::string(mapText).replace(mapText.find(m1), m1.size(), "*1 MillRoad 2 2"));
  const Report report = checkCampaign(folder_);
  std::vector<std::string> found;
  for (const Finding& f : report.findings())
    if (f.file == "battledb.txt" && f.message.rfind("battle 1: ", 0) == 0 &&
        f.message.find("speeds sum") == std::string::npos)
      found.push_back((f.warning ? "warning: " : "") + f.message.substr(10));
  writeFile(battles, battleText);
  writeFile(maps, mapText);
  const std::vector<std::string> expected{
      "character 3 has a party member's number (1 to 8)",
      "character 3 has a party member's number (1 to 8)",
      "character 3 is listed twice",
      "character 3 stands at (3, 1), off the map's 2 x 2 cells",
      "character 99 is not in chardb.txt",
      "character 99 shares cell (1, 1) with character 3",
      "character 12 stands at (11, 1), off the map's 2 x 2 cells",
      "warning: character 12 at (11, 1) is outside columns and rows 1 to 10, where the grid cursor cannot "
      "reach",
      "only 3 cells of the map within columns and rows 1 to 10 are free; the party of 5 needs 5",
  };
  EXPECT_EQ(found, expected);
}

TEST_F(CampaignCopy, VerdictsFollowTheGamesFormulasAndTheCatalogue) {
  const auto holds = [](const Report& report, const std::string& file, const std::string& message) {
    return std::any_of(report.findings().begin(), report.findings().end(), [&](const Finding& f) {
      return f.file == file && f.message.find(message) != std::string::npos;
    });
  };
  // Flee and speed as the game derives them: the expected numbers come from computeDerived.
  const fs::path chars = folder_ / "chardb.txt", battles = folder_ / "battledb.txt";
  const std::string charText = readFile(chars), battleText = readFile(battles);
  const std::string from = "13 14 10  4 10  8", to = "13 14 10  4 -20  8";
  ASSERT_NE(charText.find(from), std::string::npos);
  writeFile(chars, std::string(charText).replace(charText.find(from), from.size(), to));
  const std::string b1 = "*1 1    11 8 5 2   12 9 3 2   13 9 7 2   14 10 5 2   0";
  ASSERT_NE(battleText.find(b1), std::string::npos);
  writeFile(battles,
            std::string(battleText).replace(battleText.find(b1), b1.size(), "*1 1  11 8 5 2  12 9 3 2  0"));
  {
    GameDatabase db;
    db.baseDirectory = folder_.string();
    Character aldric = db.getCharacter(1);
    aldric.computeDerived(db);
    long long computerSpeed = 0;
    for (const BattleEntry& e : readBattleDefinition(db, 1).entries) {
      Character opponent = db.getCharacter(e.characterId);
      opponent.computeDerived(db);
      computerSpeed += opponent.aspd;
    }
    ASSERT_LT(aldric.flee, 1);
    ASSERT_LT(computerSpeed, kTurnSpeed);
    const Report report = checkCampaign(folder_);
    EXPECT_TRUE(
        holds(report, "chardb.txt", "character 1: flee " + std::to_string(aldric.flee) + " is below 1"));
    EXPECT_TRUE(holds(report, "battledb.txt",
                      "battle 1: the computer's speeds sum to " + std::to_string(computerSpeed) + ", below " +
                          std::to_string(kTurnSpeed)));
  }
  writeFile(chars, charText);
  writeFile(battles, battleText);

  // The hit sheet must hold every cell the catalogue lists, and no more is asked of it.
  const fs::path hitPath = folder_ / pictures::hits::kFile;
  const std::string hitBytes = readFile(hitPath);
  pictures::PictureUse hitUse;
  for (const auto& use : pictures::fixedPictureUses())
    if (use.file == pictures::hits::kFile) hitUse = use;
  const pictures::Extent need = pictures::extentOf(hitUse);
  ASSERT_EQ(hitUse.cells.size(), std::size_t{pictures::hits::kHitFrames + pictures::hits::kMissFrames});
  writeFile(hitPath, shapedBmp({"one column short", need.width - 1, need.height}));
  EXPECT_TRUE(holds(checkCampaign(folder_), pictures::hits::kFile,
                    "needs at least " + std::to_string(need.width) + " x " + std::to_string(need.height)));
  writeFile(hitPath, shapedBmp({"just large enough", need.width, need.height}));
  const Report exact = checkCampaign(folder_);
  EXPECT_FALSE(std::any_of(exact.findings().begin(), exact.findings().end(),
                           [](const Finding& f) { return f.file == pictures::hits::kFile; }));
  writeFile(hitPath, hitBytes);
}

TEST(Findings, PrintAsFileLineMessageInsideTheFolderWithASummary) {
  Report report;
  report.problem("chardb.txt", 12, "character 1: race 30 is not in racedb.txt");
  report.warn("mapdb.txt", 0, "small");
  EXPECT_EQ(formatFinding("some/dir", report.findings()[0]),
            "some/dir/chardb.txt:12: character 1: race 30 is not in racedb.txt");
  EXPECT_EQ(formatFinding(".", report.findings()[1]), "mapdb.txt:0: warning: small");
  EXPECT_EQ(summaryLine(report), "1 problem, 1 warning");
}

TEST(Findings, MakeOneJsonDocumentOfPlainAsciiWithNullsForWhatIsUnknown) {
  Report report;
  report.problem("chardb.txt", 12, "record 1: name 'Al\"dric\x1b[2J' is longer than 15 characters", "name");
  report.warn("mapdb.txt", 0, "map 1: small");
  std::ostringstream out;
  writeReportJson("some/dir", report, out);
  EXPECT_EQ(
      out.str(),
      "{\n"
      "  \"folder\": \"some/dir\",\n"
      "  \"findings\": [\n"
      "    {\"file\": \"chardb.txt\", \"path\": \"some/dir/chardb.txt\", \"line\": 12, \"field\": \"name\", "
      "\"severity\": \"error\", \"message\": \"record 1: name 'Al\\\"dric\\\\x1b[2J' is longer than 15 "
      "characters\"},\n"
      "    {\"file\": \"mapdb.txt\", \"path\": \"some/dir/mapdb.txt\", \"line\": null, \"field\": null, "
      "\"severity\": \"warning\", \"message\": \"map 1: small\"}\n"
      "  ],\n"
      "  \"summary\": {\"problems\": 1, \"warnings\": 1, \"text\": \"1 problem, 1 warning\"}\n"
      "}\n");
  std::ostringstream empty;
  writeReportJson(".", Report{}, empty);
  EXPECT_NE(empty.str().find("\"findings\": [],"), std::string::npos) << empty.str();
}

TEST_F(CampaignCopy, FindingsNameTheFieldAsTheManualPageDoes) {
  struct FieldCase {
    const char* file;
    std::string from, to;
    std::string field;  // of the first finding in `file`
  };
  const std::vector<FieldCase> cases{
      {"itemdb.txt", "*1 Sword       12", "*1 Sword       twelve", "atk"},
      {"itemdb.txt", "0 0 0 0   28 0  6 1", "0 0 0 0   28 0  6 9", "range"},
      {"skilldb.txt", "A heavy blow:", "A heavyweighted blow:", "description"},
      {"skilldb.txt", "0 0 0 0   1 0 1.6 0 2", "0 0 0 0   1 0 1.6 0 4", "kind"},
      {"classdb.txt", "2.2 0.8   1 2 -1", "2.2 0.8   1 2", "skill list"},
      {"chardb.txt", "*1 Aldric    1 1", "*1 Aldric    30 1", "race"},
      {"chardb.txt", "1  5 7 5 5 5   aldric.bmp", "1  5 77 5 5 5   aldric.bmp", "equipment slot"},
      {"chardb.txt", "aldric.bmp   party", "aldric_the_very_bold_knight.bmp party", "picture file"},
      {"mapdb.txt", "*1 MillRoad 10 10", "*1 MillRoad 10 0", "rows"},
      {"battledb.txt", "*1 1 ", "*1 9 ", "map"},
      {"battledb.txt", "12 9 3 2", "12 9 30 2", "row"},
      {"battledb.txt", "12 9 3 2", "3 9 3 2", "character"},
      {"PALDATA2.PAL", "\n", "\n-1 ", "red"},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(c.from + " -> " + c.to);
    const fs::path path = folder_ / c.file;
    const std::string original = readFile(path);
    const auto at = original.find(c.from);
    ASSERT_NE(at, std::string::npos);
    writeFile(path, std::string(original).replace(at, c.from.size(), c.to));
    const Report report = checkCampaign(folder_);
    writeFile(path, original);
    const auto found = std::find_if(report.findings().begin(), report.findings().end(),
                                    [&](const Finding& f) { return f.file == c.file; });
    ASSERT_NE(found, report.findings().end());
    EXPECT_EQ(found->field, c.field) << found->message;
  }
}

TEST_F(CampaignCopy, HostileFilesAreReportedEscapedAndOversizedOnesUnread) {
  // Terminal escape sequences and a word of 100,000 bytes in a database; sparse files far above what
  // the game reads in place of a database, the palette and a picture (never read: the test would need
  // gigabytes of memory otherwise, and the checker's own reading stays bounded).
  const fs::path items = folder_ / "itemdb.txt", palette = folder_ / "PALDATA2.PAL",
                 title = folder_ / pictures::kTitle, races = folder_ / "racedb.txt";
  const std::string itemBytes = readFile(items), paletteBytes = readFile(palette),
                    titleBytes = readFile(title), raceBytes = readFile(races);
  std::string hostileItems = itemBytes;
  const std::size_t firstRecord = hostileItems.find("*1 ");
  ASSERT_NE(firstRecord, std::string::npos);
  hostileItems.insert(firstRecord + 3, "\x1b]0;owned\x07\x1b[2J" + std::string(100000, 'w') + " ");
  writeFile(items, hostileItems);
  for (const fs::path& path : {palette, title, races}) {
    fs::remove(path);
    std::ofstream(path, std::ios::binary).close();
    fs::resize_file(path, std::uintmax_t{1} << 30);
  }
  const Report report = checkCampaign(folder_);
  bool itemsReported = false;
  for (const Finding& f : report.findings()) {
    const std::string line = formatFinding(folder_, f);
    EXPECT_TRUE(std::all_of(line.begin(), line.end(), [](char c) { return c >= 0x20 && c < 0x7F; })) << line;
    EXPECT_LT(line.size(), folder_.string().size() + 40 + 4 * kMaxMessageLength) << line;
    itemsReported |= f.file == "itemdb.txt";
  }
  EXPECT_TRUE(itemsReported);
  for (const std::string& file : std::vector<std::string>{"PALDATA2.PAL", "racedb.txt", pictures::kTitle}) {
    const auto found = std::find_if(report.findings().begin(), report.findings().end(),
                                    [&](const Finding& f) { return f.file == file; });
    ASSERT_NE(found, report.findings().end()) << file;
    EXPECT_NE(found->message.find("1073741824 bytes, more than the"), std::string::npos) << found->message;
  }
  writeFile(items, itemBytes);
  writeFile(palette, paletteBytes);
  writeFile(title, titleBytes);
  writeFile(races, raceBytes);
}

TEST_F(CampaignCopy, AtStartAProblemCampaignIsSummedUpInTenLinesAndACleanOneSaysNothing) {
  std::ostringstream clean;
  EXPECT_EQ(reportCampaignAtStart(folder_, "varnholt", clean), 0);
  EXPECT_EQ(clean.str(), "");
  // Twelve pictures missing: twelve problems, ten of them shown.
  std::vector<std::pair<fs::path, std::string>> removed;
  for (const char* name : {"in1.BMP", "in2.BMP", "in3.BMP", "in4.BMP", "dinner.BMP", "llama.BMP", "load.BMP",
                           "gameover.bmp", "victory.bmp", "gameend.bmp", "buttons.bmp", "select.BMP"}) {
    removed.emplace_back(folder_ / name, readFile(folder_ / name));
    fs::remove(folder_ / name);
  }
  std::ostringstream out;
  EXPECT_EQ(reportCampaignAtStart(folder_, "varnholt", out), 12);
  std::vector<std::string> lines;
  std::istringstream in(out.str());
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 12u) << out.str();
  EXPECT_EQ(lines.front().rfind("varnholt: the campaign in ", 0), 0u) << lines.front();
  EXPECT_NE(lines.front().find("has 12 problems"), std::string::npos) << lines.front();
  EXPECT_NE(lines[1].find(".BMP:0: missing"), std::string::npos) << lines[1];
  EXPECT_EQ(lines.back(), "varnholt: run varnholt-check " + folder_.string() + " for the whole list");
  for (const auto& [path, bytes] : removed) writeFile(path, bytes);
}

TEST(Fuzz, MangledCopiesOfTheSmallFilesNeverCrashTheChecker) {
  // Only the databases, the palette and the sheets: the full-screen pictures would make each round slow
  // and are then reported missing, which the checker must take in its stride as well.
  const fs::path folder = fs::temp_directory_path() / ("varnholt_check_fuzz_" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::vector<std::pair<fs::path, std::string>> files;
  for (const auto& entry : fs::directory_iterator(VARNHOLT_CAMPAIGN_BUILD_DIR))
    if (entry.file_size() < 60000) {
      fs::copy_file(entry.path(), folder / entry.path().filename());
      files.emplace_back(folder / entry.path().filename(), readFile(entry.path()));
    }
  ASSERT_GT(files.size(), 10u);
  std::mt19937 random(7);
  const std::string spice = "*-0123456789 \n\t.e+x";
  for (int round = 0; round < 400; ++round) {
    auto& [path, original] = files[random() % files.size()];
    std::string bytes = original;
    const int kind = static_cast<int>(random() % 5);
    const int changes = 1 + static_cast<int>(random() % 8);
    for (int k = 0; k < changes && !bytes.empty(); ++k) {
      const std::size_t at = random() % bytes.size();
      if (kind == 0) bytes[at] = static_cast<char>(random() % 256);
      if (kind == 1) bytes[at] = spice[random() % spice.size()];
      if (kind == 2) bytes.insert(at, bytes.substr(random() % bytes.size(), random() % 64));
      if (kind == 3) bytes.resize(at);
      if (kind == 4) bytes.insert(at, random() % 2 ? " 2147483647 " : " -2147483648 ");
    }
    writeFile(path, bytes);
    const Report report = checkCampaign(folder);
    EXPECT_EQ(report.problems() + report.warnings(), static_cast<int>(report.findings().size()));
    writeFile(path, original);
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace varnholt::check
