// The game's log for developers, on the standard error stream. Nothing here is meant for the player,
// who sees message boxes.
#pragma once
#include <cstdarg>

// Level tags: 0 "<debug> ", 1 "<info> ", 2 "<warn> ", 3 "<error> ", 4 "<fatal> ", 5 "<critical> ";
// other levels are written without a tag.
enum ReportLevel : int {
  kReportDebug = 0,
  kReportInfo = 1,
  kReportWarn = 2,
  kReportError = 3,
  kReportFatal = 4,
  kReportCritical = 5,
};

// One log line: the tag, the formatted message (at most 510 characters) and LF.
void DebugReport(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
void DebugReportV(int level, const char* format, va_list arguments) __attribute__((format(printf, 2, 0)));

// Writes the text as it is to the debugger output.
void WriteDebuggerOutput(const char* text);
// Where the debugger output goes: null for the standard error stream (fuzzing turns it off).
using DebuggerOutputSink = void (*)(const char* text);
void SetDebuggerOutputSink(DebuggerOutputSink sink);
