// Reading an INI text into a CDataFile.
#include <vector>

#include "game/shell/data_file.h"
#include "game/shell/data_file_report.h"
#include "platform/fs/path.h"

namespace {

// A line is read into a 512-byte buffer: a longer line goes on as the next line.
constexpr size_t kMaxLineLength = 511;

// Text-mode reading: CR LF pairs become LF.
std::string TextModeContents(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i] != '\r' || i + 1 == bytes.size() || bytes[i + 1] != '\n') text += bytes[i];
  return text;
}

}  // namespace

bool CDataFile::Load(std::string_view fileName) {
  std::vector<uint8_t> bytes;
  if (!platform::fs::ReadWholeFile(fileName, bytes)) {
    Report(kReportInfo, "[CDataFile::Load] Unable to open file. Does it exist?");
    return false;
  }
  LoadText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return true;
}

void CDataFile::LoadText(std::string_view contents) {
  const std::string text = TextModeContents(contents);
  // Loading may create whatever the file holds, whatever the flags say.
  const uint32_t creationFlags = kCreateSections | kCreateKeys;
  const uint32_t kept = flags_ & creationFlags;
  flags_ |= creationFlags;

  std::string pendingComment;
  std::string currentSection;
  size_t position = 0;
  bool atEnd = false;
  while (!atEnd) {
    const size_t lineFeed = text.find('\n', position);
    const size_t available = (lineFeed == std::string::npos ? text.size() : lineFeed) - position;
    const size_t taken = available < kMaxLineLength ? available : kMaxLineLength;
    std::string_view raw(text.data() + position, taken);
    position += taken;
    if (taken == available) {
      if (lineFeed == std::string::npos) atEnd = true;
      else ++position;  // the LF
    }
    // The buffer is a C string: a NUL byte ends the line.
    raw = raw.substr(0, raw.find('\0'));

    std::string line = TrimWhiteSpace(raw);
    if (line.empty()) continue;
    if (kCommentIndicators.find(line[0]) != std::string_view::npos) {
      pendingComment += '\n';
      pendingComment += line;
    } else if (line[0] == '[') {
      // The last "]" closes the name; text after it stays part of the name, and a header without one
      // takes the rest of the line.
      std::string name = line.substr(1);
      const size_t bracket = name.rfind(']');
      if (bracket != std::string::npos) name.erase(bracket, 1);
      CreateSection(name, pendingComment);
      currentSection = name;
      pendingComment.clear();
    } else {
      const std::string key = SplitAtEquals(line);
      if (key.empty() || line.empty()) continue;  // the comment carries on to the next key or header
      SetValue(key, line, pendingComment, currentSection);
      pendingComment.clear();
    }
  }
  flags_ = (flags_ & ~creationFlags) | kept;
}
