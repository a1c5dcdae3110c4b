// The error log: opening with a time-stamped header line, formatted lines cut to the line buffer, and
// closing.
#include "engine/error_log.h"

#include <chrono>
#include <cstdarg>
#include <cstring>
#include <string>

#include "engine/display_internal.h"

namespace varnholt {

std::FILE* errorLog = nullptr;

namespace {
// Characters of one log line, the terminating zero included.
constexpr std::size_t LOG_LINE_SIZE = 80;
}  // namespace

void resetErrorLog() {
  closeErrorLog();
  errorLog = nullptr;
}

void formatLogTimeStamp(const std::tm& time, unsigned milliseconds, char (&out)[64]) {
  // The classic 24-character date text ("Wed Jun 30 21:49:08 1993\n"), built without the locale.
  static const char* const weekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int weekday = time.tm_wday >= 0 && time.tm_wday < 7 ? time.tm_wday : 0;
  const int month = time.tm_mon >= 0 && time.tm_mon < 12 ? time.tm_mon : 0;
  char date[64];
  std::snprintf(date, sizeof date, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", weekdays[weekday], months[month],
                time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec, 1900 + time.tm_year);
  const char* year = std::strlen(date) > 20 ? date + 20 : "";
  std::snprintf(out, sizeof out, "%.19s.%hu, %.16s", date, static_cast<unsigned short>(milliseconds % 1000),
                year);
}

int openErrorLog(const char* fileName, std::FILE* stream) {
  const bool named = stream == nullptr;
  if (named) {
    if (!fileName) return 0;
    stream = std::fopen(fileName, "w");
    if (!stream) return 0;
  }
  if (errorLog && errorLog != stream) closeErrorLog();

  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto milliseconds =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char stamp[64];
  formatLogTimeStamp(local, static_cast<unsigned>(milliseconds), stamp);
  std::fprintf(stream, "\nOpening Error Output File (%s) on %s\n", fileName ? fileName : "", stamp);

  if (named) {
    // Reopened for appending, so every later line lands at the end whatever else writes the file.
    std::fclose(stream);
    stream = std::fopen(fileName, "a+");
    if (!stream) {
      errorLog = nullptr;
      return 0;
    }
  } else {
    std::fflush(stream);
  }
  errorLog = stream;
  return 1;
}

int logError(const char* format, ...) {
  if (!format || !errorLog) return 0;
  char line[LOG_LINE_SIZE];
  va_list args;
  va_start(args, format);
  // Text beyond the buffer is cut: one call writes at most one 79-character line.
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  std::fputs(line, errorLog);
  std::fflush(errorLog);
  return 1;
}

int closeErrorLog() {
  if (!errorLog) return 0;
  std::fputs("\nClosing Error Output File.", errorLog);
  if (errorLog != stdout && errorLog != stderr) {
    std::fclose(errorLog);
  } else {
    std::fflush(errorLog);
  }
  errorLog = nullptr;
  return 1;
}

}  // namespace varnholt
