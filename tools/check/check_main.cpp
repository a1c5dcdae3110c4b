// varnholt-check [--json] [DIR], varnholt-check --preview N FILE.png [DIR]: checks a campaign folder and
// prints one line per problem or warning, then a summary, or the whole report as one JSON document; with
// --preview it also draws battle N as the game shows it before the party is placed and writes it as a PNG
// file. Exit 0 when no problem was found, 1 when one was (or the preview could not be made), 2 for a bad
// command line.

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "battle/battle_definition.h"
#include "check/battle_preview.h"
#include "check/content_check.h"
#include "content/content_report.h"

namespace {

namespace fs = std::filesystem;
using varnholt::content::escapeForTerminal;

constexpr int kClean = 0;
constexpr int kProblems = 1;
constexpr int kBadCommandLine = 2;

constexpr const char* kUsage =
    "Usage: varnholt-check [--json] [DIR]\n"
    "       varnholt-check --preview N FILE.png [DIR]\n"
    "Checks the campaign folder DIR (default: the current directory): the seven databases, the palette\n"
    "file and every picture the game loads. Prints FILE:LINE: MESSAGE for each problem and\n"
    "FILE:LINE: warning: MESSAGE for content that is legal but plays badly, then a summary line.\n"
    "  --json            print the report as one JSON document instead: every finding with its file,\n"
    "                    path, line, field, severity (\"error\" or \"warning\") and message, and the "
    "summary\n"
    "  --preview N FILE  check, then draw battle N (1 to 5) as the game shows it before the party is\n"
    "                    placed, the cells the party may be placed on marked, and write it to the PNG\n"
    "                    file FILE; a campaign with problems gets no preview\n"
    "  --help            show this help\n"
    "  --version         show the version\n"
    "The format of a campaign is described in varnholt-campaign(5).\n"
    "Exit status: 0 no problems (warnings allowed), 1 problems found or no preview made, 2 bad command line\n"
    "or DIR not a folder.\n";

int badCommandLine(const std::string& message) {
  std::cerr << "varnholt-check: " << escapeForTerminal(message) << "\n" << kUsage;
  return kBadCommandLine;
}

std::optional<int> parseNumber(const std::string& text) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return std::stoi(text);
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = ".";
  bool folderGiven = false;
  bool json = false;
  std::optional<int> previewBattle;
  fs::path previewFile;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return kClean;
    }
    if (arg == "--version") {
      std::cout << "varnholt-check " << VARNHOLT_VERSION << "\n";
      return kClean;
    }
    if (arg == "--json") {
      json = true;
      continue;
    }
    if (arg == "--preview") {
      if (i + 2 >= argc) return badCommandLine("--preview needs a battle number and a PNG file");
      previewBattle = parseNumber(argv[i + 1]);
      if (!previewBattle)
        return badCommandLine("--preview: '" + std::string(argv[i + 1]) + "' is not a number");
      previewFile = argv[i + 2];
      i += 2;
      continue;
    }
    if ((arg.size() > 1 && arg[0] == '-' && arg != "--") || folderGiven)
      return badCommandLine("unexpected argument '" + arg + "'");
    if (arg == "--") continue;
    folder = arg;
    folderGiven = true;
  }
  if (json && previewBattle) return badCommandLine("--json and --preview do not go together");
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    std::cerr << "varnholt-check: '" << escapeForTerminal(folder) << "' is not a folder\n";
    return kBadCommandLine;
  }
  if (previewBattle && (*previewBattle < 1 || *previewBattle > varnholt::kLastBattle)) {
    std::cerr << "varnholt-check: there is no battle " << *previewBattle
              << " to preview; a campaign's battles are 1 to " << varnholt::kLastBattle << "\n";
    return kProblems;
  }

  // The readers report a file they refuse on their own; the checker says it in its report instead.
  varnholt::content::setContentReportSink([](const std::string&) {});
  const varnholt::check::Report report = varnholt::check::checkCampaign(folder);
  if (json) {
    varnholt::check::writeReportJson(folder, report, std::cout);
  } else {
    for (const auto& finding : report.findings())
      std::cout << varnholt::check::formatFinding(folder, finding) << "\n";
    std::cout << varnholt::check::summaryLine(report) << "\n";
  }
  if (report.problems() > 0) {
    if (previewBattle)
      std::cerr << "varnholt-check: no preview of battle " << *previewBattle
                << ": the campaign has problems (listed above); fix them first\n";
    return kProblems;
  }
  if (!previewBattle) return kClean;

  // The output is named from where the program was started; the preview draws inside the campaign.
  const fs::path output = fs::absolute(previewFile, error);
  varnholt::check::BattlePreview preview;
  std::string failure;
  if (!varnholt::check::drawBattlePreview(folder, *previewBattle, preview, failure) ||
      !varnholt::check::writePreviewPng(output, preview.frame, failure)) {
    std::cerr << "varnholt-check: no preview of battle " << *previewBattle << ": "
              << escapeForTerminal(failure) << "\n";
    return kProblems;
  }
  std::cout << escapeForTerminal(previewFile.string()) << ": battle " << *previewBattle << " on map "
            << preview.mapId << " (" << preview.columns << " x " << preview.rows << "), "
            << preview.combatants << (preview.combatants == 1 ? " combatant, " : " combatants, ")
            << preview.startCells << " cells for the party marked\n";
  return kClean;
}
