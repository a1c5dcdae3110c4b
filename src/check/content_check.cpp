// The report and the whole-folder check.

#include "check/content_check.h"

#include <algorithm>

#include "content/content_report.h"

namespace varnholt::check {

void Report::problem(std::string file, int line, std::string message, std::string field) {
  findings_.push_back({std::move(file), line, false, std::move(message), std::move(field)});
}

void Report::warn(std::string file, int line, std::string message, std::string field) {
  findings_.push_back({std::move(file), line, true, std::move(message), std::move(field)});
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

namespace {

std::string shownPath(const std::filesystem::path& folder, const Finding& finding) {
  return content::escapeForTerminal((folder / finding.file).lexically_normal().string());
}

std::string shownMessage(const Finding& finding) {
  std::string message =
      content::escapeForTerminal(std::string_view(finding.message).substr(0, kMaxMessageLength));
  if (finding.message.size() > kMaxMessageLength) message += "...";
  return message;
}

// A JSON string of text that escapeForTerminal has made printable ASCII: only '"' and '\\' need escaping.
std::string jsonString(std::string_view printable) {
  std::string out = "\"";
  for (const char ch : printable) {
    if (ch == '"' || ch == '\\') out += '\\';
    out += ch;
  }
  return out + "\"";
}

}  // namespace

std::string formatFinding(const std::filesystem::path& folder, const Finding& finding) {
  return shownPath(folder, finding) + ":" + std::to_string(finding.line) + ": " +
         (finding.warning ? "warning: " : "") + shownMessage(finding);
}

void writeReportJson(const std::filesystem::path& folder, const Report& report, std::ostream& out) {
  using content::escapeForTerminal;
  out << "{\n  \"folder\": " << jsonString(escapeForTerminal(folder.string())) << ",\n  \"findings\": [";
  const char* separator = "\n";
  for (const Finding& f : report.findings()) {
    out << separator << "    {\"file\": " << jsonString(escapeForTerminal(f.file))
        << ", \"path\": " << jsonString(shownPath(folder, f))
        << ", \"line\": " << (f.line > 0 ? std::to_string(f.line) : "null")
        << ", \"field\": " << (f.field.empty() ? "null" : jsonString(escapeForTerminal(f.field)))
        << ", \"severity\": \"" << (f.warning ? "warning" : "error")
        << "\", \"message\": " << jsonString(shownMessage(f)) << "}";
    separator = ",\n";
  }
  out << (report.findings().empty() ? "" : "\n  ")
      << "],\n  \"summary\": {\"problems\": " << report.problems() << ", \"warnings\": " << report.warnings()
      << ", \"text\": " << jsonString(summaryLine(report)) << "}\n}\n";
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
