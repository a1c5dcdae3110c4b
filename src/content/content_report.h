#pragma once
// Problems with the campaign's files that the game meets while it runs (a file refused as too large,
// say). The game goes on with what it has; the player is told once per problem, on standard error by
// default. Content is written by other people, so what is printed of it is escaped: a byte outside
// printable ASCII appears as \xNN and never reaches the terminal as itself.

#include <functional>
#include <string>
#include <string_view>

namespace varnholt::content {

using ContentReportSink = std::function<void(const std::string& message)>;

// Reports `message` (escaped, cut to kMaxContentReportLength) to the sink, unless the same message was
// reported before. After kMaxContentReports distinct messages the rest are counted, not shown.
void reportContentProblem(std::string_view message);

// Replaces the sink (an empty one restores the default, "varnholt: MESSAGE" on standard error) and
// forgets which messages were reported. Returns the sink that was installed.
ContentReportSink setContentReportSink(ContentReportSink sink);

// `text` with every byte outside printable ASCII (and the backslash) written as \xNN.
std::string escapeForTerminal(std::string_view text);

inline constexpr std::size_t kMaxContentReportLength = 300;
inline constexpr int kMaxContentReports = 100;

}  // namespace varnholt::content
