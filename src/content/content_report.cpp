// Reporting content problems once each, escaped.
#include "content/content_report.h"

#include <iostream>
#include <set>

namespace varnholt::content {

namespace {

struct Reports {
  ContentReportSink sink;
  std::set<std::string> seen;
  bool overflowNoted = false;
};

Reports& reports() {
  static Reports state;
  return state;
}

void deliver(const std::string& message) {
  Reports& state = reports();
  if (state.sink) {
    state.sink(message);
  } else {
    std::cerr << "varnholt: " << message << "\n";
  }
}

}  // namespace

std::string escapeForTerminal(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      out += ch;
    } else {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  return out;
}

void reportContentProblem(std::string_view message) {
  std::string text = escapeForTerminal(message.substr(0, kMaxContentReportLength));
  if (message.size() > kMaxContentReportLength) text += "...";
  Reports& state = reports();
  if (state.seen.count(text)) return;
  if (state.seen.size() >= static_cast<std::size_t>(kMaxContentReports)) {
    if (!state.overflowNoted) deliver("more problems with the campaign's files; further ones are not shown");
    state.overflowNoted = true;
    return;
  }
  state.seen.insert(text);
  deliver(text);
}

ContentReportSink setContentReportSink(ContentReportSink sink) {
  Reports& state = reports();
  ContentReportSink previous = std::move(state.sink);
  state.sink = std::move(sink);
  state.seen.clear();
  state.overflowNoted = false;
  return previous;
}

}  // namespace varnholt::content
