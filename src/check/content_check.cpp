// The report and the whole-folder check.

#include "check/content_check.h"

#include <algorithm>

#include "content/content_report.h"

namespace varnholt::check {

void Report::problem(std::string file, int line, std::string message) {
  findings_.push_back({std::move(file), line, false, std::move(message)});
}

void Report::warn(std::string file, int line, std::string message) {
  findings_.push_back({std::move(file), line, true, std::move(message)});
}

int Report::problems() const {
  return static_cast<int>(
      std::count_if(findings_.begin(), findings_.end(), [](const Finding& f) { return !f.warning; }));
}

int Report::warnings() const {
  return static_cast<int>(findings_.size()) - problems();
}

Report checkCampaign(const std::filesystem::path& folder) {
  Report report;
  std::vector<std::string> pictures;
  checkDatabases(folder, report, pictures);
  checkPictures(folder, pictures, report);
  return report;
}

std::string formatFinding(const std::filesystem::path& folder, const Finding& finding) {
  using content::escapeForTerminal;
  const std::string file = (folder / finding.file).lexically_normal().string();
  std::string message = escapeForTerminal(std::string_view(finding.message).substr(0, kMaxMessageLength));
  if (finding.message.size() > kMaxMessageLength) message += "...";
  return escapeForTerminal(file) + ":" + std::to_string(finding.line) + ": " +
         (finding.warning ? "warning: " : "") + message;
}

int reportCampaignAtStart(const std::filesystem::path& folder, const std::string& program,
                          std::ostream& out) {
  content::ContentReportSink previous = content::setContentReportSink([](const std::string&) {});
  const Report report = checkCampaign(folder);
  content::setContentReportSink(std::move(previous));
  const int problems = report.problems();
  if (problems == 0) return 0;
  out << program << ": the campaign in " << content::escapeForTerminal(folder.string()) << " has " << problems
      << (problems == 1 ? " problem" : " problems") << "; the game starts all the same\n";
  int shown = 0;
  for (const Finding& finding : report.findings()) {
    if (finding.warning) continue;
    if (shown++ == kStartProblemsShown) break;
    out << program << ": " << formatFinding(folder, finding) << "\n";
  }
  out << program << ": run varnholt-check " << content::escapeForTerminal(folder.string())
      << " for the whole list\n";
  return problems;
}

std::string tooLargeProblem(const content::FileFacts& facts, const char* what) {
  return std::to_string(facts.size) + " bytes, more than the " + std::to_string(facts.cap) +
         " the game reads of " + what + "; it is not read";
}

std::string summaryLine(const Report& report) {
  const int p = report.problems(), w = report.warnings();
  return std::to_string(p) + (p == 1 ? " problem, " : " problems, ") + std::to_string(w) +
         (w == 1 ? " warning" : " warnings");
}

}  // namespace varnholt::check
