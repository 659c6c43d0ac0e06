// Writing a CDataFile back as INI text.
#include "game/shell/data_file.h"
#include "game/shell/data_file_report.h"
#include "platform/fs/save.h"

namespace {

// One written line in text mode: every LF, the closing one included, goes out as CR LF. Lines are not
// cut to a buffer size, so a long block of comment lines is written whole.
void AppendLine(std::string& out, std::string_view line) {
  for (char c : line) {
    if (c == '\n') out += '\r';
    out += c;
  }
  out += "\r\n";
}

}  // namespace

std::string CDataFile::SaveText() const {
  std::string out;
  for (const IniSection& section : sections_) {
    const bool commented = !section.comment.empty();
    if (commented) {
      out += "\r\n";  // the empty line before a section's comment
      AppendLine(out, MakeCommentText(section.comment));
    }
    if (!section.name.empty()) AppendLine(out, (commented ? "[" : "\n[") + section.name + "]");
    for (const IniKey& key : section.keys) {
      if (key.name.empty() || key.value.empty()) continue;
      std::string line;
      if (!key.comment.empty()) {
        line = '\n';
        line += MakeCommentText(key.comment);
        line += '\n';
      }
      line += key.name;
      line += kEqualityIndicators[0];
      line += key.value;
      AppendLine(out, line);
    }
  }
  return out;
}

bool CDataFile::Save() {
  if (KeyCount() == 0 && SectionCount() == 0) {
    Report(kReportInfo, "[CDataFile::Save] Nothing to save.");
    return false;
  }
  if (fileName_.empty()) {
    Report(kReportError, "[CDataFile::Save] No filename has been set.");
    return false;
  }
  // The new text goes to a file beside the old one and replaces it only once completely written.
  const std::string text = SaveText();
  if (!platform::fs::SaveWholeFile(fileName_, text.data(), text.size())) {
    Report(kReportError, "[CDataFile::Save] Unable to save file.");
    return false;
  }
  dirty_ = false;
  return true;
}
