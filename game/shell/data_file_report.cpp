#include "game/shell/data_file_report.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

DebuggerOutputSink g_sink = nullptr;

const char* LevelTag(int level) {
  static const char* const kTags[] = {"<debug> ", "<info> ", "<warn> ", "<error> ", "<fatal> ", "<critical> "};
  return level >= 0 && level < int(std::size(kTags)) ? kTags[level] : "";
}

}  // namespace

void DebugReport(int level, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  DebugReportV(level, format, arguments);
  va_end(arguments);
}

void DebugReportV(int level, const char* format, va_list arguments) {
  // The message and its LF share one 512-byte buffer, so a long message is cut to leave room for both.
  char message[512];
  std::vsnprintf(message, sizeof message - 1, format, arguments);
  std::strcat(message, "\n");

  char line[sizeof message + 16];
  std::snprintf(line, sizeof line, "%s%s", LevelTag(level), message);
  WriteDebuggerOutput(line);
}

void WriteDebuggerOutput(const char* text) {
  if (g_sink) return g_sink(text);
  std::fputs(text, stderr);
  std::fflush(stderr);
}

void SetDebuggerOutputSink(DebuggerOutputSink sink) { g_sink = sink; }
