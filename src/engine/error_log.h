#pragma once
// The engine's error log: a text file (or an already open stream) that diagnostics are appended to,
// one flushed line per call. The game never opens it, so in play every logError is a no-op.

#include <cstdio>
#include <ctime>

namespace varnholt {

extern std::FILE* errorLog;  // null while closed

// Opens the log: `stream` when given (it takes precedence), otherwise the file `fileName` for writing.
// Writes the opening line with a time stamp; a log opened by name is then reopened for appending.
// 1, or 0 when the file cannot be opened.
int openErrorLog(const char* fileName, std::FILE* stream = nullptr);

// Formats one line (at most 79 characters; longer text is cut) and writes it, flushed. 1 when written,
// 0 when the format is null or no log is open.
int logError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Writes the closing line and closes the log (but never the standard output or error stream).
// 1, or 0 when no log was open.
int closeErrorLog();

// The opening time stamp, "Www Mmm dd hh:mm:ss.m, yyyy\n" (milliseconds unpadded), from a calendar time.
void formatLogTimeStamp(const std::tm& time, unsigned milliseconds, char (&out)[64]);

}  // namespace varnholt
