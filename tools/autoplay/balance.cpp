// The balance report: the battles played in forked processes, one per party from a copy of the game at
// the party choice, and the figures, the table and the JSON.
#include "balance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <tuple>
#include <vector>

#include "battle/battle_definition.h"
#include "replay/json_writer.h"

namespace varnholt::autoplay {
namespace {

namespace fs = std::filesystem;

bool writeAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Reads what is there; false at the end of the stream (or an error).
bool readSome(int fd, std::string& into) {
  char buffer[65536];
  while (true) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    into.append(buffer, static_cast<std::size_t>(n));
    return true;
  }
}

std::string readToEnd(int fd) {
  std::string text;
  while (readSome(fd, text)) {
  }
  return text;
}

std::string exitText(int status) {
  if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return std::string("signal ") + ::strsignal(WTERMSIG(status));
  return "status " + std::to_string(status);
}

// What a party's process sends back: one line of figures, then the keys it pressed after the party
// choice when it won (one byte a frame), which the next battle's keys go on with.
//   outcome INDEX END FRAMES TURNS STANDING KEYS\n<KEYS bytes>
std::string formatOutcome(std::size_t index, const RunResult& run, std::size_t prefixFrames) {
  const bool won = run.end == RunEnd::BattleWon || run.end == RunEnd::CampaignEnd;
  const std::size_t keys = won && run.keys.size() > prefixFrames ? run.keys.size() - prefixFrames : 0;
  std::ostringstream out;
  out << "outcome " << index << ' ' << static_cast<int>(run.end) << ' ' << run.fought.frames << ' '
      << run.fought.turns << ' ' << run.fought.standing << ' ' << keys << '\n';
  std::string text = out.str();
  for (std::size_t i = 0; i < keys; ++i) text.push_back(static_cast<char>(run.keys[prefixFrames + i]));
  return text;
}

struct Received {
  double prefixSeconds = 0;
  std::map<std::size_t, PartyOutcome> outcomes;
  std::map<std::size_t, std::vector<KeySet>> keys;
  std::vector<std::string> errors;
};

void parseRecords(const std::string& text, const std::vector<Party>& parties, Received& into) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) {
      into.errors.push_back("a result was cut short");
      return;
    }
    std::istringstream line(text.substr(pos, eol - pos));
    pos = eol + 1;
    std::string word;
    line >> word;
    if (word == "prefix") {
      line >> into.prefixSeconds;
      continue;
    }
    if (word == "error") {
      std::string rest;
      std::getline(line >> std::ws, rest);
      into.errors.push_back(rest);
      continue;
    }
    std::size_t index = 0;
    int end = 0;
    std::size_t keys = 0;
    PartyOutcome outcome;
    if (word != "outcome" ||
        !(line >> index >> end >> outcome.stats.frames >> outcome.stats.turns >> outcome.stats.standing >>
          keys) ||
        index >= parties.size() || keys > text.size() - pos) {
      into.errors.push_back("a result did not read");
      return;
    }
    outcome.party = parties[index];
    outcome.end = static_cast<RunEnd>(end);
    into.outcomes[index] = outcome;
    std::vector<KeySet>& pressed = into.keys[index];
    for (std::size_t i = 0; i < keys; ++i) pressed.push_back(static_cast<KeySet>(text[pos + i]));
    pos += keys;
  }
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The battle's own process: runs the keys up to the battle's party choice, then forks a process for each
// party there and passes on what they send back, in the order they finish, to `out`. Returns its exit
// status. A party's process never returns from here.
int serveBattle(int battle, const std::vector<KeySet>& prefix, const std::vector<Party>& parties,
                const std::function<int(int)>& weaponRange, const BalanceOptions& options, int out) {
  Party chosen{};
  std::optional<std::size_t> mine;  // set in a party's process
  int resultPipe = -1;
  std::string collected;
  std::string error;
  const auto start = std::chrono::steady_clock::now();
  const std::size_t jobs = static_cast<std::size_t>(std::max(1, options.jobs));

  AutoPlayer player(Style::Fight, weaponRange, [&](int) { return chosen; });
  RunLimits limits = options.limits;
  limits.stopAtChoice = 0;
  limits.stopAfterBattle = battle;
  limits.atChoice = [&](int opened) {
    if (opened != battle) return true;
    collected += "prefix " + std::to_string(secondsSince(start)) + "\n";
    struct Running {
      pid_t pid;
      int fd;
      std::size_t index;
      std::string text;
    };
    std::vector<Running> running;
    // Waits for output from any party's process; one that has finished is collected. Should the wait
    // itself fail, the first process's output is read to its end instead.
    const auto collectSome = [&] {
      std::vector<pollfd> waiting;
      for (const Running& r : running) waiting.push_back({r.fd, POLLIN, 0});
      if (::poll(waiting.data(), waiting.size(), -1) < 0) {
        if (errno == EINTR) return;
        waiting[0].revents = POLLIN;
        while (readSome(running[0].fd, running[0].text)) {
        }
      }
      for (std::size_t i = running.size(); i-- > 0;) {
        if (waiting[i].revents == 0) continue;
        Running& r = running[i];
        if (readSome(r.fd, r.text)) continue;
        ::close(r.fd);
        int status = 0;
        ::waitpid(r.pid, &status, 0);
        if (r.text.empty() || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
          collected += "error battle " + std::to_string(battle) + " party " + partyText(parties[r.index]) +
                       ": its process ended with " + exitText(status) + "\n";
        } else {
          collected += r.text;
        }
        running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
      }
    };
    for (std::size_t i = 0; i < parties.size() && error.empty(); ++i) {
      while (running.size() >= jobs) collectSome();
      int fds[2];
      if (::pipe(fds) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        break;
      }
      const pid_t pid = ::fork();
      if (pid < 0) {
        error = std::string("cannot start a process: ") + std::strerror(errno);
        ::close(fds[0]);
        ::close(fds[1]);
        break;
      }
      if (pid == 0) {
        ::close(fds[0]);
        ::close(out);
        for (const Running& r : running) ::close(r.fd);
        detachInheritedFiles();
        chosen = parties[i];
        mine = i;
        resultPipe = fds[1];
        return true;  // this process plays on with the party
      }
      ::close(fds[1]);
      running.push_back({pid, fds[0], i, {}});
    }
    while (!running.empty()) collectSome();
    return false;
  };

  const RunResult run = playCampaign(prefix, player, limits);
  if (mine) {
    const bool sent = writeAll(resultPipe, formatOutcome(*mine, run, prefix.size()));
    ::_exit(sent ? 0 : 1);
  }
  if (error.empty() && run.end != RunEnd::Stopped) {
    error = "battle " + std::to_string(battle) +
            "'s party choice never came (the run ended: " + runEndName(run.end) +
            (run.failure.empty() ? "" : ", " + run.failure) + ")";
  }
  if (!error.empty()) collected += "error " + error + "\n";
  return writeAll(out, collected) && error.empty() ? 0 : 1;
}

std::optional<double> median(std::vector<double> values) {
  if (values.empty()) return std::nullopt;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Lower is easier: a win before anything else; wins by members lost, turns and frames; other ends by
// members lost and then the longer fight first.
std::tuple<int, int, int, int> difficulty(const PartyOutcome& outcome) {
  if (outcome.won()) return {0, outcome.membersLost(), outcome.stats.turns, outcome.stats.frames};
  return {outcome.end == RunEnd::NoStart ? 2 : 1, outcome.membersLost(), -outcome.stats.turns,
          -outcome.stats.frames};
}

const char* resultName(const PartyOutcome& outcome) {
  if (outcome.won()) return "won";
  switch (outcome.end) {
    case RunEnd::Lost:
      return "lost";
    case RunEnd::Stalled:
      return "stalled";
    default:
      return "failed";
  }
}

std::string numberText(const std::optional<double>& value) {
  if (!value) return "-";
  std::ostringstream out;
  out << std::fixed << std::setprecision(*value == static_cast<long long>(*value) ? 0 : 1) << *value;
  return out.str();
}

std::string describe(const PartyOutcome& outcome) {
  std::ostringstream out;
  out << partyText(outcome.party) << " (" << resultName(outcome) << " after " << outcome.stats.turns
      << " turns, " << outcome.stats.frames << " frames, " << outcome.membersLost() << " lost)";
  return out.str();
}

}  // namespace

void detachInheritedFiles() {
  std::vector<int> fds;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd", error)) {
    const std::string name = entry.path().filename().string();
    if (!name.empty() && std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
      fds.push_back(std::stoi(name));
  }
  for (int fd : fds) {
    struct stat info {};
    if (fd <= 2 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) continue;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || (flags & O_ACCMODE) != O_RDONLY) continue;
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    const int fresh = ::open(("/proc/self/fd/" + std::to_string(fd)).c_str(), flags & ~(O_CREAT | O_TRUNC));
    if (fresh < 0) continue;
    if (at >= 0) ::lseek(fresh, at, SEEK_SET);
    const int descriptorFlags = ::fcntl(fd, F_GETFD);
    ::dup2(fresh, fd);
    if (descriptorFlags >= 0) ::fcntl(fd, F_SETFD, descriptorFlags);
    ::close(fresh);
  }
}

std::string partyText(const Party& party) {
  std::string text;
  for (int id : party) text += (text.empty() ? "" : " ") + std::to_string(id);
  return text;
}

BalanceReport runBalance(const std::vector<Party>& parties, const std::function<int(int)>& weaponRange,
                         const BalanceOptions& options) {
  const auto start = std::chrono::steady_clock::now();
  BalanceReport report;
  report.jobs = std::max(1, options.jobs);
  std::vector<KeySet> prefix;  // the keys up to the party choice of the battle about to be played
  bool reachable = true;
  for (int battle = 1; battle <= kLastBattle; ++battle) {
    const auto battleStart = std::chrono::steady_clock::now();
    BattleBalance played;
    played.battle = battle;
    played.reached = reachable;
    if (!reachable) {
      report.battles.push_back(std::move(played));
      continue;
    }
    Received received;
    int fds[2];
    if (::pipe(fds) != 0) {
      played.failure = std::string("cannot make a pipe: ") + std::strerror(errno);
    } else {
      std::cout.flush();
      std::cerr.flush();
      std::fflush(nullptr);
      const pid_t pid = ::fork();
      if (pid == 0) {
        ::close(fds[0]);
        ::_exit(serveBattle(battle, prefix, parties, weaponRange, options, fds[1]));
      }
      ::close(fds[1]);
      if (pid < 0) {
        played.failure = std::string("cannot start a process: ") + std::strerror(errno);
      } else {
        const std::string text = readToEnd(fds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        parseRecords(text, parties, received);
        if (received.errors.empty() && (!WIFEXITED(status) || WEXITSTATUS(status) != 0))
          received.errors.push_back("the battle's process ended with " + exitText(status));
      }
      ::close(fds[0]);
    }
    for (const std::string& e : received.errors) played.failure += (played.failure.empty() ? "" : "; ") + e;
    for (std::size_t i = 0; i < parties.size(); ++i) {
      auto found = received.outcomes.find(i);
      PartyOutcome outcome = found != received.outcomes.end() ? found->second : PartyOutcome{};
      outcome.party = parties[i];
      played.outcomes.push_back(outcome);
      if (!played.leadsOn && outcome.won()) {
        played.leadsOn = outcome.party;
        const std::vector<KeySet>& more = received.keys[i];
        prefix.insert(prefix.end(), more.begin(), more.end());
      }
    }
    reachable = played.leadsOn.has_value();
    played.seconds = secondsSince(battleStart);
    played.prefixSeconds = received.prefixSeconds;
    if (options.progress) {
      const BattleSummary summary = summarize(played);
      std::ostringstream line;
      line << "battle " << battle << ": " << summary.wins << " of " << summary.played << " parties won, "
           << std::fixed << std::setprecision(2) << played.seconds
           << " s (the keys to its party choice: " << played.prefixSeconds << " s)";
      if (!played.failure.empty()) line << " (" << played.failure << ")";
      options.progress(line.str());
    }
    report.battles.push_back(std::move(played));
  }
  report.seconds = secondsSince(start);
  return report;
}

BattleSummary summarize(const BattleBalance& battle) {
  BattleSummary summary;
  std::vector<double> turns, frames, lost;
  for (std::size_t i = 0; i < battle.outcomes.size(); ++i) {
    const PartyOutcome& outcome = battle.outcomes[i];
    if (outcome.end == RunEnd::NoStart) continue;
    ++summary.played;
    if (outcome.won()) {
      ++summary.wins;
      turns.push_back(outcome.stats.turns);
      frames.push_back(outcome.stats.frames);
      lost.push_back(outcome.membersLost());
      summary.mostMembersLost = std::max(summary.mostMembersLost, outcome.membersLost());
    }
    const auto rank = difficulty(outcome);
    if (!summary.easiest || rank < difficulty(battle.outcomes[*summary.easiest])) summary.easiest = i;
    if (!summary.hardest || rank > difficulty(battle.outcomes[*summary.hardest])) summary.hardest = i;
  }
  summary.medianTurns = median(turns);
  summary.medianFrames = median(frames);
  summary.medianMembersLost = median(lost);
  return summary;
}

std::string formatBalanceTable(const BalanceReport& report) {
  std::ostringstream out;
  const std::size_t parties = report.battles.empty() ? 0 : report.battles.front().outcomes.size();
  out << "Every party of five (" << parties
      << ") in every battle, from the auto-player's party choice.\n"
         "Turns, frames and members lost are medians over the parties that won; (most) is the most lost.\n\n";
  const auto row = [&](std::vector<std::string> cells) {
    static constexpr std::size_t kWidths[] = {8, 8, 7, 8, 10, 16, 16};
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      line += cells[i];
      if (i + 1 < cells.size() && i < std::size(kWidths))
        line += std::string(kWidths[i] > cells[i].size() ? kWidths[i] - cells[i].size() : 1, ' ');
    }
    out << line << "\n";
  };
  row({"Battle", "Won", "Turns", "Frames", "Lost", "Easiest party", "Hardest party"});
  for (const BattleBalance& battle : report.battles) {
    const BattleSummary s = summarize(battle);
    if (!battle.reached) {
      row({std::to_string(battle.battle), "not reached: no party won the battle before"});
      continue;
    }
    std::vector<std::string> cells = {
        std::to_string(battle.battle),
        std::to_string(s.wins) + "/" + std::to_string(s.played),
        numberText(s.medianTurns),
        numberText(s.medianFrames),
        s.wins ? numberText(s.medianMembersLost) + " (" + std::to_string(s.mostMembersLost) + ")" : "-",
        s.easiest ? partyText(battle.outcomes[*s.easiest].party) : "-",
        s.hardest ? partyText(battle.outcomes[*s.hardest].party) : "-"};
    if (s.neverWon()) cells.push_back("NEVER WON");
    row(cells);
  }
  out << "\n";
  for (const BattleBalance& battle : report.battles) {
    if (!battle.reached) continue;
    const BattleSummary s = summarize(battle);
    out << "Battle " << battle.battle << ":";
    if (s.easiest) out << " easiest " << describe(battle.outcomes[*s.easiest]) << ";";
    if (s.hardest) out << " hardest " << describe(battle.outcomes[*s.hardest]) << ".";
    out << "\n";
    if (s.neverWon())
      out << "  NEVER WON: no party of five won battle " << battle.battle
          << " from the auto-player's party choice.\n";
    if (battle.leadsOn && battle.battle < kLastBattle)
      out << "  Battle " << battle.battle + 1 << " starts from the win of party "
          << partyText(*battle.leadsOn) << ".\n";
    if (!battle.failure.empty()) out << "  Not every party could be played: " << battle.failure << "\n";
  }
  if (!report.names.empty()) {
    out << "\nCharacters:";
    for (std::size_t i = 0; i < report.names.size(); ++i)
      out << ' ' << i + 1 << ' ' << report.names[i] << (i + 1 < report.names.size() ? "," : "");
    out << "\n";
  }
  out << std::fixed << std::setprecision(1) << "Played in " << report.seconds << " s by " << report.jobs
      << (report.jobs == 1 ? " process" : " processes") << " at once.\n";
  return out.str();
}

void writeBalanceJson(std::ostream& out, const BalanceReport& report) {
  replay::JsonWriter json(out);
  const auto party = [&](const char* name, const Party& p) {
    json.key(name).beginArray();
    for (int id : p) json.value(id);
    json.endArray();
  };
  const auto optionalNumber = [&](const char* name, const std::optional<double>& value) {
    if (value) json.key(name).value(static_cast<float>(*value));
  };
  json.beginObject();
  json.key("jobs").value(report.jobs);
  json.key("seconds").value(static_cast<float>(report.seconds));
  json.key("characters").beginArray();
  for (std::size_t i = 0; i < report.names.size(); ++i) {
    json.beginObject()
        .key("id")
        .value(static_cast<int>(i) + 1)
        .key("name")
        .value(report.names[i])
        .endObject();
  }
  json.endArray();
  json.key("battles").beginArray();
  for (const BattleBalance& battle : report.battles) {
    const BattleSummary s = summarize(battle);
    json.beginObject();
    json.key("battle").value(battle.battle);
    json.key("reached").value(battle.reached);
    json.key("neverWon").value(s.neverWon());
    json.key("wins").value(s.wins);
    json.key("played").value(s.played);
    optionalNumber("medianTurns", s.medianTurns);
    optionalNumber("medianFrames", s.medianFrames);
    optionalNumber("medianMembersLost", s.medianMembersLost);
    if (s.wins) json.key("mostMembersLost").value(s.mostMembersLost);
    if (s.easiest) party("easiest", battle.outcomes[*s.easiest].party);
    if (s.hardest) party("hardest", battle.outcomes[*s.hardest].party);
    if (battle.leadsOn) party("leadsOn", *battle.leadsOn);
    if (!battle.failure.empty()) json.key("failure").value(battle.failure);
    json.key("seconds").value(static_cast<float>(battle.seconds));
    json.key("prefixSeconds").value(static_cast<float>(battle.prefixSeconds));
    json.key("parties").beginArray();
    for (const PartyOutcome& outcome : battle.outcomes) {
      json.beginObject();
      party("party", outcome.party);
      json.key("result").value(resultName(outcome));
      json.key("turns").value(outcome.stats.turns);
      json.key("frames").value(outcome.stats.frames);
      json.key("membersLost").value(outcome.membersLost());
      json.endObject();
    }
    json.endArray();
    json.endObject();
  }
  json.endArray();
  json.endObject();
  out << "\n";
}

}  // namespace varnholt::autoplay
