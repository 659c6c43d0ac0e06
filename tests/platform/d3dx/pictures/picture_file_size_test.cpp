// A picture file larger than any picture may be is refused from its size alone, before it is read;
// what is not a regular file is refused before it is opened.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/d3dx/pictures/picture_files.h"
#include "platform/d3dx/pictures/textures.h"
#include "tests/platform/fs/process_usage.h"

namespace d3dx = platform::d3dx;
namespace usage = process_usage;

namespace {

class PictureFileSizeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("qel-picture-size-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string Path(const char* name) const { return (folder_ / name).string(); }
  std::filesystem::path folder_;
};

TEST_F(PictureFileSizeTest, AHugeFileIsRefusedUnreadWithAMessage) {
  const std::string huge = Path("huge.bmp");
  ASSERT_TRUE(usage::WriteSparseFile(huge.c_str(), "BM", usage::kHugeFile));
  const uint64_t readBefore = usage::BytesRead(), peakBefore = usage::PeakResidentBytes();
  std::vector<uint8_t> bytes;
  d3dx::ImageInfo info;
  testing::internal::CaptureStderr();
  EXPECT_EQ(d3dx::ReadPictureBytes(huge, bytes), d3dx::kFileTooLarge);
  EXPECT_EQ(d3dx::GetImageInfoFromFile(huge, &info), d3dx::kFileTooLarge);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("picture \"" + huge + "\" not loaded: the file is larger than a picture may be"),
            std::string::npos)
      << said;
  EXPECT_TRUE(bytes.empty());
  EXPECT_LT(usage::BytesRead() - readBefore, uint64_t(1) << 20);
  EXPECT_LT(usage::PeakResidentBytes() - peakBefore, uint64_t(64) << 20);

  // One byte over the limit is enough.
  const std::string over = Path("over.bmp");
  ASSERT_TRUE(usage::WriteSparseFile(over.c_str(), "BM", d3dx::kMaxPictureFileBytes + 1));
  testing::internal::CaptureStderr();
  EXPECT_EQ(d3dx::ReadPictureBytes(over, bytes), d3dx::kFileTooLarge);
  testing::internal::GetCapturedStderr();
}

TEST_F(PictureFileSizeTest, AFifoGivenAsAPictureIsNeverOpened) {
  const std::string fifo = Path("pipe.jpg");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, fifo.c_str(), IN_OPEN), 0);
  std::vector<uint8_t> bytes;
  d3dx::ImageInfo info;
  EXPECT_EQ(d3dx::ReadPictureBytes(fifo, bytes), d3dx::kFileNotFound);
  EXPECT_EQ(d3dx::GetImageInfoFromFile(fifo, &info), d3dx::kFileNotFound);
  inotify_event events[4];
  EXPECT_LT(read(watch, events, sizeof events), 0) << "the FIFO was opened";
  close(watch);
}

}  // namespace
