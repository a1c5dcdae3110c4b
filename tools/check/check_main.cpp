// varnholt-check [DIR]: checks a campaign folder and prints one line per problem or warning, then a
// summary. Exit 0 when no problem was found, 1 when one was, 2 for a bad command line.

#include <cstdio>
#include <iostream>
#include <string>

#include "check/content_check.h"
#include "content/content_report.h"

namespace {

constexpr const char* kUsage =
    "Usage: varnholt-check [DIR]\n"
    "Checks the campaign folder DIR (default: the current directory): the seven databases, the palette\n"
    "file and every picture the game loads. Prints FILE:LINE: MESSAGE for each problem and\n"
    "FILE:LINE: warning: MESSAGE for content that is legal but plays badly, then a summary line.\n"
    "Exit status: 0 no problems, 1 problems found, 2 bad command line.\n"
    "  --help     show this help\n"
    "  --version  show the version\n";

}  // namespace

int main(int argc, char** argv) {
  std::string folder = ".";
  bool folderGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (arg == "--version") {
      std::cout << "varnholt-check " << VARNHOLT_VERSION << "\n";
      return 0;
    }
    if ((arg.size() > 1 && arg[0] == '-' && arg != "--") || folderGiven) {
      std::cerr << "varnholt-check: unexpected argument '" << arg << "'\n" << kUsage;
      return 2;
    }
    if (arg == "--") continue;
    folder = arg;
    folderGiven = true;
  }
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    std::cerr << "varnholt-check: '" << folder << "' is not a folder\n";
    return 2;
  }
  // The readers report a file they refuse on their own; the checker says it in its report instead.
  varnholt::content::setContentReportSink([](const std::string&) {});
  const varnholt::check::Report report = varnholt::check::checkCampaign(folder);
  for (const auto& finding : report.findings())
    std::cout << varnholt::check::formatFinding(folder, finding) << "\n";
  std::cout << varnholt::check::summaryLine(report) << "\n";
  return report.problems() > 0 ? 1 : 0;
}
