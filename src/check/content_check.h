#pragma once
// The content checker: everything the game needs of a campaign folder (the seven databases, the palette
// file and every picture it loads), checked up front so that a broken campaign is reported with file and
// line instead of misbehaving in play. Problems break the game; warnings are legal content that plays badly.

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "content/campaign_file.h"
#include "data/campaign_pictures.h"

namespace varnholt::check {

struct Finding {
  std::string file;  // file name inside the campaign folder
  int line = 0;      // 0 where no line is meaningful
  bool warning = false;
  std::string message;
  std::string field;  // the record's field the finding is about, as varnholt-campaign(5) names it; or empty
};

class Report {
 public:
  void problem(std::string file, int line, std::string message, std::string field = {});
  void warn(std::string file, int line, std::string message, std::string field = {});

  const std::vector<Finding>& findings() const { return findings_; }
  int problems() const;
  int warnings() const;

 private:
  std::vector<Finding> findings_;
};

// Checks the whole campaign folder.
Report checkCampaign(const std::filesystem::path& folder);

// The databases alone (what checkCampaign does first); also records which pictures the characters name.
void checkDatabases(const std::filesystem::path& folder, Report& report,
                    std::vector<std::string>& characterPictures);

// The palette file and every picture: the fixed ones and the characters' sheets.
void checkPictures(const std::filesystem::path& folder, const std::vector<std::string>& characterPictures,
                   Report& report);

// A palette file of the folder (the game reads START_PALETTE_FILE): 256 entries of red, green and blue
// from 0 to 255 and flags 0, 2 or 4, each problem at its line.
void checkPalette(const std::filesystem::path& folder, const std::string& name, Report& report);

// One picture of the folder, used as `use` describes: it must load with the engine's loader and then hold
// every cell of the use; empty sheet cells are warned of.
void checkPicture(const std::filesystem::path& folder, const std::string& name,
                  const pictures::PictureUse& use, Report& report);

// "file:line: message" or "file:line: warning: message", the file shown inside `folder`. Campaigns come
// from other people: the line is escaped (no byte outside printable ASCII reaches the terminal as itself)
// and a message is cut to kMaxMessageLength bytes of the file's content.
std::string formatFinding(const std::filesystem::path& folder, const Finding& finding);
inline constexpr std::size_t kMaxMessageLength = 300;

// The problem to report of a file the guard found over its cap: its size and the cap, "of `what`".
std::string tooLargeProblem(const content::FileFacts& facts, const char* what);

// What a program prints before it starts on a campaign with problems: how many, the first
// kStartProblemsShown of them as "file:line: message", and where the whole list is to be had; each line
// starts with "program: ". Nothing for a campaign without problems (warnings are legal content). The
// readers' own reports of refused files are held back during the check: the lines say it. Returns the
// number of problems.
int reportCampaignAtStart(const std::filesystem::path& folder, const std::string& program, std::ostream& out);
inline constexpr int kStartProblemsShown = 10;

// "N problems, M warnings", with singulars where they fit.
std::string summaryLine(const Report& report);

// The whole report as one JSON document: the folder, every finding (file, its path, line, field,
// severity "error" or "warning", message) and the summary. Text from the campaign is escaped as
// formatFinding escapes it (so the document is plain ASCII) and cut to the same length; a line of 0 and an
// unknown field are null.
void writeReportJson(const std::filesystem::path& folder, const Report& report, std::ostream& out);

}  // namespace varnholt::check
