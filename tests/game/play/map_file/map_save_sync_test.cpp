// A map save survives a power loss: the new file's data reach the disk before it is renamed over the
// map, and the folder's entry after the rename. The test records what the save asks of the kernel
// through fsync and rename, defined here in front of the C library's.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "game/play/map_file.h"
#include "tests/platform/fs/scratch_folder.h"

namespace {

std::vector<std::string>& Calls() {
  static std::vector<std::string> calls;
  return calls;
}

std::string Canonical(const std::string& path) { return std::filesystem::weakly_canonical(path).string(); }

}  // namespace

extern "C" int fsync(int fd) {
  static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
  char link[64], path[4096];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t n = readlink(link, path, sizeof path - 1);
  Calls().push_back("fsync " + std::string(path, n > 0 ? size_t(n) : 0));
  return real(fd);
}

extern "C" int rename(const char* from, const char* to) {
  static const auto real = reinterpret_cast<int (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "rename"));
  const std::string source = Canonical(from);
  const int result = real(from, to);
  Calls().push_back("rename " + source + " > " + Canonical(to));
  return result;
}

namespace {

using MapSaveSyncTest = ScratchFolderTest;

void ExpectSyncedAroundTheRename(const std::string& target) {
  const std::vector<std::string>& calls = Calls();
  const std::string into = " > " + Canonical(target);
  size_t renamed = calls.size();
  for (size_t i = 0; i < calls.size(); ++i)
    if (calls[i].rfind("rename ", 0) == 0 && calls[i].size() > into.size() &&
        calls[i].compare(calls[i].size() - into.size(), into.size(), into) == 0)
      renamed = i;
  ASSERT_LT(renamed, calls.size()) << "no rename onto " << target;
  const std::string written = calls[renamed].substr(7, calls[renamed].size() - 7 - into.size());
  bool dataSynced = false, folderSynced = false;
  for (size_t i = 0; i < renamed; ++i) dataSynced |= calls[i] == "fsync " + written;
  for (size_t i = renamed + 1; i < calls.size(); ++i)
    folderSynced |= calls[i] == "fsync " + Canonical(std::filesystem::path(target).parent_path().string());
  EXPECT_TRUE(dataSynced) << "the new file was not synced before its rename onto " << target;
  EXPECT_TRUE(folderSynced) << "the folder of " << target << " was not synced after the rename";
}

TEST_F(MapSaveSyncTest, TheNewFileReachesTheDiskBeforeTheRenameAndTheFolderAfter) {
  ResetMapTables(CurrentMap());
  std::strcpy(CurrentMap().header.fileName, "Level");
  for (int save = 0; save < 2; ++save) {  // the first save, and one over an existing map
    Calls().clear();
    ASSERT_TRUE(SaveMap());
    ExpectSyncedAroundTheRename("Maps/In Progress/Level.qel");
  }
  Calls().clear();
  MakeFolders("Maps");
  ASSERT_TRUE(WriteMapFile("maps\\Other.qel", CurrentMap()));
  ExpectSyncedAroundTheRename("Maps/Other.qel");
  ResetMapTables(CurrentMap());
}

}  // namespace
