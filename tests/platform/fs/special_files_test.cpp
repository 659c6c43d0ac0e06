// Names that point at a FIFO, a device or a folder: every open through the resolver refuses them at
// once. A plain open of a FIFO waits for a writer, so a map naming one would hang the game for good.
#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <future>
#include <vector>

#include "platform/fs/files.h"
#include "platform/fs/path.h"
#include "scratch_folder.h"

namespace fs = platform::fs;

namespace {

using SpecialFilesTest = ScratchFolderTest;

// Runs `open` on a thread; when it has not returned within seconds, a writer opens the FIFO to free
// it and the test fails instead of hanging.
bool ReturnsAtOnce(const std::function<bool()>& open, bool* result) {
  auto done = std::async(std::launch::async, open);
  if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready) {
    *result = done.get();
    return true;
  }
  const int writer = ::open("Music/pipe.ogg", O_WRONLY | O_NONBLOCK);
  if (writer >= 0) close(writer);
  done.wait();
  return false;
}

TEST_F(SpecialFilesTest, FifoDeviceAndFolderAreRefusedWithoutWaiting) {
  MakeFolders("Music/folder.ogg");
  ASSERT_EQ(mkfifo("Music/pipe.ogg", 0600), 0);
  ASSERT_EQ(symlink("/dev/zero", "Music/device.ogg"), 0);
  Write("Music/good.ogg", "data");

  const std::vector<std::pair<const char*, std::function<bool(const char*)>>> opens = {
      {"open for reading",
       [](const char* name) {
         FILE* f = fs::OpenFile(name, fs::OpenMode::kReadExisting);
         if (f) std::fclose(f);
         return f != nullptr;
       }},
      {"open for appending",
       [](const char* name) {
         FILE* f = fs::OpenFile(name, fs::OpenMode::kAppend);
         if (f) std::fclose(f);
         return f != nullptr;
       }},
      {"fopen \"rb\"",
       [](const char* name) {
         FILE* f = fs::OpenFile(name, "rb");
         if (f) std::fclose(f);
         return f != nullptr;
       }},
      {"read whole file",
       [](const char* name) {
         std::vector<uint8_t> bytes;
         return fs::ReadWholeFile(name, bytes);
       }},
      {"copy", [](const char* name) { return fs::CopyFileNoOverwrite(name, "copy.ogg") && fs::DeleteFile("copy.ogg"); }},
  };
  for (const auto& [what, open] : opens) {
    bool opened = false;
    ASSERT_TRUE(ReturnsAtOnce([&] { return open("MUSIC\\good.ogg"); }, &opened)) << what;
    EXPECT_TRUE(opened) << what << ": a regular file opens";
    for (const char* name : {"music\\Pipe.ogg", "Music\\device.ogg", "Music\\FOLDER.ogg"}) {
      ASSERT_TRUE(ReturnsAtOnce([&] { return open(name); }, &opened)) << what << " of " << name << " waited";
      EXPECT_FALSE(opened) << what << " of " << name;
    }
  }
  // A file opened for reading reads as usual once opened (no non-blocking mode left on it).
  FILE* f = fs::OpenFile("music\\GOOD.ogg", fs::OpenMode::kReadExisting);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(fcntl(fileno(f), F_GETFL) & O_NONBLOCK, 0);
  std::fclose(f);
}

}  // namespace
