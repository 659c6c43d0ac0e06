// Names that point at a FIFO, a device or a folder: every open through the resolver refuses them at
// once. A plain open of a FIFO waits for a writer, so a map naming one would hang the game for good.
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <future>
#include <vector>

#include "platform/fs/files.h"
#include "platform/fs/path.h"
#include "platform/fs/regular_file.h"
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

// Opening a device can act on it, so what is not a regular file is refused before any open: the
// kernel reports every open of a watched file, and none may come.
TEST_F(SpecialFilesTest, WhatIsNotARegularFileIsNeverOpened) {
  ASSERT_EQ(mkfifo("pipe.bmp", 0600), 0);
  ASSERT_EQ(symlink("pipe.bmp", "link.bmp"), 0);
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, "pipe.bmp", IN_OPEN), 0);
  std::vector<uint8_t> bytes;
  for (const char* name : {"PIPE.bmp", "link.bmp"}) {
    EXPECT_FALSE(fs::ReadWholeFile(name, bytes)) << name;
    FILE* f = fs::OpenFile(name, "r+b");
    EXPECT_EQ(f, nullptr) << name;
    if (f) std::fclose(f);
  }
  inotify_event events[4];
  EXPECT_LT(read(watch, events, sizeof events), 0) << "the FIFO was opened";
  close(watch);
}

// The flags asked for act on the file opened once it is known to be regular.
TEST_F(SpecialFilesTest, RegularFilesOpenWithTheFlagsAskedFor) {
  Write("old.txt", "contents");
  ASSERT_EQ(symlink("old.txt", "link.txt"), 0);
  struct stat st;
  int fd = fs::OpenRegularFile("old.txt", O_WRONLY | O_TRUNC, 0666, &st);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(st.st_size, 0);  // the status of the file as opened, truncated
  EXPECT_EQ(fcntl(fd, F_GETFL) & (O_ACCMODE | O_NONBLOCK), O_WRONLY);
  ASSERT_EQ(write(fd, "new", 3), 3);
  close(fd);
  EXPECT_EQ(Read("old.txt"), "new");

  fd = fs::OpenRegularFile("made.txt", O_WRONLY | O_CREAT | O_EXCL, 0600);
  ASSERT_GE(fd, 0);
  close(fd);
  EXPECT_LT(fs::OpenRegularFile("made.txt", O_WRONLY | O_CREAT | O_EXCL, 0600), 0);
  EXPECT_EQ(errno, EEXIST);

  fd = fs::OpenRegularFile("link.txt", O_RDONLY);
  EXPECT_GE(fd, 0);  // links are followed as by open(2)
  if (fd >= 0) close(fd);
  EXPECT_LT(fs::OpenRegularFile("link.txt", O_RDONLY | O_NOFOLLOW), 0);

  // Nothing is made through a link to nothing: it is refused, at once.
  ASSERT_EQ(symlink("nowhere.txt", "dangling.txt"), 0);
  EXPECT_LT(fs::OpenRegularFile("dangling.txt", O_WRONLY | O_CREAT, 0600), 0);
  EXPECT_EQ(errno, EEXIST);
  EXPECT_FALSE(Exists("nowhere.txt"));
}

}  // namespace
