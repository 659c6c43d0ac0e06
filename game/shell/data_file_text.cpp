// The line format of CDataFile: trimming, splitting a key line and the written form of comments.
#include "game/shell/data_file.h"

namespace {

// White space first, then the equality indicators: a line ending in "=" or ":" loses it.
constexpr std::string_view kTrimSet = " \t\n\r=:";

}  // namespace

std::string TrimWhiteSpace(std::string_view text) {
  const size_t first = text.find_first_not_of(kTrimSet);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kTrimSet);
  return std::string(text.substr(first, last - first + 1));
}

std::string SplitAtEquals(std::string& line) {
  const size_t separator = line.find_first_of(CDataFile::kEqualityIndicators);
  std::string key;
  if (separator == std::string::npos) {
    key.swap(line);
  } else {
    key = line.substr(0, separator);
    line.erase(0, separator + 1);
  }
  return TrimWhiteSpace(key);
}

std::string MakeCommentText(std::string_view comment) {
  std::string text = TrimWhiteSpace(comment);
  if (text.empty() || CDataFile::kCommentIndicators.find(text[0]) != std::string_view::npos) return text;
  return "; " + text;
}
