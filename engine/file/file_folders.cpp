// File and folder utilities: existence, delete, copy, the current folder and its listing.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/errors.h"
#include "engine/file/file_module.h"
#include "engine/file/file_state.h"
#include "engine/system/result_list.h"
#include "platform/fs/files.h"
#include "platform/fs/folder.h"
#include "platform/fs/path.h"

namespace {
constexpr uint32_t kErrorFolder = 8003;
}  // namespace

int32_t FileExists(const char* name) { return MediaFileExists(name) ? 1 : 0; }

// Read-only files are deleted all the same: on this platform the folder's rights decide.
void RemoveFile(const char* name) {
  if (MediaFileExists(name)) platform::fs::DeleteFile(name);
}

void DuplicateFile(const char* source, const char* target) {
  std::string resolved;
  if (!target || !ResolveMediaName(source, true, resolved)) return;
  if (platform::fs::FileExists(resolved)) platform::fs::CopyFileNoOverwrite(resolved, target);
  const CoreData* core = FileState().core;
  if (core && core->encryptFile) core->encryptFile(resolved.c_str());
}

void SetCurrentFolder(const char* path) {
  if (!path || !platform::fs::ChangeCurrentFolder(path)) RaiseErrorCode(kErrorFolder);
}

char* GetCurrentFolder() { return NewEngineString(platform::fs::CurrentFolder().c_str()); }

// Both passes walk one snapshot of the folder, so entries added or removed meanwhile cannot make the
// second pass write past what the first one prepared.
void ListFolder() {
  std::vector<platform::fs::FolderEntry> entries;
  platform::fs::ListFolder("", entries);
  const int32_t count = int32_t(entries.size());
  size_t longest = 0;
  for (const platform::fs::FolderEntry& entry : entries) longest = std::max(longest, entry.name.size() + 1);
  if (!BeginResultList(count, uint32_t(longest), true, true)) return EndResultList(0);
  for (int32_t i = 0; i < count; ++i) {
    const bool folder = entries[size_t(i)].attributes & platform::fs::kAttributeFolder;
    SetResultListEntry(i, entries[size_t(i)].name.c_str(), folder ? 1 : 0, 0, 0);
  }
  EndResultList(count);
}
