// Opening, closing, reading and writing numbered files. Values are stored little-endian whatever the
// machine, with nothing between them: the layout of the game's data files.
#include <cstring>
#include <string>

#include "engine/core/errors.h"
#include "engine/file/file_module.h"
#include "engine/file/file_state.h"
#include "platform/fs/files.h"

namespace {

constexpr uint32_t kErrorFileMissing = 105;
constexpr uint32_t kErrorFileOpen = 8203;
constexpr uint32_t kErrorFileNumber = 8213;

// Up to four bytes into a zeroed word: a short read leaves the high bytes 0.
uint32_t ReadWord(int32_t number) {
  FileSlot* slot = OpenSlot(number);
  if (!slot) return 0;
  uint8_t bytes[4] = {};
  std::fread(bytes, 1, sizeof bytes, slot->file);
  std::clearerr(slot->file);
  return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

int32_t WriteBytes(FileSlot& slot, const void* data, size_t size) {
  if (size == 0 || std::fwrite(data, 1, size, slot.file) == size) return 1;
  slot.writeFailed = true;
  return 0;
}

int32_t WriteWord(int32_t number, uint32_t word) {
  FileSlot* slot = OpenSlot(number);
  if (!slot) return 0;
  const uint8_t bytes[4] = {uint8_t(word), uint8_t(word >> 8), uint8_t(word >> 16), uint8_t(word >> 24)};
  return WriteBytes(*slot, bytes, sizeof bytes);
}

}  // namespace

void OpenFileForReading(int32_t number, const char* name) {
  if (number < 1 || number > kFileSlotCount) return RaiseErrorCode(kErrorFileNumber);
  FileSlot& slot = FileState().slots[number];
  if (slot.file) return RaiseErrorCode(kErrorFileOpen);
  if (!MediaFileExists(name)) return RaiseErrorCode(kErrorFileMissing);
  std::string resolved;
  if (!ResolveMediaName(name, true, resolved)) return;
  slot.file = platform::fs::OpenFile(resolved, platform::fs::OpenMode::kReadExisting);
  if (!slot.file) return;
  slot.storedName = resolved;
  slot.reading = true;
  slot.writeFailed = false;
}

int32_t OpenFileForWriting(int32_t number, const char* name) {
  if (number < 1 || number > kFileSlotCount || !name) return 0;
  FileSlot& slot = FileState().slots[number];
  // An existing file (also one found through the media folder) is never overwritten.
  if (slot.file || MediaFileExists(name)) return 0;
  slot.file = platform::fs::OpenFile(name, platform::fs::OpenMode::kCreateNew);
  if (!slot.file) return 0;
  slot.storedName.clear();
  slot.reading = false;
  slot.writeFailed = false;
  return 1;
}

int32_t CloseFile(int32_t number) {
  FileSlot* slot = OpenSlot(number);
  if (!slot) return 0;
  const bool flushed = std::fclose(slot->file) == 0;
  const bool written = flushed && !slot->writeFailed;
  const CoreData* core = FileState().core;
  if (slot->reading && core && core->encryptFile) core->encryptFile(slot->storedName.c_str());
  *slot = FileSlot{};
  return written ? 1 : 0;
}

int32_t ReadInteger(int32_t number) { return int32_t(ReadWord(number)); }

float ReadFloat(int32_t number) {
  const uint32_t word = ReadWord(number);
  float value;
  std::memcpy(&value, &word, sizeof value);
  return value;
}

char* ReadTextLine(int32_t number) {
  FileSlot* slot = OpenSlot(number);
  if (!slot) return NewEngineString("");
  std::string line;
  int c;
  while ((c = std::fgetc(slot->file)) != EOF && (c >= 32 || c == '\t')) {
    if (line.size() < kMaxLineLength) line += char(c);
  }
  if (c == EOF && std::ferror(slot->file)) {
    std::clearerr(slot->file);
    return NewEngineString("");
  }
  if (c == '\r') std::fgetc(slot->file);  // the LF of a CR LF pair, whatever it is
  std::clearerr(slot->file);
  return NewEngineString(line.c_str());
}

int64_t FilePosition(int32_t number) {
  FileSlot* slot = OpenSlot(number);
  return slot ? int64_t(std::ftell(slot->file)) : -1;
}

int32_t WriteInteger(int32_t number, int32_t value) { return WriteWord(number, uint32_t(value)); }

int32_t WriteFloat(int32_t number, float value) {
  uint32_t word;
  std::memcpy(&word, &value, sizeof word);
  return WriteWord(number, word);
}

int32_t WriteTextLine(int32_t number, const char* text) {
  FileSlot* slot = OpenSlot(number);
  if (!slot) return 0;
  const int32_t characters = text ? WriteBytes(*slot, text, std::strlen(text)) : 1;
  const int32_t end = WriteBytes(*slot, "\r\n", 2);
  return characters && end ? 1 : 0;
}
