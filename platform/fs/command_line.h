// Command lines as the game writes and splits them: one string of words separated by white space,
// where a word that begins with a double or single quote runs to the next same quote
// (-map "In Progress\Level 1.qel").
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace platform::fs {

// True for space, tab, CR, LF, form feed and vertical tab.
bool IsCommandLineSpace(char c);

// Splits a command line into its words: white space is skipped; a word that begins with '"' or '\''
// starts after the quote and ends at the next same quote (or the end of the line); any other word ends
// at the next white space. The character that ends a word is consumed, so "ab"cd gives ab and cd. A
// quote that is the last character of the line ends the walk without a word.
std::vector<std::string> SplitCommandLine(std::string_view line);

// Joins words into one line that SplitCommandLine gives back: a word that is empty, holds white space
// or begins with a quote is quoted with '"', or with '\'' when it holds a '"'. (A word holding white
// space and both quote characters cannot be written in this syntax.)
std::string JoinCommandLine(const std::vector<std::string>& words);

// Called by the process entry with its arguments, so the game can read its command line.
void SetProcessCommandLine(int argc, const char* const* argv);
// The process's command line as one string (word 0 is the program path). Before
// SetProcessCommandLine it is read from /proc/self/cmdline.
std::string ProcessCommandLine();

// The absolute path of the running executable; empty when it cannot be read.
std::string ExecutablePath();

}  // namespace platform::fs
