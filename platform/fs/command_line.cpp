#include "platform/fs/command_line.h"

#include <unistd.h>

#include <fstream>
#include <iterator>

namespace platform::fs {

namespace {

std::vector<std::string> command_line_words;
bool command_line_set = false;

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool NeedsQuotes(const std::string& word) {
  if (word.empty() || IsQuote(word.front())) return true;
  for (char c : word)
    if (IsCommandLineSpace(c)) return true;
  return false;
}

std::vector<std::string> ReadOwnArguments() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> words;
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\0', start);
    if (end == std::string::npos) end = all.size();
    words.emplace_back(all, start, end - start);
    start = end + 1;
  }
  return words;
}

}  // namespace

bool IsCommandLineSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    if (IsCommandLineSpace(line[i])) {
      ++i;
      continue;
    }
    size_t start = i, end;
    if (IsQuote(line[i])) {
      if (i + 1 == line.size()) break;
      start = i + 1;
      end = line.find(line[i], start);
    } else {
      end = start;
      while (end < line.size() && !IsCommandLineSpace(line[end])) ++end;
    }
    if (end == std::string_view::npos) end = line.size();
    words.emplace_back(line.substr(start, end - start));
    i = end + 1;
  }
  return words;
}

std::string JoinCommandLine(const std::vector<std::string>& words) {
  std::string line;
  for (const std::string& word : words) {
    if (!line.empty()) line += ' ';
    if (!NeedsQuotes(word)) {
      line += word;
      continue;
    }
    char quote = word.find('"') == std::string::npos ? '"' : '\'';
    line += quote;
    line += word;
    line += quote;
  }
  return line;
}

void SetProcessCommandLine(int argc, const char* const* argv) {
  command_line_words.assign(argv, argv + argc);
  command_line_set = true;
}

std::string ProcessCommandLine() {
  return JoinCommandLine(command_line_set ? command_line_words : ReadOwnArguments());
}

std::string ExecutablePath() {
  std::string buffer(256, '\0');
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buffer.size()) {
      buffer.resize(static_cast<size_t>(n));
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace platform::fs
