// The core callbacks carried in CoreData, and the core's whole-file helpers.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/core.h"
#include "engine/core/core_data.h"
#include "engine/core/core_state.h"
#include "platform/fs/contained_name.h"
#include "platform/fs/folder.h"
#include "platform/fs/path.h"
#include "platform/fs/save.h"
#include "platform/window/cursor.h"

namespace {

// Moves every (size / 1024)-th byte by key mod 64, up to encrypt and down to decrypt.
void ScrambleFile(const char* name, bool encrypt) {
  const uint32_t key = GetCoreDataPointer()->scrambleKey;
  if (key == 0 || !name || !CoreFileExists(name)) return;
  uint32_t size = 0;
  uint8_t* data = LoadFileToMemory(name, &size);
  if (!data) return;
  ScrambleBuffer(data, size, key, encrypt);
  WriteWholeFile(name, data, size);
  std::free(data);
}

}  // namespace

void ScrambleBuffer(uint8_t* data, uint32_t size, uint32_t key, bool encrypt) {
  // A file under 1024 bytes has step 0: only its first byte moves (the walk would never end).
  const uint32_t step = size / 1024;
  const uint8_t amount = uint8_t(key % 64);
  for (uint32_t i = 0; i < size; i += step) {
    data[i] = encrypt ? uint8_t(data[i] + amount) : uint8_t(data[i] - amount);
    if (step == 0) break;
  }
}

void DecryptFile(const char* name) { ScrambleFile(name, false); }
void EncryptFile(const char* name) { ScrambleFile(name, true); }

void ResolveMediaPath(char* name) {
  // The lookup stays inside the media folder; other names are left as they are.
  if (!name || platform::fs::ContainedNameFault(name)) return;
  // With no root folder the media folder would sit at the drive root; that place is the program's
  // checked temporary folder here (none: no lookup).
  const char* root = GetCoreDataPointer()->rootFolder;
  const std::string folder = *root ? std::string(root) + "\\" : platform::fs::TempFolder();
  if (folder.empty()) return;
  const std::string composed = folder + "media\\" + name;
  // Callers pass buffers of the usual path size; a longer path is left alone rather than overrun.
  if (composed.size() < size_t(kRootFolderSize) && CoreFileExists(composed.c_str())) {
    std::memcpy(name, composed.c_str(), composed.size() + 1);
  }
}

void SetCursorShape(int shape) {
  CoreState& core = Core();
  if (shape == 0) core.currentCursor = core.arrowCursor;
  else if (shape == 1) core.currentCursor = core.hourglassCursor;
  else if (shape >= 2 && shape < kCustomCursorCount) core.currentCursor = core.customCursors[shape];
  platform::window::SetCursor(core.currentCursor);
}

bool CoreFileExists(const char* name) { return name && platform::fs::FileExists(name); }

uint8_t* LoadFileToMemory(const char* name, uint32_t* sizeOut) {
  if (sizeOut) *sizeOut = 0;
  std::vector<uint8_t> bytes;
  if (!name || !platform::fs::ReadWholeFile(name, bytes)) return nullptr;
  auto* block = static_cast<uint8_t*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
  if (!block) return nullptr;
  if (!bytes.empty()) std::memcpy(block, bytes.data(), bytes.size());
  if (sizeOut) *sizeOut = uint32_t(bytes.size());
  return block;
}

bool WriteWholeFile(const char* name, const uint8_t* data, uint32_t size) {
  // A new file renamed over the old one once it is on disk: a failed write or a power loss never
  // loses the previous file.
  return name && platform::fs::SaveWholeFile(name, data, size);
}
